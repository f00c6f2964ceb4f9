// Where the files of a run go and how they get there, through the kelvodsp shell: a link planted
// at a temporary file's name redirects nothing, "-name" with a folder re-indents exactly the file
// it wrote, and odd output paths (a dangling link at the next project number, "~", a NUL, a
// non-UTF-8 locale) write exactly where the path says or are refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;
using kwtest::kGenerateErrorLead;
using kwtest::ReadText;
using kwtest::RunProgram;
using kwtest::RunShell;

class OutputFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
    }
    TempDir m_dir;
};

// kelvodsp -c SCRIPT ARGS with extra environment variables.
kwtest::ShellResult RunWithEnvironment(const std::vector<std::string>& environment, const std::string& script,
                                       const std::vector<std::string>& arguments, const fs::path& dir) {
    std::vector<std::string> words = {"/usr/bin/env"};
    words.insert(words.end(), environment.begin(), environment.end());
    words.insert(words.end(), {KW_KELVODSP, "-c", script});
    words.insert(words.end(), arguments.begin(), arguments.end());
    return RunProgram(words, "", dir.string());
}

TEST_F(OutputFiles, LinkPlantedAtATemporaryNameRedirectsNothing) {
    const fs::path victim = m_dir.Path() / "victim.txt";
    std::ofstream(victim) << "precious\n";
    fs::create_directory(m_dir.Path() / "run");
    const char* asan = std::getenv("ASAN_OPTIONS");
    const auto run = RunWithEnvironment(
        {"LD_PRELOAD=" KW_SWAP_SHIM, "KW_VICTIM=" + victim.string(),
         // The shim is loaded before the sanitizer runtime of a sanitizer build.
         "ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0"},
        "rcosflt -project -nosubdir -name keep; rcosflt -name keep; rcosflt", {}, m_dir.Path() / "run");
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("precious\n", ReadText(victim));
    const std::set<std::string> written = kwtest::Tree(m_dir.Path() / "run");
    EXPECT_EQ(8u, written.size());
    for (const std::string& name : written) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(m_dir.Path() / "run" / name))) << name;
    }
}

TEST_F(OutputFiles, NameWithAFolderReindentsExactlyTheFileWritten) {
    const struct {
        std::vector<std::string> call;
        std::string written;    // relative to the run directory
        std::string unrelated;  // a file that must stay as it is
    } cases[] = {
        {{"-name", "sub/myfir"}, "sub/myfir.m", "myfir.m"},
        {{"-outdir", "o", "-name", "sub/myfir"}, "o/sub/myfir.m", "o/myfir.m"},
    };
    TempDir reference;
    ASSERT_EQ(0, RunShell({"rcosflt", "-name", "myfir", "-fs_flag", "no"}, "", reference.Path().string()).status);
    const std::string indented = ReadText(reference.Path() / "myfir.m");
    const std::string unindented = "if a\nb = 1;\nend\n";
    for (const auto& c : cases) {
        TempDir dir;
        fs::create_directories(dir.Path() / fs::path(c.written).parent_path());
        std::ofstream(dir.Path() / c.unrelated) << unindented;
        std::vector<std::string> arguments = {"rcosflt", "-fs_flag", "no"};
        arguments.insert(arguments.end(), c.call.begin(), c.call.end());
        const auto run = RunShell(arguments, "", dir.Path().string());
        EXPECT_EQ(0, run.status) << c.written << ": " << run.err;
        EXPECT_EQ(unindented, ReadText(dir.Path() / c.unrelated)) << c.unrelated << " was rewritten";
        EXPECT_TRUE(indented == ReadText(dir.Path() / c.written)) << c.written << " is not the re-indented core";
    }
}

// argv: the generate call; "@NUL@" in a word becomes a NUL character. Prints the Tcl return code
// and the result, separated by \x1f.
const char* const kPathScript = R"TCL(
set words [lmap word $argv {string map [list @NUL@ \0] $word}]
set code [catch {rcosflt {*}$words} msg]
puts -nonewline "$code\x1f$msg"
)TCL";

