// What a run refuses before it writes anything, through the kelvodsp shell: names the Verilog
// core cannot take, names that shadow the testbench runner's functions, runs that would replace
// another core's generated files, and more channels than a core takes. Also what an accepted
// hardware run tells: an Info line per file and both latencies in F.v's header.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

namespace fs = std::filesystem;
using kwtest::ReadText;

class RunRefusals : public ::testing::Test {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
    }
};

// Runs "rcosflt SWITCHES -name N" for every N of NAMES in one shell; one line "N CODE MESSAGE"
// per name (message on one line).
const char* const kNameLoop = R"TCL(
set switches [lindex $argv 0]
foreach n [lrange $argv 1 end] {
    set code [catch {rcosflt {*}$switches -name $n} msg]
    puts "$n $code [string map {\n { }} $msg]"
}
)TCL";

std::map<std::string, std::string> RunNames(const std::string& switches, const std::vector<std::string>& names,
                                            const fs::path& dir) {
    std::vector<std::string> words = {"-c", kNameLoop, switches};
    words.insert(words.end(), names.begin(), names.end());
    const auto run = kwtest::RunShell(words, "", dir.string());
    EXPECT_EQ(0, run.status) << run.err;
    std::map<std::string, std::string> outcomes;
    for (const std::string& line : kwtest::Split(run.out, '\n')) {
        const std::size_t space = line.find(' ');
        if (space != std::string::npos) outcomes[line.substr(0, space)] = line.substr(space + 1);
    }
    return outcomes;
}

