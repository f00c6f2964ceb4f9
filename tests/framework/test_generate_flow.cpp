// The Generate flow end to end through the host's "rcosflt" command with the test generator:
// file numbering and layout, the core file's signature and header, directives, the project
// sequence as the host sees it, SetDirective -allappparams, every failure text and the
// handler's error path.
#include <gtest/gtest.h>

#include <memory>

#include "FlowFixture.h"
#include "host/AppMgr.h"

namespace {

using kwtest::FlowFixture;
using kwtest::ReadFile;
using kwtest::Script;
using Words = std::vector<std::string>;

const std::string kErrorLead = "Error while generating KelvoWare Raised-Cosine FIR Filter\n";

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

// A banner line: the text padded with blanks to 79 characters, then its break.
std::string Padded(const std::string& text) { return text + std::string(79 - text.size(), ' ') + "\n"; }

class GenerateFlow : public FlowFixture {};

// --- numbering and layout ------------------------------------------------------------------

struct LayoutCase {
    const char* name;
    std::vector<std::string> runs;   // argument strings of consecutive runs
    std::vector<std::string> files;  // every file and directory below the run directory
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class Layout : public FlowFixture, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(Layout, RunsLeaveExactlyTheseFiles) {
    for (const std::string& run : GetParam().runs) {
        const auto [code, text] = Generate(run);
        ASSERT_EQ(code, 0) << run << ": " << text;
    }
    EXPECT_EQ(Files(), GetParam().files);
}

INSTANTIATE_TEST_SUITE_P(
    Numbering, Layout,
    ::testing::Values(
        LayoutCase{"defaults", {""}, {"rcosflt_001.kvd", "rcosflt_001.m"}},
        LayoutCase{"second_run", {"", ""}, {"rcosflt_001.kvd", "rcosflt_001.m", "rcosflt_002.kvd", "rcosflt_002.m"}},
        LayoutCase{"forcenum_7", {"-forcenum 7"}, {"rcosflt_007.kvd", "rcosflt_007.m"}},
        LayoutCase{"forcenum_skips_taken", {"-forcenum 7", "-forcenum 7"},
                   {"rcosflt_007.kvd", "rcosflt_007.m", "rcosflt_008.kvd", "rcosflt_008.m"}},
        LayoutCase{"beyond_999", {"-forcenum 1000"}, {"rcosflt_1000.kvd", "rcosflt_1000.m"}},
        LayoutCase{"project_subdirectory",
                   {"-project"},
                   {"rcosflt_001/", "rcosflt_001/rcosflt_001.kvd", "rcosflt_001/rcosflt_001.m",
                    "rcosflt_001/rcosflt_001_proj.kvd", "rcosflt_001/rcosflt_001_proj.kvp",
                    "rcosflt_001/rcosflt_001_script.m"}},
        LayoutCase{"project_nosubdir",
                   {"-project -nosubdir"},
                   {"rcosflt_001.kvd", "rcosflt_001.m", "rcosflt_001_proj.kvd", "rcosflt_001_proj.kvp",
                    "rcosflt_001_script.m"}},
        LayoutCase{"project_after_plain_run",
                   {"", "-project"},
                   {"rcosflt_001.kvd", "rcosflt_001.m", "rcosflt_001/", "rcosflt_001/rcosflt_001.kvd",
                    "rcosflt_001/rcosflt_001.m", "rcosflt_001/rcosflt_001_proj.kvd",
                    "rcosflt_001/rcosflt_001_proj.kvp", "rcosflt_001/rcosflt_001_script.m"}},
        LayoutCase{"name_overwrites", {"-name myfir", "-name myfir"}, {"myfir.kvd", "myfir.m"}},
        LayoutCase{"name_extension_replaced", {"-name myfir.txt"}, {"myfir.kvd", "myfir.m"}},
        LayoutCase{"relative_outdir", {"-outdir {out dir}"}, {"out dir/", "out dir/rcosflt_001.kvd", "out dir/rcosflt_001.m"}},
        LayoutCase{"dot_outdir", {"-outdir ."}, {"rcosflt_001.kvd", "rcosflt_001.m"}},
        LayoutCase{"name_into_outdir", {"-outdir o -name myfir"}, {"o/", "o/myfir.kvd", "o/myfir.m"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GenerateFlow, SecondProjectRunTakesTheNextSubdirectory) {
    ASSERT_EQ(Generate("-project").first, 0);
    ASSERT_EQ(Generate("-project").first, 0);
    EXPECT_TRUE(std::filesystem::exists(Dir() / "rcosflt_002" / "rcosflt_002_script.m"));
    EXPECT_EQ(FirstLine(ReadFile(Dir() / "rcosflt_002" / "rcosflt_002.m")), "function SigOut = rcosflt_002( SigIn2 )\n");
}

TEST_F(GenerateFlow, NamedFunctionIsTheGivenName) {
    ASSERT_EQ(Generate("-name myfir").first, 0);
    EXPECT_EQ(FirstLine(ReadFile(Dir() / "myfir.m")), "function SigOut = myfir( SigIn2 )\n");
    EXPECT_EQ(ReadFile(Dir() / "myfir.kvd"), "# Directives for myfir\n");
}

TEST_F(GenerateFlow, OutdirThatCannotBeCreatedFails) {
    kwtest::WriteFile(Dir() / "plain", "a file, not a directory");
    const auto [code, text] = Generate("-outdir plain/sub");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, kErrorLead + "Could not create directory " + (Dir() / "plain" / "sub").string() + "\n");
}

TEST_F(GenerateFlow, ReportsEachWrittenFileOnce) {
    Record("Messaging::Message");
    ASSERT_EQ(Generate("-project").first, 0);
    const std::string folder = (Dir() / "rcosflt_001" / "rcosflt_001").string();
    const std::string name = "Raised-Cosine FIR Filter";
    const auto calls = CallsOf("Messaging::Message");
    // In the order the files reach their names: the core and its directives, the script, then
    // the project's directives and the project file the host saves.
    const std::vector<Words> expected = {
        {"Messaging::Message", "-severity", "warn", "-msgid", "COMMAND-0031", "-params", name},
        {"Messaging::Message", "-severity", "info", "-msgid", "MAPFCTS-0002", "-params",
         "{" + name + "} " + folder + ".m"},
        {"Messaging::Message", "-severity", "info", "-msgid", "MAPFCTS-0006", "-params",
         "{" + name + "} {core directives} " + folder + ".kvd"},
        {"Messaging::Message", "-severity", "info", "-msgid", "MAPFCTS-0003", "-params",
         "{" + name + "} " + folder + "_script.m"},
        {"Messaging::Message", "-severity", "info", "-msgid", "MAPFCTS-0006", "-params",
         "{" + name + "} {project directives} " + folder + "_proj.kvd"},
        {"Messaging::Message", "-severity", "info", "-msgid", "MAPFCTS-0006", "-params",
         "{" + name + "} {project file} " + folder + "_proj.kvp"},
    };
    EXPECT_EQ(calls, expected);
}

// --- core file: signature, banner, header comments ------------------------------------------

TEST_F(GenerateFlow, CoreFileWithoutBannerIsSignatureBodyAndBreak) {
    EvalOk("SetGlobalOption -nobanner 1");
    ASSERT_EQ(Generate("-fs 8").first, 0);
    EXPECT_EQ(ReadFile(Dir() / "rcosflt_001.m"), "function SigOut = rcosflt_001( SigIn2 )\nSigOut = SigIn2;\n\n");
}

TEST_F(GenerateFlow, HeaderHoldsBannerThenPresentImplementationArguments) {
    EvalOk("set ::kelvodsp::version 9.8.7; set ::kelvodsp::buildType Debug");
    ASSERT_EQ(Generate("-fs 8 -form Transposed").first, 0);
    const std::string core = ReadFile(Dir() / "rcosflt_001.m");
    const std::string rule = std::string(79, '%') + "\n";
    const std::string banner = rule + EvalOk("AppInfo::GetBanner -delimiter %") + rule +
                               Padded("%  KelvoWare Function: Raised-Cosine FIR Filter") +
                               Padded("%  KelvoDSP Version: 9.8.7 Debug") + rule;
    const std::string signature = "function SigOut = rcosflt_001( SigIn2 )\n";
    ASSERT_EQ(core.substr(0, signature.size() + banner.size()), signature + banner);
    const std::string fsDescription = EvalOk("lindex [lsearch -index 2 -inline [rcosflt::GetParameters] -fs] 1");
    EXPECT_NE(core.find("\n%  fs: " + fsDescription + "\n%\t\tvalue used \"8\"\n"), std::string::npos) << core;
    EXPECT_NE(core.find("\n%  form: "), std::string::npos);
    EXPECT_NE(core.find("%\t\tvalue used \"Transposed\"\n"), std::string::npos);
    // Implementation comments come right after the banner, in the description's order.
    EXPECT_EQ(core.compare(signature.size() + banner.size(), 7, "%  fs: "), 0);
    EXPECT_LT(core.find("%  fs: "), core.find("%  form: "));
    EXPECT_EQ(core.substr(core.size() - 18), "SigOut = SigIn2;\n\n");
}

class PortedFlow : public FlowFixture {
protected:
    void SetUp() override {
        Script().ports = {{true, false, "-Y1", "first output"},
                          {false, false, "-X", "data input"},
                          {true, true, "-Hidden", ""},
                          {true, false, "--Y2", "second output"}};
        FlowFixture::SetUp();
    }
};

TEST_F(PortedFlow, SignatureBracketsSeveralOutputsAndCommentsVisiblePorts) {
    ASSERT_EQ(Generate("-X {fixed floor wrap {12 10}}").first, 0);
    const std::string core = ReadFile(Dir() / "rcosflt_001.m");
    EXPECT_EQ(FirstLine(core), "function [Y1, Hidden, -Y2] = rcosflt_001( X )\n");
    const std::string expectedPorts = "% X: data input\n%\tquantized to \"fixed floor wrap {12 10}\"\n"
                                      "% Y1: first output\n%\tquantized to \"" +
                                      EvalOk("lindex [lsearch -index 2 -inline [rcosflt::GetParameters -outputs] -Y1] 4") +
                                      "\"\n% -Y2: second output\n%\tquantized to \"" +
                                      EvalOk("lindex [lsearch -index 2 -inline [rcosflt::GetParameters -outputs] --Y2] 4") +
                                      "\"\n";
    EXPECT_NE(core.find(expectedPorts + Script().coreBody), std::string::npos) << core;
}

TEST_F(PortedFlow, InvalidPortQuantizerStopsBeforeTheBody) {
    const auto [code, text] = Generate("-X {fixed bogus {12 10}}");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text.rfind(kErrorLead, 0), 0u) << text;
    EXPECT_NE(text.find("bogus"), std::string::npos) << text;
}

// --- handler error path -------------------------------------------------------------------

TEST_F(GenerateFlow, FailureReturnsExactTextSendsOnceAndClosesEveryStream) {
    Script().failInCore = "the core went wrong";
    kwtest::StderrCapture capture;
    const auto [code, text] = Generate("-project");
    const std::string errors = capture.Stop();
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, kErrorLead + "the core went wrong\n");
    std::size_t sent = 0;
    for (std::size_t at = errors.find("ERROR: " + kErrorLead); at != std::string::npos;
         at = errors.find("ERROR: " + kErrorLead, at + 1)) {
        ++sent;
    }
    EXPECT_EQ(sent, 1u) << errors;
    EXPECT_FALSE(Generator().CoreStream().is_open());
    EXPECT_FALSE(Generator().DirectivesStream().is_open());
    EXPECT_FALSE(Generator().ScriptStream().is_open());

    // The next run starts fresh files: the directives file holds one header line.
    Script().failInCore.clear();
    ASSERT_EQ(Generate("-project").first, 0);
    EXPECT_EQ(ReadFile(Dir() / "rcosflt_002" / "rcosflt_002.kvd"), "# Directives for rcosflt_002\n");
}

TEST_F(GenerateFlow, FailedWarningMessageEndsTheRun) {
    MakeFail("Messaging::Message");
    const auto [code, text] = Generate("");
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, kErrorLead + "Could not execute an KelvoWare TCL Message call.\n");
    EXPECT_TRUE(Files().empty());
}

// --- project set-up as the host sees it -----------------------------------------------------

const Words kProjectCommands{"IsFlowStageValid", "Project", "SetProjectOption"};

TEST_F(GenerateFlow, ProjectRunOpensFillsAndSavesAFreshProject) {
    for (const std::string& name : kProjectCommands) {
        Record(name);
    }
    ASSERT_EQ(Generate("-project").first, 0);
    const std::string d = (Dir() / "rcosflt_001").string();
    const std::vector<Words> expected{{"IsFlowStageValid", "-project"},
                                      {"Project", "-new", d + "/rcosflt_001_proj.kvp"},
                                      {"SetProjectOption", "-show_underflows", "0"},
                                      {"SetProjectOption", "-scriptfile", d + "/rcosflt_001_script.m"},
                                      {"SetProjectOption", "-directivesfile", d + "/rcosflt_001_proj.kvd"},
                                      {"Project", "-save"}};
    EXPECT_EQ(Calls(), expected);
    EXPECT_EQ(ReadFile(d + "/rcosflt_001_proj.kvd"), Script().projectDirectives);
    const std::string project = ReadFile(d + "/rcosflt_001_proj.kvp");
    EXPECT_NE(project.find("-scriptfile " + d + "/rcosflt_001_script.m"), std::string::npos) << project;
}

TEST_F(GenerateFlow, OpenProjectIsClosedFirst) {
    EvalOk("Project {" + (Dir() / "other.kvp").string() + "}");
    for (const std::string& name : kProjectCommands) {
        Record(name);
    }
    ASSERT_EQ(Generate("-project").first, 0);
    const auto calls = Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls[0], (Words{"IsFlowStageValid", "-project"}));
    EXPECT_EQ(calls[1], (Words{"Project", "-close"}));
    EXPECT_EQ(calls[2][0], "Project");
    EXPECT_EQ(EvalOk("Project"), (Dir() / "rcosflt_001" / "rcosflt_001_proj.kvp").string());
}

