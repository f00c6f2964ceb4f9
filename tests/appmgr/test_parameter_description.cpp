// The XML parameter description: malformed descriptions are refused as a whole, and the
// shipped rcosflt.kpd declares the sixteen generator switches with their types and defaults.
#include <fstream>

#include "HostFixture.h"
#include "TempDir.h"

namespace {

class ParameterDescriptionTest : public kwtest::HostFixture {
protected:
    std::string Write(const std::string& text) {
        const std::string path = m_dir.File("p.kpd");
        std::ofstream(path) << text;
        return path;
    }
    TempDir m_dir;
};

std::string Wrap(const std::string& parameters) {
    return "<kelvoware-parameters application=\"t\">" + parameters + "</kelvoware-parameters>";
}

TEST_F(ParameterDescriptionTest, MalformedDescriptionsAreRefusedWithAReason) {
    const struct {
        std::string text;
        const char* reason;
    } cases[] = {
        {"<kelvoware-parameters>", "cannot read parameter description"},
        {"<other/>", "not a KelvoWare parameter description"},
        {Wrap("<parameter type=\"float\"/>"), "without a switch name"},
        {Wrap("<parameter switch=\"fs\" type=\"float\"/>"), "without a switch name"},
        {Wrap("<parameter switch=\"-fs\" type=\"real\"/>"), "unknown type \"real\""},
        {Wrap("<parameter switch=\"-f\" type=\"string selection\"/>"), "string selection without choices"},
        {Wrap("<parameter switch=\"-f\" type=\"string selection\" default=\"c\"><choice>a</choice></parameter>"),
         "the default \"c\" of parameter -f is not one of its choices"},
        {Wrap("<parameter switch=\"-a\" type=\"integer\"/><parameter switch=\"-a\" type=\"float\"/>"),
         "parameter -a is declared twice"},
    };
    for (const auto& c : cases) {
        CAppCommand command("t", "test", nullptr, nullptr);
        kwtest::StderrCapture capture;
        EXPECT_FALSE(command.SetXMLParameterDescription(Write(c.text))) << c.text;
        const std::string line = capture.Stop();
        EXPECT_EQ(0u, line.rfind("ERROR: ", 0)) << line;
        EXPECT_NE(std::string::npos, line.find(c.reason)) << line;
        EXPECT_FALSE(command.HasXMLParameterDescription());
        EXPECT_EQ(0, command.GetNumParametersFromXMLFile());
        EXPECT_EQ(nullptr, command.GetParameterFromXMLFile(0));
    }
    CAppCommand command("t", "test", nullptr, nullptr);
    kwtest::StderrCapture capture;
    EXPECT_FALSE(command.SetXMLParameterDescription(m_dir.File("missing.kpd")));
}

TEST_F(ParameterDescriptionTest, ParametersWithoutDefaultHaveNone) {
    CAppCommand command("t", "test", nullptr, nullptr);
    ASSERT_TRUE(command.SetXMLParameterDescription(
        Write(Wrap("<parameter switch=\"-a\" type=\"string\"><description>d</description></parameter>"))));
    ASSERT_EQ(1, command.GetNumParametersFromXMLFile());
    const CCmdParameter* parameter = command.GetParameterFromXMLFile(0);
    EXPECT_FALSE(parameter->HasDefault());
    EXPECT_EQ("d", parameter->GetDescription());
    EXPECT_FALSE(parameter->IsHidden());
}

TEST_F(ParameterDescriptionTest, ShippedRcosfltDescription) {
    const std::string path = EvalOk("AppMgr::GetKPDFile rcosflt");
    CAppCommand command("rcosflt", "test", nullptr, nullptr);
    ASSERT_TRUE(command.SetXMLParameterDescription(path));
    const struct {
        const char* name;
        const char* type;
        const char* defaultValue;
        std::vector<std::string> choices;
    } expected[] = {
        {"-fs", "float", "4", {}},
        {"-fd", "float", "1", {}},
        {"-r_val", "float", "0.5", {}},
        {"-type", "string selection", "normal", {"normal", "sqrt"}},
        {"-fs_flag", "string selection", "yes", {"yes", "no"}},
        {"-delay", "integer", "3", {}},
        {"-ibits", "integer", "16", {}},
        {"-ifbits", "integer", "15", {}},
        {"-cbits", "integer", "16", {}},
        {"-trunc", "integer", "0", {}},
        {"-form", "string selection", "Direct", {"Direct", "Transposed"}},
        {"-resource_shared", "string selection", "no", {"no", "yes"}},
        {"-number_of_channels", "integer", "1", {}},
        {"-obits", "string", "auto", {}},
        {"-ofbits", "string", "auto", {}},
        {"-no_mults", "string selection", "no", {"no", "yes"}},
    };
    ASSERT_EQ(static_cast<int>(std::size(expected)), command.GetNumParametersFromXMLFile());
    for (int i = 0; i < command.GetNumParametersFromXMLFile(); ++i) {
        const CCmdParameter* parameter = command.GetParameterFromXMLFile(i);
        const auto& want = expected[i];
        EXPECT_EQ(want.name, parameter->GetSwitchName());
        EXPECT_EQ(want.type, parameter->GetTypeName()) << want.name;
        EXPECT_TRUE(parameter->HasDefault()) << want.name;
        EXPECT_EQ(want.defaultValue, parameter->GetDefaultValue()) << want.name;
        EXPECT_FALSE(parameter->IsHidden()) << want.name;
        EXPECT_LT(20u, parameter->GetDescription().size()) << want.name;
        ASSERT_EQ(static_cast<int>(want.choices.size()), parameter->GetNumSelections()) << want.name;
        for (int k = 0; k < parameter->GetNumSelections(); ++k) {
            EXPECT_EQ(want.choices[static_cast<size_t>(k)], parameter->GetSelection(k));
        }
        EXPECT_EQ("", parameter->GetSelection(parameter->GetNumSelections()));
    }
}

TEST(CommandParameters, FactoriesSetKindsAndDefaults) {
    const std::unique_ptr<CCmdParameter> parameters[] = {
        std::unique_ptr<CCmdParameter>(CAppCommand::NewBooleanParameter("-b", "B", false, false, false)),
        std::unique_ptr<CCmdParameter>(CAppCommand::NewIntegerParameter("-i", "v", "I", false, false, -4)),
        std::unique_ptr<CCmdParameter>(CAppCommand::NewStringParameter("-s", "n", "S", false, false, "")),
        std::unique_ptr<CCmdParameter>(CAppCommand::NewStringParameter("-t", "n", "T", false, false, "x")),
        std::unique_ptr<CCmdParameter>(CAppCommand::NewFileOutParameter("-o", "dir", "O", false, false, false, "")),
    };
    const struct {
        const char* type;
        bool hasDefault;
        const char* defaultValue;
    } expected[] = {
        {"boolean", true, "0"}, {"integer", true, "-4"}, {"string", false, ""},
        {"string", true, "x"},  {"file-out", false, ""},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(expected[i].type, parameters[i]->GetTypeName());
        EXPECT_EQ(expected[i].hasDefault, parameters[i]->HasDefault()) << parameters[i]->GetSwitchName();
        EXPECT_EQ(expected[i].defaultValue, parameters[i]->GetDefaultValue());
    }
}

}  // namespace
