// Look-ups in the table of structures.
#include "fir/Structure.h"

#include <stdexcept>

namespace fir {

const StructureTraits& Traits(Structure structure) {
    for (const StructureTraits& row : kStructures)
        if (row.structure == structure) return row;
    throw std::invalid_argument("core model: a structure without a row in the table");
}

Structure SelectStructure(Form form, Sharing sharing, bool folded) {
    // A row written for folded coefficients wins over its unfolded sibling when they fold.
    const StructureTraits* chosen = nullptr;
    for (const StructureTraits& row : kStructures) {
        if (row.form != form || row.sharing != sharing || (row.foldedOnly && !folded)) continue;
        if (chosen == nullptr || row.foldedOnly) chosen = &row;
    }
    if (chosen == nullptr) throw std::invalid_argument("core model: no structure of this form and sharing");
    return chosen->structure;
}

}  // namespace fir
