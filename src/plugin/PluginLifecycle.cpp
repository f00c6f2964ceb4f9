// The module's state between the host's InitApp and ExitApp: the one callback object, which
// owns the generator, and the host application it registers.
#include "plugin/CKWDesignCallBack.h"

namespace kw {

namespace {

constexpr const char* kNoText = "";

std::unique_ptr<CKWDesignCallBack> g_callBack;

int RegisterApplication() {
    CKWDesignBase* design = g_callBack->Design();
    CKelvoApp* app =
        CAppMgr::NewApp(g_callBack.get(), design->GetShortName(), design->GetDescription(), false, kNoText, true);
    return g_callBack->RegisterCommands(app);
}

}  // namespace

int InitPluginWith(std::unique_ptr<CKWDesignCallBack> (*makeCallBack)()) {
    if (!g_callBack) {
        g_callBack = makeCallBack();
        if (!g_callBack) {
            return kAppInitFailed;
        }
    }
    return RegisterApplication();
}

int InitPluginWith(std::unique_ptr<CKWDesignBase> (*makeDesign)()) {
    if (!g_callBack) {
        std::unique_ptr<CKWDesignBase> design = makeDesign();
        if (!design) {
            return kAppInitFailed;
        }
        g_callBack = std::make_unique<CKWDesignCallBack>(std::move(design));
    }
    return RegisterApplication();
}

int ExitPlugin() {
    // Clearing the pointer lets the host load, unload and load the module again.
    g_callBack.reset();
    return kAppSuccess;
}

CKWDesignCallBack* PluginCallBack() { return g_callBack.get(); }

}  // namespace kw
