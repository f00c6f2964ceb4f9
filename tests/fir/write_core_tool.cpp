// kw_write_core: writes a complete, runnable MATLAB core function for a given set of integer
// coefficients, through the same structure writers the generator uses. It reaches the writers of
// every symmetry class (the designed coefficients are always symmetric) without a host.
//
// Usage:
//   kw_write_core --name NAME --q Q0,Q1,...,QN-1 --cbits B [options]
// Options (defaults in brackets):
//   --channels CH          interleaved channels [1]
//   --form direct|transposed                            [direct]
//   --shared               resource-shared structure (loop over the taps) [fully parallel]
//   --multfree             multiplier-free: each coefficient as two shifted terms
//   --ratio R              samples per symbol, 2..8, used with --zero-stuffing [2]
//   --zero-stuffing        the core inserts R-1 zeros after each input sample (counter block)
//   --ibits W --ifbits F   input format [16 15]
//   --obits W|auto --ofbits F|auto   output format, derived as the generator does [auto auto]
//   --trunc T              bits dropped after each multiply [0]
//   --symmetry 1|-1|0      override the symmetry class computed from the coefficients
//   --out FILE             write to FILE instead of standard output
//   --simulate IN OUT      also run the bit-true simulator of the same core on the input integers
//                          of IN (one per line) and write its output integers to OUT, one per line
//   --products multiplier|shiftadd   products by constants in the Verilog [multiplier]
//   --verilog FILE         also write the core's Verilog module (named NAME) to FILE and, beside
//                          it, its testbench NAME_tb.v and vectors NAME_in.hex and NAME_out.hex
//   --stream plain|axis    the Verilog module's ports: valid/ready, or AXI4-Stream [plain]
//   --multipliers M        products side by side in a resource-shared core's Verilog [1]
// The coefficient values are Qi/2^(B-1); N (the number of values) must be odd. The formats are
// those of the generator: qin [ibits ifbits], qout [obits ofbits], qmult and qcoef derived from
// them, all signed with floor rounding and wrapping; the quantised values stand in for the
// normalised ones where "auto" lengths and the widening of qmult need the coefficient sum.
// A class -1 set is folded only when every mirror pair is exactly opposite, else written unfolded,
// as the generator does. Several channels with --shared --form transposed are refused, as the
// generator refuses them: the unfolded text copies places inside its loop (reading "ii--1") and the
// folded one does not use the channel count, so neither computes the interleaved filter.
// Exit status 0 on success, 2 on a usage error or a refused combination (message on standard error).
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fir/CoreModel.h"
#include "fir/CoreSimulator.h"
#include "fir/CoreStructures.h"
#include "fir/PowerOfTwo.h"
#include "verilog/VerilogTestbench.h"
#include "verilog/VerilogWriter.h"
#include "raised_cosine/CoefficientDesign.h"

namespace {

struct ToolOptions {
    std::string name;
    std::vector<int> q;
    int cbits = 0;
    int channels = 1;
    bool transposed = false;
    bool shared = false;
    bool multiplierFree = false;
    int ratio = 2;
    bool zeroStuffing = false;
    int ibits = 16;
    int ifbits = 15;
    int obits = -1;   // -1: auto
    int ofbits = -1;  // -1: auto
    int trunc = 0;
    bool symmetryGiven = false;
    int symmetry = 1;
    std::string outFile;
    std::string simulateIn;
    std::string simulateOut;
    std::string verilogFile;
    fir::HardwareChoices hardware;
};

int ParseInt(const std::string& option, const std::string& text) {
    std::size_t used = 0;
    int value = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size()) throw std::invalid_argument(option + ": not an integer: " + text);
    return value;
}

int ParseLength(const std::string& option, const std::string& text) {
    return text == "auto" ? -1 : ParseInt(option, text);
}

std::vector<int> ParseList(const std::string& option, const std::string& text) {
    std::vector<int> values;
    std::string item;
    std::istringstream items(text);
    while (std::getline(items, item, ',')) values.push_back(ParseInt(option, item));
    return values;
}

