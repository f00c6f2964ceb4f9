// One handler body run inside the command boundary: the failure's text, kind and error line.
#include "host/CommandBoundary.h"

#include <exception>

#include "host/AppMgr.h"
#include "host/Failure.h"

namespace kw {

namespace {

constexpr int kErrorLine = 2;

struct Reason {
    std::string text;
    FailureKind kind = FailureKind::Internal;
};

// Called inside a catch handler: the exception in flight, whatever its type.
Reason CurrentReason() {
    try {
        throw;
    } catch (const Failure& failure) {
        return {failure.what(), failure.Kind()};
    } catch (const std::runtime_error& error) {
        return {error.what(), FailureKind::Internal};
    } catch (const std::exception& error) {
        return {std::string("Internal Error: ") + error.what(), FailureKind::Internal};
    } catch (...) {
        return {"Internal Error: unknown exception", FailureKind::Internal};
    }
}

}  // namespace

int RunCommandBody(CTclResultObj& result, const std::string& failureLead, const std::function<void()>& body) {
    Reason reason;
    try {
        body();
        return kAppSuccess;
    } catch (...) {
        reason = CurrentReason();
    }
    std::string text = failureLead;
    if (!reason.text.empty()) {
        text += reason.text + "\n";
    }
    result = text;
    result.SetErrorCode(ErrorCodeWords(reason.kind));
    CAppMgr::SendMsg(kErrorLine, text);
    return kAppCommandFailed;
}

}  // namespace kw
