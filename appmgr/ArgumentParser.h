// Parsing of a command's "-switch value" words against its parameters, with the values checked
// against each parameter's type before any handler sees them.
#pragma once

#include <string>
#include <vector>

#include "AppMgr.h"

namespace appmgr {

// Fills arguments from words (the words after the command name). Booleans given bare are "1";
// parameters with a default that were not given get their default (booleans only when given).
// Returns false with a message naming the switch, the value and what was expected.
bool ParseArguments(const CAppCommand& command, const std::vector<Tcl_Obj*>& words, CCmdArguments& arguments,
                    std::string& error);

// Checks one value against the parameter's type; on refusal error says what was expected.
bool CheckValue(const CCmdParameter& parameter, Tcl_Obj* value, std::string& error);

}  // namespace appmgr
