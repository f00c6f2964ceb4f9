// The "-help" answer of a command: its description and its visible switches.
#pragma once

#include <string>

#include "AppMgr.h"

namespace appmgr {

// One block per visible switch: "  -switch <value name>  choices: a|b  default: d" and the
// description on the next line, indented.
std::string HelpText(const CAppCommand& command, const std::string& commandName);

// For an application's global command: its other commands, "  APP::NAME ?-switch value ...?" and
// the description on the next line ("" when the command has none or no application is known).
std::string RelatedCommandsText(const CAppCommand& command);

}  // namespace appmgr
