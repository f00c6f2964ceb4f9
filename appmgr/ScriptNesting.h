// How deeply a Tcl script nests, found by one pass over its text that follows the parser's
// quoting rules but keeps its own stack: Tcl parses and compiles a command substitution, a
// variable's array index and a braced body by recursion on the C stack, so a file of a few
// thousand brackets ends the process before any limit of the interpreter is reached.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace appmgr {

// The offset of the first character at which SCRIPT nests deeper than LIMIT levels, counting an
// open command substitution ("["), an open array index ("$name(") and each open brace of a
// braced word as one level; none when it never does. A bracket inside a braced word, a comment
// or after a backslash, and a brace inside a quoted or bare word, is a plain character, as it is
// to Tcl.
std::optional<std::size_t> FirstOffsetBeyondNesting(std::string_view script, int limit);

}  // namespace appmgr
