// The structures a core is written in, as one named set with one table of traits. Every reader
// of a core model (the MATLAB and Verilog writers, the simulator, the counts, the timing)
// dispatches on the structure or asks its traits, so that a new architecture is one enum value,
// one row here and one writer per language.
#pragma once

#include <array>

namespace fir {

// What a request asks for; the coefficients' folding then picks the structure.
enum class Form { Direct, Transposed };
enum class Sharing { FullyParallel, ResourceShared };

enum class Structure {
    ParallelDirect,          // delay line of inputs, every product in one call, an adder tree
    ParallelTransposed,      // a chain of partial sums, every product of one input in one call
    SharedDirect,            // delay line of inputs, one product per step, an accumulator
    SharedTransposed,        // one chain of partial sums updated one place per step
    SharedFoldedTransposed,  // two chains over the distinct taps, joined at the middle place
};

// How a structure's clocks per sample follow from its products.
enum class Pace {
    SamplePerClock,   // every product of a sample in the same clock
    ProductPerClock,  // one product per clock per multiplier: K is the steps of a sample
};

// How a structure's general multipliers follow from its coefficients (with multipliers at all).
enum class MultiplierRule {
    PerProduct,  // one per product that is neither zero nor a power of two
    PerOddPart,  // one per distinct odd part: every product takes the same input
    Shared,      // the structure's own multiplier, used once per step
};

struct StructureTraits {
    Structure structure;
    const char* name;  // "fully parallel direct form"
    Form form;
    Sharing sharing;
    bool foldedOnly;    // written for folded coefficients only
    bool preAddsPairs;  // a folded mirror pair's inputs are joined before their one product
    bool oneChannel;    // its chain has no place per channel
    int latencyCalls;   // calls of the MATLAB core from an input to the first output it reaches
    Pace pace;
    int leastClocksPerSample;  // its memories are read again this many clocks after they are written
    MultiplierRule multipliers;
};

// Latency in calls: the direct forms read the delay line before it takes the input (1), the fully
// parallel transposed form registers the input and the output around its chain (3), the shared
// transposed chain is read after its update (0), the folded one registers its output (1).
inline constexpr std::array<StructureTraits, 5> kStructures{{
    {Structure::ParallelDirect, "fully parallel direct form", Form::Direct, Sharing::FullyParallel,
     false, true, false, 1, Pace::SamplePerClock, 1, MultiplierRule::PerProduct},
    {Structure::ParallelTransposed, "fully parallel transposed form", Form::Transposed, Sharing::FullyParallel,
     false, false, false, 3, Pace::SamplePerClock, 1, MultiplierRule::PerOddPart},
    {Structure::SharedDirect, "resource-shared direct form", Form::Direct, Sharing::ResourceShared,
     false, true, false, 1, Pace::ProductPerClock, 1, MultiplierRule::Shared},
    {Structure::SharedTransposed, "resource-shared transposed form", Form::Transposed, Sharing::ResourceShared,
     false, false, true, 0, Pace::ProductPerClock, 4, MultiplierRule::Shared},
    {Structure::SharedFoldedTransposed, "resource-shared transposed form", Form::Transposed, Sharing::ResourceShared,
     true, false, true, 1, Pace::ProductPerClock, 4, MultiplierRule::Shared},
}};

const StructureTraits& Traits(Structure structure);

// The row of FORM and SHARING that takes coefficients folded or not.
Structure SelectStructure(Form form, Sharing sharing, bool folded);

}  // namespace fir
