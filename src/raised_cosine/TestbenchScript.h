// Text of the raised-cosine testbench script and of its PSD helper kw_psd.m.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rcos {

struct TestbenchInputs {
    float fs = 0;
    float fd = 0;
    float r = 0;
    int delay = 0;
    std::string type;     // "normal" / "sqrt" ...
    std::string fsFlag;   // "yes" / "no" ...
    int channels = 1;
    int ibits = 0;
    int ifbits = 0;
    int obitsAuto = 0;    // -1 when the output word length is derived
    std::string functionName;
    std::vector<double> normalized;  // doubleCoefs
    std::string qinDeclaration;      // the "qin = quantizer(...);\n" line
};

// The 62 lines of kw_psd.m, each followed by "\n".
std::string KwPsdText();

// The script body (between the banner and the scaffolding's closing lines).
void WriteTestbenchScript(std::ostream& out, const TestbenchInputs& in);

}  // namespace rcos
