// Golden-text tests of the core structure writers: exact fragments per structure branch, the
// input section, the four formats, whole core files per structure family (tests/data/cores,
// regenerated with KW_REGENERATE_GOLDEN=1), and the kw_write_core command-line entry.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "fir/CoreStructures.h"
#include "fir/PowerOfTwo.h"

namespace {

using fir::CoefSymmetry;
using fir::CoreModel;
using fir::PowerOfTwoPair;

// The designed RRC set (R = 0.25, r = 4, one symbol of delay, 10 bits): no zero taps.
const std::vector<int> kSymmetric9 = {-7, 27, 70, 106, 120, 106, 70, 27, -7};
// The designed RC set (R = 0.5, r = 4): the end taps are zeros.
const std::vector<int> kSymmetricZeroEnds9 = {0, 30, 68, 101, 114, 101, 68, 30, 0};
// Class -1 with every pair opposite and a non-zero middle tap: folded with differences.
const std::vector<int> kAntisymmetric9 = {-7, 27, 70, 106, 120, -106, -70, -27, 7};
// Class -1 mixing equal and opposite pairs: no single joining operator, written unfolded.
const std::vector<int> kMixed9 = {-7, 27, 70, 106, 120, -106, 70, 27, -7};
// No mirror relation: class 0.
const std::vector<int> kUnrelated9 = {1, 2, 3, 4, 5, 6, 7, 8, 9};

struct StructureOptions {
    int channels = 1;
    bool transposed = false;
    bool multiplierFree = false;
    bool fullyParallel = true;
};

// A model assembled field by field, so that the class given (not the computed one) decides.
CoreModel MakeModel(const std::vector<int>& q, int cbits, CoefSymmetry symmetry, StructureOptions options = {},
                    std::vector<PowerOfTwoPair> pairs = {}) {
    CoreModel c;
    c.taps = static_cast<int>(q.size());
    c.channels = options.channels;
    c.multiplierFree = options.multiplierFree;
    c.q = q;
    c.cbits = cbits;
    c.symmetry = symmetry;
    c.folding = fir::StructureFolding(q, symmetry);
    c.structure = fir::SelectStructure(options.transposed ? fir::Form::Transposed : fir::Form::Direct,
                                       options.fullyParallel ? fir::Sharing::FullyParallel : fir::Sharing::ResourceShared,
                                       c.IsFolded());
    c.powerOfTwo = pairs.empty() && options.multiplierFree ? fir::DecomposePowerOfTwo(q, cbits) : pairs;
    c.delayLineLength = c.channels * (c.taps - 1) + 1;
    return c;
}

std::string StructureText(const CoreModel& c) {
    std::ostringstream out;
    out.precision(32);
    fir::WriteStructure(out, c);
    return out.str();
}

// Each fragment must occur, in the given order, without overlapping the one before.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& fragments) {
    std::size_t from = 0;
    for (const std::string& fragment : fragments) {
        const std::size_t at = text.find(fragment, from);
        ASSERT_NE(at, std::string::npos) << "missing (in order) fragment:\n" << fragment << "\nin text:\n" << text;
        from = at + fragment.size();
    }
}

std::size_t CountOf(const std::string& text, const std::string& fragment) {
    std::size_t count = 0;
    for (std::size_t at = text.find(fragment); at != std::string::npos; at = text.find(fragment, at + 1)) ++count;
    return count;
}

// ---- The worked example: direct form, fully parallel, N = 5 ----

TEST(CoreStructures, WorkedExampleBody) {
    const std::string expected =
        "% Initializing variables\n"
        "persistent DelayLine;\n"
        "if (isempty(DelayLine));DelayLine = zeros(1,5);end\n"
        "%TempReg_0 = quantize(qmult,((DelayLine(1) + DelayLine(5))*quantize(qcoef,0)));\n"
        "TempReg_1 = quantize(qmult,((DelayLine(2) + DelayLine(4))*quantize(qcoef,0.2734375)));\n"
        "TempReg_2 = quantize(qmult, (DelayLine(3)*quantize(qcoef,0.453125)));\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "SigOut = quantize(qout,TempReg_1*2^(0) );\n"
        "DelayLine=quantize(qin,[SigIn DelayLine(1:4) ]);\n";
    EXPECT_EQ(expected, StructureText(MakeModel({0, 35, 58, 35, 0}, 8, CoefSymmetry::Symmetric)));
}

TEST(CoreStructures, WorkedExampleFormats) {
    fir::CoreWordLengths n;
    n.ibits = 8;
    n.ifbits = 7;
    n.obits = 16;
    n.ofbits = 14;
    n.cbits = 8;
    n.coefFracBits = 7;
    const fir::CoreFormats f = fir::DeriveCoreFormats(n);
    EXPECT_EQ((fir::FixedFormat{8, 7}), f.in);
    EXPECT_EQ((fir::FixedFormat{16, 14}), f.out);
    EXPECT_EQ((fir::FixedFormat{16, 14}), f.mult);
    EXPECT_EQ((fir::FixedFormat{8, 7}), f.coef);
}

// ---- Input section ----

TEST(CoreStructures, PlainInputSection) {
    std::ostringstream out;
    CoreModel model;
    model.ratio = 4;
    fir::WriteInputSection(out, model);
    EXPECT_EQ("SigIn = SigIn2;\n", out.str());
}

TEST(CoreStructures, ZeroStuffingCounterForRatioFour) {
    std::ostringstream out;
    CoreModel model;
    model.zeroStuffing = true;
    model.ratio = 4;
    model.counterBits = fir::CounterBits(4);
    fir::WriteInputSection(out, model);
    EXPECT_EQ("persistent counter;\n"
              "if (isempty(counter));counter = 0;end\n"
              "qcount=quantizer('ufixed','floor','wrap',[2 0]);\n"
              "\nif (counter == 3)\n"
              "counter=quantize(qcount,0);\n"
              "SigIn = SigIn2;\n"
              "else\n"
              "counter=quantize(qcount,counter+1);\n"
              "SigIn = 0;\n"
              "end\n",
              out.str());
}

TEST(CoreStructures, CounterWidthHoldsRatioMinusOne) {
    const int expected[] = {1, 2, 2, 3, 3, 3, 3};
    for (int ratio = 2; ratio <= 8; ++ratio) EXPECT_EQ(expected[ratio - 2], fir::CounterBits(ratio)) << ratio;
}

// ---- Formats ----

struct FormatCase {
    const char* name;
    fir::CoreWordLengths lengths;
    fir::FixedFormat out;
    fir::FixedFormat mult;
};

