// Testbench of the raised-cosine generator: kw_psd.m and the script body.
#include <stdexcept>

#include "raised_cosine/CKWDesign.h"

namespace kw {

void CKWDesign::WriteTestbench() { throw std::runtime_error("The testbench writer is not built yet."); }

}  // namespace kw
