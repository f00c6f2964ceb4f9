// Re-indentation of MATLAB text written piecewise by the generators: three blanks per block
// level, continuation keywords (else, elseif, case, otherwise, catch) one level out.
#pragma once

#include <istream>
#include <ostream>

namespace kw {

// Reads the source line by line to its end and writes every line re-indented, each ending in a
// line break. Keywords after a comment sign or a quote do not count.
void IndentMatlab(std::istream& source, std::ostream& target);

}  // namespace kw