TEST(CoreStructures, FormatsTable) {
    // ibits ifbits obits ofbits cbits coefFracBits trunc scaleExp coefSumIntegerBits
    const FormatCase cases[] = {
        {"plain 16-bit", {16, 15, 32, 29, 16, 15, 0, 0, 1}, {32, 29}, {32, 30}},
        {"truncation", {16, 15, 29, 26, 16, 15, 4, 0, 1}, {29, 26}, {28, 26}},
        {"negative output fraction", {16, 15, 16, -2, 16, 15, 0, 0, 1}, {18, 0}, {32, 30}},
        {"negative product fraction", {8, 0, 16, 0, 4, 3, 5, 0, 1}, {16, 0}, {7, 0}},
        {"sum below one", {16, 15, 16, 14, 12, 11, 0, 0, 0}, {16, 14}, {28, 26}},
        {"sum needs two integer bits", {16, 15, 16, 14, 12, 11, 0, 0, 2}, {16, 14}, {29, 26}},
        {"sum needs three integer bits", {16, 15, 16, 14, 12, 11, 2, 0, 3}, {16, 14}, {28, 24}},
    };
    for (const FormatCase& c : cases) {
        const fir::CoreFormats f = fir::DeriveCoreFormats(c.lengths);
        EXPECT_EQ(c.out, f.out) << c.name << ": qout " << f.out.word << " " << f.out.fraction;
        EXPECT_EQ(c.mult, f.mult) << c.name << ": qmult " << f.mult.word << " " << f.mult.fraction;
        EXPECT_EQ((fir::FixedFormat{c.lengths.ibits, c.lengths.ifbits}), f.in) << c.name;
        EXPECT_EQ((fir::FixedFormat{c.lengths.cbits, c.lengths.coefFracBits}), f.coef) << c.name;
    }
}

// ---- Folding ----

TEST(CoreStructures, FoldingTable) {
    struct FoldingCase {
        const char* name;
        std::vector<int> q;
        CoefSymmetry given;
        CoefSymmetry folding;
    };
    const FoldingCase cases[] = {
        {"symmetric stays folded", kSymmetric9, CoefSymmetry::Symmetric, CoefSymmetry::Symmetric},
        {"no symmetry stays unfolded", kUnrelated9, CoefSymmetry::None, CoefSymmetry::None},
        {"every pair opposite folds with differences", kAntisymmetric9, CoefSymmetry::MagnitudeSymmetric,
         CoefSymmetry::MagnitudeSymmetric},
        {"a zero pair is its own opposite", {0, 5, -9, -5, 0}, CoefSymmetry::MagnitudeSymmetric,
         CoefSymmetry::MagnitudeSymmetric},
        {"equal and opposite pairs mixed: unfolded", kMixed9, CoefSymmetry::MagnitudeSymmetric, CoefSymmetry::None},
        {"only the inner pair equal: unfolded", {-3, 5, 9, 5, 3}, CoefSymmetry::MagnitudeSymmetric,
         CoefSymmetry::None},
    };
    for (const FoldingCase& c : cases)
        EXPECT_EQ(c.folding, MakeModel(c.q, 8, c.given).folding) << c.name;
}

// ---- Fully parallel direct form ----

TEST(CoreStructures, DirectUnfoldedAdderTreeCarriesOddRegisters) {
    const std::string text = StructureText(MakeModel(kUnrelated9, 8, CoefSymmetry::None));
    EXPECT_EQ(9u, CountOf(text, "*quantize(qcoef,"));
    ExpectInOrder(text, {
        "TempReg_1 = quantize(qmult,((DelayLine(1))*quantize(qcoef,0.0078125)));\n",
        "TempReg_9 = quantize(qmult,((DelayLine(9))*quantize(qcoef,0.0703125)));\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);\n"
        "TempReg_3 = quantize(qmult,TempReg_5 + TempReg_6);\n"
        "TempReg_4 = quantize(qmult,TempReg_7 + TempReg_8);\n"
        "TempReg_5 = TempReg_9;\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);\n"
        "TempReg_3 = TempReg_5;\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "TempReg_2 = TempReg_3;\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "SigOut = quantize(qout,TempReg_1*2^(0) );\n"
        "DelayLine=quantize(qin,[SigIn DelayLine(1:8) ]);\n",
    });
}

TEST(CoreStructures, DirectZeroCoefficientsAreCommentedAndTakeNoRegister) {
    const std::string text = StructureText(MakeModel({0, 3, 0, 5, 1}, 4, CoefSymmetry::None));
    const std::string expected =
        "% Initializing variables\n"
        "persistent DelayLine;\n"
        "if (isempty(DelayLine));DelayLine = zeros(1,5);end\n"
        "%TempReg_0 = quantize(qmult,((DelayLine(1))*quantize(qcoef,0)));\n"
        "TempReg_1 = quantize(qmult,((DelayLine(2))*quantize(qcoef,0.375)));\n"
        "%TempReg_1 = quantize(qmult,((DelayLine(3))*quantize(qcoef,0)));\n"
        "TempReg_2 = quantize(qmult,((DelayLine(4))*quantize(qcoef,0.625)));\n"
        "TempReg_3 = quantize(qmult,((DelayLine(5))*quantize(qcoef,0.125)));\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "TempReg_2 = TempReg_3;\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "SigOut = quantize(qout,TempReg_1*2^(0) );\n"
        "DelayLine=quantize(qin,[SigIn DelayLine(1:4) ]);\n";
    EXPECT_EQ(expected, text);
}

TEST(CoreStructures, DirectMultiplierFreeSkipsZeroTapsAndWritesBothTerms) {
    // Taps: 0; 3/8 = 1/2 - 1/8; 1/2 alone (second term zero).
    const std::vector<PowerOfTwoPair> pairs = {{0, 0, 0, -3}, {1, -1, -1, -3}, {1, -1, 0, -3}};
    const std::string text =
        StructureText(MakeModel({0, 3, 4}, 4, CoefSymmetry::None, {.multiplierFree = true}, pairs));
    EXPECT_EQ(std::string::npos, text.find("DelayLine(1)*"));
    EXPECT_EQ(std::string::npos, text.find("%TempReg"));
    ExpectInOrder(text, {
        "TempReg_1  = quantize(qmult,(DelayLine(2)*0.5)+(DelayLine(2)*-0.125));\n"
        "TempReg_2  = quantize(qmult,(DelayLine(3)*0.5)+(DelayLine(3)*0));\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n",
    });
}

struct FoldedDirectCase {
    const char* name;
    std::vector<int> q;
    CoefSymmetry symmetry;
    int channels;
    std::vector<std::string> fragments;
};

