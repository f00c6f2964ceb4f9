// The fixed-point core function body for every structure: the input section, the four formats,
// the fully parallel direct and transposed forms (one statement per tap) and the resource-shared
// forms (one statement in a loop over the taps, coefficients in the constant vector FIRCoefs).
#include "fir/CoreStructures.h"

#include <cmath>
#include <ostream>
#include <stdexcept>
#include <string>

namespace fir {

namespace {

// ---- Coefficient values ----

bool IsMagnitudeSymmetric(const CoreModel& c) { return c.folding == CoefSymmetry::MagnitudeSymmetric; }

// X(i) = q[i] / 2^(cbits-1); ldexp keeps the dyadic value exact.
double CoefValue(const CoreModel& c, int i) { return std::ldexp(static_cast<double>(c.q[i]), 1 - c.cbits); }
// A(i) = 2^d * s1 and B(i) = 2^f * s2 of the tap's two-term form.
double FirstTerm(const CoreModel& c, int i) {
    return std::ldexp(static_cast<double>(c.powerOfTwo[i].s1), c.powerOfTwo[i].d);
}
double SecondTerm(const CoreModel& c, int i) {
    return std::ldexp(static_cast<double>(c.powerOfTwo[i].s2), c.powerOfTwo[i].f);
}
bool HasNoTerms(const CoreModel& c, int i) { return c.powerOfTwo[i].s1 == 0 && c.powerOfTwo[i].s2 == 0; }

// Entries of FIRCoefs for taps 0 .. count-1, each followed by a blank: X(i), or A(i) B(i) when
// multiplier-free (tap t counted from 1 then uses entries 2t-1 and 2t).
void WriteCoefficientEntries(std::ostream& out, const CoreModel& c, int count) {
    for (int i = 0; i < count; ++i) {
        if (c.multiplierFree)
            out << FirstTerm(c, i) << " " << SecondTerm(c, i) << " ";
        else
            out << CoefValue(c, i) << " ";
    }
}

// ---- Input section and model checks ----

void WriteZeroStuffingCounter(std::ostream& out, int ratio, int counterBits) {
    out << "persistent counter;\n"
        << "if (isempty(counter));" << "counter = 0;" << "end\n"
        << "qcount=quantizer('ufixed','floor','wrap',[" << counterBits << " 0]);\n"
        << "\nif (counter == " << (ratio - 1) << ")\n"
        << "counter=quantize(qcount,0);\n"
        << "SigIn = SigIn2;\n"
        << "else\n"
        << "counter=quantize(qcount,counter+1);\n"
        << "SigIn = 0;\n"
        << "end\n";
}

// A model made by MakeCoreModel passes; one assembled by hand may not.
void CheckModel(const CoreModel& c) {
    if (c.taps < 1 || c.taps % 2 == 0)
        throw std::invalid_argument("core model: the tap count must be odd and positive");
    if (c.channels < 1) throw std::invalid_argument("core model: at least one channel is needed");
    if (static_cast<int>(c.q.size()) != c.taps)
        throw std::invalid_argument("core model: one coefficient per tap is needed");
    if (c.multiplierFree && static_cast<int>(c.powerOfTwo.size()) != c.taps)
        throw std::invalid_argument("core model: one power-of-two pair per tap is needed");
    if (c.delayLineLength != c.channels * (c.taps - 1) + 1)
        throw std::invalid_argument("core model: the delay line must hold channels*(taps-1)+1 places");
    if (c.Traits().foldedOnly && !c.IsFolded())
        throw std::invalid_argument(std::string("core model: the two-chain ") + c.Traits().name +
                                    " needs folded coefficients");
}


// ---- Fully parallel direct form ----

void WriteDirectDeclarations(std::ostream& out, const CoreModel& c) {
    out << "% Initializing variables\n"
        << "persistent DelayLine;\n"
        << "if (isempty(DelayLine));" << "DelayLine = zeros(1," << c.delayLineLength << ");" << "end\n";
}

// A zero coefficient takes no register; with qcoef its line stays in the text as a comment.
int NextRegister(std::ostream& out, const CoreModel& c, int i, int j) {
    if (c.q[i] != 0) return j + 1;
    if (!c.multiplierFree) out << "%";
    return j;
}

// Returns the number of product registers written.
int WriteDirectTapProducts(std::ostream& out, const CoreModel& c) {
    int j = 0;
    for (int i = 0; i < c.taps; ++i) {
        const int a = c.channels * i + 1;
        j = NextRegister(out, c, i, j);
        if (!c.multiplierFree) {
            out << "TempReg_" << j << " = quantize(qmult,((DelayLine(" << a << "))*quantize(qcoef," << CoefValue(c, i)
                << ")));\n";
        } else if (!HasNoTerms(c, i)) {
            out << "TempReg_" << j << "  = quantize(qmult,(DelayLine(" << a << ")*" << FirstTerm(c, i)
                << ")+(DelayLine(" << a << ")*" << SecondTerm(c, i) << "));\n";
        }
    }
    return j;
}

// Pairs (i, N-1-i) share one product; returns the number of product registers written.
int WriteDirectPairProducts(std::ostream& out, const CoreModel& c) {
    const int length = c.delayLineLength;
    const char* join = IsMagnitudeSymmetric(c) ? " - " : " + ";
    const char* joinMultFree = IsMagnitudeSymmetric(c) ? ")-DelayLine(" : ")+DelayLine(";
    int j = 0;
    for (int i = 0; i < c.PairCount(); ++i) {
        const int a = c.channels * i + 1;
        const int b = length - c.channels * i;
        j = NextRegister(out, c, i, j);
        if (!c.multiplierFree) {
            out << "TempReg_" << j << " = quantize(qmult,((DelayLine(" << a << ")" << join << "DelayLine(" << b
                << "))*quantize(qcoef," << CoefValue(c, i) << ")));\n";
        } else if (!HasNoTerms(c, i)) {
            out << "TempReg_" << j << "a  = quantize(qmult,DelayLine(" << a << joinMultFree << b << "));\n"
                << "TempReg_" << j << "  = quantize(qmult,(TempReg_" << j << "a*" << FirstTerm(c, i) << ")+(TempReg_"
                << j << "a*" << SecondTerm(c, i) << "));\n";
        }
    }
    return j;
}

// The middle tap always takes register j, whatever its value.
void WriteDirectMiddleProduct(std::ostream& out, const CoreModel& c, int j) {
    const int m = c.PairCount();
    const int a = c.channels * m + 1;
    if (!c.multiplierFree) {
        out << "TempReg_" << j << " = quantize(qmult, (DelayLine(" << a << ")*quantize(qcoef," << CoefValue(c, m)
            << ")));\n";
        return;
    }
    const PowerOfTwoPair& p = c.powerOfTwo[m];
    out << "TempReg_" << j << "  = quantize(qmult,(DelayLine(" << a << ")*";
    if (p.s1 == 0 && p.s2 == 0)
        out << "0";
    else if (p.s1 == 0)
        out << SecondTerm(c, m);
    else if (p.s2 == 0)
        out << FirstTerm(c, m);
    else
        out << FirstTerm(c, m) << ")+(DelayLine(" << a << ")*" << SecondTerm(c, m);
    out << "));\n";
}

// Sums registers 1..count pairwise, level by level, into TempReg_1; an odd one out is carried.
void WriteAdderTree(std::ostream& out, int count) {
    int n = count;
    while (n > 1) {
        out << "\n";
        for (int k = 0; k < n - 1; k += 2)
            out << "TempReg_" << (k / 2 + 1) << " = quantize(qmult,TempReg_" << (k + 1) << " + TempReg_" << (k + 2)
                << ");\n";
        if (n % 2 == 1) {
            out << "TempReg_" << ((n + 1) / 2) << " = TempReg_" << n << ";\n";
            ++n;
        }
        n /= 2;
    }
}

void WriteDirectOutputAndUpdate(std::ostream& out, const CoreModel& c) {
    out << "SigOut = quantize(qout,TempReg_1*2^(" << c.scaleExp << ") );\n"
        << "DelayLine=quantize(qin,[SigIn DelayLine(1:" << (c.delayLineLength - 1) << ") ]);\n";
}

// ---- Fully parallel transposed form ----

void WriteTransposedDeclarations(std::ostream& out, const CoreModel& c) {
    out << "% Initializing variables\n"
        << "persistent DelayLine SignalInput SignalOutput;\n"
        << "if (isempty(DelayLine));" << "DelayLine = zeros(1," << c.delayLineLength << ");" << "end\n"
        << "if (isempty(SignalInput));" << "SignalInput = quantize(qin,0);" << "end\n"
        << "if (isempty(SignalOutput));" << "SignalOutput = 0;" << "end\n";
}

void WriteShiftedProduct(std::ostream& out, const CoreModel& c, int i) {
    const PowerOfTwoPair& p = c.powerOfTwo[i];
    const int k = i + 1;
    out << "MultVec_" << k;
    if (p.s1 == 0 && p.s2 == 0) {
        out << " = 0;\n";
    } else if (p.s1 == 0) {
        out << " = quantize(qmult,(" << p.s2 << "*SignalInput*2^(" << p.f << ")));\n";
    } else if (p.s2 == 0) {
        out << " = quantize(qmult,(" << p.s1 << "*SignalInput*2^(" << p.d << ")));\n";
    } else {
        // The second sign doubles as the operator joining the two terms.
        out << " = quantize(qmult,(" << p.s1 << "*SignalInput*2^(" << p.d << ")" << std::showpos << p.s2
            << std::noshowpos << "*SignalInput*2^(" << p.f << ")));\n";
    }
}

// One product of the registered input per distinct coefficient.
void WriteTransposedProducts(std::ostream& out, const CoreModel& c) {
    const int count = c.IsFolded() ? c.DistinctTapCount() : c.taps;
    if (!c.multiplierFree) {
        for (int i = 0; i < count; ++i)
            out << "MultVec_" << (i + 1) << "=quantize(qmult,quantize(qcoef," << CoefValue(c, i) << ")*SignalInput);\n";
        if (c.IsFolded()) out << "\n";
        return;
    }
    if (c.IsFolded()) {
        for (int i = 0; i < count; ++i) WriteShiftedProduct(out, c, i);
    } else {
        for (int i = count - 1; i >= 0; --i) WriteShiftedProduct(out, c, i);
    }
    out << "\n";
}

void WriteTransposedOutput(std::ostream& out, const CoreModel& c) {
    out << "SignalInput=SigIn;\n"
        << "SigOut = quantize(qout,SignalOutput+0);\n"
        << "SignalOutput = quantize(qout,DelayLine(" << c.delayLineLength << ")*2^(" << c.scaleExp << ") );\n";
}

// Which product the next adding place receives, and with which operator. Unfolded: 1, 2, ... N.
// Folded: 1, 2, ... M, then back down M-1, ... 2 (the mirrored half, subtracted when only the
// magnitudes are symmetric); place 1 then receives product 1.
class ProductSequence {
public:
    explicit ProductSequence(const CoreModel& c) : m_folded(c.IsFolded()), m_middle(c.DistinctTapCount()),
          m_mirrorJoin(IsMagnitudeSymmetric(c) ? " - " : " + ") {}
    int Index() const { return m_k; }
    const char* Join() const { return m_turned ? m_mirrorJoin : " + "; }
    void Advance() {
        if (m_folded && !m_turned && m_k == m_middle) {
            m_turned = true;
            m_k = m_middle - 1;
        } else {
            m_k += m_turned ? -1 : 1;
        }
    }

private:
    bool m_folded;
    int m_middle;
    const char* m_mirrorJoin;
    bool m_turned = false;
    int m_k = 1;
};

// Written from the far end towards place 1; every ch-th place adds a product.
void WriteTransposedUpdate(std::ostream& out, const CoreModel& c) {
    const int length = c.delayLineLength;
    ProductSequence product(c);
    for (int t = 0; t <= length - 2; ++t) {
        const int g = length - t;
        out << "DelayLine(" << g << ") = quantize(qmult,DelayLine(" << (g - 1) << ")";
        if (t % c.channels == 0) {
            out << product.Join() << " MultVec_" << product.Index();
            product.Advance();
        }
        out << ");\n";
    }
    // Place 1 holds the last tap, the mirror of the first: opposite to it when only the magnitudes agree.
    if (c.IsFolded())
        out << "DelayLine(" << 1 << ") = quantize(qmult," << (IsMagnitudeSymmetric(c) ? "-" : "") << "MultVec_" << 1
            << ");\n";
    else
        out << "DelayLine(1) = quantize(qmult,1*MultVec_" << product.Index() << ");\n";
}


void WriteFullyParallelDirect(std::ostream& out, const CoreModel& c) {
    WriteDirectDeclarations(out, c);
    int registers = 0;
    if (c.IsFolded()) {
        registers = WriteDirectPairProducts(out, c) + 1;
        WriteDirectMiddleProduct(out, c, registers);
    } else {
        registers = WriteDirectTapProducts(out, c);
    }
    WriteAdderTree(out, registers);
    WriteDirectOutputAndUpdate(out, c);
}

void WriteFullyParallelTransposed(std::ostream& out, const CoreModel& c) {
    WriteTransposedDeclarations(out, c);
    WriteTransposedProducts(out, c);
    WriteTransposedOutput(out, c);
    WriteTransposedUpdate(out, c);
}

// The character joining a mirror pair: sum for equal values, difference for equal magnitudes.
char PairJoin(const CoreModel& c) { return IsMagnitudeSymmetric(c) ? '-' : '+'; }

// ---- Resource-shared direct form ----

void WriteSharedDirectDeclarations(std::ostream& out, const CoreModel& c) {
    out << "% Initializing variables\n"
        << "\npersistent DelayLine;"
        << "\nif (isempty(DelayLine));" << "DelayLine = zeros(1," << c.delayLineLength << ");" << "end\n"
        << "\nFIRCoefs=quantize(qcoef, [";
}

void WriteSharedDirectUnfolded(std::ostream& out, const CoreModel& c) {
    const int ch = c.channels;
    WriteCoefficientEntries(out, c, c.taps);
    out << "]);\n"
        << "\nTempReg=quantize(qmult,0);\n"
        << "for (ii = 0:" << (c.taps - 1) << ")\n";
    if (!c.multiplierFree) {
        out << "TempReg = quantize(qmult,TempReg+((DelayLine(ii*" << ch << "+1)*FIRCoefs(ii+1))));\n";
    } else {
        // The first term of tap ii is entry ii*2+1 whatever the channel count.
        out << "TempReg = quantize(qmult,TempReg+((DelayLine(ii*" << ch << "+1)*FIRCoefs((ii*" << 1
            << ")*2+1)+DelayLine(ii*" << ch << "+1)*FIRCoefs(((ii+1)*2)))));\n";
    }
    out << "end\n";
}

// The accumulator starts from the middle tap's product.
void WriteSharedMiddleProduct(std::ostream& out, const CoreModel& c) {
    const int m = c.PairCount();
    const int a = c.channels * m + 1;
    if (!c.multiplierFree)
        out << "TempReg = quantize(qmult, (DelayLine(" << a << ")*quantize(qcoef," << CoefValue(c, m) << ")));\n";
    else
        out << "TempReg  = quantize(qmult,(DelayLine(" << a << ")*" << FirstTerm(c, m) << ")+(DelayLine(" << a << ")*"
            << SecondTerm(c, m) << "));\n";
}

void WriteSharedDirectFolded(std::ostream& out, const CoreModel& c) {
    const int ch = c.channels;
    const int length = c.delayLineLength;
    const char join = PairJoin(c);
    WriteCoefficientEntries(out, c, c.PairCount());
    out << "]);\n";
    WriteSharedMiddleProduct(out, c);
    out << "\nfor (ii = 0:" << (c.PairCount() - 1) << ")\n";
    if (!c.multiplierFree) {
        out << "\tTempReg = quantize(qmult,TempReg+(((DelayLine(ii*" << ch << "+1)" << join << "DelayLine(" << length
            << "-ii*" << ch << "))*FIRCoefs(ii+1))));\n";
    } else {
        out << "\tTempReg = quantize(qmult,TempReg+(( (DelayLine(ii*" << ch << "+1)" << join << "DelayLine(" << length
            << "-(ii*" << ch << ")))*FIRCoefs(ii*2+1)+(DelayLine(ii*" << ch << "+1)" << join << "DelayLine(" << length
            << "-ii*" << ch << "))*FIRCoefs(((ii+1)*2)))));\n";
    }
    out << "end\n\n";
}

// ---- Resource-shared transposed form, unfolded ----

void WriteSharedTransposedDeclarations(std::ostream& out, const CoreModel& c) {
    out << "% Initializing variables\n"
        << "persistent DelayLine SignalInput;\n"
        << "if (isempty(SignalInput));" << "SignalInput = quantize(qin,0);" << "end\n"
        << "\nif (isempty(DelayLine));" << "DelayLine = zeros(1," << c.delayLineLength << ");" << "end\n"
        << "\nFIRCoefs=quantize(qcoef,[";
    WriteCoefficientEntries(out, c, c.taps);
    out << "]);\n";
}

void WriteSharedTransposedLoop(std::ostream& out, const CoreModel& c) {
    const int n = c.taps;
    const int ch = c.channels;
    out << "SignalInput=SigIn;\n\n"
        << "for ii = " << (n - 1) << ":-1:1\n";
    if (!c.multiplierFree) {
        out << "\tDelayLine(" << ch << "*ii+1) = quantize(qmult,DelayLine(" << ch << "*ii)+FIRCoefs(" << n
            << "-ii)*SignalInput);\n";
    } else {
        out << "\tDelayLine(" << ch << "*ii+1) = quantize(qmult,DelayLine(" << ch << "*ii)+((SignalInput*FIRCoefs("
            << (2 * n - 1) << "-(ii)*2)+SignalInput*FIRCoefs(" << (2 * n - 1) << "-(ii)*2+1))));\n";
    }
    // For k = 0 the index reads ii--1, which MATLAB evaluates as ii+1.
    for (int k = 0; k <= ch - 2; ++k)
        out << "\tDelayLine(" << ch << "*ii-" << k << ") = DelayLine(" << ch << "*ii-" << (k - 1) << ");\n";
    out << "end\n\n";
}

void WriteSharedTransposedOutput(std::ostream& out, const CoreModel& c) {
    const int n = c.taps;
    if (!c.multiplierFree)
        out << "DelayLine(1) = quantize(qmult,FIRCoefs(" << n << ")*SignalInput);\n";
    else
        out << "DelayLine(1) = quantize(qmult,((SignalInput*FIRCoefs(" << (2 * n - 1) << ")+SignalInput*FIRCoefs("
            << (2 * n) << "))));\n";
    out << "SigOut = quantize(qout,DelayLine(" << c.delayLineLength << ")*2^(" << c.scaleExp << "));\n";
}

// ---- Resource-shared transposed form, folded ----

void WriteFoldedDeclarations(std::ostream& out, const CoreModel& c) {
    const int places = c.DistinctTapCount() + 1;
    out << "% Initializing variables\n"
        << "persistent DelayLine_n DelayLine_s SignalInput SignalOutput;\n"
        << "if (isempty(SignalInput));" << "SignalInput = quantize(qin,0);" << "end\n"
        << "if (isempty(SignalOutput));" << "SignalOutput = quantize(qout,0);" << "end\n"
        << "\nif (isempty(DelayLine_n));" << "DelayLine_n = zeros(1," << places << ");" << "end\n"
        << "\nif (isempty(DelayLine_s));" << "DelayLine_s = zeros(1," << places << ");"
        << "DelayLine_s_tmp = zeros(1," << places << ");" << "end\n"
        << "\nFIRCoefs=quantize(qcoef,[";
    WriteCoefficientEntries(out, c, c.DistinctTapCount());
    out << "]);\n";
}

// The step of the DelayLine_s chain, which gathers the mirrored half (jj < M) and, last, the middle
// tap (jj = M) before it joins DelayLine_n. With only the magnitudes symmetric the mirrored taps are
// the negated first-half coefficients, so they subtract their product; the middle tap adds its own.
void WriteMirrorChainStep(std::ostream& out, const CoreModel& c) {
    if (!IsMagnitudeSymmetric(c)) {
        out << "    DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) + temp);  \n";
        return;
    }
    out << "    if (jj < " << c.DistinctTapCount() << ")\n"
        << "        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) - temp);\n"
        << "    else\n"
        << "        DelayLine_s_tmp(jj+1) = quantize(qmult,DelayLine_s(jj) + temp);\n"
        << "    end\n";
}

// Two chains of partial sums: DelayLine_s in rising order of jj, DelayLine_n reading its next
// place before that place is updated; they are joined at the middle place after the loop.
void WriteFoldedLoop(std::ostream& out, const CoreModel& c) {
    const int middle = c.DistinctTapCount();
    out << "DelayLine_s(1) = quantize(qmult,0);\n"
        << "DelayLine_s_tmp(1) = quantize(qmult,0);\n"
        << "SignalInput=SigIn;\n\n"
        << "\nfor jj = 1:" << middle << "\n";
    if (c.multiplierFree)
        out << " temp = quantize(qmult,(SignalInput*FIRCoefs((jj-1)*2+1) + SignalInput*FIRCoefs((jj*2))));\n";
    else
        out << "\ttemp=quantize(qmult,(SignalInput*FIRCoefs(jj)));\n";
    WriteMirrorChainStep(out, c);
    out << "    DelayLine_s(jj) = quantize(qmult,1*DelayLine_s_tmp(jj));\n"
        << "    DelayLine_n(jj) = quantize(qmult,DelayLine_n(jj+1) + temp);\n"
        << "end\n"
        << "DelayLine_s(" << (middle + 1) << ") = DelayLine_s_tmp(" << (middle + 1) << ");\n"
        << "DelayLine_n(" << middle << ") = DelayLine_s_tmp(" << (middle + 1) << ");\n";
}

void WriteFoldedOutput(std::ostream& out, const CoreModel& c) {
    out << "SigOut = quantize(qout,SignalOutput+0);\n"
        << "SignalOutput = quantize(qout,DelayLine_n(1)*2^(" << c.scaleExp << "));\n";
}


void WriteSharedDirect(std::ostream& out, const CoreModel& c) {
    WriteSharedDirectDeclarations(out, c);
    if (c.IsFolded())
        WriteSharedDirectFolded(out, c);
    else
        WriteSharedDirectUnfolded(out, c);
    out << "SigOut = quantize(qout,TempReg*2^(" << c.scaleExp << ") );\n"
        << "DelayLine=quantize(qin,[SigIn DelayLine(1:" << (c.delayLineLength - 1) << ") ]);\n";
}

void WriteSharedTransposed(std::ostream& out, const CoreModel& c) {
    WriteSharedTransposedDeclarations(out, c);
    WriteSharedTransposedLoop(out, c);
    WriteSharedTransposedOutput(out, c);
}

void WriteSharedTransposedFolded(std::ostream& out, const CoreModel& c) {
    WriteFoldedDeclarations(out, c);
    WriteFoldedLoop(out, c);
    WriteFoldedOutput(out, c);
}

}  // namespace

void WriteInputSection(std::ostream& out, const CoreModel& model) {
    // With zero-stuffing the core runs at the output rate and takes a new sample every ratio-th call.
    if (model.zeroStuffing)
        WriteZeroStuffingCounter(out, model.ratio, model.counterBits);
    else
        out << "SigIn = SigIn2;\n";
}

void WriteFormatDeclaration(std::ostream& out, const char* name, const FixedFormat& format) {
    out << name << " = quantizer( 'fixed', 'floor', 'wrap', [ " << format.word << " " << format.fraction << " ] );\n";
}

void WriteStructure(std::ostream& out, const CoreModel& c) {
    CheckModel(c);
    switch (c.structure) {
        case Structure::ParallelDirect: WriteFullyParallelDirect(out, c); return;
        case Structure::ParallelTransposed: WriteFullyParallelTransposed(out, c); return;
        case Structure::SharedDirect: WriteSharedDirect(out, c); return;
        case Structure::SharedTransposed: WriteSharedTransposed(out, c); return;
        case Structure::SharedFoldedTransposed: WriteSharedTransposedFolded(out, c); return;
    }
}

void WriteCoreBody(std::ostream& out, const CoreModel& model) {
    CheckModel(model);
    WriteInputSection(out, model);
    // Coefficient values are dyadic fractions: 32 significant digits print them exactly.
    out.precision(32);
    WriteFormatDeclaration(out, "qin", model.in);
    WriteFormatDeclaration(out, "qout", model.out);
    WriteFormatDeclaration(out, "qmult", model.mult);
    WriteFormatDeclaration(out, "qcoef", model.coef);
    WriteStructure(out, model);
}

}  // namespace fir
