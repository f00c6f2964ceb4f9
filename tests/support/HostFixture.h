// GoogleTest support for code that needs the KelvoDSP host: a fixture that runs a KelvoHost
// in-process (its interpreter is the one every AppMgr object uses), evaluation helpers and the
// plug-in paths of the build tree (KW_PLUGIN_PATH when the plug-in target exists).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "KelvoHost.h"
#include "StderrCapture.h"

namespace kwtest {

// Tcl return codes, for tests that do not include tcl.h.
constexpr int kTclOk = 0;
constexpr int kTclError = 1;

class HostFixture : public ::testing::Test {
public:
    // True when this build has the rcosflt plug-in (tests may GTEST_SKIP otherwise).
    static bool PluginAvailable();

protected:
    void SetUp() override;
    void TearDown() override;

    KelvoHost& Host() { return *m_host; }
    // Evaluates a script; adds a test failure (naming the script and the error) unless it succeeds.
    std::string EvalOk(const std::string& script);
    // Evaluates a script: the Tcl return code (TCL_OK 0, TCL_ERROR 1) and the result text.
    std::pair<int, std::string> Eval(const std::string& script);
    // Loads the built rcosflt plug-in; returns InitApp's status (0 and a test failure when it
    // cannot be loaded or is not part of this build).
    int LoadBuiltPlugin();

    std::unique_ptr<KelvoHost> m_host;
};

// A host outside any fixture, for tests that shape their own set-up.
std::unique_ptr<KelvoHost> StartHost();

}  // namespace kwtest