TEST(CoreStructures, DirectFoldedTable) {
    const FoldedDirectCase cases[] = {
        {"symmetric, N = 9: four pairs, middle register 5, five summed",
         kSymmetric9, CoefSymmetry::Symmetric, 1,
         {"TempReg_1 = quantize(qmult,((DelayLine(1) + DelayLine(9))*quantize(qcoef,-0.013671875)));\n"
          "TempReg_2 = quantize(qmult,((DelayLine(2) + DelayLine(8))*quantize(qcoef,0.052734375)));\n"
          "TempReg_3 = quantize(qmult,((DelayLine(3) + DelayLine(7))*quantize(qcoef,0.13671875)));\n"
          "TempReg_4 = quantize(qmult,((DelayLine(4) + DelayLine(6))*quantize(qcoef,0.20703125)));\n"
          "TempReg_5 = quantize(qmult, (DelayLine(5)*quantize(qcoef,0.234375)));\n"
          "\n"
          "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
          "TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);\n"
          "TempReg_3 = TempReg_5;\n"
          "\n"
          "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
          "TempReg_2 = TempReg_3;\n"
          "\n"
          "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
          "SigOut = quantize(qout,TempReg_1*2^(0) );\n"}},
        {"zero end pair is commented, middle becomes register 4",
         kSymmetricZeroEnds9, CoefSymmetry::Symmetric, 1,
         {"%TempReg_0 = quantize(qmult,((DelayLine(1) + DelayLine(9))*quantize(qcoef,0)));\n"
          "TempReg_1 = quantize(qmult,((DelayLine(2) + DelayLine(8))*quantize(qcoef,0.05859375)));\n",
          "TempReg_4 = quantize(qmult, (DelayLine(5)*quantize(qcoef,0.22265625)));\n"
          "\n"
          "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
          "TempReg_2 = quantize(qmult,TempReg_3 + TempReg_4);\n"
          "\n"
          "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
          "SigOut"}},
        {"antisymmetric pairs are differences",
         kAntisymmetric9, CoefSymmetry::MagnitudeSymmetric, 1,
         {"TempReg_1 = quantize(qmult,((DelayLine(1) - DelayLine(9))*quantize(qcoef,-0.013671875)));\n",
          "TempReg_4 = quantize(qmult,((DelayLine(4) - DelayLine(6))*quantize(qcoef,0.20703125)));\n"
          "TempReg_5 = quantize(qmult, (DelayLine(5)*quantize(qcoef,0.234375)));\n"}},
        {"mixed class -1 set: one register per tap, the mirrored taps with their own values",
         kMixed9, CoefSymmetry::MagnitudeSymmetric, 1,
         {"TempReg_1 = quantize(qmult,((DelayLine(1))*quantize(qcoef,-0.013671875)));\n",
          "TempReg_6 = quantize(qmult,((DelayLine(6))*quantize(qcoef,-0.20703125)));\n"
          "TempReg_7 = quantize(qmult,((DelayLine(7))*quantize(qcoef,0.13671875)));\n"
          "TempReg_8 = quantize(qmult,((DelayLine(8))*quantize(qcoef,0.052734375)));\n"
          "TempReg_9 = quantize(qmult,((DelayLine(9))*quantize(qcoef,-0.013671875)));\n"
          "\n"
          "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n",
          "TempReg_5 = TempReg_9;\n"}},
        {"two channels: places 1, 3 ... 17",
         kSymmetric9, CoefSymmetry::Symmetric, 2,
         {"DelayLine = zeros(1,17);",
          "TempReg_1 = quantize(qmult,((DelayLine(1) + DelayLine(17))*",
          "TempReg_2 = quantize(qmult,((DelayLine(3) + DelayLine(15))*",
          "TempReg_4 = quantize(qmult,((DelayLine(7) + DelayLine(11))*",
          "TempReg_5 = quantize(qmult, (DelayLine(9)*",
          "DelayLine=quantize(qin,[SigIn DelayLine(1:16) ]);\n"}},
    };
    for (const FoldedDirectCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectInOrder(StructureText(MakeModel(c.q, 10, c.symmetry, {.channels = c.channels})), c.fragments);
    }
}

TEST(CoreStructures, DirectUnfoldedTwoChannelsReadsEverySecondPlace) {
    const std::string text = StructureText(MakeModel(kUnrelated9, 8, CoefSymmetry::None, {.channels = 2}));
    std::vector<std::string> places;
    for (int i = 0; i < 9; ++i) places.push_back("((DelayLine(" + std::to_string(2 * i + 1) + "))*");
    ExpectInOrder(text, places);
    EXPECT_EQ(9u, CountOf(text, "))*quantize(qcoef,"));
    ExpectInOrder(text, {"DelayLine=quantize(qin,[SigIn DelayLine(1:16) ]);\n"});
}

TEST(CoreStructures, DirectFoldedMultiplierFree) {
    // Pairs: 0 (skipped), 1/4 - 1/128, 1/2 + 1/8 (mirrored with the opposite sign for class -1);
    // middle per case.
    const std::vector<int> symmetric = {0, 31, 80, 99, 80, 31, 0};
    const std::vector<int> antisymmetric = {0, 31, 80, 99, -80, -31, 0};
    const PowerOfTwoPair zero{0, 0, 0, 0};
    const PowerOfTwoPair pair1{1, -2, -1, -7};
    const PowerOfTwoPair pair2{1, -1, 1, -3};
    struct MiddleCase {
        PowerOfTwoPair middle;
        const char* line;
    };
    const MiddleCase middles[] = {
        {{0, 0, 0, -5}, "TempReg_3  = quantize(qmult,(DelayLine(4)*0));\n"},
        {{0, 0, -1, -5}, "TempReg_3  = quantize(qmult,(DelayLine(4)*-0.03125));\n"},
        {{1, -1, 0, -5}, "TempReg_3  = quantize(qmult,(DelayLine(4)*0.5));\n"},
        {{1, 0, -1, -2}, "TempReg_3  = quantize(qmult,(DelayLine(4)*1)+(DelayLine(4)*-0.25));\n"},
    };
    for (const MiddleCase& m : middles) {
        const std::vector<PowerOfTwoPair> pairs = {zero, pair1, pair2, m.middle, pair2, pair1, zero};
        for (CoefSymmetry symmetry : {CoefSymmetry::Symmetric, CoefSymmetry::MagnitudeSymmetric}) {
            const bool equalPairs = symmetry == CoefSymmetry::Symmetric;
            const char* join = equalPairs ? "+" : "-";
            const std::string text = StructureText(
                MakeModel(equalPairs ? symmetric : antisymmetric, 8, symmetry, {.multiplierFree = true}, pairs));
            SCOPED_TRACE(m.line);
            EXPECT_EQ(std::string::npos, text.find("DelayLine(7)")) << "the zero pair is skipped";
            ExpectInOrder(text, {
                std::string("TempReg_1a  = quantize(qmult,DelayLine(2)") + join + "DelayLine(6));\n"
                "TempReg_1  = quantize(qmult,(TempReg_1a*0.25)+(TempReg_1a*-0.0078125));\n"
                "TempReg_2a  = quantize(qmult,DelayLine(3)" + join + "DelayLine(5));\n"
                "TempReg_2  = quantize(qmult,(TempReg_2a*0.5)+(TempReg_2a*0.125));\n" + m.line +
                "\nTempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
                "TempReg_2 = TempReg_3;\n",
            });
        }
    }
}

