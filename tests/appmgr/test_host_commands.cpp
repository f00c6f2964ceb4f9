// The host's script commands: global settings (also through CGlobalSettings), global options,
// application information and the banner, project option defaults, catalogued messages.
#include <regex>

#include "HostFixture.h"

namespace {

class HostCommandsTest : public kwtest::HostFixture {};

TEST_F(HostCommandsTest, GlobalSettingDefaultsAndChanges) {
    const struct {
        const char* key;
        bool value;
    } defaults[] = {
        {"Settings::never_show_customer_turn_on_kelvoware_argument_checks", true},
        {"Settings::EnableKelvoWareAutoIndent", true},
        {"Settings::IsAfterVerifyFixedPoint", false},
        {"DR::952723", false},
        {"No::SuchKey", false},
    };
    for (const auto& d : defaults) {
        EXPECT_EQ(d.value, GetGlobalSettings()->GetBool(d.key)) << d.key;
        EXPECT_EQ(d.value ? "1" : "0", EvalOk(std::string("GetGlobalSetting ") + d.key)) << d.key;
    }
    EvalOk("SetGlobalSetting Settings::EnableKelvoWareAutoIndent false");
    EvalOk("SetGlobalSetting DR::952723 yes");
    EXPECT_FALSE(GetGlobalSettings()->GetBool("Settings::EnableKelvoWareAutoIndent"));
    EXPECT_TRUE(GetGlobalSettings()->GetBool("DR::952723"));
    EXPECT_EQ("expected a boolean value for setting \"DR::952723\" but got \"maybe\"",
              Eval("SetGlobalSetting DR::952723 maybe").second);
    // A redefined host command is what the settings object reads.
    EvalOk("proc ::GetGlobalSetting {key} { error broken }");
    EXPECT_FALSE(GetGlobalSettings()->GetBool("Settings::never_show_customer_turn_on_kelvoware_argument_checks"));
}

TEST_F(HostCommandsTest, GlobalOptions) {
    EXPECT_EQ("0", EvalOk("GetGlobalOption -nobanner"));
    EvalOk("SetGlobalOption -nobanner 1 -other x");
    EXPECT_EQ("1", EvalOk("GetGlobalOption -nobanner"));
    EXPECT_EQ("x", EvalOk("GetGlobalOption -other"));
    EXPECT_EQ("unknown global option \"-missing\"", Eval("GetGlobalOption -missing").second);
    EXPECT_EQ(kwtest::kTclError, Eval("SetGlobalOption -nobanner").first);
}

TEST_F(HostCommandsTest, BannerCarriesNoDate) {
    const std::string banner = EvalOk("AppInfo::GetBanner -delimiter %");
    ASSERT_FALSE(banner.empty());
    EXPECT_EQ('\n', banner.back());
    size_t start = 0;
    while (start < banner.size()) {
        const size_t end = banner.find('\n', start);
        const std::string line = banner.substr(start, end - start);
        EXPECT_EQ(0u, line.rfind("%  ", 0)) << line;
        EXPECT_GE(79u, line.size()) << line;
        start = end + 1;
    }
    EXPECT_NE(std::string::npos, banner.find("KelvoWare"));
    EXPECT_FALSE(std::regex_search(banner, std::regex("[0-9]{4}|[0-9]+[/.-][0-9]+|Jan|Feb|Mar|Apr|May|Jun|Jul|"
                                                      "Aug|Sep|Oct|Nov|Dec")))
        << banner;
    EXPECT_EQ("#  ", EvalOk("AppInfo::GetBanner -delimiter #").substr(0, 3));
    EXPECT_EQ(kwtest::kTclError, Eval("AppInfo::GetBanner -colour red").first);
}

TEST_F(HostCommandsTest, ApplicationInformation) {
    EXPECT_EQ(KW_PROJECT_VERSION, EvalOk("AppInfo ProductVersionVerbose"));
    EXPECT_EQ("Release", EvalOk("AppInfo ProductBuildType"));
    EXPECT_EQ("7", EvalOk("GetMatlabMajorVersionNumber"));
    EXPECT_EQ(kwtest::kTclError, Eval("AppInfo ProductColour").first);
}

TEST_F(HostCommandsTest, ProjectOptionDefaults) {
    const struct {
        const char* option;
        const char* value;
    } defaults[] = {
        {"-default_overflow_mode", "wrap"},
        {"-default_round_mode", "floor"},
        {"-quantizer_max_constant_fractional_length", "-1"},
        {"-quantizer_max_variable_fractional_length", "-1"},
        {"-quantizer_max_port_word_length", "-1"},
        {"-quantizer_max_input_fractional_length", "-1"},
    };
    for (const auto& d : defaults) {
        EXPECT_EQ(d.value, EvalOk(std::string("GetProjectOption ") + d.option)) << d.option;
    }
    EvalOk("SetProjectOption -default_overflow_mode saturate");
    EXPECT_EQ("saturate", EvalOk("GetProjectOption -default_overflow_mode"));
    EXPECT_EQ("unknown project option \"-nope\"", Eval("GetProjectOption -nope").second);
}

TEST_F(HostCommandsTest, KpdFileIsLookedUpInThePluginFolders) {
    const std::string path = EvalOk("AppMgr::GetKPDFile rcosflt");
    EXPECT_EQ("1", EvalOk("file exists {" + path + "}"));
    EXPECT_EQ("rcosflt.kpd", EvalOk("file tail {" + path + "}"));
    const auto [code, text] = Eval("AppMgr::GetKPDFile nosuchapp");
    EXPECT_EQ(kwtest::kTclError, code);
    EXPECT_EQ(0u, text.find("no parameter description \"nosuchapp.kpd\" in the plug-in folders")) << text;
}

TEST_F(HostCommandsTest, CatalogueHasATextForEveryIdentifierOfTheModule) {
    for (const char* id : {"COMMAND-0031", "MAPFCTS-0002", "MAPFCTS-0003", "MAPFCTS-0004", "QTZ-0040", "DIR-0035",
                           "DIR-0036", "DIR-0037"}) {
        const std::string text =
            EvalOk(std::string("Messaging::Message -dontsendtostream -severity info -msgid ") + id +
                   " -params {{} P1 P2}");
        EXPECT_EQ(std::string::npos, text.find('%')) << id << ": " << text;
        EXPECT_NE(std::string::npos, text.find(' ')) << id << ": " << text;
        EXPECT_NE(std::string(id), text);
    }
}

TEST_F(HostCommandsTest, MessageFormatsPrintsAndReturns) {
    const struct {
        const char* call;
        std::string returned;
        std::string printed;
    } cases[] = {
        {"Messaging::Message -severity \"warn\" -msgid \"COMMAND-0031\" -params {Raised-Cosine FIR Filter}",
         "Generating KelvoWare Raised-Cosine FIR Filter: the core is a bit-true fixed-point MATLAB model; "
         "simulate it with its testbench before synthesis.",
         "Warning (COMMAND-0031): "},
        {"Messaging::Message -severity info -msgid MAPFCTS-0002 -params {{Raised-Cosine FIR Filter} /o/x.m}",
         "KelvoWare Raised-Cosine FIR Filter: core function written to /o/x.m", "Info (MAPFCTS-0002): "},
        {"Messaging::Message -severity error -msgid DIR-0037 -params {{} bogus}",
         "Invalid quantizer specification: \"bogus\" is not a known quantizer type, overflow mode or rounding mode.",
         "Error (DIR-0037): "},
        {"Messaging::Message -severity error -msgid DIR-0035 -fileinfo {f.kvd 12} -params {{} {1 x}}",
         "Invalid quantizer specification: every element of \"1 x\" must be an integer.",
         "f.kvd:12: Error (DIR-0035): "},
        {"Messaging::Message -severity warning -msgid QTZ-0040 -fileinfo {{}}",
         "Quantizer rounding mode \"round\" is taken as \"nearest\".", "Warning (QTZ-0040): "},
        {"Messaging::Message -severity warn -msgid NEW-0001 -params {a b}", "NEW-0001: a, b",
         "Warning (NEW-0001): "},
    };
    for (const auto& c : cases) {
        kwtest::StderrCapture capture;
        const std::string returned = EvalOk(c.call);
        const std::string printed = capture.Stop();
        EXPECT_EQ(c.returned, returned) << c.call;
        EXPECT_EQ(c.printed + c.returned + "\n", printed) << c.call;
    }
    kwtest::StderrCapture quiet;
    EvalOk("Messaging::Message -dontsendtostream -severity warn -msgid QTZ-0040");
    EXPECT_EQ("", quiet.Stop());
}

TEST_F(HostCommandsTest, MessageRefusesMalformedCalls) {
    const struct {
        const char* call;
        const char* error;
    } cases[] = {
        {"Messaging::Message -severity warn", "Messaging::Message: -msgid is required"},
        {"Messaging::Message -msgid", "Messaging::Message: missing value for -msgid"},
        {"Messaging::Message -msgid X -loud 1",
         "Messaging::Message: unknown option \"-loud\": must be -dontsendtostream, -fileinfo, -msgid, -params or "
         "-severity"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.error, Eval(c.call).second) << c.call;
    }
}

}  // namespace
