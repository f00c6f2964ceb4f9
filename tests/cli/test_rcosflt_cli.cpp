// The rcosflt plug-in as a user meets it through kelvodsp from the build tree's plug-in
// folder: its names, its parameter list, -help, the host's argument checks and a failing
// generate call's exact error.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "../appmgr/TempDir.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

using kwtest::RunShell;

class RcosfltShell : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
    }
};

TEST_F(RcosfltShell, NamesAndParameters) {
    const auto result = RunShell({"-c",
                                  "puts [rcosflt::GetFullName]; puts [rcosflt::GetShortName]; "
                                  "puts [rcosflt::GetDescription]; "
                                  "puts [llength [rcosflt::GetParameters -implementation]]"});
    EXPECT_EQ(0, result.status) << result.err;
    EXPECT_EQ("Raised-Cosine FIR Filter\nrcosflt\nRaised-Cosine FIR Filter\n16\n", result.out);
}

// The parameters and the common options that place and name the files, one line each; hidden
// ports and the options this generator does not read stay out.
TEST_F(RcosfltShell, HelpListsParametersAndCommonOptions) {
    const std::string help = RunShell({"rcosflt", "-help"}).out;
    for (const char* line : {"\n  -fs <Fs>  ", "from 2 to 8. (default: 4)\n", "\nCommon options:\n", "\n  -outdir <",
                             "\n  -nosubdir  ", "\n  -project  ", "\n  -forcenum <", "\n  -name <", "\n  -instancepath <"}) {
        EXPECT_NE(std::string::npos, help.find(line)) << line << help;
    }
    for (const char* absent : {"-SigOut", "-SigIn2", "-add_dummy_input", "-inputnames"}) {
        EXPECT_EQ(std::string::npos, help.find(absent)) << absent;
    }
    EXPECT_EQ("rcosflt -outdir <directory>\n  Output directory.\n  type: file-out\n\n",
              RunShell({"rcosflt", "-help", "-outdir"}).out);
}