TEST(CoreStructures, CoefficientValuesAreExactInGeneralNotation) {
    struct ValueCase {
        int q;
        int cbits;
        const char* text;
    };
    const ValueCase cases[] = {
        {3, 8, "0.0234375"}, {-64, 8, "-0.5"}, {0, 8, "0"}, {1, 20, "1.9073486328125e-06"},
        {-524287, 20, "-0.9999980926513671875"}, {13, 15, "0.00079345703125"},
    };
    for (const ValueCase& c : cases) {
        const std::string text = StructureText(MakeModel({c.q}, c.cbits, CoefSymmetry::Symmetric));
        ExpectInOrder(text, {std::string("(DelayLine(1)*quantize(qcoef,") + c.text + ")));\n"});
    }
}

// ---- Fully parallel transposed form ----

TEST(CoreStructures, TransposedUnfoldedWithCoefficients) {
    const std::string text =
        StructureText(MakeModel({1, 2, 3, 4, 5}, 4, CoefSymmetry::None, {.transposed = true}));
    const std::string expected =
        "% Initializing variables\n"
        "persistent DelayLine SignalInput SignalOutput;\n"
        "if (isempty(DelayLine));DelayLine = zeros(1,5);end\n"
        "if (isempty(SignalInput));SignalInput = quantize(qin,0);end\n"
        "if (isempty(SignalOutput));SignalOutput = 0;end\n"
        "MultVec_1=quantize(qmult,quantize(qcoef,0.125)*SignalInput);\n"
        "MultVec_2=quantize(qmult,quantize(qcoef,0.25)*SignalInput);\n"
        "MultVec_3=quantize(qmult,quantize(qcoef,0.375)*SignalInput);\n"
        "MultVec_4=quantize(qmult,quantize(qcoef,0.5)*SignalInput);\n"
        "MultVec_5=quantize(qmult,quantize(qcoef,0.625)*SignalInput);\n"
        "SignalInput=SigIn;\n"
        "SigOut = quantize(qout,SignalOutput+0);\n"
        "SignalOutput = quantize(qout,DelayLine(5)*2^(0) );\n"
        "DelayLine(5) = quantize(qmult,DelayLine(4) +  MultVec_1);\n"
        "DelayLine(4) = quantize(qmult,DelayLine(3) +  MultVec_2);\n"
        "DelayLine(3) = quantize(qmult,DelayLine(2) +  MultVec_3);\n"
        "DelayLine(2) = quantize(qmult,DelayLine(1) +  MultVec_4);\n"
        "DelayLine(1) = quantize(qmult,1*MultVec_5);\n";
    EXPECT_EQ(expected, text);
}

struct TransposedFoldCase {
    const char* name;
    std::vector<int> q;
    CoefSymmetry symmetry;
    int channels;
    std::size_t products;
    std::vector<std::string> fragments;
};

TEST(CoreStructures, TransposedFoldedTable) {
    const TransposedFoldCase cases[] = {
        {"symmetric: products 1..5 then back down to 2, place 1 gets product 1",
         kSymmetric9, CoefSymmetry::Symmetric, 1, 5,
         {"MultVec_5=quantize(qmult,quantize(qcoef,0.234375)*SignalInput);\n\nSignalInput=SigIn;\n",
          "DelayLine(9) = quantize(qmult,DelayLine(8) +  MultVec_1);\n"
          "DelayLine(8) = quantize(qmult,DelayLine(7) +  MultVec_2);\n"
          "DelayLine(7) = quantize(qmult,DelayLine(6) +  MultVec_3);\n"
          "DelayLine(6) = quantize(qmult,DelayLine(5) +  MultVec_4);\n"
          "DelayLine(5) = quantize(qmult,DelayLine(4) +  MultVec_5);\n"
          "DelayLine(4) = quantize(qmult,DelayLine(3) +  MultVec_4);\n"
          "DelayLine(3) = quantize(qmult,DelayLine(2) +  MultVec_3);\n"
          "DelayLine(2) = quantize(qmult,DelayLine(1) +  MultVec_2);\n"
          "DelayLine(1) = quantize(qmult,MultVec_1);\n"}},
        {"antisymmetric: the mirrored half, the last tap included, is subtracted",
         kAntisymmetric9, CoefSymmetry::MagnitudeSymmetric, 1, 5,
         {"DelayLine(9) = quantize(qmult,DelayLine(8) +  MultVec_1);\n",
          "DelayLine(5) = quantize(qmult,DelayLine(4) +  MultVec_5);\n"
          "DelayLine(4) = quantize(qmult,DelayLine(3) -  MultVec_4);\n"
          "DelayLine(3) = quantize(qmult,DelayLine(2) -  MultVec_3);\n"
          "DelayLine(2) = quantize(qmult,DelayLine(1) -  MultVec_2);\n"
          "DelayLine(1) = quantize(qmult,-MultVec_1);\n"}},
        {"antisymmetric, two channels: place 1 still gets the negated first product",
         kAntisymmetric9, CoefSymmetry::MagnitudeSymmetric, 2, 5,
         {"DelayLine(3) = quantize(qmult,DelayLine(2) -  MultVec_2);\n"
          "DelayLine(2) = quantize(qmult,DelayLine(1));\n"
          "DelayLine(1) = quantize(qmult,-MultVec_1);\n"}},
        {"mixed class -1 set: one product per tap, all added",
         kMixed9, CoefSymmetry::MagnitudeSymmetric, 1, 9,
         {"MultVec_6=quantize(qmult,quantize(qcoef,-0.20703125)*SignalInput);\n"
          "MultVec_7=quantize(qmult,quantize(qcoef,0.13671875)*SignalInput);\n",
          "MultVec_9=quantize(qmult,quantize(qcoef,-0.013671875)*SignalInput);\n"
          "SignalInput=SigIn;\n",
          "DelayLine(4) = quantize(qmult,DelayLine(3) +  MultVec_6);\n",
          "DelayLine(2) = quantize(qmult,DelayLine(1) +  MultVec_8);\n"
          "DelayLine(1) = quantize(qmult,1*MultVec_9);\n"}},
        {"two channels: a product on every second place", kSymmetric9, CoefSymmetry::Symmetric, 2, 5,
         {"DelayLine = zeros(1,17);",
          "SignalOutput = quantize(qout,DelayLine(17)*2^(0) );\n"
          "DelayLine(17) = quantize(qmult,DelayLine(16) +  MultVec_1);\n"
          "DelayLine(16) = quantize(qmult,DelayLine(15));\n"
          "DelayLine(15) = quantize(qmult,DelayLine(14) +  MultVec_2);\n",
          "DelayLine(9) = quantize(qmult,DelayLine(8) +  MultVec_5);\n"
          "DelayLine(8) = quantize(qmult,DelayLine(7));\n"
          "DelayLine(7) = quantize(qmult,DelayLine(6) +  MultVec_4);\n",
          "DelayLine(3) = quantize(qmult,DelayLine(2) +  MultVec_2);\n"
          "DelayLine(2) = quantize(qmult,DelayLine(1));\n"
          "DelayLine(1) = quantize(qmult,MultVec_1);\n"}},
    };
    for (const TransposedFoldCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string text =
            StructureText(MakeModel(c.q, 10, c.symmetry, {.channels = c.channels, .transposed = true}));
        EXPECT_EQ(c.products, CountOf(text, "=quantize(qmult,quantize(qcoef,"));
        EXPECT_EQ(std::string::npos, text.find(" -  MultVec_1)")) << "the first tap is never subtracted";
        ExpectInOrder(text, c.fragments);
    }
}

