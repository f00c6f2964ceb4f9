// Where the files of a run go, through the kelvodsp shell: a link planted at a temporary name
// redirects nothing, "-name" with a folder re-indents exactly the file written, odd paths write
// where they say or are refused, and every file a run leaves is announced once, in write order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;
using kwtest::ReadText;

class OutputFiles : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
};

// kelvodsp -c SCRIPT WORDS in DIR, with extra environment variables.
kwtest::ShellResult RunIn(std::vector<std::string> environment, const std::string& script,
                          const std::vector<std::string>& words, const fs::path& dir) {
    environment.insert(environment.begin(), "/usr/bin/env");
    environment.insert(environment.end(), {KW_KELVODSP, "-c", script});
    environment.insert(environment.end(), words.begin(), words.end());
    return kwtest::RunProgram(environment, "", dir.string());
}

TEST_F(OutputFiles, LinkPlantedAtATemporaryNameRedirectsNothing) {
    TempDir dir;
    std::ofstream(dir.Path() / "victim") << "precious\n";
    fs::create_directory(dir.Path() / "run");
    const char* asan = std::getenv("ASAN_OPTIONS");
    // The shim comes before the sanitizer runtime of a sanitizer build.
    const std::vector<std::string> environment = {
        "LD_PRELOAD=" KW_SWAP_SHIM, "KW_VICTIM=" + (dir.Path() / "victim").string(),
        "ASAN_OPTIONS=" + std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0"};
    const auto run =
        RunIn(environment, "rcosflt -project -nosubdir -name keep; rcosflt -name keep", {}, dir.Path() / "run");
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("precious\n", ReadText(dir.Path() / "victim"));
    EXPECT_EQ(6u, kwtest::Tree(dir.Path() / "run").size());
    for (const std::string& name : kwtest::Tree(dir.Path() / "run")) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir.Path() / "run" / name))) << name;
    }
}

TEST_F(OutputFiles, NameWithAFolderReindentsExactlyTheFileWritten) {
    TempDir dir;
    ASSERT_EQ(0, kwtest::RunShell({"rcosflt", "-name", "myfir", "-fs_flag", "no"}, "", dir.Path().string()).status);
    const std::string indented = ReadText(dir.Path() / "myfir.m");
    std::ofstream(dir.Path() / "myfir.m") << "if a\nb = 1;\nend\n";
    fs::create_directory(dir.Path() / "sub");
    const auto run = kwtest::RunShell({"rcosflt", "-name", "sub/myfir", "-fs_flag", "no"}, "", dir.Path().string());
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("if a\nb = 1;\nend\n", ReadText(dir.Path() / "myfir.m")) << "an unrelated file was re-indented";
    EXPECT_TRUE(indented == ReadText(dir.Path() / "sub" / "myfir.m"));
}

// "@NUL@" in a word becomes a NUL character; prints the return code and the result.
const char* const kPathScript = R"TCL(
set code [catch {rcosflt {*}[lmap word $argv {string map [list @NUL@ \0] $word}]} msg]
puts -nonewline "$code $msg"
)TCL";

