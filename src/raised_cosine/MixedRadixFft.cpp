// Mixed-radix decimation-in-time DFT: factor the length, permute the input into digit-reversed
// order, then run one pass per factor with a dedicated butterfly for 2, 3, 4, 5, 8 and 10 and a
// general odd-radix butterfly otherwise. Every table lives in a per-call plan and workspace, and
// every operation is ordered as the coefficient design expects, so results are reproducible.
#include "raised_cosine/MixedRadixFft.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

namespace rcos {
namespace {

// Stored constants: 14 significant digits, kept as written (not full-precision values) because
// the quantised coefficients depend on their last bits.
constexpr double kK3a = -1.5;
constexpr double kK3b = 0.86602540378444;
constexpr double kK5a = -1.25;
constexpr double kK5b = 0.55901699437495;
constexpr double kK5c = -0.95105651629515;
constexpr double kK5d = -1.5388417685876;
constexpr double kK5e = 0.36327126400268;
constexpr double kK8 = 0.70710678118655;

constexpr int kHalfTableSize = (kMaxPrimeFactor + 1) / 2;
// Slot 0 is used only by Remaining; one spare slot above the last factor keeps the digit counter
// in bounds (no 32-bit length has more than 19 factors).
constexpr int kFactorSlots = 21;

struct FactorPlan {
    int count = 0;  // F: the factors sit in slots 1..F
    std::array<int, kFactorSlots> factor{};
    std::array<int, kFactorSlots> precedingProduct{};
    std::array<int, kFactorSlots> remaining{};
};

// Per-pass tables, sized for the largest admitted radix.
struct PassWorkspace {
    double pi = 0.0;
    std::array<double, kMaxPrimeFactor> rootRe, rootIm;
    std::array<double, kMaxPrimeFactor> twiddleRe, twiddleIm;
    std::array<double, kMaxPrimeFactor> zRe, zIm;
    std::array<double, kHalfTableSize> sumRe, sumIm;    // A of the odd-radix butterfly
    std::array<double, kHalfTableSize> diffRe, diffIm;  // B of the odd-radix butterfly
};

std::string TooLargeFactorMessage(int factor) {
    char line[64];
    std::snprintf(line, sizeof line, "\nPrime factor of FFT length too large : %6d", factor);
    return std::string(line) + "\nPlease modify the value of maxPrimeFactor in mixfft";
}

void SetupFactorTables(int n, FactorPlan& plan) {
    const std::vector<int> factors = FactorLength(n);
    if (factors.front() > kMaxPrimeFactor) throw std::runtime_error(TooLargeFactorMessage(factors.front()));
    plan.count = static_cast<int>(factors.size());
    for (int i = 1; i <= plan.count; ++i) plan.factor[i] = factors[i - 1];
    plan.remaining[0] = n;
    plan.precedingProduct[1] = 1;
    plan.remaining[1] = n / plan.factor[1];
    for (int i = 2; i <= plan.count; ++i) {
        plan.precedingProduct[i] = plan.precedingProduct[i - 1] * plan.factor[i - 1];
        plan.remaining[i] = plan.remaining[i - 1] / plan.factor[i];
    }
}

// Mixed-radix digit reversal driven by a counter whose digits are the factors in pass order.
void DigitReversePermute(const FactorPlan& plan, int n, const double* inRe, const double* inIm, double* outRe,
                         double* outIm) {
    std::array<int, kFactorSlots> count{};
    int k = 0;
    for (int i = 0; i <= n - 2; ++i) {
        outRe[i] = inRe[k];
        outIm[i] = inIm[k];
        int j = 1;
        k = k + plan.remaining[1];
        count[1] = count[1] + 1;
        while (count[j] >= plan.factor[j]) {
            count[j] = 0;
            k = k - plan.remaining[j - 1] + plan.remaining[j + 1];
            j = j + 1;
            count[j] = count[j] + 1;
        }
    }
    // The counter never carries out of its top digit before the last element.
    outRe[n - 1] = inRe[n - 1];
    outIm[n - 1] = inIm[n - 1];
}

// base^0 .. base^(count-1) by repeated multiplication, never by sin/cos per entry (entry 1 is
// written even when count is 1). The root and the twiddle tables are both built this way.
void FillPowers(double baseRe, double baseIm, int count, double* re, double* im) {
    re[0] = 1.0;
    im[0] = 0.0;
    re[1] = baseRe;
    im[1] = baseIm;
    for (int i = 2; i < count; ++i) {
        re[i] = baseRe * re[i - 1] - baseIm * im[i - 1];
        im[i] = baseIm * re[i - 1] + baseRe * im[i - 1];
    }
}

// Powers of e^{-2 pi i / radix}.
void BuildRootTable(int radix, PassWorkspace& ws) {
    const double w = 2.0 * ws.pi / radix;
    FillPowers(std::cos(w), -std::sin(w), radix, ws.rootRe.data(), ws.rootIm.data());
}

void Butterfly2(PassWorkspace& ws) {
    auto& re = ws.zRe;
    auto& im = ws.zIm;
    const double r0 = re[0], i0 = im[0];
    re[0] = r0 + re[1];
    im[0] = i0 + im[1];
    re[1] = r0 - re[1];
    im[1] = i0 - im[1];
}

void Butterfly3(PassWorkspace& ws) {
    auto& re = ws.zRe;
    auto& im = ws.zIm;
    const double t1Re = re[1] + re[2];
    const double t1Im = im[1] + im[2];
    re[0] = re[0] + t1Re;
    im[0] = im[0] + t1Im;
    const double m1Re = kK3a * t1Re;
    const double m1Im = kK3a * t1Im;
    const double m2Re = kK3b * (im[1] - im[2]);
    const double m2Im = kK3b * (re[2] - re[1]);
    const double s1Re = re[0] + m1Re;
    const double s1Im = im[0] + m1Im;
    re[1] = s1Re + m2Re;
    im[1] = s1Im + m2Im;
    re[2] = s1Re - m2Re;
    im[2] = s1Im - m2Im;
}

// Four points in place; shared by the radix-4 pass and both halves of the radix-8 butterfly.
void Transform4(double* re, double* im) {
    const double t1Re = re[0] + re[2];
    const double t1Im = im[0] + im[2];
    const double t2Re = re[1] + re[3];
    const double t2Im = im[1] + im[3];
    const double m2Re = re[0] - re[2];
    const double m2Im = im[0] - im[2];
    const double m3Re = im[1] - im[3];
    const double m3Im = re[3] - re[1];
    re[0] = t1Re + t2Re;
    im[0] = t1Im + t2Im;
    re[2] = t1Re - t2Re;
    im[2] = t1Im - t2Im;
    re[1] = m2Re + m3Re;
    im[1] = m2Im + m3Im;
    re[3] = m2Re - m3Re;
    im[3] = m2Im - m3Im;
}

// Five points in place; shared by the radix-5 pass and both halves of the radix-10 butterfly.
void Transform5(double* re, double* im) {
    const double t1Re = re[1] + re[4], t1Im = im[1] + im[4];
    const double t2Re = re[2] + re[3], t2Im = im[2] + im[3];
    const double t3Re = re[1] - re[4], t3Im = im[1] - im[4];
    const double t4Re = re[3] - re[2], t4Im = im[3] - im[2];
    const double t5Re = t1Re + t2Re, t5Im = t1Im + t2Im;
    re[0] = re[0] + t5Re;
    im[0] = im[0] + t5Im;
    const double m1Re = kK5a * t5Re, m1Im = kK5a * t5Im;
    const double m2Re = kK5b * (t1Re - t2Re), m2Im = kK5b * (t1Im - t2Im);
    const double m3Re = -kK5c * (t3Im + t4Im), m3Im = kK5c * (t3Re + t4Re);
    const double m4Re = -kK5d * t4Im, m4Im = kK5d * t4Re;
    const double m5Re = -kK5e * t3Im, m5Im = kK5e * t3Re;
    const double s3Re = m3Re - m4Re, s3Im = m3Im - m4Im;
    const double s5Re = m3Re + m5Re, s5Im = m3Im + m5Im;
    const double s1Re = re[0] + m1Re, s1Im = im[0] + m1Im;
    const double s2Re = s1Re + m2Re, s2Im = s1Im + m2Im;
    const double s4Re = s1Re - m2Re, s4Im = s1Im - m2Im;
    re[1] = s2Re + s3Re;
    im[1] = s2Im + s3Im;
    re[2] = s4Re + s5Re;
    im[2] = s4Im + s5Im;
    re[3] = s4Re - s5Re;
    im[3] = s4Im - s5Im;
    re[4] = s2Re - s3Re;
    im[4] = s2Im - s3Im;
}

void Butterfly8(PassWorkspace& ws) {
    auto& re = ws.zRe;
    auto& im = ws.zIm;
    double aRe[4], aIm[4], bRe[4], bIm[4];
    for (int m = 0; m < 4; ++m) {
        aRe[m] = re[2 * m];
        aIm[m] = im[2 * m];
        bRe[m] = re[2 * m + 1];
        bIm[m] = im[2 * m + 1];
    }
    Transform4(aRe, aIm);
    Transform4(bRe, bIm);
    // b[m] times e^{-2 pi i m/8}.
    double t = kK8 * (bRe[1] + bIm[1]);
    bIm[1] = kK8 * (bIm[1] - bRe[1]);
    bRe[1] = t;
    t = bIm[2];
    bIm[2] = -bRe[2];
    bRe[2] = t;
    t = kK8 * (bIm[3] - bRe[3]);
    bIm[3] = -kK8 * (bRe[3] + bIm[3]);
    bRe[3] = t;
    for (int m = 0; m < 4; ++m) {
        re[m] = aRe[m] + bRe[m];
        im[m] = aIm[m] + bIm[m];
        re[m + 4] = aRe[m] - bRe[m];
        im[m + 4] = aIm[m] - bIm[m];
    }
}

// Prime-factor split 10 = 2 * 5: no twiddles between the halves, only an index map.
void Butterfly10(PassWorkspace& ws) {
    auto& re = ws.zRe;
    auto& im = ws.zIm;
    static constexpr int kOddHalf[5] = {5, 7, 9, 1, 3};
    static constexpr int kSumIndex[5] = {0, 6, 2, 8, 4};
    static constexpr int kDiffIndex[5] = {5, 1, 7, 3, 9};
    double aRe[5], aIm[5], bRe[5], bIm[5];
    for (int m = 0; m < 5; ++m) {
        aRe[m] = re[2 * m];
        aIm[m] = im[2 * m];
        bRe[m] = re[kOddHalf[m]];
        bIm[m] = im[kOddHalf[m]];
    }
    Transform5(aRe, aIm);
    Transform5(bRe, bIm);
    for (int m = 0; m < 5; ++m) {
        re[kSumIndex[m]] = aRe[m] + bRe[m];
        im[kSumIndex[m]] = aIm[m] + bIm[m];
        re[kDiffIndex[m]] = aRe[m] - bRe[m];
        im[kDiffIndex[m]] = aIm[m] - bIm[m];
    }
}

// General odd radix (and 1): pairs z_j, z_{r-j} share their products with the root table, so
// the cost is about (r/2)^2 multiplications per block.
void ButterflyOdd(int radix, PassWorkspace& ws) {
    auto& re = ws.zRe;
    auto& im = ws.zIm;
    const int half = (radix + 1) / 2;
    for (int j = 1; j < half; ++j) {
        ws.sumRe[j] = re[j] + re[radix - j];
        ws.sumIm[j] = im[j] - im[radix - j];
        ws.diffRe[j] = re[j] - re[radix - j];
        ws.diffIm[j] = im[j] + im[radix - j];
    }
    for (int j = 1; j < half; ++j) {
        re[j] = re[0];
        im[j] = im[0];
        re[radix - j] = re[0];
        im[radix - j] = im[0];
        int k = j;
        for (int i = 1; i < half; ++i) {
            const double p1 = ws.rootRe[k] * ws.sumRe[i];
            const double p2 = ws.rootIm[k] * ws.sumIm[i];
            const double p3 = ws.rootRe[k] * ws.diffIm[i];
            const double p4 = ws.rootIm[k] * ws.diffRe[i];
            re[radix - j] = (p2 + re[radix - j]) + p1;
            im[radix - j] = (p3 - p4) + im[radix - j];
            re[j] = (p1 - p2) + re[j];
            im[j] = (p4 + p3) + im[j];
            k = k + j;
            if (k >= radix) k = k - radix;
        }
    }
    for (int j = 1; j < half; ++j) {
        re[0] += ws.sumRe[j];
        im[0] += ws.diffIm[j];
    }
}

void TransformBlock(int radix, PassWorkspace& ws) {
    switch (radix) {
        case 2: Butterfly2(ws); break;
        case 3: Butterfly3(ws); break;
        case 4: Transform4(ws.zRe.data(), ws.zIm.data()); break;
        case 5: Transform5(ws.zRe.data(), ws.zIm.data()); break;
        case 8: Butterfly8(ws); break;
        case 10: Butterfly10(ws); break;
        default: ButterflyOdd(radix, ws); break;
    }
}

// One pass of the given radix over blocks spaced `stride` apart; `groups` blocks per position.
void RadixPass(int stride, int radix, int groups, PassWorkspace& ws, double* outRe, double* outIm) {
    BuildRootTable(radix, ws);
    const double omega = 2.0 * ws.pi / static_cast<double>(stride * radix);
    const double cosOmega = std::cos(omega);
    const double sinOmega = -std::sin(omega);
    double tRe = 1.0;
    double tIm = 0.0;
    for (int d = 0; d < stride; ++d) {
        if (stride > 1) {
            FillPowers(tRe, tIm, radix, ws.twiddleRe.data(), ws.twiddleIm.data());
            const double nextRe = cosOmega * tRe - sinOmega * tIm;
            tIm = sinOmega * tRe + cosOmega * tIm;
            tRe = nextRe;
        }
        const bool twiddled = stride > 1 && d > 0;
        int q = d;
        for (int group = 0; group < groups; ++group) {
            if (twiddled) {
                ws.zRe[0] = outRe[q];
                ws.zIm[0] = outIm[q];
                for (int m = 1; m < radix; ++m) {
                    const int at = q + m * stride;
                    ws.zRe[m] = ws.twiddleRe[m] * outRe[at] - ws.twiddleIm[m] * outIm[at];
                    ws.zIm[m] = ws.twiddleRe[m] * outIm[at] + ws.twiddleIm[m] * outRe[at];
                }
            } else {
                for (int m = 0; m < radix; ++m) {
                    ws.zRe[m] = outRe[q + m * stride];
                    ws.zIm[m] = outIm[q + m * stride];
                }
            }
            TransformBlock(radix, ws);
            for (int m = 0; m < radix; ++m) {
                outRe[q + m * stride] = ws.zRe[m];
                outIm[q + m * stride] = ws.zIm[m];
            }
            q = q + stride * radix;
        }
    }
}

}  // namespace

std::vector<int> FactorLength(int n) {
    if (n == 1) return {1};
    std::vector<int> appended;
    int rest = n;
    for (const int radix : {10, 8, 5, 4, 3, 2}) {
        while (rest > 1 && rest % radix == 0) {
            rest /= radix;
            appended.push_back(radix);
        }
    }
    // A trailing 2 after an 8 gives two radix-4 passes, which are cheaper than 8 then 2.
    if (!appended.empty() && appended.back() == 2) {
        for (int i = static_cast<int>(appended.size()) - 2; i >= 0; --i) {
            if (appended[i] == 8) {
                appended[i] = 4;
                appended.back() = 4;
                break;
            }
        }
    }
    if (rest > 1) {
        for (int k = 2; k < std::sqrt(static_cast<double>(rest)) + 1; ++k) {
            while (rest % k == 0) {
                rest /= k;
                appended.push_back(k);
            }
        }
        if (rest > 1) appended.push_back(rest);
    }
    return {appended.rbegin(), appended.rend()};
}

void MixedRadixForward(int n, const double* inRe, const double* inIm, double* outRe, double* outIm) {
    if (n < 1) return;
    FactorPlan plan;
    SetupFactorTables(n, plan);
    PassWorkspace ws;
    ws.pi = 4.0 * std::atan(1.0);
    DigitReversePermute(plan, n, inRe, inIm, outRe, outIm);
    for (int i = 1; i <= plan.count; ++i)
        RadixPass(plan.precedingProduct[i], plan.factor[i], plan.remaining[i], ws, outRe, outIm);
}

void MixedRadixInverse(int n, const double* inRe, const double* inIm, double* outRe, double* outIm) {
    if (n < 1) return;
    std::vector<double> conjugatedIm(n, 0.0);
    std::vector<double> resultIm(n, 0.0);
    for (int i = 0; i < n; ++i) conjugatedIm[i] = -inIm[i];
    MixedRadixForward(n, inRe, conjugatedIm.data(), outRe, resultIm.data());
    const double scale = 1.0 / n;
    for (int i = 0; i < n; ++i) {
        outRe[i] = outRe[i] * scale;
        outIm[i] = -(resultIm[i] * scale);
    }
}

}  // namespace rcos
