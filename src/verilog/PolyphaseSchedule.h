// A core fed at the symbol rate computes each of a symbol's r outputs from the symbols alone:
// the zeros the core stuffs between them meet only the taps of the other phases. This is the
// list of products each output phase adds, with the symbol each reads and the arithmetic of the
// structure it comes from (pre-added mirror pairs, a negated mirrored half), so that the
// polyphase hardware is bit-identical to the core called r times per symbol.
#pragma once

#include <vector>

#include "fir/CoreModel.h"
#include "fir/TapProducts.h"

namespace fir {

// One product of an output phase. Delays count symbols: 0 is the symbol of the handshake that
// the phase's output belongs to, 1 the one before it. -1: that operand is zero.
struct PolyphaseTerm {
    int delayA = -1;
    int delayB = -1;            // the mirror tap of a pre-added pair (direct folded forms)
    bool pair = false;          // the operand is a (+ or -) b, as the structure's pre-adder forms it
    bool pairQuantized = false; // the pair's sum goes through qmult before the product
    TapProduct product;
    bool negate = false;        // the product enters the sum negated (mirrored half, transposed forms)
    int tap = 0;                // tap of the first operand, for comments
};

struct PolyphaseSchedule {
    int ratio = 2;
    std::vector<std::vector<PolyphaseTerm>> phases;  // phase p's non-zero products, slot by slot
    int slots = 0;   // products of the busiest phase: at most ceil(N/r)
    int depth = 1;   // symbols an output reaches back: largest delay + 1
};

// Throws std::invalid_argument unless the model takes symbols (zero-stuffing, one channel).
PolyphaseSchedule MakePolyphaseSchedule(const CoreModel& model);

// The products of each output of any core, for hardware that multiply-accumulates over its input
// history: the polyphase schedule for a core fed at the symbol rate, else one phase whose delays
// count calls (ratio 1).
PolyphaseSchedule MakeProductSchedule(const CoreModel& model);

// No product of the core drops bits: a mirror pair may be joined before its one product.
bool ProductsExact(const CoreModel& model);

// A model the Verilog writes as a polyphase interpolator.
bool IsPolyphase(const CoreModel& model);

// True when a product by every coefficient a slot takes over the phases is a shift or nothing.
bool SlotNeedsMultiplier(const CoreModel& model, const PolyphaseSchedule& schedule, int slot);

}  // namespace fir
