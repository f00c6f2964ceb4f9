// Text of the fixed-point MATLAB core function body for every structure of a core model: the
// input section, the four format declarations, and the fully parallel or resource-shared, direct
// or transposed structure, folded as the model says, with multipliers or as sums of two shifted
// terms. Pure text writers: everything they need is in the model.
#pragma once

#include <ostream>

#include "fir/CoreModel.h"

namespace fir {

// The body between the function line (and its header comments) and the closing line break:
// input section, qin/qout/qmult/qcoef declarations, structure. Coefficient values are dyadic
// fractions, written with 32 significant digits (the stream's precision is left at 32). Throws
// std::invalid_argument when the model is inconsistent (see WriteStructure).
void WriteCoreBody(std::ostream& out, const CoreModel& model);

// The input section: the zero-stuffing counter (ratio r, counter width w) or the plain copy.
void WriteInputSection(std::ostream& out, const CoreModel& model);

// "name = quantizer( 'fixed', 'floor', 'wrap', [ word fraction ] );" and its line break; the
// output's declaration names its own modes.
void WriteFormatDeclaration(std::ostream& out, const char* name, const FixedFormat& format,
                            OutputRounding rounding = OutputRounding::Floor,
                            OutputOverflow overflow = OutputOverflow::Wrap);

// Everything after the four quantizer declarations: declarations of the state, products,
// adder tree or loop, output and state update, folded as model.folding says. Coefficient values
// are written with the stream's precision (the caller sets 32, general notation). Throws
// std::invalid_argument when the model is inconsistent (even or non-positive tap count, q or
// powerOfTwo of the wrong size, no channel).
void WriteStructure(std::ostream& out, const CoreModel& model);

}  // namespace fir
