// The plug-in shell: the commands and options it registers, the unknown-argument setting, the
// XML description, GetParameters' selection rules and lists, and the lifecycle (refused
// registration, ExitApp without InitApp, load-unload-load), in-process and as the built module.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include "FlowFixture.h"
#include "host/AppMgr.h"
#include "plugin/CKWDesignCallBack.h"

namespace {

using kwtest::ListWords;
using kwtest::Script;
using Words = std::vector<std::string>;

// A host without the plug-in registered: each test starts the plug-in itself.
class PluginStart : public kwtest::HostFixture {
protected:
    void TearDown() override {
        kw::ExitPlugin();
        HostFixture::TearDown();
        kwtest::ResetScript();
    }
    int Start() { return kw::InitPluginWith(&kwtest::MakeTestGenerator); }
};

struct OptionRow {
    std::string switchName, type, valueName, defaultText, description;
};

TEST_F(PluginStart, GenerateCommandHasTheCommonOptionsHiddenInOrder) {
    ASSERT_EQ(Start(), kAppSuccess);
    CAppCommand* command = kw::PluginCallBack()->GenerateCommand();
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->GetName(), "rcosflt");
    EXPECT_EQ(command->GetDescription(), "Raised-Cosine FIR Filter");
    EXPECT_TRUE(command->IsGlobalCommand());
    const std::vector<OptionRow> expected{
        {"-outdir", "file-out", "directory", "", "Output directory."},
        {"-nosubdir", "boolean", "", "0", "Do not create or write to subdirectory."},
        {"-project", "boolean", "", "0", "Open a new project for this KelvoWare."},
        {"-report", "boolean", "", "0", "Also write the design report F_report.txt beside the core."},
        {"-seed", "integer", "value", "1", "Seed of the design report's error measurement input."},
        {"-forcenum", "integer", "value", "1", "Force starting number for unique-ify naming."},
        {"-add_dummy_input", "boolean", "", "0", "Add a dummy input to the KelvoWare call"},
        {"-input_is_float_mantisa", "boolean", "", "0", "Input value is limited to between 0.5 and less than 1 always"},
        {"-name", "string", "name", "", "Name of the file to create"},
        {"-inputnames", "string", "inputnames", "", "Names of the inputs"},
        {"-outputnames", "string", "outputnames", "", "Names of the outputs"},
        {"-instancepath", "string", "instancepath", "", "Instance path of the auto-infered function"},
        {"-hdl", "string", "language", "", "Also write the core in this hardware description language (verilog)"},
        {"-hdl_products", "string", "style", "", "Products by constant coefficients in the hardware core: multiplier or shiftadd (shifts, adds and subtracts from one shared adder graph; fully parallel cores). Default multiplier."},
        {"-hdl_multipliers", "string", "M", "", "Multipliers a resource-shared hardware core works with side by side (above 1: K = ceil(P/M) clocks per output), at most P, its non-zero products per output. Default 1."},
        {"-hdl_stream", "string", "interface", "", "Ports of the hardware core: plain (valid/ready) or axis (AXI4-Stream). Default plain."},
        {"-output_round", "string", "mode", "", "Rounding of the output quantizer: floor, round, nearest, convergent, ceil or fix. Default: the project's default rounding mode (floor)."},
        {"-output_overflow", "string", "mode", "", "Overflow of the output quantizer: wrap or saturate. Default: the project's default overflow mode (wrap)."},
        {"-coef_scale", "string", "scale", "", "Coefficient scaling: unity (unity gain) or max (the largest tap uses the full coefficient range). Default unity."},
        {"-stopband_from", "string", "F", "", "The design report measures the stop-band from F (unit of -fs, at most Fs/2; default (1+R)*Fd/2)."}};
    const std::vector<CCmdParameter*> parameters = command->GetAllParameters();
    ASSERT_EQ(parameters.size(), expected.size() + 16);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const CCmdParameter& p = *parameters[i];
        EXPECT_EQ(p.GetSwitchName(), expected[i].switchName);
        EXPECT_EQ(p.GetTypeName(), expected[i].type) << p.GetSwitchName();
        EXPECT_EQ(p.GetValueName(), expected[i].valueName) << p.GetSwitchName();
        EXPECT_EQ(p.GetDescription(), expected[i].description) << p.GetSwitchName();
        EXPECT_TRUE(p.IsHidden()) << p.GetSwitchName();
        if (p.HasDefault()) {
            EXPECT_TRUE(p.GetDefaultValue() == expected[i].defaultText ||
                        (expected[i].defaultText == "0" && p.GetDefaultValue() == "false"))
                << p.GetSwitchName() << " default " << p.GetDefaultValue();
        }
    }
    EXPECT_EQ(parameters[expected.size()]->GetSwitchName(), "-fs");
    EXPECT_EQ(kw::PluginCallBack()->Design()->ImplementationGroup().Count(), 16);
    EXPECT_FALSE(command->IgnoresUnknownArgs());  // the host's argument checks are on by default
}

