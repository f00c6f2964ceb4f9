// The command framework seen from Tcl: publication of an application's commands, argument
// parsing and type checks before the handler, defaults, -help, handler status mapping,
// exceptions stopped at the Tcl boundary, refusal of a second registration, SendMsg lines.
#include <fstream>
#include <stdexcept>

#include "HostFixture.h"
#include "TempDir.h"

namespace {

class RecordingCallBack : public CKelvoAppCallBack {
public:
    // Answers the delivered arguments as a flat list: switch, value, switch, value ...
    int Record(CCmdArguments* arguments, CTclResultObj* result) {
        ++calls;
        CTclDataObj list;
        list.MakeList();
        for (const std::string& name : arguments->GetSwitchNames()) {
            list.AppendAsListElement(name);
            list.AppendAsListElement(*arguments->Find(name));
        }
        *result = list;
        return kAppSuccess;
    }
    int Fail(CCmdArguments*, CTclResultObj* result) {
        ++calls;
        *result = std::string("Error while doing it\nbecause {of [this]}\n");
        return kAppCommandFailed;
    }
    int Throw(CCmdArguments*, CTclResultObj*) {
        ++calls;
        throw std::runtime_error("boom");
    }
    int calls = 0;
};

TCommandHandler Handler(int (RecordingCallBack::*member)(CCmdArguments*, CTclResultObj*)) {
    return static_cast<TCommandHandler>(member);
}

const char* const kDescription = R"(<?xml version="1.0"?>
<kelvoware-parameters application="tapp">
  <parameter switch="-rate" type="float" value-name="Fs" default="2.5"><description>Sample rate.</description></parameter>
  <parameter switch="-form" type="string selection" value-name="form" default="Direct">
    <description>Structure.</description><choice>Direct</choice><choice>Transposed</choice>
  </parameter>
  <parameter switch="-bits" type="string" value-name="bits" default="auto"><description>Output bits.</description></parameter>
  <parameter switch="-internal" type="integer" default="9" hidden="true"><description>Not shown.</description></parameter>
</kelvoware-parameters>
)";

class CommandFrameworkTest : public kwtest::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        const std::string kpd = m_dir.File("tapp.kpd");
        std::ofstream(kpd) << kDescription;
        m_app = CAppMgr::NewApp(&m_callback, "tapp", "Test application", false, "", true);
        m_command = m_app->AddCommand("tapp", "Runs the test application", Handler(&RecordingCallBack::Record));
        m_command->AddParameter(CAppCommand::NewIntegerParameter("-count", "n", "How many.", false, false, 3));
        m_command->AddParameter(CAppCommand::NewStringParameter("-name", "name", "A name.", false, false, ""));
        m_command->AddParameter(CAppCommand::NewBooleanParameter("-flag", "A flag.", false, false, false));
        CCmdParameter* secret = CAppCommand::NewStringParameter("-secret", "s", "Hidden.", false, false, "s");
        secret->SetIsHidden(true);
        m_command->AddParameter(secret);
        ASSERT_TRUE(m_command->SetXMLParameterDescription(kpd));
        for (const auto& [name, member] : {std::pair{"Query", &RecordingCallBack::Record},
                                           std::pair{"Fail", &RecordingCallBack::Fail},
                                           std::pair{"Throw", &RecordingCallBack::Throw}}) {
            m_app->AddCommand(name, "A query.", Handler(member))->SetNotGlobalCommand();
        }
        ASSERT_TRUE(CAppMgr::RegisterCommands(m_app));
    }

    TempDir m_dir;
    RecordingCallBack m_callback;
    CKelvoApp* m_app = nullptr;
    CAppCommand* m_command = nullptr;
};

TEST_F(CommandFrameworkTest, GlobalAndNamespaceCommandsArePublished) {
    EXPECT_EQ("::tapp", EvalOk("namespace which tapp"));
    EXPECT_EQ("::tapp::Fail ::tapp::Query ::tapp::Throw", EvalOk("lsort [info commands ::tapp::*]"));
    EXPECT_EQ("", EvalOk("info commands ::Query"));
}