TEST_F(OutputFiles, OddOutputPathsWriteWhereTheySayOrAreRefused) {
    const std::set<std::string> project2 = {"rcosflt_001",
                                            "rcosflt_002",
                                            "rcosflt_002/kw_psd.m",
                                            "rcosflt_002/rcosflt_002.kvd",
                                            "rcosflt_002/rcosflt_002.m",
                                            "rcosflt_002/rcosflt_002_proj.kvd",
                                            "rcosflt_002/rcosflt_002_proj.kvp",
                                            "rcosflt_002/rcosflt_002_script.m"};
    const auto core = [](const std::string& dir) {
        std::set<std::string> tree = {dir + "/rcosflt_001.kvd", dir + "/rcosflt_001.m"};
        for (std::size_t slash = 0; (slash = dir.find('/', slash)) != std::string::npos; ++slash) {
            tree.insert(dir.substr(0, slash));
        }
        tree.insert(dir);
        return tree;
    };
    const std::string cafe = "caf\xc3\xa9";
    const std::string greek = "\xce\xb1\xce\xb2\xce\xb3";
    const struct {
        std::string label;
        std::string locale;  // LC_ALL, when not empty
        bool danglingLink;   // rcosflt_001 -> /nonexistent before the run
        std::vector<std::string> call;
        std::string error;  // after the lead, "@" for the run directory; empty: success
        std::set<std::string> tree;
    } cases[] = {
        {"dangling link at the next subdirectory", "", true, {"-project"}, "", project2},
        {"dot tilde", "", false, {"-outdir", "./~"}, "", core("~")},
        {"tilde", "", false, {"-outdir", "~"}, "", core("~")},
        {"tilde folder", "", false, {"-outdir", "~/x"}, "", core("~/x")},
        // No folder "~" exists here, so nothing can be written.
        {"tilde in the name", "", false, {"-name", "~/y"}, "Could not open KelvoWare outFile file for writing (@/~/y.m)\n",
         {}},
        {"nul in the directory", "", false, {"-outdir", "a@NUL@b"},
         "Invalid Parameter: -outdir must not contain a NUL character.", {}},
        {"nul in the name", "", false, {"-name", "sub@NUL@/x"},
         "Invalid Parameter: -name must not contain a NUL character.", {}},
        {"latin-1 letter in the C locale", "C", false, {"-outdir", cafe}, "", core(cafe)},
        {"greek letters in the C locale", "C", false, {"-outdir", greek}, "", core(greek)},
    };
    for (const auto& c : cases) {
        TempDir dir;
        fs::create_directory(dir.Path() / "home");
        if (c.danglingLink) {
            fs::create_symlink("/nonexistent", dir.Path() / "rcosflt_001");
        }
        std::vector<std::string> environment = {"HOME=" + (dir.Path() / "home").string()};
        if (!c.locale.empty()) {
            environment.push_back("LC_ALL=" + c.locale);
        }
        const auto run = RunWithEnvironment(environment, kPathScript, c.call, dir.Path());
        ASSERT_EQ(0, run.status) << c.label << ": " << run.err;
        const auto fields = kwtest::Split(run.out, '\x1f');
        ASSERT_EQ(2u, fields.size()) << c.label << ": " << run.out;
        if (c.error.empty()) {
            EXPECT_EQ("0", fields[0]) << c.label << ": " << fields[1];
        } else {
            EXPECT_EQ("1", fields[0]) << c.label;
            std::string error = c.error;
            if (const std::size_t at = error.find('@'); at != std::string::npos) {
                error.replace(at, 1, dir.Path().string());
            }
            EXPECT_EQ(kGenerateErrorLead + error + "\n", fields[1]) << c.label;
        }
        std::set<std::string> tree = c.tree;
        tree.insert("home");
        EXPECT_EQ(tree, kwtest::Tree(dir.Path())) << c.label;
    }
}

}  // namespace
