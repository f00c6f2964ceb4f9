// The generator's hardware files for "-hdl verilog": the core's Verilog module F.v beside F.m
// and, for a project run, its self-checking testbench F_tb.v with the vector files it reads,
// each written under a temporary name and moved to its final name only when complete.
#include <sstream>
#include <stdexcept>

#include "verilog/TestVectors.h"
#include "verilog/VerilogTestbench.h"
#include "verilog/VerilogWriter.h"
#include "framework/OutputFiles.h"
#include "host/FilePath.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

void WriteOutputFile(const std::string& path, const std::string& kind, const std::string& text) {
    AtomicOutputFile file;
    OpenOutputFile(file, path, kind);
    file << text;
    CommitOutputFile(file, kind);
}

// PATH with its last component replaced by NAME.
std::string Beside(const std::string& path, const std::string& name) {
    FilePath sibling(path);
    sibling.ReplaceName(name);
    return sibling.Text();
}

}  // namespace

fir::HardwareChoices CKWDesign::HardwareChoices() const {
    const HardwareOptions& options = Options().hardware;
    fir::HardwareChoices choices;
    choices.products =
        options.products == HdlProducts::ShiftAdd ? fir::ProductStyle::ShiftAdd : fir::ProductStyle::Multiplier;
    choices.multipliers = options.multipliers.value_or(1);
    choices.stream = options.stream == HdlStream::Axis ? fir::StreamInterface::Axis : fir::StreamInterface::Plain;
    return choices;
}

void CKWDesign::WriteHardware(const std::string& corePath, bool withTestbench) {
    std::ostringstream module;
    std::ostringstream bench;
    std::ostringstream inputs;
    std::ostringstream expected;
    try {
        fir::WriteVerilog(module, DesignCoreModel(), m_functionName, HardwareChoices());
        if (withTestbench) {
            const fir::TestVectors vectors =
                fir::MakeTestVectors(DesignCoreModel(), fir::kTestbenchRandomSamples, fir::kTestbenchSeed);
            fir::WriteVerilogTestbench(bench, DesignCoreModel(), m_functionName, static_cast<int>(vectors.inputs.size()),
                                       HardwareChoices());
            fir::WriteInputVectors(inputs, DesignCoreModel(), vectors);
            fir::WriteExpectedVectors(expected, DesignCoreModel(), vectors);
        }
    } catch (const std::invalid_argument& refusal) {
        throw std::runtime_error(std::string("No Verilog for this core: ") + refusal.what() + "\n");
    }
    WriteOutputFile(Beside(corePath, m_functionName + ".v"), "Verilog", module.str());
    if (!withTestbench) return;
    WriteOutputFile(Beside(corePath, m_functionName + "_tb.v"), "Verilog testbench", bench.str());
    WriteOutputFile(Beside(corePath, fir::InputVectorFile(m_functionName)), "testbench vector", inputs.str());
    WriteOutputFile(Beside(corePath, fir::ExpectedVectorFile(m_functionName)), "testbench vector", expected.str());
}

}  // namespace kw
