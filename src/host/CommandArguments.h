// Reading the parsed arguments of the running command call. A switch that was not given (and
// has no default) reads as nothing: the empty text, 0, 0.0f or false, which the caller's checks
// then refuse or take as "not asked for".
#pragma once

#include <string>

class CCmdArguments;
class CTclDataObj;

namespace kw {

// The argument of a switch, or nullptr when it was not given (or there are no arguments).
CTclDataObj* FindArgument(const CCmdArguments* arguments, const std::string& switchName);

// The argument through the host's string, integer and float accessors.
std::string TextArgument(const CCmdArguments* arguments, const std::string& switchName);
int IntArgument(const CCmdArguments* arguments, const std::string& switchName);
float FloatArgument(const CCmdArguments* arguments, const std::string& switchName);

// A flag that was given and is true ("-project", "-project 1"; not "-project 0").
bool FlagArgument(const CCmdArguments* arguments, const std::string& switchName);

}  // namespace kw
