// The generate command's handler: one Generate run of the generator inside one guarded region.
// Every failure becomes the command's error result and one error line to the host; the output
// files are closed on every path. The commands that answer from the same request without
// writing (Simulate, Report) refuse through the same region.
#include <stdexcept>

#include "host/Messaging.h"
#include "plugin/CKWDesignCallBack.h"

namespace kw {

namespace {

constexpr int kErrorLine = 2;

void RunOneGenerate(CKWDesignBase& design, CCmdArguments* arguments) {
    if (design.WarnOnGenerate()) {
        const std::string fullName = design.GetFullName();
        SimpleWarn("COMMAND-0031", &fullName);
    }
    // Ports added by an earlier run are dropped: every run starts from the registered ones.
    design.TruncatePortsToRegistered();
    design.ParseArguments(arguments);
    design.SetAllAppParams();
    design.RunGenerate();
}

}  // namespace

int CKWDesignCallBack::RunGuarded(CTclResultObj* result, const std::function<void()>& body) {
    std::string errorText = "Error while generating KelvoWare " + m_design->GetFullName() + "\n";
    int status = kAppSuccess;
    try {
        body();
    } catch (const std::runtime_error& error) {
        const std::string message = error.what();
        if (!message.empty()) {
            errorText += message + "\n";
        }
        status = kAppCommandFailed;
    } catch (...) {
        status = kAppCommandFailed;
    }
    m_design->CloseStreams();
    if (status == kAppCommandFailed) {
        *result = errorText;
        CAppMgr::SendMsg(kErrorLine, errorText);
    }
    return status;
}

int CKWDesignCallBack::Generate(CCmdArguments* arguments, CTclResultObj* result) {
    return RunGuarded(result, [&] { RunOneGenerate(*m_design, arguments); });
}

}  // namespace kw
