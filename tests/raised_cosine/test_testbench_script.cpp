// Golden-text tests of the raised-cosine testbench script body and of kw_psd.m: exact fragments
// per branch, the number formats (32 digits, widened floats, whole-number sizes), and one whole
// script compared byte for byte with tests/data/testbench.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "raised_cosine/TestbenchScript.h"

namespace {

using rcos::Family;
using rcos::InputRate;

// What a testbench script is written from: the request, its design and the core's name.
struct ScriptCase {
    rcos::GenerateRequest request;
    rcos::CoreDesign design;
    std::string functionName;
};

const std::string kGoldenDir = KW_TESTBENCH_GOLDEN_DIR;

// A fixed, symmetric 49-tap vector (first half and centre written out, mirrored).
std::vector<double> FixedCoefficients49() {
    const std::vector<double> half = {0.1,     -0.0021, -0.0043, -0.0058, -0.0061, -0.0048, -0.0021,
                                      0.0013,  0.0042,  0.0051,  0.0029,  -0.0035, -0.0134, -0.0245,
                                      -0.0333, -0.0355, 0.0,     0.0441,  0.1014,  0.1652,  0.2288,
                                      0.2851,  0.3271,  0.3512,  0.125};
    std::vector<double> h(half);
    for (int i = static_cast<int>(half.size()) - 2; i >= 0; --i) {
        h.push_back(half[i]);
    }
    return h;
}

// Delay 3, Fs 8, Fd 1, raised cosine with R 0.5, one channel, input at the output rate, "auto" output.
ScriptCase Delay3Fs8Fd1() {
    ScriptCase c;
    rcos::GenerateRequest& r = c.request;
    r.fs = 8.0f;
    r.fd = 1.0f;
    r.rollOff = 0.5f;
    r.delay = 3;
    r.family = Family::RaisedCosine;
    r.inputRate = InputRate::SampleRate;
    r.channels = 1;
    r.ibits = 16;
    r.ifbits = 15;
    r.ratio = 8;
    r.taps = 49;
    c.design.normalized = FixedCoefficients49();
    c.design.model.in = {16, 15};
    c.functionName = "rcosflt_001";
    return c;
}

std::string Script(const ScriptCase& c) {
    std::ostringstream out;
    rcos::WriteTestbenchScript(out, c.request, c.design, c.functionName);
    return out.str();
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The real as the script's writer prints it once the coefficients set 32 digits.
std::string Digits32(double value) {
    std::ostringstream out;
    out << std::setprecision(32) << value;
    return out.str();
}

// Compares with a checked-in file; KW_REGENERATE_GOLDEN=1 rewrites it instead.
void ExpectMatchesGolden(const std::string& actual, const std::string& fileName) {
    const std::string path = kGoldenDir + "/" + fileName;
    const char* regenerate = std::getenv("KW_REGENERATE_GOLDEN");
    if (regenerate != nullptr && std::string(regenerate) == "1") {
        std::ofstream(path, std::ios::binary) << actual;
    }
    const std::string expected = ReadFile(path);
    ASSERT_FALSE(expected.empty()) << "missing golden file " << path;
    EXPECT_EQ(expected, actual) << "differs from " << path
                                << "; if the change is intended, regenerate with: KW_REGENERATE_GOLDEN=1 "
                                   "./test_testbench_script --gtest_filter='*Golden*' and review the diff";
}

TEST(KwPsdText, HasSixtyTwoLinesEachEndingInANewline) {
    const std::string text = rcos::KwPsdText();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ('\n', text.back());
    EXPECT_EQ(62, std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(0u, text.find("function [P,F]=kw_psd(X,NFFT,Fs)\n"));
}

TEST(KwPsdText, MatchesGoldenFile) { ExpectMatchesGolden(rcos::KwPsdText(), "kw_psd.m"); }

TEST(TestbenchScript, CoefficientsAre49ValuesAt32Digits) {
    const std::string script = Script(Delay3Fs8Fd1());
    const std::string head = "close all\n\nwarning off\ndoubleCoefs=[";
    ASSERT_EQ(0u, script.find(head));
    const std::size_t close = script.find("];\n\n", head.size());
    ASSERT_NE(std::string::npos, close);
    std::istringstream values(script.substr(head.size(), close - head.size()));
    std::vector<std::string> words;
    for (std::string word; values >> word;) {
        words.push_back(word);
    }
    ASSERT_EQ(49u, words.size());
    EXPECT_EQ("0.10000000000000000555111512312578", words.front());
    EXPECT_EQ("-0.0020999999999999998702426839969348", words[1]);
    EXPECT_EQ("0", words[16]);
    EXPECT_EQ("0.125", words[24]);
    EXPECT_EQ(words.front(), words.back());
    EXPECT_EQ(' ', script[close - 1]) << "every coefficient is followed by a space";
    EXPECT_NE(std::string::npos, script.find("];\n\nqin = quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] );\n"
                                             "NUM_SAMPLES = 2048;   %Set number of samples to simulate\n"
                                             "SigInput = ((rand(1,NUM_SAMPLES)*2-1)*2^0);\n"));
}

struct FragmentCase {
    const char* name;
    void (*adjust)(ScriptCase&);
    std::vector<std::string> present;
    std::vector<std::string> absent;
};

const std::string kHoldLoop = "for ii = 2:8 \nSigInput(ii:8:end)=SigInput(1:8:end);\nend\n";
const std::string kDecimationLoop = "for ii = 1:7 \nSigInput(ii:8:end)=0;\nend\n";
const std::string kThresholdCheck =
    "grid on\n\nif(max(abs(vecerror))>0.5)\n"
    "error('Fixed-Point Simulation Failed: Max. error against Matlab built-in is > 0.5');\nend\n\n";
const std::string kScalingCheck =
    "\nif( ((1/refgain)>2.5) | ((1/refgain)<0.75))\n"
    "error('Fixed-Point Simulation Failed: Filter scaling is incorrect');\nend\n\n";

class TestbenchFragments : public testing::TestWithParam<FragmentCase> {};

TEST_P(TestbenchFragments, WritesTheBranchTexts) {
    ScriptCase in = Delay3Fs8Fd1();
    GetParam().adjust(in);
    const std::string script = Script(in);
    for (const std::string& text : GetParam().present) {
        EXPECT_NE(std::string::npos, script.find(text)) << "missing: " << text;
    }
    for (const std::string& text : GetParam().absent) {
        EXPECT_EQ(std::string::npos, script.find(text)) << "unexpected: " << text;
    }
    EXPECT_EQ("\nend", script.substr(script.size() - 4)) << "the body ends with an end line, no newline";
}

INSTANTIATE_TEST_SUITE_P(
    Branches, TestbenchFragments,
    testing::Values(
        FragmentCase{"FsFlagYes",
                     [](ScriptCase&) {},
                     {"temp = rcosflt(SigInput(chans:1:end),1,8,'fir/Fs',0.5,3);\n",
                      "\n\nfor n = 1:NUM_SAMPLES\n[data_out(n)]=rcosflt_001(SigInput(n));\nend\n\n\nfigure(1)\n",
                      "temptext = sprintf('%s','RC filter; ', num2str(49),' Taps; Excess Bandwidth=',num2str(0.5),'; ' );\n",
                      "fmax  = 8;\n", "freq = f/(8);\n",
                      "rctrn = find(f >=(1-0.5) & f <= (1+0.5));\n"},
                     {kHoldLoop, kDecimationLoop, "for ii", "refspec = sqrt(refspec);\n", "RRC"}},
        FragmentCase{"FsFlagNo",
                     [](ScriptCase& in) { in.request.inputRate = InputRate::SymbolRate; },
                     {"temp = rcosflt(SigInput(chans+7:8:end),1,8,'fir',0.5,3);\n",
                      "SigInput = ((rand(1,NUM_SAMPLES)*2-1)*2^0);\n" + kHoldLoop + "SigInput = quantize(qin, SigInput);\n",
                      "[data_out(n)]=rcosflt_001(SigInput(n));\nend\n\n" + kDecimationLoop + "\nfigure(1)\n"},
                     {"/Fs"}},
        FragmentCase{"RootRaisedCosine",
                     [](ScriptCase& in) { in.request.family = Family::RootRaisedCosine; },
                     {"temptext = sprintf('%s','RRC filter; ', num2str(49),",
                      "refspec(rctrn) = cos(pi/4*(abs(f(rctrn))+(1+0.5)-2)/((1+0.5)-1)).^2;\n"
                      "refspec = sqrt(refspec);\namp = refspec;\n",
                      "temp = rcosflt(SigInput(chans:1:end),1,8,'fir/sqrt/Fs',0.5,3);\n"},
                     {"'RC filter"}},
        FragmentCase{"AutoOutputRatio4ChecksThresholdOnly",
                     [](ScriptCase& in) {
                         in.request.fs = 4.0f;
                         in.request.ratio = 4;
                     },
                     {kThresholdCheck, "fmax  = 4;\n"},
                     {kScalingCheck}},
        FragmentCase{"AutoOutputRatio2ChecksThresholdAndScaling",
                     [](ScriptCase& in) {
                         in.request.fs = 2.0f;
                         in.request.ratio = 2;
                     },
                     {kThresholdCheck + kScalingCheck + "end", "NUM_SAMPLES = 512;"},
                     {}},
        FragmentCase{"AutoOutputRatio2InRealUnitsChecksScaling",
                     [](ScriptCase& in) {
                         in.request.fs = 2000.0f;
                         in.request.fd = 1000.0f;
                         in.request.ratio = 2;
                     },
                     {kThresholdCheck + kScalingCheck + "end", ",1000,2000,'fir/Fs',"},
                     {}},
        FragmentCase{"NumericOutputWidthHasNoChecks",
                     [](ScriptCase& in) {
                         in.request.fs = 2.0f;
                         in.request.ratio = 2;
                         in.request.obits = 16;
                     },
                     {"'samples' );\ntitle(temptext)\ngrid on\nend"},
                     {"vecerror))>", "Filter scaling", "error("}},
        FragmentCase{"ThreeChannels",
                     [](ScriptCase& in) { in.request.channels = 3; },
                     {"NUM_SAMPLES = 6144;", "for chans = 1:3;\ndata_out_tmp=data_out(chans:3:end);\n",
                      "[Pin,Win]=kw_psd(SigInput(chans:3:end),2^9,2);\n",
                      "matoutref =zeros(1,length(data_out));\nfor chans = 1:3;\n"
                      "temp = rcosflt(SigInput(chans:3:end),1,8,'fir/Fs',0.5,3);\n"
                      "matoutref(chans:3:end) = temp(1:length(data_out)/3);\nend\n"},
                     {}},
        FragmentCase{"RollOffIsTheSinglePrecisionValue",
                     [](ScriptCase& in) { in.request.rollOff = 0.35f; },
                     {"Excess Bandwidth=',num2str(0.3499999940395355224609375),'; ' );\n",
                      "rcmin = find(f < (1-0.3499999940395355224609375));\n",
                      ",1,8,'fir/Fs',0.3499999940395355224609375,3);\n"},
                     {"0.35)"}},
        FragmentCase{"InputExponentIsIntegerBitsMinusSign",
                     [](ScriptCase& in) {
                         in.request.ibits = 12;
                         in.request.ifbits = 4;
                     },
                     {"SigInput = ((rand(1,NUM_SAMPLES)*2-1)*2^7);\n"},
                     {}}),
    [](const testing::TestParamInfo<FragmentCase>& info) { return std::string(info.param.name); });

TEST(TestbenchScript, PrecisionLeftAtSixAfterTheChecksAnd32Otherwise) {
    ScriptCase in = Delay3Fs8Fd1();
    std::ostringstream withChecks;
    rcos::WriteTestbenchScript(withChecks, in.request, in.design, in.functionName);
    EXPECT_EQ(6, withChecks.precision());

    in.request.obits = 16;
    std::ostringstream withoutChecks;
    rcos::WriteTestbenchScript(withoutChecks, in.request, in.design, in.functionName);
    EXPECT_EQ(32, withoutChecks.precision());
}

// The literal single-precision arithmetic for the sizes and indices of the script.
struct SpecifiedSizes {
    float numSamples;
    float rateRatio;
    float rateRatioLessOne;
    float stride;  // Q of the symbol-rate reference call
};

SpecifiedSizes SingleRateArithmetic(const rcos::GenerateRequest& r) {
    return {r.channels / r.fd * r.fs * 256, r.fs / r.fd, r.fs / r.fd - 1, (static_cast<int>(r.fs) * r.channels) / r.fd};
}

bool IsWhole(float value) { return std::floor(value) == value; }

struct RateCase {
    float fs;
    float fd;
    int ratio;
    int channels;
};

ScriptCase WithRates(const RateCase& rates, InputRate inputRate) {
    ScriptCase in = Delay3Fs8Fd1();
    in.request.fs = rates.fs;
    in.request.fd = rates.fd;
    in.request.ratio = rates.ratio;
    in.request.channels = rates.channels;
    in.request.inputRate = inputRate;
    return in;
}

// Where the single-precision sizes are already whole, the script writes exactly those values.
TEST(TestbenchScript, WholeSingleRateSizesAreWrittenUnchanged) {
    const std::vector<RateCase> cases = {
        {8, 1, 8, 1}, {4, 0.5f, 8, 1}, {6, 0.75f, 8, 1}, {7, 1.75f, 4, 1}, {5, 1, 5, 1},
        {2, 1, 2, 1}, {3, 0.375f, 8, 1}, {24, 8, 3, 1}, {2000, 1000, 2, 1}};
    for (const RateCase& rates : cases) {
        SCOPED_TRACE(testing::Message() << "Fs " << rates.fs << " Fd " << rates.fd);
        const ScriptCase in = WithRates(rates, InputRate::SymbolRate);
        const SpecifiedSizes specified = SingleRateArithmetic(in.request);
        ASSERT_TRUE(IsWhole(specified.numSamples) && IsWhole(specified.rateRatio) && IsWhole(specified.stride));
        const std::string r = Digits32(specified.rateRatio);
        const std::string q = Digits32(specified.stride);
        const std::string script = Script(in);
        EXPECT_NE(std::string::npos, script.find("NUM_SAMPLES = " + Digits32(specified.numSamples) + ";"));
        EXPECT_NE(std::string::npos, script.find("for ii = 2:" + r + " \nSigInput(ii:" + r + ":end)=SigInput(1:" + r));
        EXPECT_NE(std::string::npos, script.find("for ii = 1:" + Digits32(specified.rateRatioLessOne) +
                                                 " \nSigInput(ii:" + r + ":end)=0;\n"));
        EXPECT_NE(std::string::npos, script.find("rcosflt(SigInput(chans+" + Digits32(specified.stride - 1) + ":" + q +
                                                 ":end)," + Digits32(in.request.fd) + "," + Digits32(in.request.fs) + ",'fir',"));
        EXPECT_NE(std::string::npos, script.find("fmax  = " + r + ";\n"));
    }
}

// Rates in real units: the single-precision count 768.00006103515625 (and likewise a fractional
// stride) would be refused by MATLAB as a size or index, so the exact whole numbers are written.
TEST(TestbenchScript, FractionalSingleRateSizesBecomeExactWholeNumbers) {
    struct Case {
        RateCase rates;
        InputRate inputRate;
        std::vector<std::string> present;
    };
    const std::vector<Case> cases = {
        {{3000, 1000, 3, 1}, InputRate::SymbolRate,
         {"NUM_SAMPLES = 768;", "for ii = 2:3 \nSigInput(ii:3:end)=SigInput(1:3:end);\n",
          "for ii = 1:2 \nSigInput(ii:3:end)=0;\n", "rcosflt(SigInput(chans+2:3:end),1000,3000,'fir',"}},
        {{48000, 8000, 6, 1}, InputRate::SymbolRate, {"NUM_SAMPLES = 1536;", "rcosflt(SigInput(chans+5:6:end),8000,48000,'fir',"}},
        {{6000, 1000, 6, 2}, InputRate::SampleRate, {"NUM_SAMPLES = 3072;", "rcosflt(SigInput(chans:2:end),1000,6000,'fir/Fs',"}},
        // (int)Fs drops the fraction of 2.5, which would make the stride 1.6.
        {{2.5f, 1.25f, 2, 1}, InputRate::SymbolRate, {"NUM_SAMPLES = 512;", "rcosflt(SigInput(chans+1:2:end),1.25,2.5,'fir',"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "Fs " << c.rates.fs << " Fd " << c.rates.fd);
        const ScriptCase in = WithRates(c.rates, c.inputRate);
        const SpecifiedSizes specified = SingleRateArithmetic(in.request);
        EXPECT_FALSE(IsWhole(specified.numSamples) && IsWhole(specified.stride))
            << "case does not exercise a fractional size";
        const std::string script = Script(in);
        for (const std::string& text : c.present) {
            EXPECT_NE(std::string::npos, script.find(text)) << "missing: " << text;
        }
    }
    const std::string script = Script(WithRates({3000, 1000, 3, 1}, InputRate::SymbolRate));
    EXPECT_EQ(std::string::npos, script.find("768.00006103515625"));
}

TEST(TestbenchScriptGolden, RootRaisedCosineAtSymbolRateWithAutoOutput) {
    ScriptCase in = Delay3Fs8Fd1();
    in.request.family = Family::RootRaisedCosine;
    in.request.inputRate = InputRate::SymbolRate;
    in.request.rollOff = 0.35f;
    ExpectMatchesGolden(Script(in), "rcosflt_001_script_body_rrc_fsflag_no.m");
}

}  // namespace