ToolOptions ParseOptions(int argc, char** argv) {
    ToolOptions o;
    const std::map<std::string, bool*> flags = {
        {"--shared", &o.shared}, {"--multfree", &o.multiplierFree}, {"--zero-stuffing", &o.zeroStuffing}};
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (auto flag = flags.find(option); flag != flags.end()) {
            *flag->second = true;
            continue;
        }
        if (i + 1 >= argc) throw std::invalid_argument(option + ": a value is missing");
        const std::string value = argv[++i];
        if (option == "--name") o.name = value;
        else if (option == "--q") o.q = ParseList(option, value);
        else if (option == "--cbits") o.cbits = ParseInt(option, value);
        else if (option == "--channels") o.channels = ParseInt(option, value);
        else if (option == "--form" && (value == "direct" || value == "transposed")) o.transposed = value == "transposed";
        else if (option == "--ratio") o.ratio = ParseInt(option, value);
        else if (option == "--ibits") o.ibits = ParseInt(option, value);
        else if (option == "--ifbits") o.ifbits = ParseInt(option, value);
        else if (option == "--obits") o.obits = ParseLength(option, value);
        else if (option == "--ofbits") o.ofbits = ParseLength(option, value);
        else if (option == "--trunc") o.trunc = ParseInt(option, value);
        else if (option == "--symmetry") { o.symmetry = ParseInt(option, value); o.symmetryGiven = true; }
        else if (option == "--out") o.outFile = value;
        else if (option == "--verilog") o.verilogFile = value;
        else if (option == "--multipliers") o.hardware.multipliers = ParseInt(option, value);
        else if (option == "--stream" && (value == "plain" || value == "axis"))
            o.hardware.stream = value == "axis" ? fir::StreamInterface::Axis : fir::StreamInterface::Plain;
        else if (option == "--products" && (value == "multiplier" || value == "shiftadd")) o.hardware.products = value == "shiftadd" ? fir::ProductStyle::ShiftAdd : fir::ProductStyle::Multiplier;
        else if (option == "--simulate" && i + 1 < argc) { o.simulateIn = value; o.simulateOut = argv[++i]; }
        else throw std::invalid_argument("unknown option or value: " + option + " " + value);
    }
    if (o.name.empty()) throw std::invalid_argument("--name is required");
    if (o.q.empty() || o.q.size() % 2 == 0) throw std::invalid_argument("--q needs an odd number of values");
    if (o.cbits < 2 || o.cbits > 31) throw std::invalid_argument("--cbits must be between 2 and 31");
    if (o.channels < 1) throw std::invalid_argument("--channels must be at least 1");
    if (o.ratio < 2 || o.ratio > 8) throw std::invalid_argument("--ratio must be between 2 and 8");
    if (o.symmetry < -1 || o.symmetry > 1) throw std::invalid_argument("--symmetry must be 1, -1 or 0");
    return o;
}

fir::CoreWordLengths LengthsFor(const ToolOptions& o, const std::vector<double>& values) {
    fir::CoreWordLengths n;
    n.ibits = o.ibits;
    n.ifbits = o.ifbits;
    n.cbits = o.cbits;
    n.coefFracBits = o.cbits - 1;
    n.trunc = o.trunc;
    // A negative length is derived, as "auto" is; a derived word length derives the fraction too.
    const std::optional<int> obits = o.obits < 0 ? std::nullopt : std::optional<int>(o.obits);
    const std::optional<int> ofbits = !obits || o.ofbits < 0 ? std::nullopt : std::optional<int>(o.ofbits);
    const rcos::OutputLengths lengths =
        rcos::DeriveOutputLengths(values, obits, ofbits, o.ibits, o.ifbits, o.cbits, o.trunc);
    n.obits = lengths.obits;
    n.ofbits = lengths.ofbits;
    n.coefSumIntegerBits = rcos::CoefficientSumIntegerBits(values);
    return n;
}

fir::CoreModel ModelFor(const ToolOptions& o) {
    std::vector<double> values;
    for (int v : o.q) values.push_back(static_cast<double>(v) / static_cast<double>(1 << (o.cbits - 1)));
    fir::CoreDescription description;
    description.q = o.q;
    if (o.multiplierFree) description.powerOfTwo = fir::DecomposePowerOfTwo(o.q, o.cbits);
    description.symmetry = o.symmetryGiven ? static_cast<fir::CoefSymmetry>(o.symmetry) : fir::ClassifySymmetry(o.q);
    description.channels = o.channels;
    description.form = o.transposed ? fir::Form::Transposed : fir::Form::Direct;
    description.sharing = o.shared ? fir::Sharing::ResourceShared : fir::Sharing::FullyParallel;
    description.multiplierFree = o.multiplierFree;
    description.zeroStuffing = o.zeroStuffing;
    description.ratio = o.ratio;
    description.lengths = LengthsFor(o, values);
    return fir::MakeCoreModel(description);
}

