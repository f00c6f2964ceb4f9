// Parses the kelvodsp command line. The first word that is not a shell option decides the mode:
// "-c" takes a script, an existing file is run as a script, anything else is one command.
#include "ShellOptions.h"

#include <sys/stat.h>

namespace kelvodsp {
namespace {

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

const char* UsageText() {
    return "usage: kelvodsp [--plugin PATH]... [--no-default-plugins] [-c SCRIPT [ARG...] | FILE.tcl [ARG...] |"
           " COMMAND [WORD...]]\n"
           "  no argument        interactive Tcl shell\n"
           "  -c SCRIPT          run SCRIPT (its arguments are in $argv)\n"
           "  FILE.tcl           run the script file (its arguments are in $argv)\n"
           "  COMMAND WORD...    run one command, each WORD one argument (e.g. kelvodsp rcosflt -fs 8)\n"
           "  --plugin PATH      also load the plug-in at PATH\n"
           "  --no-default-plugins  do not load the plug-ins of the plug-in folder\n";
}

bool ParseShellOptions(int argc, char** argv, ShellOptions& options, std::string& error) {
    int index = 1;
    for (; index < argc; ++index) {
        const std::string word = argv[index];
        if (word == "--plugin") {
            if (index + 1 >= argc) {
                error = "--plugin needs a path";
                return false;
            }
            options.extraPlugins.push_back(argv[++index]);
        } else if (word == "--no-default-plugins") {
            options.defaultPlugins = false;
        } else if (word == "--help" || word == "-h") {
            options.mode = ShellMode::Help;
            return true;
        } else {
            break;
        }
    }
    if (index >= argc) {
        options.mode = ShellMode::Interactive;
        return true;
    }
    const std::string first = argv[index];
    if (first == "-c") {
        if (index + 1 >= argc) {
            error = "-c needs a script";
            return false;
        }
        options.mode = ShellMode::InlineScript;
        options.script = argv[index + 1];
        options.words.assign(argv + index + 2, argv + argc);
        return true;
    }
    if (IsRegularFile(first) || EndsWith(first, ".tcl")) {
        options.mode = ShellMode::ScriptFile;
        options.script = first;
        options.words.assign(argv + index + 1, argv + argc);
        return true;
    }
    options.mode = ShellMode::SingleCommand;
    options.words.assign(argv + index, argv + argc);
    return true;
}

}  // namespace kelvodsp
