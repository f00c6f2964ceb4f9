// The plug-in's two exported entry points, the only symbols the host sees. No C++ exception
// may cross into the host's C frames: a failure to start becomes status 3.
#include "host/AppMgr.h"
#include "plugin/CKWDesignCallBack.h"

extern "C" __attribute__((visibility("default"))) int InitApp() {
    try {
        return kw::InitPlugin();
    } catch (...) {
        return kAppInitFailed;
    }
}

extern "C" __attribute__((visibility("default"))) int ExitApp() {
    try {
        return kw::ExitPlugin();
    } catch (...) {
        return kAppSuccess;
    }
}