TEST(CoreStructures, TransposedMultiplierFreeProductsBySign) {
    const std::vector<PowerOfTwoPair> pairs = {
        {1, -5, -1, -7}, {0, 0, 0, -7}, {0, 0, 1, -3}, {-1, -2, 0, -7}, {-1, -4, 1, -7}};
    const std::vector<int> q = {3, 0, 16, -32, -7};
    const std::string text =
        StructureText(MakeModel(q, 8, CoefSymmetry::None, {.transposed = true, .multiplierFree = true}, pairs));
    ExpectInOrder(text, {
        "if (isempty(SignalOutput));SignalOutput = 0;end\n"
        "MultVec_5 = quantize(qmult,(-1*SignalInput*2^(-4)+1*SignalInput*2^(-7)));\n"
        "MultVec_4 = quantize(qmult,(-1*SignalInput*2^(-2)));\n"
        "MultVec_3 = quantize(qmult,(1*SignalInput*2^(-3)));\n"
        "MultVec_2 = 0;\n"
        "MultVec_1 = quantize(qmult,(1*SignalInput*2^(-5)-1*SignalInput*2^(-7)));\n"
        "\n"
        "SignalInput=SigIn;\n",
        // The explicit sign does not leak into later numbers.
        "DelayLine(5) = quantize(qmult,DelayLine(4) +  MultVec_1);\n",
        "DelayLine(1) = quantize(qmult,1*MultVec_5);\n",
    });
}

TEST(CoreStructures, TransposedFoldedMultiplierFreeRisesFromTheFirstTap) {
    const std::vector<int> q = {3, 16, 3};
    const std::vector<PowerOfTwoPair> pairs = {{1, -5, -1, -7}, {0, 0, 1, -3}, {1, -5, -1, -7}};
    const std::string text = StructureText(
        MakeModel(q, 8, CoefSymmetry::Symmetric, {.transposed = true, .multiplierFree = true}, pairs));
    ExpectInOrder(text, {
        "MultVec_1 = quantize(qmult,(1*SignalInput*2^(-5)-1*SignalInput*2^(-7)));\n"
        "MultVec_2 = quantize(qmult,(1*SignalInput*2^(-3)));\n"
        "\n"
        "SignalInput=SigIn;\n",
        "DelayLine(3) = quantize(qmult,DelayLine(2) +  MultVec_1);\n"
        "DelayLine(2) = quantize(qmult,DelayLine(1) +  MultVec_2);\n"
        "DelayLine(1) = quantize(qmult,MultVec_1);\n",
    });
    EXPECT_EQ(std::string::npos, text.find("MultVec_3"));
}

// ---- Resource-shared direct form ----

TEST(CoreStructures, SharedDirectSymmetricNine) {
    const std::string expected =
        "% Initializing variables\n"
        "\npersistent DelayLine;"
        "\nif (isempty(DelayLine));DelayLine = zeros(1,9);end\n"
        "\nFIRCoefs=quantize(qcoef, [-0.013671875 0.052734375 0.13671875 0.20703125 ]);\n"
        "TempReg = quantize(qmult, (DelayLine(5)*quantize(qcoef,0.234375)));\n"
        "\nfor (ii = 0:3)\n"
        "\tTempReg = quantize(qmult,TempReg+(((DelayLine(ii*1+1)+DelayLine(9-ii*1))*FIRCoefs(ii+1))));\n"
        "end\n\n"
        "SigOut = quantize(qout,TempReg*2^(0) );\n"
        "DelayLine=quantize(qin,[SigIn DelayLine(1:8) ]);\n";
    EXPECT_EQ(expected, StructureText(MakeModel(kSymmetric9, 10, CoefSymmetry::Symmetric, {.fullyParallel = false})));
}

struct SharedCase {
    const char* name;
    CoreModel model;
    std::vector<std::string> fragments;
};

TEST(CoreStructures, SharedDirectTable) {
    const std::vector<PowerOfTwoPair> pairs = {{1, -5, -1, -7}, {0, 0, 1, -3}, {-1, -2, 0, -7}};
    const SharedCase cases[] = {
        {"unfolded, two channels, multiplier-free: 2N entries",
         MakeModel({3, 16, -32}, 8, CoefSymmetry::None, {.channels = 2, .multiplierFree = true, .fullyParallel = false},
                    pairs),
         {"if (isempty(DelayLine));DelayLine = zeros(1,5);end\n"
          "\nFIRCoefs=quantize(qcoef, [0.03125 -0.0078125 0 0.125 -0.25 0 ]);\n"
          "\nTempReg=quantize(qmult,0);\n"
          "for (ii = 0:2)\n"
          "TempReg = quantize(qmult,TempReg+((DelayLine(ii*2+1)*FIRCoefs((ii*1)*2+1)+DelayLine(ii*2+1)*FIRCoefs(((ii+1)*2)))));\n"
          "end\n"
          "SigOut = quantize(qout,TempReg*2^(0) );\n"
          "DelayLine=quantize(qin,[SigIn DelayLine(1:4) ]);\n"}},
        {"unfolded with coefficients, three channels",
         MakeModel({1, 2, 3}, 4, CoefSymmetry::None, {.channels = 3, .fullyParallel = false}),
         {"\nFIRCoefs=quantize(qcoef, [0.125 0.25 0.375 ]);\n"
          "\nTempReg=quantize(qmult,0);\n"
          "for (ii = 0:2)\n"
          "TempReg = quantize(qmult,TempReg+((DelayLine(ii*3+1)*FIRCoefs(ii+1))));\n"
          "end\n"
          "SigOut = quantize(qout,TempReg*2^(0) );\n"
          "DelayLine=quantize(qin,[SigIn DelayLine(1:6) ]);\n"}},
        {"folded, antisymmetric, two channels",
         MakeModel(kAntisymmetric9, 10, CoefSymmetry::MagnitudeSymmetric, {.channels = 2, .fullyParallel = false}),
         {"TempReg = quantize(qmult, (DelayLine(9)*quantize(qcoef,0.234375)));\n"
          "\nfor (ii = 0:3)\n"
          "\tTempReg = quantize(qmult,TempReg+(((DelayLine(ii*2+1)-DelayLine(17-ii*2))*FIRCoefs(ii+1))));\n"
          "end\n\n"}},
        {"mixed class -1 set: unfolded, every tap in the vector",
         MakeModel(kMixed9, 10, CoefSymmetry::MagnitudeSymmetric, {.fullyParallel = false}),
         {"\nFIRCoefs=quantize(qcoef, [-0.013671875 0.052734375 0.13671875 0.20703125 0.234375 -0.20703125 "
          "0.13671875 0.052734375 -0.013671875 ]);\n"
          "\nTempReg=quantize(qmult,0);\n"
          "for (ii = 0:8)\n"
          "TempReg = quantize(qmult,TempReg+((DelayLine(ii*1+1)*FIRCoefs(ii+1))));\n"
          "end\n"}},
        {"folded, multiplier-free: both terms of the middle tap always written",
         MakeModel({3, 16, 3}, 8, CoefSymmetry::Symmetric, {.multiplierFree = true, .fullyParallel = false}, pairs),
         {"\nFIRCoefs=quantize(qcoef, [0.03125 -0.0078125 ]);\n"
          "TempReg  = quantize(qmult,(DelayLine(2)*0)+(DelayLine(2)*0.125));\n"
          "\nfor (ii = 0:0)\n"
          "\tTempReg = quantize(qmult,TempReg+(( (DelayLine(ii*1+1)+DelayLine(3-(ii*1)))*FIRCoefs(ii*2+1)+(DelayLine(ii*1+1)+DelayLine(3-ii*1))*FIRCoefs(((ii+1)*2)))));\n"
          "end\n\n"
          "SigOut = quantize(qout,TempReg*2^(0) );\n"}},
    };
    for (const SharedCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectInOrder(StructureText(c.model), c.fragments);
    }
}

