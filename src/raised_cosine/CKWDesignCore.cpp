// Core function body of the raised-cosine generator: coefficients, quantizers, input section,
// structure text, and the project's directives.
#include <stdexcept>

#include "raised_cosine/CKWDesign.h"

namespace kw {

void CKWDesign::GenerateCore() { throw std::runtime_error("The core writer is not built yet."); }

void CKWDesign::FinishCore() {}

void CKWDesign::WriteDirectives() {}

}  // namespace kw