TEST_F(OutputFiles, OddOutputPathsWriteWhereTheySayOrAreRefused) {
    const std::string cafe = "caf\xc3\xa9";
    const struct {
        std::string locale;  // LC_ALL when not empty
        std::vector<std::string> call;
        std::string result;  // "0 ": written; else the refusal
        std::set<std::string> tree;
    } cases[] = {
        // A dangling link (rcosflt_001 -> /nonexistent, in every case) is passed over.
        {"", {"-project"}, "0 ", {"rcosflt_002", "rcosflt_002/kw_psd.m", "rcosflt_002/rcosflt_002.kvd",
                                  "rcosflt_002/rcosflt_002.m", "rcosflt_002/rcosflt_002_proj.kvd",
                                  "rcosflt_002/rcosflt_002_proj.kvp", "rcosflt_002/rcosflt_002_script.m"}},
        {"", {"-outdir", "./~"}, "0 ", {"~", "~/rcosflt_001.kvd", "~/rcosflt_001.m"}},
        {"", {"-outdir", "~"}, "0 ", {"~", "~/rcosflt_001.kvd", "~/rcosflt_001.m"}},
        {"", {"-outdir", "a@NUL@b"}, "1 " + kwtest::kGenerateErrorLead +
                                         "Invalid Parameter: -outdir must not contain a NUL character.\n", {}},
        {"C", {"-outdir", cafe}, "0 ", {cafe, cafe + "/rcosflt_001.kvd", cafe + "/rcosflt_001.m"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        fs::create_directory(dir.Path() / "home");
        fs::create_symlink("/nonexistent", dir.Path() / "rcosflt_001");
        std::vector<std::string> environment = {"HOME=" + (dir.Path() / "home").string()};
        if (!c.locale.empty()) environment.push_back("LC_ALL=" + c.locale);
        const auto run = RunIn(environment, kPathScript, c.call, dir.Path());
        EXPECT_EQ(c.result, c.result == "0 " ? run.out.substr(0, 2) : run.out) << c.call[0] << " " << run.out;
        std::set<std::string> tree = c.tree;
        tree.insert({"home", "rcosflt_001"});
        EXPECT_EQ(tree, kwtest::Tree(dir.Path())) << c.call[0];
    }
}

// The files named by the run's "... written to PATH" Info lines, relative to DIR, in the order
// of the lines (the report's line goes on with ": " and its summary).
std::vector<std::string> AnnouncedFiles(const std::string& err, const fs::path& dir) {
    const std::string marker = " written to ";
    std::vector<std::string> files;
    for (const std::string& line : kwtest::Split(err, '\n')) {
        const std::size_t at = line.find(marker);
        if (line.rfind("Info (", 0) != 0 || at == std::string::npos) continue;
        const std::size_t from = at + marker.size();
        const std::size_t end = line.find(": ", from);
        const fs::path path = line.substr(from, end == std::string::npos ? std::string::npos : end - from);
        files.push_back(fs::relative(path, dir).string());
    }
    return files;
}

// A file a run writes without its Info line (or with two) fails here whatever the option that
// brought it; the lists also pin the order in which the files reach their names.
TEST_F(OutputFiles, EveryFileARunLeavesIsAnnouncedOnceInWriteOrder) {
    const struct {
        const char* label;
        std::vector<std::string> switches;
        std::vector<std::string> announced;
    } cases[] = {
        {"plain", {"-name", "myfir"}, {"myfir.m", "myfir.kvd"}},
        {"numbered", {}, {"rcosflt_001.m", "rcosflt_001.kvd"}},
        {"report", {"-name", "myfir", "-report"}, {"myfir.m", "myfir.kvd", "myfir_report.txt"}},
        {"verilog", {"-name", "myfir", "-hdl", "verilog"}, {"myfir.m", "myfir.kvd", "myfir.v"}},
        {"project",
         {"-name", "myfir", "-project", "-nosubdir"},
         {"myfir.m", "myfir.kvd", "kw_psd.m", "myfir_script.m", "myfir_proj.kvd", "myfir_proj.kvp"}},
        {"project_subdirectory",
         {"-project"},
         {"rcosflt_001/rcosflt_001.m", "rcosflt_001/rcosflt_001.kvd", "rcosflt_001/kw_psd.m",
          "rcosflt_001/rcosflt_001_script.m", "rcosflt_001/rcosflt_001_proj.kvd", "rcosflt_001/rcosflt_001_proj.kvp"}},
        {"everything",
         {"-name", "myfir", "-project", "-nosubdir", "-hdl", "verilog", "-hdl_stream", "axis", "-fs_flag", "no",
          "-report"},
         {"myfir.m", "myfir.kvd", "myfir.v", "myfir_tb.v", "myfir_in.hex", "myfir_out.hex", "myfir_report.txt",
          "kw_psd.m", "myfir_script.m", "myfir_proj.kvd", "myfir_proj.kvp"}},
    };
    for (const auto& c : cases) {
        TempDir dir;
        std::vector<std::string> call = {"rcosflt"};
        call.insert(call.end(), c.switches.begin(), c.switches.end());
        const auto run = kwtest::RunShell(call, "", dir.Path().string());
        ASSERT_EQ(0, run.status) << c.label << "\n" << run.err;
        const std::vector<std::string> announced = AnnouncedFiles(run.err, dir.Path());
        EXPECT_EQ(c.announced, announced) << c.label << "\n" << run.err;
        std::map<std::string, int> times;
        for (const std::string& file : announced) ++times[file];
        for (const std::string& left : kwtest::Tree(dir.Path())) {
            if (fs::is_directory(dir.Path() / left)) continue;
            EXPECT_EQ(1, times[left]) << c.label << ": " << left << " left by the run, announced " << times[left]
                                      << " times";
            times.erase(left);
        }
        for (const auto& [file, count] : times) {
            ADD_FAILURE() << c.label << ": " << file << " announced " << count << " times but not left";
        }
    }
}

}  // namespace
