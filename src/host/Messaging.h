// Diagnostics sent to the host: catalogued messages through the host's "Messaging::Message"
// script command (structured and text builders) and plain error lines through CAppMgr::SendMsg.
#pragma once

#include <string>

class CTclDataObj;

namespace kw {

// Structured builder. Returns the string value of the host's answer. file == nullptr means no
// file information; line -1 means no line. params == nullptr or without elements: no "-params".
std::string ReportMessage(const std::string& severity, const char* messageId, const char* file, int line,
                          const CTclDataObj* params, bool sendToStream = true);
std::string ReportWarning(const char* messageId, const char* file, int line, const CTclDataObj* params,
                          bool sendToStream = true);
// Sends the error, then throws std::runtime_error carrying the host's answer. Never returns.
[[noreturn]] void ReportError(const char* messageId, const char* file, int line, const CTclDataObj* params,
                              bool sendToStream = true);
// As ReportError for a value the user gave that is refused: throws kw::ParameterError.
[[noreturn]] void ReportRefusal(const char* messageId, const char* file, int line, const CTclDataObj* params);
std::string ReportWarningNoParams(const char* messageId, const char* file, int line, bool sendToStream = true);
[[noreturn]] void ReportErrorNoParams(const char* messageId, const char* file, int line, bool sendToStream = true);

// Text builder: Messaging::Message -severity "S" -msgid "ID" [-params {TEXT}]. A failed
// evaluation throws "Could not execute an KelvoWare TCL Message call." unless severity is "error".
void SimpleMessage(const std::string& severity, const std::string& messageId, const std::string* params = nullptr);
void SimpleError(const std::string& messageId, const std::string* params = nullptr);
void SimpleInfo(const std::string& messageId, const std::string* params = nullptr);
void SimpleWarn(const std::string& messageId, const std::string* params = nullptr);

// A plain error line (CAppMgr::SendMsg type 2).
void SendErrorLine(const std::string& text);

}  // namespace kw
