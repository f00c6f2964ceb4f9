// Injection canaries through the kelvodsp shell: argument texts holding Tcl (command
// substitution, variables, argument expansion, quote and brace breakers) reach every host
// command the plug-in evaluates (messages, file services, SetDirective, the project commands)
// and the generated files, and stay data: a canary file is neither deleted nor created, the
// texts arrive unchanged, and in MATLAB files they appear only inside comments.
#include <gtest/gtest.h>

#include <fstream>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;
using kwtest::ReadText;
using kwtest::RunShell;
using kwtest::Split;

const std::string kPayloads[] = {
    "[file delete CANARY]",
    "[exec touch CANARY2]",
    "$env(HOME)",
    "{*}x",
    "\"; exec touch CANARY2; \"",
    "}; exec touch CANARY2; {",
    "x\\}; exec touch CANARY2; \\{",
    "a\\",
    "\\[exec touch CANARY2\\]",
    "[exec touch CANARY2\n]",
};

enum class Place { OutDir, InstancePath, ProjectOutDir, Name };

struct InjectionCase {
    std::string payload;
    Place place;
};

void PrintTo(const InjectionCase& c, std::ostream* os) { *os << static_cast<int>(c.place) << " " << c.payload; }

// Runs the call, then answers the directive the host holds, the open project's path and options,
// separated by \x1f.
const char* const kScript = R"TCL(
set code [catch {rcosflt {*}$argv} msg]
set project [Project]
set script [expr {$project eq "" ? "" : [GetProjectOption -scriptfile]}]
# SetDirective ran before the project was opened: it is among the session's directives.
if {$project ne ""} {Project -close}
set directive [lindex [GetDirectives] end 0]
puts -nonewline [join [list $code $msg $directive $project $script] \x1f]
)TCL";

std::vector<std::string> ArgumentsFor(const InjectionCase& c) {
    switch (c.place) {
    case Place::OutDir: return {"-outdir", c.payload};
    case Place::InstancePath: return {"-instancepath", c.payload, "-obits", "12", "-ofbits", "3"};
    case Place::ProjectOutDir: return {"-project", "-outdir", c.payload, "-instancepath", c.payload};
    case Place::Name: return {"-name", c.payload};
    }
    return {};
}

// In MATLAB files the text may only sit in comments.
void ExpectOnlyInComments(const fs::path& file, const std::string& payload) {
    if (file.extension() != ".m") {
        return;
    }
    const std::string firstLine = payload.substr(0, payload.find('\n'));
    for (const std::string& line : Split(ReadText(file), '\n')) {
        if (line.find(firstLine) != std::string::npos) {
            EXPECT_EQ(0u, line.find_first_of("%")) << file << ": " << line;
        }
    }
}

class Injection : public ::testing::TestWithParam<InjectionCase> {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
    }
};

TEST_P(Injection, TextsReachTheHostAndTheFilesAsDataOnly) {
    const InjectionCase& c = GetParam();
    TempDir dir;
    std::ofstream(dir.Path() / "CANARY") << "alive";
    std::vector<std::string> arguments = {"-c", kScript};
    const auto words = ArgumentsFor(c);
    arguments.insert(arguments.end(), words.begin(), words.end());
    const auto run = RunShell(arguments, "", dir.Path().string());
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_TRUE(fs::exists(dir.Path() / "CANARY")) << "deleted by the text " << c.payload;
    EXPECT_FALSE(fs::exists(dir.Path() / "CANARY2")) << "created by the text " << c.payload;
    const auto fields = Split(run.out, '\x1f');
    ASSERT_EQ(5u, fields.size()) << run.out;
    if (c.place == Place::Name) {
        EXPECT_EQ("1", fields[0]);
        EXPECT_EQ(1u, kwtest::Tree(dir.Path()).size()) << "written for a refused name";
        return;
    }
    EXPECT_EQ("0", fields[0]) << fields[1];
    const fs::path outDir = c.place == Place::InstancePath ? dir.Path() : dir.Path() / c.payload;
    if (c.place == Place::ProjectOutDir) {
        const fs::path sub = outDir / "rcosflt_001";
        EXPECT_EQ((sub / "rcosflt_001_proj.kvp").string(), fields[3]);
        EXPECT_EQ((sub / "rcosflt_001_script.m").string(), fields[4]);
        EXPECT_TRUE(fs::exists(sub / "rcosflt_001.m"));
    } else {
        EXPECT_TRUE(fs::exists(outDir / "rcosflt_001.m"));
    }
    if (c.place != Place::OutDir) {
        EXPECT_EQ(c.payload, fields[2]) << "instance path changed on its way to SetDirective";
    }
    // The info names the written file exactly.
    EXPECT_NE(std::string::npos, run.err.find("core function written to " +
                                             (c.place == Place::ProjectOutDir ? (outDir / "rcosflt_001").string()
                                                                              : outDir.string()) +
                                             "/rcosflt_001.m\n"))
        << run.err;
    for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
        if (entry.is_regular_file()) {
            ExpectOnlyInComments(entry.path(), c.payload);
        }
    }
    if (c.place == Place::ProjectOutDir) {
        // The saved project opens again in a fresh shell without running anything.
        const auto reopen = RunShell({"-c", "Project [lindex $argv 0]; puts -nonewline [GetProjectOption -scriptfile]",
                                      fields[3]},
                                     "", dir.Path().string());
        EXPECT_EQ(0, reopen.status) << reopen.err;
        EXPECT_EQ(fields[4], reopen.out);
        EXPECT_TRUE(fs::exists(dir.Path() / "CANARY"));
        EXPECT_FALSE(fs::exists(dir.Path() / "CANARY2"));
    }
}

std::vector<InjectionCase> AllCases() {
    std::vector<InjectionCase> cases;
    for (const std::string& payload : kPayloads) {
        for (Place place : {Place::OutDir, Place::InstancePath, Place::ProjectOutDir, Place::Name}) {
            cases.push_back({payload, place});
        }
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Shell, Injection, ::testing::ValuesIn(AllCases()));

}  // namespace