// Throws std::invalid_argument for the models whose text would not compute the given filter.
void RefuseUncomputable(const fir::CoreModel& model) {
    if (!model.Traits().oneChannel || model.channels == 1) return;
    throw std::invalid_argument(
        std::string("the resource-shared transposed form takes one channel only: with ") +
        std::to_string(model.channels) + " channels its " +
        (model.IsFolded() ? "folded text does not use the channel count"
                          : "unfolded text copies places inside the loop (\"ii--1\")") +
        ", so the core would not compute the interleaved filter");
}

void WriteCoreFile(std::ostream& out, const ToolOptions& o, const fir::CoreModel& model) {
    out << "function SigOut = " << o.name << "( SigIn2 )\n";
    fir::WriteCoreBody(out, model);
    out << "\n";
}

// Input integers, one per line, through the simulator; output integers, one per line.
bool Simulate(const fir::CoreModel& model, const std::string& inFile, const std::string& outFile) {
    std::ifstream in(inFile);
    std::vector<std::int64_t> inputs;
    for (long long v = 0; in >> v;) inputs.push_back(v);
    if (!in.eof()) return false;
    fir::CoreSimulator simulator(model);
    std::ofstream out(outFile, std::ios::binary | std::ios::trunc);
    for (const std::int64_t y : simulator.Run(inputs)) out << y << "\n";
    out.close();
    return static_cast<bool>(out);
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    return static_cast<bool>(file);
}

// The module, its testbench and the vectors, the testbench's files beside the module's.
bool WriteVerilogFiles(const fir::CoreModel& model, const std::string& name, const std::string& path,
                       const fir::HardwareChoices& choices) {
    const std::size_t slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    std::ostringstream module, bench, inputs, expected;
    fir::WriteVerilog(module, model, name, choices);
    const fir::TestVectors vectors = fir::MakeTestVectors(model, fir::kTestbenchRandomSamples, fir::kTestbenchSeed);
    fir::WriteVerilogTestbench(bench, model, name, static_cast<int>(vectors.inputs.size()), choices);
    fir::WriteInputVectors(inputs, model, vectors);
    fir::WriteExpectedVectors(expected, model, vectors);
    return WriteTextFile(path, module.str()) && WriteTextFile(dir + name + "_tb.v", bench.str()) &&
           WriteTextFile(dir + fir::InputVectorFile(name), inputs.str()) &&
           WriteTextFile(dir + fir::ExpectedVectorFile(name), expected.str());
}

}  // namespace

int main(int argc, char** argv) {
    ToolOptions options;
    try {
        options = ParseOptions(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "kw_write_core: " << e.what() << "\n"
                  << "usage: kw_write_core --name NAME --q Q0,Q1,... --cbits B [--channels CH] [--form direct|transposed]"
                     " [--shared] [--multfree] [--ratio R] [--zero-stuffing] [--ibits W] [--ifbits F]"
                     " [--obits W|auto] [--ofbits F|auto] [--trunc T] [--symmetry 1|-1|0] [--out FILE] [--simulate IN OUT] [--verilog FILE] [--stream plain|axis] [--multipliers M]"
                     " [--products multiplier|shiftadd]\n";
        return 2;
    }
    fir::CoreModel model;
    try {
        model = ModelFor(options);
        RefuseUncomputable(model);
    } catch (const std::exception& e) {
        std::cerr << "kw_write_core: " << e.what() << "\n";
        return 2;
    }
    std::ostringstream text;
    WriteCoreFile(text, options, model);
    try {
        if (!options.verilogFile.empty() && !WriteVerilogFiles(model, options.name, options.verilogFile, options.hardware)) {
            std::cerr << "kw_write_core: cannot write " << options.verilogFile << " and its testbench\n";
            return 1;
        }
    } catch (const std::invalid_argument& e) {
        std::cerr << "kw_write_core: " << e.what() << "\n";
        return 2;
    }
    if (!options.simulateIn.empty() && !Simulate(model, options.simulateIn, options.simulateOut)) {
        std::cerr << "kw_write_core: cannot simulate " << options.simulateIn << " into " << options.simulateOut << "\n";
        return 1;
    }
    if (options.outFile.empty()) {
        std::cout << text.str();
        return std::cout.good() ? 0 : 1;
    }
    std::ofstream file(options.outFile, std::ios::binary | std::ios::trunc);
    file << text.str();
    file.close();
    if (!file) {
        std::cerr << "kw_write_core: cannot write " << options.outFile << "\n";
        return 1;
    }
    return 0;
}
