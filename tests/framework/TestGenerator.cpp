// The framework tests' generator: fixed texts from the shared script, failures on request.
#include "TestGenerator.h"

#include <stdexcept>

namespace kwtest {

TestGeneratorScript& Script() {
    static TestGeneratorScript script;
    return script;
}

void ResetScript() { Script() = TestGeneratorScript(); }

TestGenerator::TestGenerator()
    : kw::CKWDesignBase("rcosflt", "Raised-Cosine FIR Filter", "Raised-Cosine FIR Filter", true) {
    for (const TestPort& port : Script().ports) {
        kw::Quantizer format;
        format.SetSigned(true);
        format.SetWordLength(16);
        format.SetFractionalLength(15);
        if (port.output) {
            port.hidden ? DeclareHiddenOutputPort(port.switchName)
                        : DeclareOutputPort(port.switchName, port.description, format);
        } else {
            port.hidden ? DeclareHiddenInputPort(port.switchName)
                        : DeclareInputPort(port.switchName, port.description, format);
        }
    }
}

void TestGenerator::ValidateFunctionalParameters() {
    m_warningsText = Script().warnings;
    m_warningsTitle = Script().warningsTitle;
}

void TestGenerator::GenerateCore() {
    m_coreStream << Script().coreBody;
    if (!Script().failInCore.empty()) {
        throw std::runtime_error(Script().failInCore);
    }
}

void TestGenerator::WriteDirectives() { m_projectDirectivesStream << Script().projectDirectives; }

void TestGenerator::WriteTestbench() { m_scriptStream << Script().testbenchBody; }

std::unique_ptr<kw::CKWDesignBase> MakeTestGenerator() { return std::make_unique<TestGenerator>(); }

}  // namespace kwtest