// ---- Resource-shared transposed form ----

TEST(CoreStructures, SharedTransposedTable) {
    const SharedCase cases[] = {
        {"unfolded, N = 9",
         MakeModel(kUnrelated9, 8, CoefSymmetry::None, {.transposed = true, .fullyParallel = false}),
         {"% Initializing variables\n"
          "persistent DelayLine SignalInput;\n"
          "if (isempty(SignalInput));SignalInput = quantize(qin,0);end\n"
          "\nif (isempty(DelayLine));DelayLine = zeros(1,9);end\n"
          "\nFIRCoefs=quantize(qcoef,[0.0078125 0.015625 0.0234375 0.03125 0.0390625 0.046875 0.0546875 0.0625 "
          "0.0703125 ]);\n"
          "SignalInput=SigIn;\n\n"
          "for ii = 8:-1:1\n"
          "\tDelayLine(1*ii+1) = quantize(qmult,DelayLine(1*ii)+FIRCoefs(9-ii)*SignalInput);\n"
          "end\n\n"
          "DelayLine(1) = quantize(qmult,FIRCoefs(9)*SignalInput);\n"
          "SigOut = quantize(qout,DelayLine(9)*2^(0));\n"}},
        {"unfolded, N = 9, multiplier-free: entries 17 and 18 for place 1",
         MakeModel(kUnrelated9, 8, CoefSymmetry::None,
                    {.transposed = true, .multiplierFree = true, .fullyParallel = false}),
         {"for ii = 8:-1:1\n"
          "\tDelayLine(1*ii+1) = quantize(qmult,DelayLine(1*ii)+((SignalInput*FIRCoefs(17-(ii)*2)+SignalInput*FIRCoefs(17-(ii)*2+1))));\n"
          "end\n\n"
          "DelayLine(1) = quantize(qmult,((SignalInput*FIRCoefs(17)+SignalInput*FIRCoefs(18))));\n"
          "SigOut = quantize(qout,DelayLine(9)*2^(0));\n"}},
        {"unfolded, three channels: copies inside the loop, the first reading ii--1",
         MakeModel(kUnrelated9, 8, CoefSymmetry::None, {.channels = 3, .transposed = true, .fullyParallel = false}),
         {"DelayLine = zeros(1,25);",
          "for ii = 8:-1:1\n"
          "\tDelayLine(3*ii+1) = quantize(qmult,DelayLine(3*ii)+FIRCoefs(9-ii)*SignalInput);\n"
          "\tDelayLine(3*ii-0) = DelayLine(3*ii--1);\n"
          "\tDelayLine(3*ii-1) = DelayLine(3*ii-0);\n"
          "end\n\n",
          "SigOut = quantize(qout,DelayLine(25)*2^(0));\n"}},
        {"folded, symmetric, N = 9: M = 5, chains of 6 places",
         MakeModel(kSymmetric9, 10, CoefSymmetry::Symmetric, {.channels = 2, .transposed = true, .fullyParallel = false}),
         {"% Initializing variables\n"
          "persistent DelayLine_n DelayLine_s SignalInput SignalOutput;\n"
          "if (isempty(SignalInput));SignalInput = quantize(qin,0);end\n"
          "if (isempty(SignalOutput));SignalOutput = quantize(qout,0);end\n"
          "\nif (isempty(DelayLine_n));DelayLine_n = zeros(1,6);end\n"
          "\nif (isempty(DelayLine_s));DelayLine_s = zeros(1,6);DelayLine_s_tmp = zeros(1,6);end\n"
          "\nFIRCoefs=quantize(qcoef,[-0.013671875 0.052734375 0.13671875 0.20703125 0.234375 ]);\n"
          "DelayLine_s(1) = quantize(qmult,0);\n"
          "DelayLine_s_tmp(1) = quantize(qmult,0);\n"
          "SignalInput=SigIn;\n\n"
          "\nfor jj = 1:5\n"
          "\ttemp=quantize(qmult,(SignalInput*FIRCoefs(jj)));\n"
          "    DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) + temp);  \n"
          "    DelayLine_s(jj) = quantize(qmult,1*DelayLine_s_tmp(jj));\n"
          "    DelayLine_n(jj) = quantize(qmult,DelayLine_n(jj+1) + temp);\n"
          "end\n"
          "DelayLine_s(6) = DelayLine_s_tmp(6);\n"
          "DelayLine_n(5) = DelayLine_s_tmp(6);\n"
          "SigOut = quantize(qout,SignalOutput+0);\n"
          "SignalOutput = quantize(qout,DelayLine_n(1)*2^(0));\n"}},
        {"folded, antisymmetric: the mirrored taps subtract, the middle tap adds",
         MakeModel(kAntisymmetric9, 10, CoefSymmetry::MagnitudeSymmetric, {.transposed = true, .fullyParallel = false}),
         {"\nFIRCoefs=quantize(qcoef,[-0.013671875 0.052734375 0.13671875 0.20703125 0.234375 ]);\n",
          "\nfor jj = 1:5\n"
          "\ttemp=quantize(qmult,(SignalInput*FIRCoefs(jj)));\n"
          "    if (jj < 5)\n"
          "        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) - temp);\n"
          "    else\n"
          "        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) + temp);\n"
          "    end\n"
          "    DelayLine_s(jj) = quantize(qmult,1*DelayLine_s_tmp(jj));\n"
          "    DelayLine_n(jj) = quantize(qmult,DelayLine_n(jj+1) + temp);\n"
          "end\n"
          "DelayLine_s(6) = DelayLine_s_tmp(6);\n"
          "DelayLine_n(5) = DelayLine_s_tmp(6);\n"}},
        {"folded, antisymmetric, multiplier-free, N = 3: the middle is tap 2",
         MakeModel({-3, 16, 3}, 8, CoefSymmetry::MagnitudeSymmetric,
                    {.transposed = true, .multiplierFree = true, .fullyParallel = false}),
         {"\nfor jj = 1:2\n"
          " temp = quantize(qmult,(SignalInput*FIRCoefs((jj-1)*2+1) + SignalInput*FIRCoefs((jj*2))));\n"
          "    if (jj < 2)\n"
          "        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) - temp);\n"}},
        {"mixed class -1 set: the unfolded loop over every tap",
         MakeModel(kMixed9, 10, CoefSymmetry::MagnitudeSymmetric, {.transposed = true, .fullyParallel = false}),
         {"persistent DelayLine SignalInput;\n",
          "\nFIRCoefs=quantize(qcoef,[-0.013671875 0.052734375 0.13671875 0.20703125 0.234375 -0.20703125 "
          "0.13671875 0.052734375 -0.013671875 ]);\n"
          "SignalInput=SigIn;\n\n"
          "for ii = 8:-1:1\n"
          "\tDelayLine(1*ii+1) = quantize(qmult,DelayLine(1*ii)+FIRCoefs(9-ii)*SignalInput);\n"
          "end\n\n"
          "DelayLine(1) = quantize(qmult,FIRCoefs(9)*SignalInput);\n"}},
    };
    for (const SharedCase& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectInOrder(StructureText(c.model), c.fragments);
    }
}