TEST_F(RcosfltShell, ValuesOfTheWrongTypeAreRefusedBeforeGeneration) {
    TempDir dir;
    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"rcosflt", "-fs", "abc"}, "invalid value \"abc\" for switch -fs: expected a floating-point number\n"},
        {{"rcosflt", "-delay", "1.5"},
         "invalid value \"1.5\" for switch -delay: expected a decimal integer from -2147483648 to 2147483647\n"},
        {{"rcosflt", "-ibits", "x"},
         "invalid value \"x\" for switch -ibits: expected a decimal integer from -2147483648 to 2147483647\n"},
        {{"rcosflt", "-form", "transposed"},
         "invalid value \"transposed\" for switch -form: expected one of Direct, Transposed\n"},
        {{"rcosflt", "-fs"}, "missing value for switch -fs: expected a floating-point number\n"},
        {{"rcosflt", "-colour", "red"}, "unknown switch \"-colour\" for rcosflt; \"rcosflt -help\" lists its switches\n"},
    };
    for (const auto& c : cases) {
        const auto result = RunShell(c.arguments, "", dir.Path().string());
        EXPECT_EQ(1, result.status) << c.error;
        EXPECT_EQ(c.error, result.err);
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(RcosfltShell, FailingGenerateIsACatchableErrorWithTheHandlersText) {
    TempDir dir;
    const std::string text =
        "Error while generating KelvoWare Raised-Cosine FIR Filter\n"
        "Invalid Parameter: Number of Input bits (IBITS) is limited to values between 3 and 32 bits.\n";
    const auto caught = RunShell({"-c", "catch {rcosflt -ibits 2} msg; puts -nonewline $msg"}, "", dir.Path().string());
    EXPECT_EQ(0, caught.status);
    EXPECT_EQ(text, caught.out);
    EXPECT_NE(std::string::npos, caught.err.find("ERROR: " + text)) << caught.err;

    // Shown once, as the host's error line, whether run as one command or in a script.
    for (const std::vector<std::string>& call :
         {std::vector<std::string>{"rcosflt", "-ibits", "2"}, std::vector<std::string>{"-c", "rcosflt -ibits 2"}}) {
        const auto failed = RunShell(call, "", dir.Path().string());
        EXPECT_EQ(1, failed.status);
        const std::size_t shown = failed.err.find("ERROR: " + text);
        EXPECT_NE(std::string::npos, shown) << failed.err;
        EXPECT_EQ(std::string::npos, failed.err.find(text, shown + 8)) << failed.err;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

// Scripts tell failures apart by the error code, one row per kind of failure and origin.
TEST_F(RcosfltShell, EveryFailureSetsTheErrorCodeOfItsKind) {
    TempDir dir;
    std::ofstream(dir.Path() / "plain_file") << "not a directory\n";
    std::filesystem::create_directory(dir.Path() / "taken.m");
    const struct {
        const char* name;
        std::string script;
        std::string code;
    } cases[] = {
        {"refused by a check", "rcosflt -ibits 2", "KELVOWARE PARAMETER"},
        {"refused name", "rcosflt -name 9lives", "KELVOWARE PARAMETER"},
        {"refused by the host's type check", "rcosflt -ibits x", "KELVOWARE PARAMETER"},
        {"unknown switch", "rcosflt -colour red", "KELVOWARE PARAMETER"},
        {"unknown hardware language", "rcosflt -hdl vhdl", "KELVOWARE PARAMETER"},
        {"name of a file of the run", "rcosflt -project -nosubdir -name kw_psd", "KELVOWARE PARAMETER"},
        {"NUL in a path", "rcosflt -outdir \"a\\0b\"", "KELVOWARE PARAMETER"},
        {"input that is no integer", "rcosflt::Simulate -input {x}", "KELVOWARE PARAMETER"},
        {"directory that cannot be made", "rcosflt -outdir plain_file/sub", "KELVOWARE IO"},
        {"core file that cannot be opened", "rcosflt -name taken", "KELVOWARE IO"},
        {"failing host command", "proc ::AppInfo::GetBanner args {error staged}; rcosflt", "KELVOWARE INTERNAL"},
        {"failing directive", "proc ::SetDirective args {error staged}; rcosflt -instancepath top/u1",
         "KELVOWARE INTERNAL"},
    };
    for (const auto& c : cases) {
        const auto run = RunShell({"-c", "catch {" + c.script + "} msg options; puts [dict get $options -errorcode]"},
                                  "", dir.Path().string());
        EXPECT_EQ(0, run.status) << c.name << ": " << run.err;
        EXPECT_EQ(c.code + "\n", run.out) << c.name;
    }
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Equal parameters give byte-identical files, wherever they are written: the banner carries no
// date and nothing of the output directory reaches the MATLAB files or the directives.
TEST_F(RcosfltShell, EqualParametersGiveByteIdenticalFiles) {
    TempDir first;
    TempDir second;
    const std::vector<std::string> generate = {"rcosflt", "-project", "-type", "sqrt", "-fs", "8", "-delay", "2",
                                               "-form", "Transposed", "-no_mults", "yes"};
    ASSERT_EQ(0, RunShell(generate, "", first.Path().string()).status);
    ASSERT_EQ(0, RunShell(generate, "", second.Path().string()).status);
    const char* files[] = {"rcosflt_001.m", "rcosflt_001.kvd", "rcosflt_001_script.m", "kw_psd.m",
                           "rcosflt_001_proj.kvd"};
    for (const char* name : files) {
        const std::string a = Slurp(first.Path() / "rcosflt_001" / name);
        ASSERT_FALSE(a.empty()) << name;
        EXPECT_EQ(a, Slurp(second.Path() / "rcosflt_001" / name)) << name;
    }
}

// Several channels with the resource-shared transposed form are refused before any file is
// touched: nothing new appears, and an earlier core of the same name is kept as it was.
TEST_F(RcosfltShell, SharedTransposedChannelsAreRefusedBeforeAnythingIsWritten) {
    TempDir dir;
    ASSERT_EQ(0, RunShell({"rcosflt", "-name", "myfir"}, "", dir.Path().string()).status);
    const std::string before = Slurp(dir.Path() / "myfir.m");
    const auto refused = RunShell({"rcosflt", "-name", "myfir", "-number_of_channels", "2", "-form", "Transposed",
                                   "-resource_shared", "yes"},
                                  "", dir.Path().string());
    EXPECT_EQ(1, refused.status);
    EXPECT_NE(std::string::npos,
              refused.err.find("Multi-Channel/Resource Shared Transposed form filters are not currently supported.\n"))
        << refused.err;
    EXPECT_EQ(before, Slurp(dir.Path() / "myfir.m"));

    TempDir empty;
    EXPECT_EQ(1, RunShell({"rcosflt", "-number_of_channels", "3", "-form", "Transposed", "-resource_shared", "yes"},
                          "", empty.Path().string())
                     .status);
    EXPECT_TRUE(std::filesystem::is_empty(empty.Path()));
}

// Rates in real units give the core of the exact ratio: 3000/1000 is the filter of 3/1 (the
// header's value lines are left out with the banner, so the files compare whole).
TEST_F(RcosfltShell, RatesInRealUnitsGiveTheCoreOfTheExactRatio) {
    TempDir units;
    TempDir plain;
    const std::string quiet = "SetGlobalOption -nobanner 1; ";
    ASSERT_EQ(0, RunShell({"-c", quiet + "rcosflt -fs 3000 -fd 1000 -delay 4"}, "", units.Path().string()).status);
    ASSERT_EQ(0, RunShell({"-c", quiet + "rcosflt -fs 3 -fd 1 -delay 4"}, "", plain.Path().string()).status);
    const std::string core = Slurp(plain.Path() / "rcosflt_001.m");
    EXPECT_NE(std::string::npos, core.find("DelayLine = zeros(1,25);")) << core;
    EXPECT_EQ(core, Slurp(units.Path() / "rcosflt_001.m"));
}

// With plots closed at the end, the statement after the testbench body's last "end" starts its
// own line ("endclose all" does not parse).
TEST_F(RcosfltShell, ClosingPlotsStartsOnItsOwnLine) {
    TempDir dir;
    ASSERT_EQ(0, RunShell({"-c", "SetGlobalSetting Settings::KWCloseMatlabPlots 1; rcosflt -project"}, "",
                          dir.Path().string())
                     .status);
    const std::string script = Slurp(dir.Path() / "rcosflt_001" / "rcosflt_001_script.m");
    const std::string ending = "\nend\nclose all\n\n\nclose all\n";
    ASSERT_GE(script.size(), ending.size());
    EXPECT_EQ(ending, script.substr(script.size() - ending.size()));
}

// An option that the request makes meaningless is named in a warning, and the run goes on.
TEST_F(RcosfltShell, IgnoredOptionsAreWarnedAbout) {
    const struct {
        std::vector<std::string> call;
        const char* warning;  // nullptr: no warning
        const char* written;
    } cases[] = {
        {{"rcosflt", "-project", "-name", "myfir"}, "Warning (COMMAND-0032): -name myfir is ignored: with -project",
         "rcosflt_001/rcosflt_001.m"},
        {{"rcosflt", "-project", "-nosubdir", "-name", "myfir"}, nullptr, "myfir.m"},
        {{"rcosflt", "-ofbits", "10"}, "Warning (COMMAND-0033): -ofbits 10 is ignored: with -obits auto", "rcosflt_001.m"},
        {{"rcosflt", "-obits", "24", "-ofbits", "10"}, nullptr, "rcosflt_001.m"},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const auto run = RunShell(c.call, "", dir.Path().string());
        EXPECT_EQ(0, run.status) << run.err;
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.Path() / c.written)) << c.written;
        EXPECT_EQ(c.warning != nullptr, run.err.find(c.warning ? c.warning : "is ignored") != std::string::npos)
            << run.err;
    }
}

}  // namespace
