// The boundary between a command handler of the module and its host, shared by every command:
// whatever the handler's body throws ends as the command's error result, one error line to the
// host and the error code of its kind (host/Failure.h); no exception reaches the host.
#pragma once

#include <functional>
#include <string>

class CTclResultObj;

namespace kw {

// Runs body and answers the host status. When body returns, the status is success and the
// result is what body set. When it throws, the status is "command failed" and the result is
// failureLead, then the failure's text and "\n" (nothing when the text is empty); the same text
// is sent to the host as an error line, and the error code is that of the failure's kind. A
// std::runtime_error that is no kw::Failure counts as internal with its text as it is; any other
// exception as internal with "Internal Error: " before its text.
int RunCommandBody(CTclResultObj& result, const std::string& failureLead, const std::function<void()>& body);

}  // namespace kw
