// The "-help" answer of a command: its description and its visible switches.
#pragma once

#include <string>

#include "AppMgr.h"

namespace appmgr {

// One block per visible switch: "  -switch <value name>  choices: a|b  default: d" and the
// description on the next line, indented.
std::string HelpText(const CAppCommand& command, const std::string& commandName);

}  // namespace appmgr
