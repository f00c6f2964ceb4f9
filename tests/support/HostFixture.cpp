// The in-process host for tests: the parameter descriptions are found in the plug-in folder of
// the build tree and, before the plug-in is built, in the source tree.
#include "HostFixture.h"

namespace kwtest {

std::unique_ptr<KelvoHost> StartHost() {
    auto host = std::make_unique<KelvoHost>();
    host->AddPluginDirectory(KW_SOURCE_DIR "/src/plugin");
    host->AddPluginDirectory(KW_PLUGIN_DIR);
    return host;
}

void HostFixture::SetUp() { m_host = StartHost(); }

void HostFixture::TearDown() { m_host.reset(); }

std::string HostFixture::EvalOk(const std::string& script) {
    const auto [code, text] = m_host->Eval(script);
    if (code != 0) {
        ADD_FAILURE() << "script failed (code " << code << "): " << script << "\n  error: " << text;
    }
    return text;
}

std::pair<int, std::string> HostFixture::Eval(const std::string& script) { return m_host->Eval(script); }

bool HostFixture::PluginAvailable() {
#ifdef KW_PLUGIN_PATH
    return true;
#else
    return false;
#endif
}

int HostFixture::LoadBuiltPlugin() {
#ifdef KW_PLUGIN_PATH
    std::string message;
    const int status = m_host->LoadPlugin(KW_PLUGIN_PATH, &message);
    if (status == 0) {
        ADD_FAILURE() << message;
    }
    return status;
#else
    ADD_FAILURE() << "the rcosflt plug-in is not part of this build";
    return 0;
#endif
}

}  // namespace kwtest
