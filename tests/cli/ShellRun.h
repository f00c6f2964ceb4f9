// Runs the kelvodsp shell as a child process with given arguments and standard input, and
// collects its exit status, standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace kwtest {

struct ShellResult {
    int status = -1;  // exit status, or -1 when the shell did not exit normally
    std::string out;
    std::string err;
};

ShellResult RunShell(const std::vector<std::string>& arguments, const std::string& input = "",
                     const std::string& workingDirectory = "");

// The same for any program (argv[0] is its path): lets a test run kelvodsp under /bin/sh with
// limits set first.
ShellResult RunProgram(const std::vector<std::string>& argv, const std::string& input = "",
                       const std::string& workingDirectory = "");

}  // namespace kwtest
