// Strict UTF-8 checking of raw bytes, before the interpreter decodes them: Tcl's decoder takes a
// byte that starts no valid sequence as the character of the same value, so "lat\xE9" and
// "lat\xC3\xA9" would become one text and name one file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace appmgr {

// The offset (from 0) of the first ill-formed sequence of BYTES, at its first byte: a stray
// continuation byte, a truncated sequence, an overlong form, a surrogate or a code point beyond
// U+10FFFF. None when BYTES is well-formed UTF-8.
std::optional<std::size_t> FirstInvalidUtf8Byte(std::string_view bytes);

// "byte N (0xHH)" with N counted from 1, and "line L, " before it when BYTES holds several lines.
std::string DescribeInvalidByte(std::string_view bytes, std::size_t offset);

}  // namespace appmgr
