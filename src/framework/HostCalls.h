// Small helpers the generation framework uses to talk to its host: evaluating a script command
// word by word, and the port and parameter names the host shows. (The argument and setting
// readers every command shares live in host/.)
#pragma once

#include <initializer_list>
#include <string>

#include "host/CommandArguments.h"
#include "host/GlobalSetting.h"

namespace kw {

struct HostAnswer {
    bool ok = false;       // the evaluation's success flag
    std::string text;      // the result's string value
    std::string message;   // the error text after a failure
    bool boolean = false;  // the result's boolean value
};

// Evaluates the command (split into words as a list) with the extra words appended one by one,
// each staying one word.
HostAnswer EvaluateHostCommand(const std::string& command, std::initializer_list<std::string> words = {});

// A switch name with one leading "-" removed ("-SigIn2" -> "SigIn2", "--x" -> "-x").
std::string WithoutLeadingDash(const std::string& switchName);

// A host list of the given items, as text.
std::string HostListText(std::initializer_list<std::string> items);

}  // namespace kw
