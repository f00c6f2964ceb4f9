// Host helpers of the generation framework: word-by-word script evaluation and the names the
// host shows for switches.
#include "framework/HostCalls.h"

#include "host/AppMgr.h"

namespace kw {

HostAnswer EvaluateHostCommand(const std::string& command, std::initializer_list<std::string> words) {
    CTclEvalObj eval(command);
    for (const std::string& word : words) {
        eval += word;
    }
    HostAnswer answer;
    answer.ok = eval.Evaluate(false);
    const CTclResultObj* result = eval.GetResult();
    answer.text = result->GetStringValue();
    answer.message = result->GetResultMessage();
    answer.boolean = result->GetBoolValue();
    return answer;
}

std::string WithoutLeadingDash(const std::string& switchName) {
    if (!switchName.empty() && switchName[0] == '-') {
        return switchName.substr(1);
    }
    return switchName;
}

std::string HostListText(std::initializer_list<std::string> items) {
    CTclDataObj list;
    list.MakeList();
    for (const std::string& item : items) {
        list.AppendAsListElement(item);
    }
    return list.GetStringValue();
}

}  // namespace kw