TEST_F(GenerateFlow, WithoutProjectNoProjectCommandRuns) {
    for (const std::string& name : kProjectCommands) {
        Record(name);
    }
    ASSERT_EQ(Generate("-nosubdir").first, 0);
    EXPECT_TRUE(Calls().empty());
    EXPECT_FALSE(std::filesystem::exists(Dir() / "rcosflt_001_proj.kvd"));
    EXPECT_FALSE(std::filesystem::exists(Dir() / "rcosflt_001_script.m"));
}

struct HostFailureCase {
    const char* name;
    const char* command;
    const char* failsWhenFirstWord;  // "" fails every call
    const char* arguments;
    std::string message;  // after the lead; @ stands for the run directory
};

void PrintTo(const HostFailureCase& c, std::ostream* os) { *os << c.name; }

class HostFailure : public FlowFixture, public ::testing::WithParamInterface<HostFailureCase> {};

TEST_P(HostFailure, EndsTheRunWithItsText) {
    const HostFailureCase& c = GetParam();
    EvalOk(std::string("rename ::") + c.command + " ::kwtest::realCommand");
    EvalOk(std::string("proc ::") + c.command + " {args} {\n  if {{" + c.failsWhenFirstWord +
           "} eq {} || [lindex $args 0] eq {" + c.failsWhenFirstWord + "}} {error staged}\n" +
           "  tailcall ::kwtest::realCommand {*}$args\n}");
    const auto [code, text] = Generate(c.arguments);
    EXPECT_EQ(code, 1);
    std::string message = c.message;
    for (std::size_t at = message.find('@'); at != std::string::npos; at = message.find('@', at)) {
        const std::string d = (Dir() / "rcosflt_001").string();
        message.replace(at, 1, d);
        at += d.size();
    }
    EXPECT_EQ(text, kErrorLead + message + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HostFailure,
    ::testing::Values(
        HostFailureCase{"project", "Project", "", "-project", "Could not open project @/rcosflt_001_proj.kvp"},
        HostFailureCase{"underflows", "SetProjectOption", "-show_underflows", "-project",
                        "Could not set show underflow warnings to false"},
        HostFailureCase{"scriptfile", "SetProjectOption", "-scriptfile", "-project",
                        "Could not set script file to @/rcosflt_001_script.m"},
        HostFailureCase{"directivesfile", "SetProjectOption", "-directivesfile", "-project",
                        "Could not set script file to @/rcosflt_001_script.m"},
        HostFailureCase{"save", "Project", "-save", "-project",
                        "Could not save project @/rcosflt_001_proj.kvp (staged)\n"},
        HostFailureCase{"setdirective", "SetDirective", "", "-instancepath top/u1",
                        "Internal Error: Could not set the allappparams directive."},
        HostFailureCase{"banner", "AppInfo::GetBanner", "", "", "Could not get banner!\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- SetDirective -allappparams -------------------------------------------------------------

TEST_F(GenerateFlow, InstancePathSendsPresentImplementationArgumentsInGroupOrder) {
    Record("SetDirective");
    std::unique_ptr<CCmdParameter> relax = std::make_unique<CCmdParameter>(
        CCmdParameter::Kind::Boolean, "-relax_quantizer_args", "", "relax", "", false);
    Generator().ImplementationGroup().Append(relax.get());
    CCmdArguments arguments;
    arguments.Set("-instancepath", CTclDataObj(std::string("top/u 1")));
    arguments.Set("-form", CTclDataObj(std::string("Transposed")));
    arguments.Set("-relax_quantizer_args", CTclDataObj(1));
    arguments.Set("-fs", CTclDataObj(std::string("8")));
    Generator().ParseArguments(&arguments);
    Generator().SetAllAppParams();
    Generator().ImplementationGroup().Truncate(Generator().ImplementationGroup().Count() - 1);

    const auto calls = CallsOf("SetDirective");
    ASSERT_EQ(calls.size(), 1u);
    ASSERT_EQ(calls[0].size(), 4u);
    EXPECT_EQ(calls[0][1], "top/u 1");
    EXPECT_EQ(calls[0][2], "-allappparams");
    EXPECT_EQ(kwtest::ListWords(calls[0][3]), (Words{"-fs", "8", "-form", "Transposed"}));
}

TEST_F(GenerateFlow, NoInstancePathNoDirectiveAndEmptyListStillSent) {
    Record("SetDirective");
    CCmdArguments arguments;
    Generator().ParseArguments(&arguments);
    Generator().SetAllAppParams();
    EXPECT_TRUE(CallsOf("SetDirective").empty());
    arguments.Set("-instancepath", CTclDataObj(std::string("top")));
    Generator().ParseArguments(&arguments);
    Generator().SetAllAppParams();
    EXPECT_EQ(CallsOf("SetDirective"), (std::vector<Words>{{"SetDirective", "top", "-allappparams", ""}}));
}

TEST_F(GenerateFlow, GenerateCommandSendsEveryDeliveredImplementationArgument) {
    Record("SetDirective");
    ASSERT_EQ(Generate("-instancepath top/u1 -fs 8").first, 0);
    const auto calls = CallsOf("SetDirective");
    ASSERT_EQ(calls.size(), 1u);
    const Words list = kwtest::ListWords(calls[0][3]);
    ASSERT_GE(list.size(), 2u);
    EXPECT_EQ(list[0], "-fs");
    EXPECT_EQ(list[1], "8");
    EXPECT_EQ(list.size(), 32u);  // every argument of the description is delivered (given or default)
}

// --- re-indenting in the flow ------------------------------------------------------------

TEST_F(GenerateFlow, AutoIndentSettingReindentsCoreAndScript) {
    Script().coreBody = "if SigIn2\nSigOut = 1;\nelse\nSigOut = 0;\nend\n";
    Script().testbenchBody = "for k=1:3\ny(k) = k;\nend\n";
    EvalOk("SetGlobalOption -nobanner 1");
    ASSERT_EQ(Generate("-project").first, 0);
    const auto d = Dir() / "rcosflt_001";
    EXPECT_EQ(ReadFile(d / "rcosflt_001.m"),
              "function SigOut = rcosflt_001( SigIn2 )\nif SigIn2\n   SigOut = 1;\nelse\n   SigOut = 0;\nend\n\n");
    EXPECT_EQ(ReadFile(d / "rcosflt_001_script.m"), "for k=1:3\n   y(k) = k;\nend\n\n");

    SetSetting("Settings::EnableKelvoWareAutoIndent", false);
    ASSERT_EQ(Generate("-project").first, 0);
    EXPECT_EQ(ReadFile(Dir() / "rcosflt_002" / "rcosflt_002_script.m"), Script().testbenchBody + "\n");
}

// --- testbench script: warnings and epilogue with the four settings ----------------------

struct ScriptEndCase {
    const char* name;
    bool popUps, closePlots, saveResults, saveAtEnd;
    const char* warnings;
    const char* ending;  // what follows the testbench body
};

void PrintTo(const ScriptEndCase& c, std::ostream* os) { *os << c.name; }

class ScriptEnd : public FlowFixture, public ::testing::WithParamInterface<ScriptEndCase> {};

TEST_P(ScriptEnd, ScriptEndsWithWarningsAndEpilogue) {
    const ScriptEndCase& c = GetParam();
    SetSetting("Settings::EnableKWMatlabWarningPopUps", c.popUps);
    SetSetting("Settings::KWCloseMatlabPlots", c.closePlots);
    SetSetting("Settings::KWSaveMatlabResults", c.saveResults);
    SetSetting("KWSaveMatlabResults::KWCloseMatlabPlots", c.saveAtEnd);
    SetSetting("Settings::EnableKelvoWareAutoIndent", false);
    EvalOk("SetGlobalOption -nobanner 1");
    Script().warnings = c.warnings;
    Script().warningsTitle = "rcosflt";
    ASSERT_EQ(Generate("-project").first, 0);
    EXPECT_EQ(ReadFile(Dir() / "rcosflt_001" / "rcosflt_001_script.m"), Script().testbenchBody + c.ending);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ScriptEnd,
    ::testing::Values(
        ScriptEndCase{"all_off", false, false, false, false, "", "\n"},
        ScriptEndCase{"warnings_without_popups", false, false, false, false, "A\nB\n", "\n"},
        ScriptEndCase{"popups", true, false, false, false, "A\nB\n",
                      "\nwarndlg({'A';'B'},'KelvoWare Warning: rcosflt');\n\n"},
        ScriptEndCase{"close_plots", false, true, false, false, "", "\nclose all\n\n\nclose all\n"},
        ScriptEndCase{"save_results", false, false, true, false, "", "\nsave\n\n\n"},
        ScriptEndCase{"save_at_end", false, false, false, true, "", "\nsave\n"},
        ScriptEndCase{"all_on", true, true, true, true, "W\n",
                      "\nwarndlg({'W'},'KelvoWare Warning: rcosflt');\nclose all\n\nsave\n\n\nclose all\nsave\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- ports and construction ---------------------------------------------------------------

TEST_F(GenerateFlow, PortsAddedDuringARunDoNotSurviveIntoTheNext) {
    kw::Quantizer format;
    Generator().DeclareInputPort("-Extra", "added late", format);
    EXPECT_EQ(Generator().InputsGroup().Count(), 2);
    ASSERT_EQ(Generate("").first, 0);
    EXPECT_EQ(Generator().InputsGroup().Count(), 1);
    EXPECT_EQ(FirstLine(ReadFile(Dir() / "rcosflt_001.m")), "function SigOut = rcosflt_001( SigIn2 )\n");
}

class EmptyIdentity : public kw::CKWDesignBase {
public:
    EmptyIdentity() : kw::CKWDesignBase("rcosflt", "Raised-Cosine FIR Filter", "", true) {}
    void ValidateFunctionalParameters() override {}
    void GenerateCore() override {}
    void FinishCore() override {}
    void WriteDirectives() override {}
};

TEST_F(GenerateFlow, EmptyDescriptionFailsConstruction) {
    try {
        EmptyIdentity design;
        ADD_FAILURE() << "constructed";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Missing basic KelvoWare information");
    }
}

}  // namespace