TEST(CoreStructures, SharedTransposedFoldedVectorHoldsTwoTermsPerDistinctTap) {
    const std::string text = StructureText(MakeModel(kSymmetric9, 10, CoefSymmetry::Symmetric,
                                                      {.transposed = true, .multiplierFree = true, .fullyParallel = false}));
    const std::size_t open = text.find("FIRCoefs=quantize(qcoef,[");
    ASSERT_NE(std::string::npos, open);
    const std::string vector = text.substr(open, text.find("]);\n", open) - open);
    EXPECT_EQ(10u, CountOf(vector, " ")) << vector;
}

// ---- Inconsistent models ----

TEST(CoreStructures, InconsistentModelsAreRefused) {
    CoreModel even = MakeModel({1, 2, 3, 4}, 8, CoefSymmetry::None);
    CoreModel shortQ = MakeModel(kUnrelated9, 8, CoefSymmetry::None);
    shortQ.taps = 11;
    CoreModel noPairs = MakeModel(kUnrelated9, 8, CoefSymmetry::None);
    noPairs.multiplierFree = true;
    CoreModel noChannels = MakeModel(kUnrelated9, 8, CoefSymmetry::None);
    noChannels.channels = 0;
    CoreModel unfoldedChains = MakeModel(kUnrelated9, 8, CoefSymmetry::None);
    unfoldedChains.structure = fir::Structure::SharedFoldedTransposed;
    for (const CoreModel* c : {&even, &shortQ, &noPairs, &noChannels, &unfoldedChains}) {
        std::ostringstream out;
        EXPECT_THROW(fir::WriteStructure(out, *c), std::invalid_argument);
        EXPECT_TRUE(out.str().empty());
    }
}

// The request's form and sharing with the coefficients' folding pick one row of the table, and
// every structure has exactly one row, found by its own value.
TEST(StructureTable, SelectionAndRows) {
    using fir::Form;
    using fir::Sharing;
    using fir::Structure;
    struct Case {
        Form form;
        Sharing sharing;
        bool folded;
        Structure want;
    };
    const Case cases[] = {
        {Form::Direct, Sharing::FullyParallel, false, Structure::ParallelDirect},
        {Form::Direct, Sharing::FullyParallel, true, Structure::ParallelDirect},
        {Form::Transposed, Sharing::FullyParallel, true, Structure::ParallelTransposed},
        {Form::Direct, Sharing::ResourceShared, true, Structure::SharedDirect},
        {Form::Transposed, Sharing::ResourceShared, false, Structure::SharedTransposed},
        {Form::Transposed, Sharing::ResourceShared, true, Structure::SharedFoldedTransposed},
    };
    for (const Case& c : cases) {
        const Structure got = fir::SelectStructure(c.form, c.sharing, c.folded);
        EXPECT_EQ(c.want, got) << fir::Traits(c.want).name << (c.folded ? ", folded" : ", unfolded");
        EXPECT_EQ(c.form, fir::Traits(got).form);
        EXPECT_EQ(c.sharing, fir::Traits(got).sharing);
    }
    for (std::size_t i = 0; i < fir::kStructures.size(); ++i) {
        const Structure s = fir::kStructures[i].structure;
        EXPECT_EQ(&fir::kStructures[i], &fir::Traits(s)) << fir::kStructures[i].name;
        for (std::size_t j = i + 1; j < fir::kStructures.size(); ++j) EXPECT_NE(s, fir::kStructures[j].structure);
    }
}

// ---- Whole core files per structure family, written by kw_write_core ----

std::string RunTool(const std::string& arguments) {
    const std::string command = std::string(KW_WRITE_CORE_TOOL) + " " + arguments;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;) text.append(buffer, n);
    return text;
}

TEST(WriteCoreTool, WorkedExampleIsACompleteFunction) {
    const std::string expected =
        "function SigOut = rcosflt_001( SigIn2 )\n"
        "SigIn = SigIn2;\n"
        "qin = quantizer( 'fixed', 'floor', 'wrap', [ 8 7 ] );\n"
        "qout = quantizer( 'fixed', 'floor', 'wrap', [ 16 14 ] );\n"
        "qmult = quantizer( 'fixed', 'floor', 'wrap', [ 16 14 ] );\n"
        "qcoef = quantizer( 'fixed', 'floor', 'wrap', [ 8 7 ] );\n"
        "% Initializing variables\n"
        "persistent DelayLine;\n"
        "if (isempty(DelayLine));DelayLine = zeros(1,5);end\n"
        "%TempReg_0 = quantize(qmult,((DelayLine(1) + DelayLine(5))*quantize(qcoef,0)));\n"
        "TempReg_1 = quantize(qmult,((DelayLine(2) + DelayLine(4))*quantize(qcoef,0.2734375)));\n"
        "TempReg_2 = quantize(qmult, (DelayLine(3)*quantize(qcoef,0.453125)));\n"
        "\n"
        "TempReg_1 = quantize(qmult,TempReg_1 + TempReg_2);\n"
        "SigOut = quantize(qout,TempReg_1*2^(0) );\n"
        "DelayLine=quantize(qin,[SigIn DelayLine(1:4) ]);\n"
        "\n";
    EXPECT_EQ(expected, RunTool("--name rcosflt_001 --q 0,35,58,35,0 --cbits 8 --ibits 8 --ifbits 7 "
                                "--obits 16 --ofbits 14"));
}

