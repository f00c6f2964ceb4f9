// Literal and bit-slicing text shared by the Verilog writers.
#include "verilog/VerilogText.h"

#include <sstream>
#include <stdexcept>

namespace fir::vlog {

namespace {

std::string Bit(const std::string& name, int index) { return name + "[" + std::to_string(index) + "]"; }

std::string Range(const std::string& name, int high, int low) {
    return name + "[" + std::to_string(high) + ":" + std::to_string(low) + "]";
}

std::string Copies(int count, const std::string& bit) { return "{" + std::to_string(count) + "{" + bit + "}}"; }

std::string AsSigned(const std::string& bits) { return "$signed(" + bits + ")"; }

std::string Zeros(int count) { return Copies(count, "1'b0"); }

}  // namespace

std::string Literal(std::int64_t value, int width) {
    if (width < 1 || width > 62) throw std::invalid_argument("Verilog literal of width " + std::to_string(width));
    const std::int64_t half = static_cast<std::int64_t>(1) << (width - 1);
    std::ostringstream text;
    if (value > -half && value < half) {
        text << (value < 0 ? "(-" : "") << width << "'sd" << (value < 0 ? -value : value) << (value < 0 ? ")" : "");
        return text.str();
    }
    const std::uint64_t mask = (static_cast<std::uint64_t>(1) << width) - 1;
    text << width << "'sh" << std::hex << (static_cast<std::uint64_t>(value) & mask);
    return text.str();
}

std::string Unsigned(std::int64_t value, int width) { return std::to_string(width) + "'d" + std::to_string(value); }

int IndexBits(int count) {
    int bits = 1;
    while ((1LL << bits) < count) ++bits;
    return bits;
}

std::string SignExtend(const std::string& name, int from, int to) {
    if (to == from) return name;
    return AsSigned("{" + Copies(to - from, Bit(name, from - 1)) + ", " + name + "}");
}

std::string ShiftedUp(const std::string& name, int from, int shift, int to) {
    if (shift == 0) return SignExtend(name, from, to);
    std::string bits = "{";
    if (to > from + shift) bits += Copies(to - from - shift, Bit(name, from - 1)) + ", ";
    bits += name + ", " + Zeros(shift) + "}";
    return AsSigned(bits);
}

std::string Requantize(const std::string& name, int from, int shift, int out) {
    if (shift < 0) {
        const int up = -shift;
        if (out <= up) return AsSigned(Zeros(out));
        if (out <= from + up) return AsSigned("{" + Range(name, out - up - 1, 0) + ", " + Zeros(up) + "}");
        return AsSigned("{" + Copies(out - from - up, Bit(name, from - 1)) + ", " + name + ", " + Zeros(up) + "}");
    }
    const int high = shift + out - 1;
    if (shift > from - 1) return AsSigned(Copies(out, Bit(name, from - 1)));
    if (high <= from - 1) {
        if (shift == 0 && out == from) return name;
        return AsSigned(Range(name, high, shift));
    }
    return AsSigned("{" + Copies(high - from + 1, Bit(name, from - 1)) + ", " + Range(name, from - 1, shift) + "}");
}

std::string Signed(const char* kind, int width) {
    return std::string(kind) + " signed [" + std::to_string(width - 1) + ":0]";
}

}  // namespace fir::vlog
