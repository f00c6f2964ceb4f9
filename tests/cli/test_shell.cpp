// The kelvodsp shell with the fake plug-in: inline scripts, script files, one command, the
// interactive loop, exit statuses, error text on standard error, a refused registration,
// ExitApp before the shell ends (also through Tcl's exit), and bytes that are not UTF-8 refused
// before Tcl decodes them.
#include <gtest/gtest.h>

#include <fstream>

#include "../appmgr/TempDir.h"
#include "ShellRun.h"

namespace {

using kwtest::RunShell;

const std::string kExitLine = "fakeapp: ExitApp\n";

std::vector<std::string> WithFake(std::vector<std::string> rest) {
    std::vector<std::string> arguments = {"--no-default-plugins", "--plugin", KW_FAKE_PLUGIN};
    arguments.insert(arguments.end(), rest.begin(), rest.end());
    return arguments;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Shell, InlineScriptRunsWithThePluginAndExitAppRunsAtExit) {
    const auto result = RunShell(WithFake({"-c", "puts [fakeapp::Echo -word {a [b] $c}]; puts $argv", "x", "y z"}));
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("a [b] $c\nx {y z}\n", result.out);
    EXPECT_EQ(kExitLine, result.err);
}

TEST(Shell, ExitStatusesAndErrorTexts) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string out;
        std::string errTail;
    } cases[] = {
        {WithFake({"-c", "puts before; exit 4"}), 4, "before\n", kExitLine},
        {WithFake({"-c", "error {went wrong}"}), 1, "", "went wrong\n" + kExitLine},
        // The refusal is the host's error line and the command's error: shown once.
        {WithFake({"fakeapp", "-fail"}), 1, "", "ERROR: Error while generating fake\nit failed on purpose\n" + kExitLine},
        {WithFake({"-c", "fakeapp -fail"}), 1, "", "ERROR: Error while generating fake\nit failed on purpose\n" + kExitLine},
        {WithFake({"-c", "catch {fakeapp -fail}; error {Error while generating fake\nit failed on purpose}"}), 1, "",
         "ERROR: Error while generating fake\nit failed on purpose\n"
         "Error while generating fake\nit failed on purpose\n" +
             kExitLine},
        {WithFake({"fakeapp"}), 0, "generated\n", kExitLine},
        {WithFake({"fakeapp", "-bogus"}), 1, "",
         "unknown switch \"-bogus\" for fakeapp; \"fakeapp -help\" lists its switches\n" + kExitLine},
        {WithFake({"fakeapp::Echo", "-word", "{unbalanced"}), 0, "{unbalanced\n", kExitLine},
        {WithFake({"nosuchcommand", "a"}), 1, "", "invalid command name \"nosuchcommand\"\n" + kExitLine},
        {{"--no-default-plugins", "-c", "puts [llength [info commands fakeapp]]"}, 0, "0\n", ""},
        {{"--plugin"}, 2, "", ""},
    };
    for (const auto& c : cases) {
        const auto result = RunShell(c.arguments);
        const std::string call = c.arguments.back();
        EXPECT_EQ(c.status, result.status) << call;
        EXPECT_EQ(c.out, result.out) << call;
        EXPECT_TRUE(EndsWith(result.err, c.errTail)) << call << "\nstderr: " << result.err;
    }
}

TEST(Shell, ScriptFileGetsItsArguments) {
    TempDir dir;
    const std::string script = dir.File("run me.tcl");
    std::ofstream(script) << "puts [list $argc $argv [file tail $argv0]]\nputs [fakeapp::Echo -word w]\n";
    const auto result = RunShell(WithFake({script, "a", "b c"}));
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("2 {a {b c}} {run me.tcl}\nw\n", result.out);

    const auto missing = RunShell(WithFake({dir.File("missing.tcl")}));
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.err.find("couldn't read file")) << missing.err;
}

