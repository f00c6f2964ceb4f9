// The plug-in's two exported entry points, the only symbols the host sees. No C++ exception
// may cross into the host's C frames: a failure to start becomes status 3 and an error line
// that says why.
#include <exception>
#include <string>

#include "host/AppMgr.h"
#include "plugin/CKWDesignCallBack.h"

extern "C" __attribute__((visibility("default"))) int InitApp() {
    try {
        return kw::InitPlugin();
    } catch (const std::exception& error) {
        // The host reports only the status; the reason would be lost without this line.
        CAppMgr::SendMsg(2, std::string("The rcosflt plug-in could not start: ") + error.what());
    } catch (...) {
        CAppMgr::SendMsg(2, "The rcosflt plug-in could not start: unknown failure");
    }
    return kAppInitFailed;
}

extern "C" __attribute__((visibility("default"))) int ExitApp() {
    try {
        return kw::ExitPlugin();
    } catch (...) {
        return kAppSuccess;
    }
}
