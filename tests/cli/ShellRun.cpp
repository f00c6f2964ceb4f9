// Runs kelvodsp (path KW_KELVODSP) with fork/exec; standard input, output and error go through
// temporary files so that no pipe can fill up and block the child.
#include "ShellRun.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kwtest {
namespace {

std::string ReadAll(std::FILE* file) {
    std::string text;
    std::rewind(file);
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, count);
    }
    return text;
}

}  // namespace

ShellResult RunShell(const std::vector<std::string>& arguments, const std::string& input,
                     const std::string& workingDirectory) {
    std::vector<std::string> words = {KW_KELVODSP};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return RunProgram(words, input, workingDirectory);
}

ShellResult RunProgram(const std::vector<std::string>& arguments, const std::string& input,
                       const std::string& workingDirectory) {
    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), in);
    std::fflush(in);
    std::rewind(in);
    std::vector<char*> argv;
    std::vector<std::string> copies(arguments);
    for (std::string& argument : copies) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ShellResult result;
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(in), 0);
        dup2(fileno(out), 1);
        dup2(fileno(err), 2);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.status = WEXITSTATUS(status);
    }
    result.out = ReadAll(out);
    result.err = ReadAll(err);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return result;
}

}  // namespace kwtest
