// One fixed-point format as MATLAB's quantizer object knows it: number type, rounding mode,
// overflow mode, word and fraction length. Prints itself as the MATLAB constructor call that
// generated files declare, and parses the Tcl list values that the host passes for ports.
#pragma once

#include <ostream>
#include <string>

class CTclDataObj;

namespace kw {

// Even values are signed, odd values unsigned.
enum QuantizerType : int {
    kFixed = 0, kUFixed = 1, kFloat = 2, kUFloat = 3, kSingle = 4, kUSingle = 5, kDouble = 6, kUDouble = 7
};
enum OverflowMode : int { kOverflowUnset = -1, kWrap = 0, kSaturate = 1 };
enum RoundMode : int {
    kRoundUnset = -1, kFloor = 0, kRound = 1, kNearest = 2, kCeil = 3, kFix = 4, kConvergent = 5
};

// MATLAB mode words; empty text for a value without a name.
std::string QuantizerTypeName(QuantizerType type);
std::string OverflowModeName(OverflowMode mode);
std::string RoundModeName(RoundMode mode);

class Quantizer {
public:
    // Runs the once-per-process MATLAB version check, then takes the project's default modes.
    Quantizer();
    // Default construction (without repeating the version check), then the host value applied;
    // a null value leaves the default quantizer. Errors carry no file information.
    explicit Quantizer(const CTclDataObj* hostValue);

    // Parses a host list value (flat or nested form) into this quantizer. file/line are passed
    // to the error reports ("DIR-0035", "DIR-0036", "DIR-0037"; nullptr file = no file info).
    // Throws kw::ParameterError with the host's message text on error.
    void ApplyHostValue(const CTclDataObj* value, const char* file = nullptr, int line = -1);

    void SetSigned(bool isSigned);
    void SetType(QuantizerType type) { m_type = type; }
    void SetOverflowMode(OverflowMode mode) { m_overflow = mode; }
    void SetRoundMode(RoundMode mode) { m_round = mode; }
    void SetWordLength(int bits) { m_wordLength = bits; }
    void SetFractionalLength(int bits) { m_fractionalLength = bits; }
    void WidenWordLength(int bits) { m_wordLength += bits; }

    int WordLength() const { return m_wordLength; }
    int FractionalLength() const { return m_fractionalLength; }
    QuantizerType Type() const { return m_type; }
    OverflowMode Overflow() const { return m_overflow; }
    RoundMode Rounding() const { return m_round; }
    bool IsSigned() const;

    // Drops fraction bits so the word fits in max bits (integer bits kept, fraction not below 0).
    void LimitWordLength(int max);

    // quantizer( 'fixed', 'floor', 'wrap', [ 16 15 ] )
    std::string MatlabText() const;
    // The host list {fixed floor wrap {16 15}} as the host spells it.
    std::string HostListText() const;

    // Applies the declaration limits (53/52 bits, the 1-bit widening setting) to this record,
    // then writes "name = <MatlabText>;\n".
    void WriteDeclaration(std::ostream& out, const std::string& name);

private:
    void InitialiseFromProject();
    void ApplyWord(const std::string& word, const char* file, int line);

    int m_wordLength = 0;
    int m_fractionalLength = 0;
    QuantizerType m_type = kUFixed;
    OverflowMode m_overflow = kOverflowUnset;
    RoundMode m_round = kRoundUnset;
};

}  // namespace kw
