// Catalogued messages sent to the host through its "Messaging::Message" script command: the
// structured builder assembles the command word by word, the text builder by concatenation.
// Plain error lines go to CAppMgr::SendMsg.
#include "host/Messaging.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "host/AppMgr.h"
#include "host/Failure.h"

namespace kw {

namespace {

constexpr const char* kMessageCommand = "Messaging::Message";
constexpr const char* kMessageCallFailed = "Could not execute an KelvoWare TCL Message call.";

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// {FILE [LINE]}: the line is left out when it is -1.
CTclDataObj FileInfoList(const char* file, int line) {
    CTclDataObj info;
    info.MakeList();
    info.AppendAsListElement(std::string(file));
    if (line != -1) info.AppendAsListElement(line);
    return info;
}

// The host reads the parameters after a leading "" element.
CTclDataObj ParameterList(const CTclDataObj& params) {
    CTclDataObj list;
    list.AppendAsListElement(std::string());
    const int count = params.GetNumElements();
    for (int i = 0; i < count; ++i) list.AppendAsListElement(params.GetElement(i).GetStringValue());
    return list;
}

}  // namespace

std::string ReportMessage(const std::string& severity, const char* messageId, const char* file, int line,
                          const CTclDataObj* params, bool sendToStream) {
    if (messageId == nullptr) return std::string();

    CTclEvalObj command(kMessageCommand);
    if (!sendToStream) command += "-dontsendtostream";
    command += "-severity";
    command += severity;
    command += "-msgid";
    command += messageId;
    if (file != nullptr) {
        command += "-fileinfo";
        command += FileInfoList(file, line);
    }
    if (params != nullptr && params->GetNumElements() >= 1) {
        command += "-params";
        command += ParameterList(*params);
    }
    // The host's answer is the message text, whether or not the call succeeded.
    command.Evaluate(false);
    return command.GetResult()->GetStringValue();
}

std::string ReportWarning(const char* messageId, const char* file, int line, const CTclDataObj* params,
                          bool sendToStream) {
    return ReportMessage("warning", messageId, file, line, params, sendToStream);
}

void ReportError(const char* messageId, const char* file, int line, const CTclDataObj* params, bool sendToStream) {
    throw std::runtime_error(ReportMessage("error", messageId, file, line, params, sendToStream));
}

void ReportRefusal(const char* messageId, const char* file, int line, const CTclDataObj* params) {
    throw ParameterError(ReportMessage("error", messageId, file, line, params));
}

std::string ReportWarningNoParams(const char* messageId, const char* file, int line, bool sendToStream) {
    const CTclDataObj noParams(0);
    return ReportWarning(messageId, file, line, &noParams, sendToStream);
}

void ReportErrorNoParams(const char* messageId, const char* file, int line, bool sendToStream) {
    const CTclDataObj noParams(0);
    ReportError(messageId, file, line, &noParams, sendToStream);
}

void SimpleMessage(const std::string& severity, const std::string& messageId, const std::string* params) {
    std::string script = std::string(kMessageCommand) + " -severity \"" + severity + "\" -msgid \"" + messageId;
    if (params != nullptr) {
        script += "\" -params {" + *params + "}";
    } else {
        script += "\"";
    }

    CTclEvalObj command(kMessageCommand);
    command = script;
    // A failed error message must not hide the error that the caller is about to handle.
    if (!command.Evaluate(false) && !EqualsIgnoringCase(severity, "error")) {
        throw std::runtime_error(kMessageCallFailed);
    }
}

void SimpleError(const std::string& messageId, const std::string* params) { SimpleMessage("error", messageId, params); }

void SimpleInfo(const std::string& messageId, const std::string* params) { SimpleMessage("info", messageId, params); }

void SimpleWarn(const std::string& messageId, const std::string* params) { SimpleMessage("warn", messageId, params); }

void SendErrorLine(const std::string& text) { CAppMgr::SendMsg(2, text); }

}  // namespace kw