TEST_F(PluginStart, NameQueriesAnswerTheGeneratorsTexts) {
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_EQ(EvalOk("rcosflt::GetFullName"), "Raised-Cosine FIR Filter");
    EXPECT_EQ(EvalOk("rcosflt::GetShortName -full"), "rcosflt");
    EXPECT_EQ(EvalOk("rcosflt::GetDescription"), "Raised-Cosine FIR Filter");
}

TEST_F(PluginStart, UnknownArgumentsIgnoredWhenChecksAreOff) {
    EvalOk("SetGlobalSetting Settings::never_show_customer_turn_on_kelvoware_argument_checks 0");
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_TRUE(kw::PluginCallBack()->GenerateCommand()->IgnoresUnknownArgs());
}

TEST_F(PluginStart, MissingDescriptionReportsAndLeavesImplementationEmpty) {
    EvalOk("proc ::AppMgr::GetKPDFile {name} {return /nonexistent/$name.kpd}");
    EvalOk("namespace eval ::kwtest {variable calls {}}\n"
           "rename ::Messaging::Message ::Messaging::kwtestReal\n"
           "proc ::Messaging::Message {args} {lappend ::kwtest::calls $args; tailcall ::Messaging::kwtestReal {*}$args}");
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_EQ(kw::PluginCallBack()->Design()->ImplementationGroup().Count(), 0);
    const Words calls = ListWords(EvalOk("set ::kwtest::calls"));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(ListWords(calls[0]), (Words{"-severity", "error", "-msgid", "MAPFCTS-0004", "-params", "rcosflt"}));
}

TEST_F(PluginStart, FailingDescriptionQuerySkipsDescriptionAndSetting) {
    EvalOk("proc ::AppMgr::GetKPDFile {name} {error unavailable}");
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_FALSE(kw::PluginCallBack()->GenerateCommand()->HasXMLParameterDescription());
    EXPECT_TRUE(kw::PluginCallBack()->GenerateCommand()->IgnoresUnknownArgs());
}

TEST_F(PluginStart, RefusedRegistrationReturns3) {
    EvalOk("proc ::rcosflt {args} {}");
    EXPECT_EQ(Start(), kAppInitFailed);
}

TEST_F(PluginStart, ExitWithoutInitAndLoadExitLoadAgain) {
    EXPECT_EQ(kw::ExitPlugin(), kAppSuccess);
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_EQ(kw::ExitPlugin(), kAppSuccess);
    EXPECT_EQ(kw::PluginCallBack(), nullptr);
    m_host.reset();  // the host unloads: its applications and commands go
    m_host = kwtest::StartHost();
    EXPECT_EQ(Start(), kAppSuccess);
    EXPECT_EQ(EvalOk("rcosflt::GetShortName"), "rcosflt");
}

// Simulate and Report answer from a designed core model: a generator without one has neither,
// the raised-cosine generator has both and they answer.
TEST_F(PluginStart, ModelCommandsComeOnlyWithTheRaisedCosineGenerator) {
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_EQ(EvalOk("info commands rcosflt::*"), EvalOk("info commands rcosflt::Get*"));
    EXPECT_EQ(kw::ExitPlugin(), kAppSuccess);
    m_host.reset();
    m_host = kwtest::StartHost();
    ASSERT_EQ(kw::InitPlugin(), kAppSuccess);
    EXPECT_EQ(EvalOk("rcosflt::Simulate -fs 4 -delay 1 -ibits 8 -ifbits 7 -cbits 8 -input {-128 0 0 0}"),
              "0 0 -896 -2176");
    EXPECT_EQ(EvalOk("lindex [rcosflt::Report -fs 2 -delay 1] 0"), "taps");
}

// --- GetParameters ---------------------------------------------------------------------------

class PortedPlugin : public PluginStart {
protected:
    void SetUp() override {
        PluginStart::SetUp();
        Script().ports = {{false, true, "-SigIn2", ""}, {false, false, "-X", "data input"},
                          {true, false, "-Y", "data output"}, {true, true, "-SigOut", ""}};
        ASSERT_EQ(Start(), kAppSuccess);
    }
    Words Names(const std::string& switches) {
        Words names;
        for (const std::string& entry : ListWords(EvalOk("rcosflt::GetParameters " + switches))) {
            names.push_back(ListWords(entry).at(0));
        }
        return names;
    }
};

struct SelectionCase {
    const char* switches;
    Words firstNames;
    std::size_t count;
};

void PrintTo(const SelectionCase& c, std::ostream* os) { *os << "\"" << c.switches << "\""; }

