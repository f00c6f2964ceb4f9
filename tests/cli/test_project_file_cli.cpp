// The project file through the kelvodsp shell: whatever sits at a project run's project name (a
// script that never ends, a FIFO, links to another file or to a full device) is never read and is
// replaced by the fresh project as one regular file; "Project FILE" reads only a regular file
// of bounded size in which nothing but the two project commands can run.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;
using kwtest::ReadText;

// A shell that hangs (the failure these tests look for) is killed after this many seconds.
const std::string kTimeout = "20";

kwtest::ShellResult RunBounded(const std::vector<std::string>& arguments, const fs::path& dir) {
    std::vector<std::string> words = {"/usr/bin/timeout", "-s", "KILL", kTimeout, KW_KELVODSP};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return kwtest::RunProgram(words, "", dir.string());
}

enum class Plant { Text, Fifo, LinkToVictim, LinkToFullDevice };

struct Planted {
    const char* label;
    Plant kind;
    std::string text;
};

void PlantAt(const fs::path& path, const Planted& planted, const fs::path& victim) {
    switch (planted.kind) {
    case Plant::Text: std::ofstream(path) << planted.text; break;
    case Plant::Fifo: ASSERT_EQ(0, ::mkfifo(path.c_str(), 0644)); break;
    case Plant::LinkToVictim: fs::create_symlink(victim, path); break;
    case Plant::LinkToFullDevice: fs::create_symlink("/dev/full", path); break;
    }
}

class ProjectFile : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
        std::ofstream(m_victim) << "precious\n";
    }
    TempDir m_dir;
    const fs::path m_victim = m_dir.Path() / "victim.txt";
};

TEST_F(ProjectFile, ProjectRunNeverReadsWhatIsAtItsProjectNameAndReplacesIt) {
    const Planted cases[] = {
        {"endless loop", Plant::Text, "while 1 {}\n"},
        {"fifo", Plant::Fifo, ""},
        {"link to another file", Plant::LinkToVictim, ""},
        {"link to a full device", Plant::LinkToFullDevice, ""},
    };
    for (const Planted& c : cases) {
        const fs::path dir = m_dir.Path() / "run";
        fs::remove_all(dir);
        fs::create_directory(dir);
        const fs::path project = dir / "rcosflt_001_proj.kvp";
        PlantAt(project, c, m_victim);
        const auto run = RunBounded({"rcosflt", "-project", "-nosubdir"}, dir);
        EXPECT_EQ(0, run.status) << c.label << ": " << run.err;
        // (Reading what was planted could block the test itself.)
        if (!fs::is_regular_file(fs::symlink_status(project))) {
            ADD_FAILURE() << c.label << ": the project name is not a regular file";
            continue;
        }
        EXPECT_NE(std::string::npos,
                  ReadText(project).find("SetProjectOption -scriptfile " + (dir / "rcosflt_001_script.m").string()))
            << c.label;
        EXPECT_EQ("precious\n", ReadText(m_victim)) << c.label;
    }
}

TEST_F(ProjectFile, OpeningAProjectReadsOnlyABoundedRegularFileOfProjectCommands) {
    const std::string oversized = "# " + std::string(1048576, 'x') + "\n";
    const struct {
        Planted planted;
        std::string reason;
    } cases[] = {
        {{"endless loop", Plant::Text, "while 1 {}\n"}, "invalid command name \"while\""},
        {{"other command", Plant::Text, "SetProjectOption -a [set s x]\n"}, "invalid command name \"set\""},
        {{"namespaced command", Plant::Text, "::tcl::string::repeat x 9\n"},
         "invalid command name \"::tcl::string::repeat\""},
        {{"fifo", Plant::Fifo, ""}, "not a regular file"},
        {{"oversized", Plant::Text, oversized}, "larger than 1048576 bytes"},
    };
    for (const auto& c : cases) {
        const fs::path project = m_dir.Path() / "p.kvp";
        fs::remove(project);
        PlantAt(project, c.planted, m_victim);
        const auto run = RunBounded({"-c", "Project p.kvp"}, m_dir.Path());
        EXPECT_EQ(1, run.status) << c.planted.label;
        EXPECT_TRUE(kwtest::EndsWith(run.err, "cannot read project \"" + project.string() + "\": " + c.reason + "\n"))
            << c.planted.label << ": " << run.err;
    }
}

}  // namespace