TEST(Shell, InteractiveLoopPrintsResultsAndErrorsAndGoesOn) {
    const auto result = RunShell(WithFake({}), "set a 5\nproc twice {x} {\n  expr {2 * $x}\n}\ntwice $a\n"
                                              "error oops\nfakeapp::Echo -word hi\n");
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("5\n10\nhi\n", result.out);
    EXPECT_EQ("oops\n" + kExitLine, result.err);
}

TEST(Shell, SecondRegistrationOfAnApplicationIsReported) {
    const auto result =
        RunShell({"--no-default-plugins", "--plugin", KW_FAKE_PLUGIN, "--plugin", KW_FAKE_PLUGIN, "-c", "puts ok"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("ok\n", result.out);
    EXPECT_NE(std::string::npos, result.err.find("could not be registered (InitApp returned 3)")) << result.err;
    EXPECT_NE(std::string::npos,
              result.err.find("ERROR: The commands of fakeapp cannot be registered: a command ::fakeapp exists "
                              "already.\n"))
        << result.err;
}

TEST(Shell, UnloadablePluginIsReportedAndTheShellGoesOn) {
    const auto result = RunShell({"--no-default-plugins", "--plugin", "/nonexistent/libnothing.so", "-c", "puts ok"});
    EXPECT_EQ(0, result.status);
    EXPECT_EQ("ok\n", result.out);
    EXPECT_EQ(0u, result.err.find("kelvodsp: cannot load plug-in /nonexistent/libnothing.so")) << result.err;
}

// A byte that is not UTF-8 would reach Tcl as the character of its value ("lat\xE9" as
// "lat\xC3\xA9"): the command line, a script file, a sourced file and an input line are checked
// first, and the message names where the byte is.
TEST(Shell, BytesThatAreNotUtf8AreRefusedWherever) {
    TempDir dir;
    std::ofstream(dir.File("bad.tcl")) << "puts one\nputs \"lat\xe9\"\n";
    std::ofstream(dir.File("good.tcl")) << "puts \"caf\xc3\xa9\"\n";
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {WithFake({"-c", "puts $argv", "lat\xe9"}), "", 2, "",
         "kelvodsp: command-line argument 6 is not valid UTF-8 at byte 4 (0xE9)\n"},
        {WithFake({"fakeapp::Echo", "-word", "a\xc3"}), "", 2, "",
         "kelvodsp: command-line argument 6 is not valid UTF-8 at byte 2 (0xC3)\n"},
        {WithFake({"-c", "puts ok\nputs \xed\xa0\x80"}), "", 2, "",
         "kelvodsp: command-line argument 5 is not valid UTF-8 at line 2, byte 14 (0xED)\n"},
        {WithFake({dir.File("bad.tcl")}), "", 1, "",
         "kelvodsp: script \"" + dir.File("bad.tcl") + "\" is not valid UTF-8 at line 2, byte 19 (0xE9)\n" + kExitLine},
        {WithFake({"-c", "catch {source bad.tcl} m; puts $m; source good.tcl"}), "", 0,
         "couldn't read file \"bad.tcl\": not valid UTF-8 at line 2, byte 19 (0xE9)\ncaf\xc3\xa9\n", kExitLine},
        {WithFake({"-c", "puts [string length [lindex $argv 0]]", "caf\xc3\xa9"}), "", 0, "4\n", kExitLine},
        {WithFake({}), "puts a\nputs lat\xe9\nputs b\n", 0, "a\nb\n",
         "kelvodsp: input line is not valid UTF-8 at byte 9 (0xE9); the command is dropped\n" + kExitLine},
    };
    for (const auto& c : cases) {
        const auto result = RunShell(c.arguments, c.input, dir.Path().string());
        EXPECT_EQ(c.status, result.status) << c.arguments.back();
        EXPECT_EQ(c.out, result.out) << c.arguments.back();
        EXPECT_EQ(c.err, result.err) << c.arguments.back();
    }
}

}  // namespace