// The words of Verilog TEXT that could be identifiers: comments, strings, numbers, system tasks
// and directives taken out first.
std::set<std::string> VerilogWords(std::string text) {
    static const std::regex kNotNames(
        R"(//[^\n]*|/\*[\s\S]*?\*/|"[^"\n]*"|[$`][A-Za-z_]\w*|\d+'s?[bodhBODH][0-9a-fA-FxXzZ_]+|\b\d\w*)");
    text = std::regex_replace(text, kNotNames, " ");
    static const std::regex kWord(R"(\b[A-Za-z_]\w*\b)");
    std::set<std::string> words;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), kWord); it != std::sregex_iterator(); ++it)
        words.insert(it->str());
    return words;
}

const std::string kVerilogRefusal = "1 Error while generating KelvoWare Raised-Cosine FIR Filter Invalid Parameter: -name \"";

TEST_F(RunRefusals, VerilogNamesThatBreakTheCoreAreRefusedBeforeAnythingIsWritten) {
    const struct {
        std::string name;
        std::string reason;  // "" = accepted
    } cases[] = {
        // Verilog-2005 reserved words, including the 2001/2005 additions.
        {"module", "reserved word"},   {"reg", "reserved word"},      {"always", "reserved word"},
        {"wire", "reserved word"},     {"input", "reserved word"},    {"assign", "reserved word"},
        {"initial", "reserved word"},  {"signed", "reserved word"},   {"generate", "reserved word"},
        {"uwire", "reserved word"},    {"config", "reserved word"},   {"pulsestyle_ondetect", "reserved word"},
        {"showcancelled", "reserved word"}, {"liblist", "reserved word"}, {"tranif1", "reserved word"},
        // SystemVerilog (IEEE 1800-2017) reserved words.
        {"int", "reserved word"},      {"logic", "reserved word"},    {"interface", "reserved word"},
        {"accept_on", "reserved word"}, {"nettype", "reserved word"}, {"interconnect", "reserved word"},
        {"unique0", "reserved word"},  {"s_until_with", "reserved word"}, {"soft", "reserved word"},
        // Ports of the valid/ready and of the AXI4-Stream interface.
        {"clk", "port"},               {"rst", "port"},               {"in_valid", "port"},
        {"in_ready", "port"},          {"in_data", "port"},           {"out_valid", "port"},
        {"out_data", "port"},          {"aclk", "port"},              {"aresetn", "port"},
        {"s_axis_tvalid", "port"},     {"s_axis_tready", "port"},     {"s_axis_tdata", "port"},
        {"m_axis_tvalid", "port"},     {"m_axis_tready", "port"},     {"m_axis_tdata", "port"},
        {"m_axis_tlast", "port"},
        // Signals of the core and of its testbench.
        {"take", "already declares"},  {"x_in", "already declares"},  {"line_1", "already declares"},
        {"result", "already declares"},
        // Unusual names that are none of these.
        {"Module", ""},                {"delete", ""},                {"endmodule_1", ""},
        {"xor2", ""},                  {"INPUT", ""},                 {"line", ""},
    };
    TempDir dir;
    std::vector<std::string> names;
    for (const auto& c : cases) names.push_back(c.name);
    const auto outcomes = RunNames("-fs 2 -delay 1 -hdl verilog", names, dir.Path());
    std::set<std::string> expectedTree;
    for (const auto& c : cases) {
        const std::string& outcome = outcomes.count(c.name) ? outcomes.at(c.name) : "(no outcome)";
        if (c.reason.empty()) {
            EXPECT_EQ("0 ", outcome) << c.name;
            expectedTree.insert({c.name + ".m", c.name + ".kvd", c.name + ".v"});
        } else {
            EXPECT_EQ(0u, outcome.find(kVerilogRefusal + c.name + "\" cannot name the Verilog core: ")) << outcome;
            EXPECT_NE(std::string::npos, outcome.find(c.reason)) << outcome;
        }
    }
    EXPECT_EQ(expectedTree, kwtest::Tree(dir.Path()));
}

// Whatever the writers declare: every identifier of a generated core's Verilog and testbench is
// refused as the name of another core's Verilog.
TEST_F(RunRefusals, EveryIdentifierOfTheGeneratedVerilogIsRefusedAsAName) {
    TempDir dir;
    for (const char* structure : {"-form Direct", "-form Transposed", "-resource_shared yes"}) {
        const auto probe = kwtest::RunShell(
            {"-c", std::string("rcosflt -fs 2 -delay 2 -number_of_channels 2 -hdl verilog -project -nosubdir "
                               "-name probe ") + structure},
            "", dir.Path().string());
        ASSERT_EQ(0, probe.status) << probe.err;
        std::set<std::string> words = VerilogWords(ReadText(dir.Path() / "probe.v"));
        words.merge(VerilogWords(ReadText(dir.Path() / "probe_tb.v")));
        words.erase("probe");
        words.erase("probe_tb");
        ASSERT_GT(words.size(), 20u);
        TempDir other;
        const auto outcomes = RunNames(std::string("-fs 2 -delay 2 -number_of_channels 2 -hdl verilog -project "
                                                   "-nosubdir ") + structure,
                                       {words.begin(), words.end()}, other.Path());
        for (const std::string& word : words) {
            ASSERT_TRUE(outcomes.count(word)) << word;
            EXPECT_EQ('1', outcomes.at(word)[0]) << word << " was accepted";
        }
        EXPECT_TRUE(kwtest::Tree(other.Path()).empty());
    }
}

TEST_F(RunRefusals, VerilatorLintsACoreWithAnUnusualAcceptedName) {
    if (std::system("verilator --version > /dev/null 2>&1") != 0) GTEST_SKIP() << "verilator is not installed";
    TempDir dir;
    for (const char* name : {"Module", "delete"}) {
        const auto run = kwtest::RunShell({"rcosflt", "-fs", "2", "-delay", "1", "-hdl", "verilog", "-name", name}, "",
                                          dir.Path().string());
        ASSERT_EQ(0, run.status) << run.err;
        const auto lint = kwtest::RunProgram({"/bin/sh", "-c", std::string("verilator --lint-only -Wall ") + name + ".v"},
                                             "", dir.Path().string());
        EXPECT_EQ(0, lint.status) << lint.err;
        EXPECT_EQ("", lint.err) << name;
    }
}

// Every function the Octave runner puts on the path (its folder's .m files) is refused as the
// name of a core whose testbench it runs.
TEST_F(RunRefusals, FunctionsOfTheTestbenchRunnerAreRefusedAsNames) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(KW_OCTAVE_DIR)) {
        if (entry.path().extension() == ".m") names.push_back(entry.path().stem().string());
    }
    ASSERT_GE(names.size(), 8u);
    TempDir dir;
    const auto outcomes = RunNames("-project -nosubdir", names, dir.Path());
    for (const std::string& name : names) {
        ASSERT_TRUE(outcomes.count(name)) << name;
        EXPECT_EQ(0u, outcomes.at(name).find("1 Error while generating")) << name << ": " << outcomes.at(name);
    }
    EXPECT_TRUE(kwtest::Tree(dir.Path()).empty());
    // Without a testbench the runner's own helpers stay refused too.
    const auto alone = RunNames("", {"kw_reference_fir", "kw_exact_check", "kw_core_parameters"}, dir.Path());
    for (const auto& [name, outcome] : alone) {
        EXPECT_NE(std::string::npos, outcome.find("is a function of the Octave testbench runner")) << outcome;
    }
    EXPECT_TRUE(kwtest::Tree(dir.Path()).empty());
}

std::map<std::string, std::string> Contents(const fs::path& dir) {
    std::map<std::string, std::string> contents;
    for (const std::string& name : kwtest::Tree(dir)) contents[name] = ReadText(dir / name);
    return contents;
}

// A first run leaves its files; a second run that would replace a generated file of another name
// is refused and changes nothing, one that replaces its own files or files nobody generated
// goes on.
TEST_F(RunRefusals, ARunNeverReplacesAnotherCoresGeneratedFile) {
    const std::string project = "-fs 2 -delay 1 -project -nosubdir -hdl verilog";
    const struct {
        std::string first;   // rcosflt switches, or "NAME:TEXT" for a file written by hand
        std::string second;
        std::string refusal;  // the replaced file and whose it is; "" = accepted
    } cases[] = {
        {"-fs 2 -delay 1 -hdl verilog -name x_tb", project + " -name x", "x_tb.v, which is the Verilog core x_tb"},
        {"-name x_script", project + " -name x", "x_script.m, which is the core function x_script"},
        {"-name x_proj", project + " -name x", "x_proj.kvd, which is the directives of core x_proj"},
        {"-name kw_psd", project + " -name x", "kw_psd.m, which is the core function kw_psd"},
        {project + " -name x", "-fs 2 -delay 1 -hdl verilog -name x_tb", "x_tb.v, which is the Verilog testbench of core x"},
        {project + " -name x", "-name x_script", "x_script.m, which is the testbench script of core x"},
        {project + " -name x", "-name x_proj", "x_proj.kvd, which is the project directives of core x"},
        {project + " -name x", "-name kw_psd", "kw_psd.m, which is the testbenches' helper kw_psd"},
        {project + " -name x -report", project + " -name x -report", ""},
        {project + " -name x", project + " -name y", ""},
        {"x_tb.v:// notes\nmodule x_tb (a);\nendmodule\n", project + " -name x", ""},
        {"x_script.m:function y = x_script(a)\ny = a;\n", project + " -name x", ""},
    };
    for (const auto& c : cases) {
        TempDir dir;
        const std::size_t colon = c.first.find(':');
        if (colon != std::string::npos) {
            std::ofstream(dir.Path() / c.first.substr(0, colon)) << c.first.substr(colon + 1);
        } else {
            ASSERT_EQ(0, kwtest::RunShell({"-c", "rcosflt " + c.first}, "", dir.Path().string()).status) << c.first;
        }
        const auto before = Contents(dir.Path());
        const auto second = kwtest::RunShell({"-c", "rcosflt " + c.second}, "", dir.Path().string());
        if (c.refusal.empty()) {
            EXPECT_EQ(0, second.status) << c.first << " | " << c.second << "\n" << second.err;
            continue;
        }
        EXPECT_EQ(1, second.status) << c.first << " | " << c.second;
        EXPECT_NE(std::string::npos, second.err.find("Invalid Parameter: this run would replace " +
                                                     (dir.Path() / c.refusal).string()))
            << second.err;
        EXPECT_EQ(before, Contents(dir.Path())) << c.first << " | " << c.second;
    }
}

TEST_F(RunRefusals, MoreThan1024ChannelsAreRefusedBeforeAnythingIsSizedOrWritten) {
    const std::string refusal =
        "Invalid Parameter: Number of channels is limited to at most 1024 (interleaved channels of one core).";
    TempDir dir;
    const auto run = kwtest::RunShell(
        {"-c", "foreach call {{rcosflt::Simulate -delay 127 -fs 2 -number_of_channels 100000 -input {0}}\n"
               "              {rcosflt::Report -number_of_channels 1000000}\n"
               "              {rcosflt -number_of_channels 1025 -project -hdl verilog -report}\n"
               "              {rcosflt -number_of_channels 2147483647 -name big}} {\n"
               "    puts [list [catch $call msg] [lindex [split $msg \\n] 1]]\n"
               "}\n"
               "puts [llength [rcosflt::Simulate -fs 2 -delay 1 -number_of_channels 1024 -input {1 2 3}]]"},
        "", dir.Path().string());
    EXPECT_EQ(0, run.status) << run.err;
    const std::string refused = "1 {" + refusal + "}\n";
    EXPECT_EQ(refused + refused + refused + refused + "3\n", run.out);
    EXPECT_TRUE(kwtest::Tree(dir.Path()).empty());
}

// Each file of a hardware project run is announced, and F.v's header gives both latencies as the
// report does.
TEST_F(RunRefusals, AHardwareRunAnnouncesEveryFileAndStatesBothLatencies) {
    TempDir dir;
    const auto run = kwtest::RunShell(
        {"rcosflt", "-resource_shared", "yes", "-hdl", "verilog", "-project", "-nosubdir", "-report", "-name", "h"}, "",
        dir.Path().string());
    ASSERT_EQ(0, run.status) << run.err;
    for (const char* file : {"h.m", "h.kvd", "h_script.m", "h_report.txt", "h.v", "h_tb.v", "h_in.hex", "h_out.hex",
                             "kw_psd.m", "h_proj.kvd", "h_proj.kvp"}) {
        EXPECT_NE(std::string::npos, run.err.find("written to " + (dir.Path() / file).string())) << file << run.err;
    }
    const std::string report = ReadText(dir.Path() / "h_report.txt");
    std::smatch calls;
    std::smatch clocks;
    ASSERT_TRUE(std::regex_search(report, calls, std::regex(R"(\nlatency_calls +(\d+) )")));
    ASSERT_TRUE(std::regex_search(report, clocks, std::regex(R"(\nlatency_clocks +(\d+) )")));
    const std::string header = ReadText(dir.Path() / "h.v").substr(0, 2000);
    EXPECT_NE(std::string::npos, header.find("// Latency:    " + clocks[1].str() + " clocks")) << header;
    EXPECT_NE(std::string::npos, header.find("the output of call\n//             n + " + calls[1].str() +
                                             " (latency_calls")) << header;
    EXPECT_NE(std::string::npos, header.find("leaves " + clocks[1].str() + " clocks after its handshake")) << header;
}

}  // namespace
