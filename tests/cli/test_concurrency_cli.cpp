// Several kelvodsp shells generating numbered cores into one directory at once, with and without
// -project: every number is taken exactly once, every core is complete (it is the reference core
// under its own name) and nothing is overwritten (one info per file, all paths distinct). Shells
// generating the same -name into one directory take turns: the files left are one run's set.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <future>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;
using kwtest::ReadText;
using kwtest::RunShell;

struct ConcurrencyCase {
    const char* label;
    int shells;
    int coresPerShell;
    bool project;
};

void PrintTo(const ConcurrencyCase& c, std::ostream* os) { *os << c.label; }

class Concurrency : public ::testing::TestWithParam<ConcurrencyCase> {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
    }
};

std::string Numbered(int n) {
    char name[32];
    std::snprintf(name, sizeof name, "rcosflt_%03d", n);
    return name;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST_P(Concurrency, EveryNumberOnceAndEveryCoreComplete) {
    const ConcurrencyCase& c = GetParam();
    TempDir reference;
    const std::string options = c.project ? " -project" : "";
    ASSERT_EQ(0, RunShell({"-c", "rcosflt -delay 1 -outdir out" + options}, "", reference.Path().string()).status);
    const std::string referenceCore =
        ReadText(reference.Path() / "out" / (c.project ? "rcosflt_001/rcosflt_001.m" : "rcosflt_001.m"));

    TempDir dir;
    const std::string loop = "for {set i 0} {$i < " + std::to_string(c.coresPerShell) +
                             "} {incr i} {rcosflt -delay 1 -outdir out" + options + "}";
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::future<kwtest::ShellResult>> shells;
    for (int s = 0; s < c.shells; ++s) {
        shells.push_back(std::async(std::launch::async, [&] { return RunShell({"-c", loop}, "", dir.Path().string()); }));
    }
    std::set<std::string> reported;
    int infos = 0;
    for (auto& shell : shells) {
        const auto result = shell.get();
        EXPECT_EQ(0, result.status) << result.err;
        const std::string marker = "core function written to ";
        for (std::size_t at = 0; (at = result.err.find(marker, at)) != std::string::npos; ++at) {
            const std::size_t from = at + marker.size();
            reported.insert(result.err.substr(from, result.err.find('\n', from) - from));
            ++infos;
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const int total = c.shells * c.coresPerShell;
    EXPECT_EQ(total, infos);
    EXPECT_EQ(static_cast<std::size_t>(total), reported.size()) << "two runs reported the same file";

    int cores = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path() / "out")) {
        cores += entry.path().extension() == ".m" && entry.path().filename().string().find("_script") ==
                                                          std::string::npos &&
                         entry.path().filename() != "kw_psd.m"
                     ? 1
                     : 0;
    }
    EXPECT_EQ(total, cores);
    for (int n = 1; n <= total; ++n) {
        const std::string name = Numbered(n);
        const fs::path core = dir.Path() / "out" / (c.project ? name + "/" + name + ".m" : name + ".m");
        EXPECT_EQ(1u, reported.count(core.string())) << name;
        EXPECT_EQ(Replace(referenceCore, "rcosflt_001", name), ReadText(core)) << name;
        if (c.project) {
            EXPECT_TRUE(fs::exists(core.parent_path() / (name + "_proj.kvp"))) << name;
        }
    }
    std::printf("%d shells x %d cores%s: %zu distinct files in %.1f s\n", c.shells, c.coresPerShell,
                options.c_str(), reported.size(), seconds);
}

INSTANTIATE_TEST_SUITE_P(Shell, Concurrency,
                         ::testing::Values(ConcurrencyCase{"four_by_100", 4, 100, false},
                                           ConcurrencyCase{"four_by_100_projects", 4, 100, true},
                                           ConcurrencyCase{"two_by_50", 2, 50, false}),
                         [](const auto& info) { return std::string(info.param.label); });

// Six shells write core x, its Verilog and its report into one directory again and again, each
// with its own delay, so every set of files tells which run wrote it. Runs take turns on the
// directory: whatever run wrote x.m last also wrote the x.v, x.kvd and x_report.txt left beside
// it, and no lock or temporary file stays.
TEST(SameNameConcurrency, RunsOfOneNameNeverMixTheirFiles) {
    if (!kwtest::HostFixture::PluginAvailable()) {
        GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
    const std::vector<std::string> files = {"x.m", "x.kvd", "x.v", "x_report.txt"};
    const auto call = [](int delay) {
        return "rcosflt -name x -outdir out -fs 4 -delay " + std::to_string(delay) + " -hdl verilog -report";
    };
    constexpr int kShells = 6;
    TempDir reference;
    std::vector<std::vector<std::string>> sets;
    for (int delay = 1; delay <= kShells; ++delay) {
        ASSERT_EQ(0, RunShell({"-c", call(delay)}, "", reference.Path().string()).status);
        std::vector<std::string> set;
        for (const std::string& file : files) set.push_back(ReadText(reference.Path() / "out" / file));
        sets.push_back(set);
    }
    for (int round = 0; round < 4; ++round) {
        TempDir dir;
        std::vector<std::future<kwtest::ShellResult>> shells;
        for (int delay = 1; delay <= kShells; ++delay) {
            const std::string loop = "for {set i 0} {$i < 3} {incr i} {" + call(delay) + "}";
            shells.push_back(
                std::async(std::launch::async, [&dir, loop] { return RunShell({"-c", loop}, "", dir.Path().string()); }));
        }
        for (auto& shell : shells) {
            const auto result = shell.get();
            EXPECT_EQ(0, result.status) << result.err;
        }
        EXPECT_EQ((std::set<std::string>{"out", "out/x.m", "out/x.kvd", "out/x.v", "out/x_report.txt"}),
                  kwtest::Tree(dir.Path()))
            << "round " << round;
        const std::string core = ReadText(dir.Path() / "out" / "x.m");
        const auto writer = std::find_if(sets.begin(), sets.end(), [&](const auto& set) { return set[0] == core; });
        ASSERT_NE(sets.end(), writer) << "round " << round << ": x.m is no run's core";
        for (std::size_t i = 1; i < files.size(); ++i) {
            EXPECT_TRUE((*writer)[i] == ReadText(dir.Path() / "out" / files[i]))
                << "round " << round << ": " << files[i] << " is not from the run (delay "
                << (writer - sets.begin() + 1) << ") that wrote x.m";
        }
    }
}

}  // namespace