class Selection : public PortedPlugin, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selection, ListsTheChosenGroups) {
    const Words names = Names(GetParam().switches);
    ASSERT_EQ(names.size(), GetParam().count);
    EXPECT_EQ(Words(names.begin(), names.begin() + static_cast<long>(GetParam().firstNames.size())),
              GetParam().firstNames);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Selection,
    ::testing::Values(SelectionCase{"", {"X quantizer", "Y quantizer", "fs"}, 18},
                      SelectionCase{"-inputs", {"X quantizer"}, 1},
                      SelectionCase{"-outputs -inputs", {"X quantizer"}, 1},
                      SelectionCase{"-outputs", {"Y quantizer"}, 1},
                      SelectionCase{"-inputs 0 -outputs 1", {"Y quantizer"}, 1},
                      SelectionCase{"-functional", {"X quantizer", "Y quantizer"}, 2},
                      SelectionCase{"-implementation -inputs", {"X quantizer"}, 1},
                      SelectionCase{"-implementation", {"fs", "fd"}, 16}));

TEST_F(PortedPlugin, EntriesHoldSixElements) {
    const std::string all = EvalOk("rcosflt::GetParameters");
    auto entry = [&](const std::string& switchName) {
        return ListWords(EvalOk("lsearch -index 2 -inline {" + all + "} " + switchName));
    };
    const Words x = entry("-X");
    ASSERT_EQ(x.size(), 6u);
    EXPECT_EQ(x[0], "X quantizer");
    EXPECT_EQ(x[1], "data input");
    EXPECT_EQ(x[2], "-X");
    EXPECT_EQ(x[3], "quantizer");
    EXPECT_EQ(ListWords(x[4]).size(), 4u);  // the default quantizer as a host list
    EXPECT_EQ(x[5], "");
    const Words type = entry("-type");
    ASSERT_EQ(type.size(), 6u);
    EXPECT_EQ(type[0], "type");
    EXPECT_EQ(type[3], "string selection");
    EXPECT_EQ(type[4], "normal");
    EXPECT_EQ(ListWords(type[5]), (Words{"normal", "sqrt"}));
    const Words fs = entry("-fs");
    EXPECT_EQ(fs[3], "float");
    EXPECT_EQ(fs[4], "4");
    EXPECT_EQ(fs[5], "");
    EXPECT_EQ(entry("-SigIn2").size(), 0u);  // hidden ports are not listed
}

TEST_F(PluginStart, OnlyHiddenPortsListNothing) {
    ASSERT_EQ(Start(), kAppSuccess);
    EXPECT_EQ(EvalOk("rcosflt::GetParameters -inputs"), "");
    EXPECT_EQ(EvalOk("llength [rcosflt::GetParameters]"), "16");
}

// --- the built module ----------------------------------------------------------------------

TEST_F(PluginStart, BuiltModuleRegistersAndAnswers) {
    if (!PluginAvailable()) {
        GTEST_SKIP() << "no plug-in in this build";
    }
    ASSERT_EQ(LoadBuiltPlugin(), kAppSuccess);
    EXPECT_EQ(EvalOk("rcosflt::GetFullName"), "Raised-Cosine FIR Filter");
    EXPECT_EQ(EvalOk("llength [rcosflt::GetParameters -implementation]"), "16");
}

TEST_F(PluginStart, BuiltModuleRefusedRegistrationReturns3) {
    if (!PluginAvailable()) {
        GTEST_SKIP() << "no plug-in in this build";
    }
    EvalOk("proc ::rcosflt {args} {}");
    EXPECT_EQ(LoadBuiltPlugin(), kAppInitFailed);
}

// The host reports only InitApp's status; the module's error line says why it did not start.
TEST_F(PluginStart, BuiltModuleThatCannotStartSaysWhy) {
    if (!PluginAvailable()) {
        GTEST_SKIP() << "no plug-in in this build";
    }
    EvalOk("proc ::GetProjectOption {args} {error {no project store}}");
    kwtest::StderrCapture capture;
    EXPECT_EQ(LoadBuiltPlugin(), kAppInitFailed);
    const std::string err = capture.Stop();
    EXPECT_NE(err.find("ERROR: The rcosflt plug-in could not start: Invalid default quantizer overflow mode\n"),
              std::string::npos)
        << err;
}

#ifdef KW_PLUGIN_PATH
TEST(BuiltModule, ExportsOnlyTheEntryPointsAndExitWithoutInitReturns1) {
    void* module = ::dlopen(KW_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << ::dlerror();
    auto exitApp = reinterpret_cast<int (*)()>(::dlsym(module, "ExitApp"));
    ASSERT_NE(exitApp, nullptr);
    EXPECT_NE(::dlsym(module, "InitApp"), nullptr);
    EXPECT_EQ(::dlsym(module, "_ZN2kw10InitPluginEv"), nullptr);  // kw::InitPlugin stays local
    EXPECT_EQ(exitApp(), kAppSuccess);
    ::dlclose(module);
}
#endif

}  // namespace