TEST_F(CommandFrameworkTest, ArgumentsAreDeliveredWithDefaults) {
    const std::string defaults = " -secret s -rate 2.5 -form Direct -bits auto -internal 9";
    const struct {
        const char* call;
        std::string delivered;
    } cases[] = {
        {"tapp", "-count 3" + defaults},
        {"tapp -flag", "-flag 1 -count 3" + defaults},
        {"tapp -flag 0 -count 7", "-flag 0 -count 7" + defaults},
        {"tapp -flag yes", "-flag yes -count 3" + defaults},
        {"tapp -flag -count 7", "-flag 1 -count 7" + defaults},
        {"tapp -count 5 -flag", "-count 5 -flag 1" + defaults},
        {"tapp -name {a b} -flag", "-name {a b} -flag 1 -count 3" + defaults},
        {"tapp -name {[exec false]}", "-name {[exec false]} -count 3" + defaults},
        {"tapp -count -5", "-count -5" + defaults},
        {"tapp -count 1 -count 2", "-count 2" + defaults},
        {"tapp -rate inf -form Transposed -bits 12",
         "-rate inf -form Transposed -bits 12 -count 3 -secret s -internal 9"},
        {"tapp -rate -1e-3", "-rate -1e-3 -count 3 -secret s -form Direct -bits auto -internal 9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.delivered, EvalOk(c.call)) << c.call;
    }
}

TEST_F(CommandFrameworkTest, BadArgumentsAreRefusedBeforeTheHandlerRuns) {
    const std::string intRange = "expected a decimal integer from -2147483648 to 2147483647";
    const struct {
        const char* call;
        std::string error;
    } cases[] = {
        {"tapp -count 1.5", "invalid value \"1.5\" for switch -count: " + intRange},
        {"tapp -count 4294967296", "invalid value \"4294967296\" for switch -count: " + intRange},
        {"tapp -count x", "invalid value \"x\" for switch -count: " + intRange},
        {"tapp -rate abc", "invalid value \"abc\" for switch -rate: expected a floating-point number"},
        {"tapp -rate {}", "invalid value \"\" for switch -rate: expected a floating-point number"},
        {"tapp -rate nan", "invalid value \"nan\" for switch -rate: expected a floating-point number"},
        {"tapp -form transposed",
         "invalid value \"transposed\" for switch -form: expected one of Direct, Transposed"},
        {"tapp -count", "missing value for switch -count: " + intRange},
        {"tapp -name -flag", "missing value for switch -name: expected a string"},
        {"tapp -bogus 1", "unknown switch \"-bogus\" for tapp; \"tapp -help\" lists its switches"},
        {"tapp stray", "unexpected argument \"stray\" for tapp; \"tapp -help\" lists its switches"},
        {"tapp -Count 1", "unknown switch \"-Count\" for tapp; \"tapp -help\" lists its switches"},
    };
    for (const auto& c : cases) {
        const auto [code, text] = Eval(c.call);
        EXPECT_EQ(kwtest::kTclError, code) << c.call;
        EXPECT_EQ(c.error, text) << c.call;
    }
    EXPECT_EQ(0, m_callback.calls);
}

TEST_F(CommandFrameworkTest, UnknownSwitchesAreSkippedWhenTheCommandIgnoresThem) {
    m_command->SetIgnoreUnknownArgs(true);
    EXPECT_EQ("-count 4 -secret s -rate 2.5 -form Direct -bits auto -internal 9",
              EvalOk("tapp -bogus 1 -count 4 -other"));
    // Known switches are still checked.
    EXPECT_EQ(kwtest::kTclError, Eval("tapp -bogus 1 -count x").first);
}

TEST_F(CommandFrameworkTest, HelpListsTheVisibleSwitchesOneLineEach) {
    const std::string help = EvalOk("tapp -help");
    EXPECT_EQ(0u, help.find("tapp: Runs the test application\nUsage: tapp ?-switch value ...?\n")) << help;
    for (const char* line : {"\n  -count <n>               How many. (default: 3)\n", "\n  -flag                    A flag.\n",
                             "\n  -form Direct|Transposed  Structure. (default: Direct)\n",
                             "\n  -rate <Fs>               Sample rate. (default: 2.5)\n"}) {
        EXPECT_NE(std::string::npos, help.find(line)) << line << help;
    }
    // Hidden switches are left out; none of them is a common option, so there is no such section.
    for (const char* absent : {"-secret", "-internal", "Common options"}) {
        EXPECT_EQ(std::string::npos, help.find(absent)) << absent << "\n" << help;
    }
    EXPECT_EQ(0, m_callback.calls);
}

TEST_F(CommandFrameworkTest, HelpDescribesOneSwitchInFull) {
    const std::string form = "tapp -form Direct|Transposed\n  Structure.\n  type: string selection\n"
                             "  choices: Direct, Transposed\n  default: Direct\n";
    EXPECT_EQ(form, EvalOk("tapp -help form"));
    EXPECT_EQ("tapp -flag\n  A flag.\n  type: boolean (the switch alone means true)\n", EvalOk("tapp -help -flag"));
    EXPECT_EQ(kwtest::kTclError, Eval("tapp -help -nope").first);
}

TEST_F(CommandFrameworkTest, HandlerStatusBecomesTheTclOutcome) {
    const auto [code, text] = Eval("tapp::Fail");
    EXPECT_EQ(kwtest::kTclError, code);
    EXPECT_EQ("Error while doing it\nbecause {of [this]}\n", text);
    EXPECT_EQ("1 {Error while doing it\nbecause {of [this]}\n}", EvalOk("list [catch tapp::Fail message] $message"));
    EXPECT_EQ("", EvalOk("tapp::Query"));
}

TEST_F(CommandFrameworkTest, ExceptionsStopAtTheTclBoundary) {
    const auto [code, text] = Eval("tapp::Throw");
    EXPECT_EQ(kwtest::kTclError, code);
    EXPECT_EQ("Throw: internal error: boom", text);
    EXPECT_EQ("still running", EvalOk("set x {still running}"));
}

TEST_F(CommandFrameworkTest, SecondRegistrationOfANameIsRefused) {
    RecordingCallBack other;
    CKelvoApp* again = CAppMgr::NewApp(&other, "tapp", "Again", false, "", true);
    again->AddCommand("tapp", "Again", Handler(&RecordingCallBack::Record));
    EXPECT_FALSE(CAppMgr::RegisterCommands(again));

    EvalOk("proc ::taken {} { return mine }");
    CKelvoApp* taken = CAppMgr::NewApp(&other, "taken", "Taken", false, "", true);
    taken->AddCommand("taken", "Taken", Handler(&RecordingCallBack::Record));
    taken->AddCommand("Query", "Query", Handler(&RecordingCallBack::Record))->SetNotGlobalCommand();
    EXPECT_FALSE(CAppMgr::RegisterCommands(taken));
    EXPECT_EQ("mine", EvalOk("taken"));
    EXPECT_EQ("", EvalOk("info commands ::taken::*"));
    // The first application still answers through its own callback.
    EvalOk("tapp");
    EXPECT_EQ(1, m_callback.calls);
    EXPECT_EQ(0, other.calls);
}

TEST(SendMsg, WritesErrorLinesToStandardError) {
    const struct {
        int type;
        std::string text;
        std::string line;
    } cases[] = {
        {2, "it failed", "ERROR: it failed\n"},
        {2, "Error while generating\nreason\n", "ERROR: Error while generating\nreason\n"},
        {2, "", "ERROR: \n"},
        {2, "ERROR: Unable to write to file \"x\".\n", "ERROR: Unable to write to file \"x\".\n"},
        {1, "careful", "WARNING: careful\n"},
        {0, "note", "INFO: note\n"},
    };
    for (const auto& c : cases) {
        kwtest::StderrCapture capture;
        CAppMgr::SendMsg(c.type, c.text);
        EXPECT_EQ(c.line, capture.Stop());
    }
}

}  // namespace
