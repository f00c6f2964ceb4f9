// Fuzz target: the MATLAB re-indenter on any text. Every input line gives exactly one output
// line, which is the input line's text without its leading blanks, after blanks only.
#include <sstream>
#include <string>

#include "FuzzSupport.h"
#include "framework/MatlabIndenter.h"

namespace {

std::string WithoutLeadingBlanks(const std::string& line) {
    const std::size_t first = line.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : line.substr(first);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = kwfuzz::Text(data, size);
    std::istringstream source(text);
    std::ostringstream target;
    kw::IndentMatlab(source, target);

    std::istringstream before(text);
    std::istringstream after(target.str());
    std::string in;
    std::string out;
    while (std::getline(before, in)) {
        if (!std::getline(after, out)) kwfuzz::Fail("an input line has no output line");
        const std::size_t indent = out.find_first_not_of(' ');
        const std::string content = indent == std::string::npos ? std::string() : out.substr(indent);
        if (content != WithoutLeadingBlanks(in)) kwfuzz::Fail("line text changed: \"" + in + "\" -> \"" + out + "\"");
        if (indent != std::string::npos && indent % 3 != 0) kwfuzz::Fail("indent not a multiple of 3: " + out);
    }
    if (std::getline(after, out)) kwfuzz::Fail("an output line without an input line");
    if (!target.str().empty() && target.str().back() != '\n') kwfuzz::Fail("last line without a line break");
    return 0;
}
