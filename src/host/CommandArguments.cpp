// The argument readers every command of the module shares.
#include "host/CommandArguments.h"

#include "host/AppMgr.h"

namespace kw {

CTclDataObj* FindArgument(const CCmdArguments* arguments, const std::string& switchName) {
    return arguments == nullptr ? nullptr : arguments->Find(switchName);
}

std::string TextArgument(const CCmdArguments* arguments, const std::string& switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value == nullptr ? std::string() : value->GetStringValue();
}

int IntArgument(const CCmdArguments* arguments, const std::string& switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value == nullptr ? 0 : value->GetIntValue();
}

float FloatArgument(const CCmdArguments* arguments, const std::string& switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value == nullptr ? 0.0f : value->GetFloatValue();
}

bool FlagArgument(const CCmdArguments* arguments, const std::string& switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    return value != nullptr && value->GetBoolValue();
}

}  // namespace kw
