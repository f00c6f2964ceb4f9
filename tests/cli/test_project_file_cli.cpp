// The project file through the kelvodsp shell: what sits at a project run's project name is never
// read and is replaced by one regular file; "Project FILE" reads only a bounded regular file in
// which nothing but the project commands can run. A shell that hangs is killed after 20 s.
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
    const std::pair<std::string, std::string> opened[] = {
        {"while 1 {}\n", "invalid command name \"while\""},
        {"::tcl::string::repeat x 9\n", "invalid command name \"::tcl::string::repeat\""},
        {"FIFO", "not a regular file"},
        {"#" + std::string(1048576, 'x'), "larger than 1048576 bytes"},
    };
    for (const auto& [planted, reason] : opened) {
        Plant(project, planted, victim);
        const auto run = RunBounded({"-c", "Project rcosflt_001_proj.kvp"}, dir.Path());
        EXPECT_EQ(1, run.status) << reason;
        EXPECT_TRUE(kwtest::EndsWith(run.err, "cannot read project \"" + project.string() + "\": " + reason + "\n"))
            << run.err;
    }
}

}  // namespace
