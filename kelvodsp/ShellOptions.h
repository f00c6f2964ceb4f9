// The kelvodsp command line: plug-in options, then an inline script (-c), a script file, one
// command, or nothing (interactive shell).
#pragma once

#include <string>
#include <vector>

namespace kelvodsp {

enum class ShellMode { Interactive, InlineScript, ScriptFile, SingleCommand, Help };

struct ShellOptions {
    ShellMode mode = ShellMode::Interactive;
    std::vector<std::string> extraPlugins;  // --plugin PATH
    bool defaultPlugins = true;             // --no-default-plugins turns the plug-in folder off
    std::string script;                     // -c text, or the script file
    std::vector<std::string> words;         // the script's arguments, or the one command's words
};

// Parses argv; returns false with a message on a malformed command line.
bool ParseShellOptions(int argc, char** argv, ShellOptions& options, std::string& error);

const char* UsageText();

}  // namespace kelvodsp