TEST(WriteCoreTool, DerivesAutoOutputAndWidensProductsForLargeSums) {
    // Sum of |values| = 581/128, about 4.5: three integer bits, so qmult gets two bits more than 8+8.
    const std::string text = RunTool("--name wide --q 100,127,127,127,100 --cbits 8 --ibits 8 --ifbits 7");
    ExpectInOrder(text, {"qin = quantizer( 'fixed', 'floor', 'wrap', [ 8 7 ] );\n"
                         "qout = quantizer( 'fixed', 'floor', 'wrap', [ 19 14 ] );\n"
                         "qmult = quantizer( 'fixed', 'floor', 'wrap', [ 18 14 ] );\n"});
}

TEST(WriteCoreTool, RefusesSeveralChannelsWithTheSharedTransposedForm) {
    struct RefusalCase {
        const char* arguments;
        const char* reason;
    };
    const RefusalCase cases[] = {
        {"--q 3,-5,0,9,16,2,-1 --cbits 6 --channels 2 --multfree", "unfolded text copies places inside the loop"},
        {"--q 3,-5,0,9,16,2,-1 --cbits 6 --channels 3", "unfolded text copies places inside the loop"},
        {"--q -7,27,70,106,120,-106,70,27,-7 --cbits 10 --channels 2", "unfolded text copies places inside the loop"},
        {"--q -7,27,70,106,120,106,70,27,-7 --cbits 10 --channels 2", "folded text does not use the channel count"},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.arguments);
        const std::string arguments = std::string("--name x --shared --form transposed ") + c.arguments;
        EXPECT_EQ("", RunTool(arguments + " 2>/dev/null"));
        const std::string message = RunTool(arguments + " 2>&1");
        EXPECT_NE(std::string::npos, message.find("the resource-shared transposed form takes one channel only"))
            << message;
        EXPECT_NE(std::string::npos, message.find(c.reason)) << message;
        const std::string command = std::string(KW_WRITE_CORE_TOOL) + " " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(2, WEXITSTATUS(status));
    }
}

TEST(WriteCoreTool, RefusesBadArguments) {
    for (const char* arguments : {"--q 1,2,3 --cbits 8", "--name x --q 1,2 --cbits 8", "--name x --q 1,b,3 --cbits 8",
                                  "--name x --q 1,2,3 --cbits 8 --form sideways", "--name x --q 1,2,3"}) {
        const std::string command = std::string(KW_WRITE_CORE_TOOL) + " " + arguments + " >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << arguments;
        EXPECT_EQ(2, WEXITSTATUS(status)) << arguments;
    }
}

struct GoldenCase {
    const char* file;
    const char* arguments;
};

const GoldenCase kGoldenCores[] = {
    {"direct_parallel_rrc9.m", "--q -7,27,70,106,120,106,70,27,-7 --cbits 10 --ibits 12 --ifbits 11"},
    {"direct_parallel_unfolded_zs4.m", "--q 3,-5,0,9,16,2,-1 --cbits 6 --ratio 4 --zero-stuffing --obits 14 --ofbits auto"},
    {"direct_parallel_unfolded_2ch.m", "--q 3,-5,0,9,16,2,-1 --cbits 6 --channels 2 --ibits 10 --ifbits 9"},
    {"direct_parallel_multfree_antisym.m",
     "--q -7,27,70,106,120,-106,-70,-27,7 --cbits 10 --multfree --trunc 3"},
    {"direct_parallel_mixed.m", "--q -7,27,70,106,120,-106,70,27,-7 --cbits 10"},
    {"transposed_parallel_multfree_rc9.m", "--q 0,30,68,101,114,101,68,30,0 --cbits 10 --form transposed --multfree"},
    {"transposed_parallel_unfolded_3ch.m", "--q 3,-5,0,9,16,2,-1 --cbits 6 --form transposed --channels 3"},
    {"transposed_parallel_antisym_2ch.m", "--q -7,27,70,106,120,-106,-70,-27,7 --cbits 10 --form transposed --channels 2"},
    {"shared_direct_folded_2ch.m", "--q -7,27,70,106,120,106,70,27,-7 --cbits 10 --shared --channels 2"},
    {"shared_direct_unfolded_multfree.m", "--q 3,-5,0,9,16,2,-1 --cbits 6 --shared --multfree --ratio 8 --zero-stuffing"},
    {"shared_transposed_unfolded_multfree.m", "--q 3,-5,0,9,16,2,-1 --cbits 6 --shared --form transposed --multfree"},
    {"shared_transposed_folded_rrc9.m", "--q -7,27,70,106,120,106,70,27,-7 --cbits 10 --shared --form transposed"},
    {"shared_transposed_folded_antisym_multfree.m",
     "--q -7,27,70,106,120,-106,-70,-27,7 --cbits 10 --shared --form transposed --multfree"},
    {"shared_transposed_mixed.m", "--q -7,27,70,106,120,-106,70,27,-7 --cbits 10 --shared --form transposed"},
};

TEST(WriteCoreTool, GoldenCoreFiles) {
    const bool regenerate = std::getenv("KW_REGENERATE_GOLDEN") != nullptr;
    for (const GoldenCase& c : kGoldenCores) {
        const std::string name = std::string(c.file).substr(0, std::string(c.file).size() - 2);
        const std::string path = std::string(KW_CORE_GOLDEN_DIR) + "/" + c.file;
        const std::string actual = RunTool("--name " + name + " " + c.arguments);
        ASSERT_FALSE(actual.empty()) << c.arguments;
        if (regenerate) {
            std::ofstream(path, std::ios::binary | std::ios::trunc) << actual;
            continue;
        }
        std::ifstream file(path, std::ios::binary);
        ASSERT_TRUE(file) << "missing golden file " << path
                          << "; create it with: KW_REGENERATE_GOLDEN=1 ./test_core_structures "
                             "--gtest_filter=WriteCoreTool.GoldenCoreFiles";
        const std::string expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(expected, actual) << path << " differs; after checking the change, regenerate with: "
                                    << "KW_REGENERATE_GOLDEN=1 ./test_core_structures "
                                       "--gtest_filter=WriteCoreTool.GoldenCoreFiles";
    }
}

}  // namespace
