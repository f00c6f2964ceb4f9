// The structure bodies of a core's Verilog module and the pieces they share. Each body starts
// after the module's input section, which declares
//   take  (wire)                        a handshake at this clock edge: one call of the core
//   x_in  (wire signed [IBITS-1:0])     the call's sample (zero on a zero-stuffing call)
// and drives in_ready, out_valid and out_data.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "fir/CoreModel.h"
#include "fir/TapProducts.h"
#include "verilog/AdderGraph.h"
#include "verilog/HardwareTiming.h"

namespace fir::vlog {

void WriteParallelDirect(std::ostream& out, const CoreModel& model, const HardwareTiming& timing);
// Shift-add products: the direct form's through NAME's products module, the transposed form's
// from one adder graph and its chain adders split in two halves with a registered carry.
void WriteParallelDirectShiftAdd(std::ostream& out, const CoreModel& model, const HardwareTiming& timing,
                                 const std::string& name);
void WriteParallelTransposedShiftAdd(std::ostream& out, const CoreModel& model, const HardwareTiming& timing,
                                     const std::string& name);
// The modules written after the core's: NAME's products module of a shift-add core.
void WriteParallelDirectProductsModule(std::ostream& out, const CoreModel& model, const std::string& name);
void WriteParallelTransposedProductsModule(std::ostream& out, const CoreModel& model, const std::string& name);
int DirectProductAdders(const CoreModel& model);
void WriteParallelTransposed(std::ostream& out, const CoreModel& model);
void WriteSharedDirect(std::ostream& out, const CoreModel& model, const HardwareTiming& timing);
// Words of the delay line memory of a shared core that keeps its input samples (a power of two).
int SharedLineDepth(const CoreModel& model);
void WriteSharedFoldedTransposed(std::ostream& out, const CoreModel& model, const HardwareTiming& timing);

// The transposed form's chain, place by place: place P takes place P-1 (none for place 1) and,
// when TAP >= 0, adds or subtracts the product of that tap's coefficient (of the first
// DistinctTapCount taps when folded).
struct ChainStep {
    int place = 0;
    int tap = -1;
    bool subtract = false;
};
std::vector<ChainStep> TransposedChainSteps(const CoreModel& model);

// The shift-add products module of core CORE, and the adder graph over the transposed form's
// coefficients with the odd parts of their magnitudes, the values the chain takes from it.
std::string ProductsModuleName(const std::string& core);
// Width of x * ODD (ODD > 0 odd) for a signed x of WIDTH bits.
int OddProductWidth(int width, std::int64_t odd);
AdderGraph TransposedGraph(const CoreModel& model);
std::vector<std::int64_t> TransposedOddParts(const CoreModel& model);
// The wires odd_V (X times each odd part V of the transposed form's coefficients) and the instance
// of NAME's products module that drives them from X.
void WriteGraphInstance(std::ostream& out, const CoreModel& model, const std::string& name, const std::string& x);
void WriteGraphProductsModule(std::ostream& out, const std::string& name, const AdderGraph& graph,
                              const std::vector<std::int64_t>& targets, int width);

// One product by a constant alone: the operand's width, the constant, the exact product's width.
struct DigitProduct {
    int operandWidth = 0;
    std::int64_t coefficient = 0;
    int productWidth = 0;
};
void WriteDigitProductsModule(std::ostream& out, const std::string& name, const std::vector<DigitProduct>& products);
// Adders of one such product: its canonical signed digits less one, one more when all are negative.
int DigitProductAdders(std::int64_t coefficient);

// A signal with its width and the fraction of its format.
struct Operand {
    std::string name;
    int width = 0;
    int fraction = 0;
};

// Width of the exact product of OPERAND by a coefficient of the model (two shifted terms of a
// multiplier-free core can reach 2^cbits).
int ProductWidth(const CoreModel& model, int operandWidth);

// The exact product OPERAND * P as a signed expression of ProductWidth bits: a shift for a
// power-of-two coefficient, shifted terms for a multiplier-free core, else one multiplication by
// a constant. Empty for a zero coefficient.
std::string ConstantProduct(const CoreModel& model, const Operand& operand, const TapProduct& p);

// floor and wrap of an exact product of OPERAND (width WIDTH) to qmult.
std::string ProductToMult(const CoreModel& model, const Operand& operand, const std::string& exact, int width);

// qout of a qmult sum (the signal SUM), as a signed expression of OBITS bits: floor and wrap
// inline, other modes a call of the output quantizer function.
std::string MultToOutput(const CoreModel& model, const std::string& sum);

// The output quantizer function that MultToOutput calls for modes other than floor and wrap,
// declared once at the top of the module; nothing for floor and wrap.
inline constexpr const char* kOutputQuantizer = "quantize_out";
void WriteOutputQuantizer(std::ostream& out, const CoreModel& model);

// The coefficient memory of a shared core, one entry per step, read into COEF_R at each clock:
// the coefficient integer, or for a multiplier-free core the two terms {use, negative, shift}.
// ENTRIES[i] is the product of step i.
int CoefficientRomWidth(const CoreModel& model);
void WriteCoefficientRom(std::ostream& out, const CoreModel& model, const std::vector<TapProduct>& entries,
                         const std::string& step, int stepBits);

// The shared multiplier (or shift-and-add path) of a shared core: declares EXACT, the product
// of OPERAND and the coefficient-memory entry held in COEF.
int SharedProductWidth(const CoreModel& model, int operandWidth);
void WriteSharedProduct(std::ostream& out, const CoreModel& model, const Operand& operand, const std::string& coef,
                        const std::string& exact);

// A sequencer of a shared core: busy, step (0 .. K-1), the last step, in_ready, and the
// memory-clearing counter after reset (CLEAR_DEPTH clocks).
void WriteSequencer(std::ostream& out, int clocksPerSample, int clearDepth);

// A registered pairwise adder tree over LEVEL (qmult words), its first level numbered STAGE in
// the comments; returns the register that holds the whole sum.
std::string WriteAdderTree(std::ostream& out, const CoreModel& model, std::vector<std::string> level, int stage);

}  // namespace fir::vlog
