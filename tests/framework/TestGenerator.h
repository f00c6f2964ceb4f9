// A small generator for framework tests: it writes a fixed core body, testbench and project
// directives, declares the ports a test asks for, and can fail at a chosen step, so the
// Generate flow is exercised without the raised-cosine core writer.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/CKWDesignBase.h"

namespace kwtest {

struct TestPort {
    bool output;
    bool hidden;
    std::string switchName;
    std::string description;
};

// What the next constructed TestGenerator declares and writes; tests change it before
// InitPluginWith and during a test.
struct TestGeneratorScript {
    std::vector<TestPort> ports{{false, true, "-SigIn2", ""}, {true, true, "-SigOut", ""}};
    std::string coreBody = "SigOut = SigIn2;\n";
    std::string testbenchBody = "x = rcosflt_test();\n";
    std::string projectDirectives = "SetDirective -latency 0\n";
    std::string warnings;
    std::string warningsTitle;
    std::string failInCore;  // thrown from GenerateCore as std::runtime_error when non-empty
};

TestGeneratorScript& Script();
void ResetScript();

class TestGenerator : public kw::CKWDesignBase {
public:
    TestGenerator();

    void ValidateFunctionalParameters() override;
    void GenerateCore() override;
    void FinishCore() override {}
    void WriteDirectives() override;
    void WriteTestbench() override;

    // Access to the run's state for tests.
    kw::AtomicOutputFile& CoreStream() { return m_coreStream; }
    kw::AtomicOutputFile& ScriptStream() { return m_scriptStream; }
    kw::AtomicOutputFile& DirectivesStream() { return m_directivesStream; }
    kw::AtomicOutputFile& ProjectDirectivesStream() { return m_projectDirectivesStream; }
    void SetOutputDirectory(const std::string& directory) { m_outputDirectory = directory; }
    void SetFunctionName(const std::string& name) { m_functionName = name; }
    void SetWarnings(const std::string& text, const std::string& title) {
        m_warningsText = text;
        m_warningsTitle = title;
    }
    const std::string& WarningsText() const { return m_warningsText; }
    void SetLatency(int latency) { m_latency = latency; }
    using kw::CKWDesignBase::DeclareInputPort;
};

std::unique_ptr<kw::CKWDesignBase> MakeTestGenerator();

}  // namespace kwtest
