// The quantizer record: construction with the project's default modes, the setters and the
// word-length limit, and its texts (MATLAB constructor call, host list, declaration line).
#include "quantizer/Quantizer.h"

#include <algorithm>
#include <cstdint>

#include "host/AppMgr.h"
#include "host/GlobalSetting.h"
#include "quantizer/ProjectQuantizerDefaults.h"

namespace kw {

namespace {

constexpr int kMaxSignedDeclaredBits = 53;  // what a double holds exactly

}  // namespace

std::string QuantizerTypeName(QuantizerType type) {
    switch (type) {
        case kFixed: return "fixed";
        case kUFixed: return "ufixed";
        case kFloat:
        case kUFloat: return "float";
        case kSingle:
        case kUSingle: return "single";
        case kDouble:
        case kUDouble: return "double";
    }
    return std::string();
}

std::string OverflowModeName(OverflowMode mode) {
    switch (mode) {
        case kWrap: return "wrap";
        case kSaturate: return "saturate";
        case kOverflowUnset: break;
    }
    return std::string();
}

std::string RoundModeName(RoundMode mode) {
    switch (mode) {
        case kFloor: return "floor";
        case kRound: return "round";
        case kNearest: return "nearest";
        case kCeil: return "ceil";
        case kFix: return "fix";
        case kConvergent: return "convergent";
        case kRoundUnset: break;
    }
    return std::string();
}

Quantizer::Quantizer() {
    CheckMatlabVersion();
    InitialiseFromProject();
}

Quantizer::Quantizer(const CTclDataObj* hostValue) {
    InitialiseFromProject();
    ApplyHostValue(hostValue, nullptr, -1);
}

void Quantizer::InitialiseFromProject() {
    m_wordLength = 0;
    m_fractionalLength = 0;
    m_type = kUFixed;
    ApplyProjectDefaults(*this);
}

void Quantizer::SetSigned(bool isSigned) {
    const int type = static_cast<int>(m_type);
    const bool isOdd = (type & 1) != 0;
    // Only the signedness changes, never the kind of number.
    if (isSigned && isOdd) m_type = static_cast<QuantizerType>(type - 1);
    if (!isSigned && !isOdd) m_type = static_cast<QuantizerType>(type + 1);
}

bool Quantizer::IsSigned() const {
    return m_type == kFixed || m_type == kFloat || m_type == kSingle || m_type == kDouble;
}

void Quantizer::LimitWordLength(int max) {
    if (max < m_wordLength) {
        // Integer bits are kept; the excess comes off the fraction.
        const std::int64_t excess = static_cast<std::int64_t>(m_wordLength) - max;
        const std::int64_t fraction = static_cast<std::int64_t>(m_fractionalLength) - excess;
        m_wordLength = max;
        m_fractionalLength = static_cast<int>(std::max<std::int64_t>(fraction, 0));
    } else if (m_fractionalLength < 0) {
        m_fractionalLength = 0;
    }
}

std::string Quantizer::MatlabText() const {
    return "quantizer( '" + QuantizerTypeName(m_type) + "', '" + RoundModeName(m_round) + "', '" +
           OverflowModeName(m_overflow) + "', [ " + std::to_string(m_wordLength) + " " +
           std::to_string(m_fractionalLength) + " ] )";
}

std::string Quantizer::HostListText() const {
    CTclDataObj lengths;
    lengths.MakeList();
    lengths.AppendAsListElement(m_wordLength);
    lengths.AppendAsListElement(m_fractionalLength);

    CTclDataObj list;
    list.MakeList();
    list.AppendAsListElement(QuantizerTypeName(m_type));
    list.AppendAsListElement(RoundModeName(m_round));
    list.AppendAsListElement(OverflowModeName(m_overflow));
    list.AppendAsListElement(lengths);
    return list.GetStringValue();
}

void Quantizer::WriteDeclaration(std::ostream& out, const std::string& name) {
    LimitWordLength(IsSigned() ? kMaxSignedDeclaredBits : kMaxSignedDeclaredBits - 1);
    // Some MATLAB releases refuse a signed one-bit quantizer.
    if (GlobalSettingIsOn("Settings::KelvoWareDisableFixed1_0") && IsSigned() && m_wordLength == 1) {
        WidenWordLength(1);
    }
    out << name << " = " << MatlabText() << ";\n";
}

}  // namespace kw
