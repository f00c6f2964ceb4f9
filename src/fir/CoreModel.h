// What a fixed-point FIR core of the generator's structures is, whatever designed its taps: the
// integer coefficients and their realisation, the structure, the four number formats, the input
// section, the timing in calls and the hardware it takes. Built once per request; the MATLAB and
// Verilog writers, the simulator and the report read it and derive nothing of their own.
#pragma once

#include <vector>

#include "fir/Structure.h"

namespace fir {

// 1: q[i] == q[N-1-i] for every pair; -1: equal magnitudes but not all equal; 0: otherwise.
enum class CoefSymmetry : int { Symmetric = 1, MagnitudeSymmetric = -1, None = 0 };

// A coefficient value approximated as s1*2^d + s2*2^f (d, f <= 0; signs in {-1, 0, 1}).
struct PowerOfTwoPair {
    int s1 = 0;
    int d = 0;
    int s2 = 0;
    int f = 0;
    bool operator==(const PowerOfTwoPair&) const = default;
};

// Word and fraction length of one signed floor/wrap format of the core.
struct FixedFormat {
    int word = 0;
    int fraction = 0;
    bool operator==(const FixedFormat&) const = default;
};

// What one output sample costs in hardware (see CountResources for the rules): multipliers are
// general ones, never a product by 0 or by a power of two.
struct ResourceCounts {
    int multipliers = 0;
    int adders = 0;
    int delayRegisters = 0;
    bool operator==(const ResourceCounts&) const = default;
};

// The lengths a core's formats are derived from (output lengths already resolved from "auto").
struct CoreWordLengths {
    int ibits = 0;
    int ifbits = 0;
    int obits = 0;
    int ofbits = 0;
    int cbits = 0;
    int coefFracBits = 0;        // cbits - 1
    int trunc = 0;               // bits dropped after each multiply
    int scaleExp = 0;            // E: the output is the sum times 2^E
    int coefSumIntegerBits = 1;  // integer bits m of the coefficients' absolute sum
};

struct CoreFormats {
    FixedFormat in;    // qin
    FixedFormat out;   // qout
    FixedFormat mult;  // qmult: products and every partial sum
    FixedFormat coef;  // qcoef
};

// Everything but the coefficients' origin: what a core generator hands to MakeCoreModel.
struct CoreDescription {
    std::vector<int> q;                      // integer taps, value q/2^(cbits-1); N odd
    std::vector<PowerOfTwoPair> powerOfTwo;  // one per tap when multiplierFree
    CoefSymmetry symmetry = CoefSymmetry::Symmetric;  // class of q (ClassifySymmetry)
    int channels = 1;
    Form form = Form::Direct;
    Sharing sharing = Sharing::FullyParallel;
    bool multiplierFree = false;
    bool zeroStuffing = false;  // input at the symbol rate: the core inserts ratio-1 zeros
    int ratio = 2;              // samples per symbol
    CoreWordLengths lengths;
};

struct CoreModel {
    int taps = 0;  // N, odd
    int channels = 1;
    Structure structure = Structure::ParallelDirect;  // from the request's form and sharing and the folding
    bool multiplierFree = false;

    std::vector<int> q;                      // value q/2^(coef.fraction)
    std::vector<PowerOfTwoPair> powerOfTwo;  // one per tap when multiplierFree, else empty
    CoefSymmetry symmetry = CoefSymmetry::Symmetric;  // class of q
    CoefSymmetry folding = CoefSymmetry::Symmetric;   // as the structure is written (StructureFolding)
    int cbits = 0;
    int trunc = 0;
    int scaleExp = 0;

    bool zeroStuffing = false;
    int ratio = 2;        // samples per symbol; with zeroStuffing one input every ratio calls
    int counterBits = 0;  // width of the zero-stuffing counter

    FixedFormat in;
    FixedFormat out;
    FixedFormat mult;
    FixedFormat coef;

    int delayLineLength = 0;  // L = channels*(N-1)+1
    int latencyCalls = 0;     // calls from an input to the first output it reaches
    ResourceCounts counts;

    const StructureTraits& Traits() const { return fir::Traits(structure); }
    bool IsFolded() const { return folding != CoefSymmetry::None; }
    bool IsTransposed() const { return Traits().form == Form::Transposed; }
    bool IsFullyParallel() const { return Traits().sharing == Sharing::FullyParallel; }
    // Products one output takes: a folded mirror pair shares one.
    int ProductCount() const { return IsFolded() ? DistinctTapCount() : taps; }
    int PairCount() const { return (taps - 1) / 2; }
    int DistinctTapCount() const { return (taps + 1) / 2; }
};

CoefSymmetry ClassifySymmetry(const std::vector<int>& q);

// The folding a structure is written with: the class of the taps, except that a class -1 set is
// folded only when every mirror pair is exactly opposite (q[i] == -q[N-1-i]); a set that mixes
// equal and opposite pairs has no single operator joining its pairs and is written unfolded.
CoefSymmetry StructureFolding(const std::vector<int>& q, CoefSymmetry symmetry);

// qmult carries one integer bit more than a product needs; when the coefficients' absolute sum
// needs m >= 2 integer bits it gets m-1 more, so that the partial sums of a full-scale input
// cannot wrap.
CoreFormats DeriveCoreFormats(const CoreWordLengths& lengths);

// The format a core declares for a derived one: a double holds 53 bits exactly, so a wider word
// keeps its integer bits and gives up fraction bits (never below 0); a negative fraction reads 0.
FixedFormat LimitToDouble(FixedFormat format);

// Width of the zero-stuffing counter that counts ratio calls: ceil(log10(ratio)/log10(2)),
// computed in single precision as the counter block always was (1 for 2, 2 for 3..4, 3 for 5..8).
int CounterBits(int ratio);

ResourceCounts CountResources(const CoreModel& model);

// Throws std::invalid_argument when the description is inconsistent (even or non-positive tap count,
// q or powerOfTwo of the wrong size, no channel).
CoreModel MakeCoreModel(const CoreDescription& description);

}  // namespace fir
