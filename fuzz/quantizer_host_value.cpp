// Fuzz target: the quantizer's reading of a host list value (kw::Quantizer::ApplyHostValue) on
// any text. A value is either refused with the host's error (std::runtime_error) or read; a
// value read with both modes set prints as a host list that reads back to the same record.
#include <stdexcept>

#include "FuzzSupport.h"
#include "host/AppMgr.h"
#include "quantizer/Quantizer.h"

namespace {

bool SameRecord(const kw::Quantizer& a, const kw::Quantizer& b) {
    return a.Type() == b.Type() && a.Overflow() == b.Overflow() && a.Rounding() == b.Rounding() &&
           a.WordLength() == b.WordLength() && a.FractionalLength() == b.FractionalLength();
}

void CheckRoundTrip(const kw::Quantizer& read) {
    if (read.Overflow() == kw::kOverflowUnset || read.Rounding() == kw::kRoundUnset) return;
    const std::string text = read.HostListText();
    const CTclDataObj printed(text);
    kw::Quantizer again(nullptr);
    try {
        again.ApplyHostValue(&printed);
    } catch (const std::runtime_error& error) {
        kwfuzz::Fail("printed host list \"" + text + "\" refused: " + error.what());
    }
    if (!SameRecord(read, again)) kwfuzz::Fail("printed host list \"" + text + "\" reads back differently");
    (void)read.MatlabText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kwfuzz::Host();
    const CTclDataObj value(kwfuzz::Text(data, size));
    kw::Quantizer quantizer(nullptr);
    try {
        quantizer.ApplyHostValue(&value, "fuzz.m", 7);
    } catch (const std::runtime_error&) {
        return 0;
    }
    CheckRoundTrip(quantizer);
    return 0;
}
