// The project file through the kelvodsp shell: what sits at a project run's project name is never
// read and is replaced by one regular file; "Project FILE" reads only a bounded regular file of
// UTF-8 text, nested at most 1000 levels deep whatever the stack size, in which nothing but the
// project commands can run. A shell that hangs is killed after 20 s.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;

kwtest::ShellResult RunBounded(std::vector<std::string> words, const fs::path& dir) {
    words.insert(words.begin(), {"/usr/bin/timeout", "-s", "KILL", "20", KW_KELVODSP});
    return kwtest::RunProgram(words, "", dir.string());
}

// The same with the shell's stack limited to KIBIBYTES.
kwtest::ShellResult RunWithStack(int kibibytes, std::vector<std::string> words, const fs::path& dir) {
    words.insert(words.begin(), {"/bin/sh", "-c", "ulimit -s " + std::to_string(kibibytes) + "; exec \"$@\"", "sh",
                                 "/usr/bin/timeout", "-s", "KILL", "20", KW_KELVODSP});
    return kwtest::RunProgram(words, "", dir.string());
}

std::string Nested(int levels, char open, char close) {
    return "SetProjectOption -a " + std::string(static_cast<std::size_t>(levels), open) +
           std::string(static_cast<std::size_t>(levels), close) + "\n";
}

// TEXT is written to PATH; "FIFO" and "LINK" plant a FIFO or a link to VICTIM instead.
void Plant(const fs::path& path, const std::string& text, const fs::path& victim) {
    fs::remove(path);
    if (text == "FIFO") {
        ASSERT_EQ(0, ::mkfifo(path.c_str(), 0644));
    } else if (text == "LINK") {
        fs::create_symlink(victim, path);
    } else {
        std::ofstream(path) << text;
    }
}

TEST(ProjectFile, ProjectRunsNeverReadAnEarlierFileAndOpeningReadsOnlyProjectCommands) {
    if (!kwtest::HostFixture::PluginAvailable()) GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    TempDir dir;
    const fs::path victim = dir.Path() / "victim";
    std::ofstream(victim) << "precious\n";
    const fs::path project = dir.Path() / "rcosflt_001_proj.kvp";
    for (const std::string planted : {"while 1 {}\n", "FIFO", "LINK"}) {
        fs::remove(dir.Path() / "rcosflt_001.m");
        Plant(project, planted, victim);
        const auto run = RunBounded({"rcosflt", "-project", "-nosubdir"}, dir.Path());
        EXPECT_EQ(0, run.status) << planted << run.err;
        // (Reading what was planted could block the test itself.)
        ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(project))) << planted;
        EXPECT_NE(std::string::npos, kwtest::ReadText(project).find("-scriptfile " + dir.Path().string()));
        EXPECT_EQ("precious\n", kwtest::ReadText(victim));
    }
    const std::string tooDeep = "brackets and braces nest deeper than 1000 levels at line ";
    const std::pair<std::string, std::string> opened[] = {
        {"while 1 {}\n", "invalid command name \"while\""},
        {"::tcl::string::repeat x 9\n", "invalid command name \"::tcl::string::repeat\""},
        {"FIFO", "not a regular file"},
        {"#" + std::string(1048576, 'x'), "larger than 1048576 bytes"},
        // Nesting is refused before Tcl's recursive parser sees it, and at the same depth
        // whatever the stack: 1000 levels are read (and fail as a command), 1001 are not.
        {Nested(50000, '[', ']'), tooDeep + "1"},
        {Nested(1001, '[', ']'), tooDeep + "1"},
        {"\n\n" + Nested(1001, '{', '}'), tooDeep + "3"},
        {"SetProjectOption -a \"" + std::string(1001, '[') + "\"\n", tooDeep + "1"},
        {Nested(1000, '[', ']'), "invalid command name \"\""},
        {"SetProjectOption -a lat\xe9\n", "not valid UTF-8 at line 1, byte 24 (0xE9)"},
    };
    for (const auto& [planted, reason] : opened) {
        Plant(project, planted, victim);
        const std::string text = "cannot read project \"" + project.string() + "\": " + reason + "\n";
        const auto run = RunBounded({"-c", "Project rcosflt_001_proj.kvp"}, dir.Path());
        EXPECT_EQ(1, run.status) << reason;
        EXPECT_TRUE(kwtest::EndsWith(run.err, text)) << run.err.substr(0, 300);
        const auto small = RunWithStack(256, {"-c", "Project rcosflt_001_proj.kvp"}, dir.Path());
        EXPECT_EQ(1, small.status) << "256 KiB of stack: " << reason;
        EXPECT_TRUE(kwtest::EndsWith(small.err, text)) << small.err.substr(0, 300);
    }
    // Brackets a comment, braces or backslashes make plain text are no nesting.
    const std::pair<std::string, std::string> read[] = {
        {"SetProjectOption -a {" + std::string(50000, '[') + "}\n", std::string(50000, '[')},
        {"# " + std::string(50000, '[') + "\nSetProjectOption -a 1\n", "1"},
        {"SetProjectOption -a " + [] {
             std::string escaped;
             for (int i = 0; i < 5000; ++i) escaped += "\\[";
             return escaped;
         }() + "\n",
         std::string(5000, '[')},
        {"SetProjectOption -a caf\xc3\xa9\n", "caf\xc3\xa9"},
    };
    for (const auto& [planted, value] : read) {
        Plant(project, planted, victim);
        const auto run = RunWithStack(256, {"-c", "Project rcosflt_001_proj.kvp; puts -nonewline [GetProjectOption -a]"},
                                      dir.Path());
        EXPECT_EQ(0, run.status) << run.err.substr(0, 300);
        EXPECT_TRUE(value == run.out) << planted.substr(0, 40);
    }
}

}  // namespace
