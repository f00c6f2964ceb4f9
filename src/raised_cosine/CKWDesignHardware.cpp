// The generator's hardware files for "-hdl verilog": the core's Verilog module F.v beside F.m
// and, for a project run, its self-checking testbench F_tb.v with the vector files it reads,
// each written under a temporary name and moved to its final name only when complete. A name
// that the Verilog cannot take is refused before anything is written.
#include <optional>
#include <sstream>
#include <stdexcept>

#include "verilog/HardwareTiming.h"
#include "verilog/TestVectors.h"
#include "verilog/VerilogNames.h"
#include "verilog/VerilogTestbench.h"
#include "verilog/VerilogWriter.h"
#include "framework/OutputFiles.h"
#include "host/Failure.h"
#include "host/FilePath.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

struct HardwareTexts {
    std::string module;
    std::string bench;
    std::string inputs;
    std::string expected;
};

HardwareTexts MakeHardwareTexts(const fir::CoreModel& model, const fir::HardwareChoices& choices,
                                const std::string& moduleName, bool withTestbench) {
    std::ostringstream module;
    std::ostringstream bench;
    std::ostringstream inputs;
    std::ostringstream expected;
    fir::WriteVerilog(module, model, moduleName, choices);
    if (withTestbench) {
        const fir::TestVectors vectors = fir::MakeTestVectors(model, fir::kTestbenchRandomSamples, fir::kTestbenchSeed);
        fir::WriteVerilogTestbench(bench, model, moduleName, static_cast<int>(vectors.inputs.size()), choices);
        fir::WriteInputVectors(inputs, model, vectors);
        fir::WriteExpectedVectors(expected, model, vectors);
    }
    return {module.str(), bench.str(), inputs.str(), expected.str()};
}

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

[[noreturn]] void RefuseVerilogName(const std::string& name, const std::string& reason) {
    throw ParameterError("Invalid Parameter: -name \"" + name + "\" cannot name the Verilog core: " + reason);
}

// Stands for the core's name in a probe of the texts; no writer produces it of its own.
constexpr const char* kProbeName = "KwProbeOfTheModuleName";

// The identifiers the texts for a core named NAME would hold besides NAME itself and the names
// made from it (NAME_tb): those of the texts for the probe name, with the probe's names removed;
// and the names made from NAME, with the probe's names turned into NAME's.
struct ProbedNames {
    std::set<std::string> fixed;
    std::set<std::string> derived;
};

ProbedNames ProbeNames(const fir::CoreModel& model, const fir::HardwareChoices& choices, const std::string& name) {
    const HardwareTexts texts = MakeHardwareTexts(model, choices, kProbeName, true);
    ProbedNames names;
    for (const std::string& text : {texts.module, texts.bench}) {
        for (const std::string& identifier : fir::VerilogIdentifiers(text)) {
            const std::size_t probe = identifier.find(kProbeName);
            if (probe == std::string::npos) {
                names.fixed.insert(identifier);
            } else {
                std::string made = identifier;
                made.replace(probe, std::char_traits<char>::length(kProbeName), name);
                names.derived.insert(made);
            }
        }
    }
    return names;
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

void CKWDesign::CheckHardwareMultipliers(const fir::CoreModel& model) const {
    const std::optional<int> given = Options().hardware.multipliers;
    if (!Options().hardware.verilog || !given || model.IsFullyParallel()) return;
    const int products = fir::SharedProductsPerOutput(model);
    const std::string m = std::to_string(*given);
    if (*given > products) {
        throw ParameterError("Invalid Parameter: -hdl_multipliers " + m + " exceeds the " + std::to_string(products) +
                             " non-zero products per output of this resource-shared core (at most " +
                             std::to_string(products) + " multipliers can work side by side).\n");
    }
}

void CKWDesign::CheckVerilogName(const std::string& name) const {
    if (fir::IsVerilogKeyword(name)) {
        RefuseVerilogName(name, "it is a reserved word of Verilog or SystemVerilog.\n");
    }
    if (fir::IsStreamPortName(name)) {
        RefuseVerilogName(name, "it is the name of a port of the core.\n");
    }
    ProbedNames names;
    try {
        names = ProbeNames(DesignCoreModel(), HardwareChoices(), name);
    } catch (const std::invalid_argument&) {
        return;  // no Verilog for this core: WriteHardware says so
    }
    for (const std::string& made : names.derived) {
        if (names.fixed.count(made) != 0 || fir::IsVerilogKeyword(made)) {
            RefuseVerilogName(name, made == name ? "the generated Verilog or its testbench already declares " + made +
                                                       ".\n"
                                                 : "the generated testbench's " + made +
                                                       " would clash with a name it already uses.\n");
        }
    }
}

void CKWDesign::WriteHardware(const std::string& corePath, bool withTestbench) {
    HardwareTexts texts;
    try {
        texts = MakeHardwareTexts(DesignCoreModel(), HardwareChoices(), m_functionName, withTestbench);
    } catch (const std::invalid_argument& refusal) {
        throw std::runtime_error(std::string("No Verilog for this core: ") + refusal.what() + "\n");
    }
    const auto write = [&](const std::string& name, const std::string& kind, const std::string& what,
                           const std::string& text) {
        const std::string path = Beside(corePath, name);
        WriteOutputFile(path, kind, text);
        AnnounceFile(what, path);
    };
    write(m_functionName + ".v", "Verilog", "Verilog core", texts.module);
    if (!withTestbench) return;
    write(m_functionName + "_tb.v", "Verilog testbench", "Verilog testbench", texts.bench);
    write(fir::InputVectorFile(m_functionName), "testbench vector", "testbench input vectors", texts.inputs);
    write(fir::ExpectedVectorFile(m_functionName), "testbench vector", "testbench expected outputs", texts.expected);
}

}  // namespace kw
