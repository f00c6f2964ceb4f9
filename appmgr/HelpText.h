// The "-help" answers of a command: the list of its switches, one line each, and the full
// description of one switch.
#pragma once

#include <optional>
#include <string>

#include "AppMgr.h"

namespace appmgr {

// "NAME: description", the usage, the visible switches and then the common options (output
// place and naming, which generators register hidden), each "  -switch <value>  description
// (default: d)" on one line.
std::string HelpText(const CAppCommand& command, const std::string& commandName);

// Everything about one switch (given with or without its "-"): value, type, choices, default
// and description; nullopt when the command has no such switch.
std::optional<std::string> SwitchHelpText(const CAppCommand& command, const std::string& commandName,
                                          const std::string& switchName);

// For an application's global command: its other commands, "  APP::NAME ?-switch value ...?" and
// the description on the next line ("" when the command has none or no application is known).
std::string RelatedCommandsText(const CAppCommand& command);

}  // namespace appmgr
