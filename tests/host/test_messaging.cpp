// The message builders as the host sees them: the words that reach "Messaging::Message", what
// the builders return or throw, and how a failing host call is treated.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "HostFixture.h"
#include "host/AppMgr.h"
#include "host/Messaging.h"

namespace {

// Stands in for the host's message command: records each call's words and answers fixed text.
constexpr const char* kRecordingMessage =
    "namespace eval Messaging {}\n"
    "set ::calls {}\n"
    "proc Messaging::Message {args} { lappend ::calls $args; return \"the text\" }\n";
constexpr const char* kFailingMessage =
    "namespace eval Messaging {}\n"
    "set ::calls {}\n"
    "proc Messaging::Message {args} { lappend ::calls $args; error \"catalogue is closed\" }\n";

class MessagingTest : public kwtest::HostFixture {
protected:
    void Stage(const char* script) { EvalOk(script); }
    std::string Call(int index) { return EvalOk("lindex $::calls " + std::to_string(index)); }
    int CallCount() { return std::stoi(EvalOk("llength $::calls")); }
};

CTclDataObj ListOf(std::initializer_list<const char*> items) {
    CTclDataObj list;
    list.MakeList();
    for (const char* item : items) list.AppendAsListElement(std::string(item));
    return list;
}

struct StructuredCase {
    const char* name;
    const char* file;
    int line;
    bool sendToStream;
    std::initializer_list<const char*> params;
    const char* words;
};

TEST_F(MessagingTest, StructuredBuilderSendsWordsInOrder) {
    const StructuredCase cases[] = {
        {"bare", nullptr, -1, true, {}, "-severity warning -msgid ID-1"},
        {"no stream", nullptr, -1, false, {}, "-dontsendtostream -severity warning -msgid ID-1"},
        {"file and line", "core.m", 12, true, {}, "-severity warning -msgid ID-1 -fileinfo {core.m 12}"},
        {"file without line", "core.m", -1, true, {}, "-severity warning -msgid ID-1 -fileinfo core.m"},
        {"empty file", "", -1, true, {}, "-severity warning -msgid ID-1 -fileinfo {{}}"},
        {"empty file with line", "", 7, true, {}, "-severity warning -msgid ID-1 -fileinfo {{} 7}"},
        {"one parameter", nullptr, -1, true, {"round"}, "-severity warning -msgid ID-1 -params {{} round}"},
        {"parameters with blanks", "a b.m", 3, true, {"x y", "$z"},
         "-severity warning -msgid ID-1 -fileinfo {{a b.m} 3} -params {{} {x y} {$z}}"},
    };
    for (const StructuredCase& c : cases) {
        SCOPED_TRACE(c.name);
        Stage(kRecordingMessage);
        const CTclDataObj params = ListOf(c.params);
        EXPECT_EQ("the text", kw::ReportWarning("ID-1", c.file, c.line, &params, c.sendToStream));
        ASSERT_EQ(1, CallCount());
        EXPECT_EQ(c.words, Call(0));
    }
}

TEST_F(MessagingTest, StructuredBuilderWithoutIdentifierEvaluatesNothing) {
    Stage(kRecordingMessage);
    const CTclDataObj params = ListOf({"x"});
    EXPECT_EQ("", kw::ReportMessage("warning", nullptr, "f.m", 1, &params));
    EXPECT_EQ(0, CallCount());
}

TEST_F(MessagingTest, ReportMessagePassesSeverityAsGiven) {
    Stage(kRecordingMessage);
    kw::ReportMessage("info", "ID-2", nullptr, -1, nullptr);
    EXPECT_EQ("-severity info -msgid ID-2", Call(0));
}

TEST_F(MessagingTest, ReportErrorThrowsTheHostAnswer) {
    Stage(kRecordingMessage);
    const CTclDataObj params = ListOf({"Fixed"});
    try {
        kw::ReportError("DIR-0037", nullptr, -1, &params);
        FAIL() << "ReportError returned";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("the text", error.what());
    }
    EXPECT_EQ("-severity error -msgid DIR-0037 -params {{} Fixed}", Call(0));
}

TEST_F(MessagingTest, VariantsWithoutParametersPassTheIntegerZeroObject) {
    Stage(kRecordingMessage);
    EXPECT_THROW(kw::ReportErrorNoParams("DIR-0036", nullptr, -1), std::runtime_error);
    EXPECT_EQ("the text", kw::ReportWarningNoParams("QTZ-0040", "", -1));
    // This host counts one element ("0") in a value made from the integer 0, so it is sent
    // after the leading empty element; the catalogue texts of these ids take no parameter.
    ASSERT_EQ(2, CallCount());
    EXPECT_EQ("-severity error -msgid DIR-0036 -params {{} 0}", Call(0));
    EXPECT_EQ("-severity warning -msgid QTZ-0040 -fileinfo {{}} -params {{} 0}", Call(1));
}

TEST_F(MessagingTest, HostCatalogueReadsTheParametersAfterTheLeadingEmptyElement) {
    const CTclDataObj params = ListOf({"Fixed"});
    kwtest::StderrCapture capture;
    try {
        kw::ReportError("DIR-0037", nullptr, -1, &params);
        FAIL() << "ReportError returned";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("Invalid quantizer specification: \"Fixed\" is not a known quantizer type, overflow mode or "
                     "rounding mode.",
                     error.what());
    }
    capture.Stop();
}

TEST_F(MessagingTest, StructuredBuilderReturnsHostResultEvenWhenTheCallFails) {
    Stage(kFailingMessage);
    EXPECT_EQ("catalogue is closed", kw::ReportWarningNoParams("QTZ-0040", "", -1));
    try {
        kw::ReportError("DIR-0035", nullptr, -1, nullptr);
        FAIL() << "ReportError returned";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("catalogue is closed", error.what());
    }
}

struct TextCase {
    const char* name;
    void (*send)(const std::string&, const std::string*);
    const char* params;  // nullptr: none
    const char* words;
};

TEST_F(MessagingTest, TextBuilderSendsSeverityIdentifierAndBracedText) {
    const TextCase cases[] = {
        {"warn with name", kw::SimpleWarn, "Raised-Cosine FIR Filter",
         "-severity warn -msgid COMMAND-0031 -params {Raised-Cosine FIR Filter}"},
        {"warn bare", kw::SimpleWarn, nullptr, "-severity warn -msgid COMMAND-0031"},
        {"info list", kw::SimpleInfo, "{Raised-Cosine FIR Filter} /tmp/out/rcosflt_001.m",
         "-severity info -msgid COMMAND-0031 -params {{Raised-Cosine FIR Filter} /tmp/out/rcosflt_001.m}"},
        // Braces keep the text from substitution: nothing is quoted or escaped by the module.
        {"error unsubstituted", kw::SimpleError, "$missing [no_such_command]",
         "-severity error -msgid COMMAND-0031 -params {$missing [no_such_command]}"},
    };
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.name);
        Stage(kRecordingMessage);
        const std::string params = c.params ? c.params : "";
        c.send("COMMAND-0031", c.params ? &params : nullptr);
        ASSERT_EQ(1, CallCount());
        EXPECT_EQ(c.words, Call(0));
    }
}

TEST_F(MessagingTest, TextBuilderOnlyErrorsSurviveAFailedCall) {
    Stage(kFailingMessage);
    const std::string name = "rcosflt";
    try {
        kw::SimpleWarn("COMMAND-0031", &name);
        FAIL() << "a failed warning was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ("Could not execute an KelvoWare TCL Message call.", error.what());
    }
    EXPECT_THROW(kw::SimpleInfo("MAPFCTS-0002", &name), std::runtime_error);
    EXPECT_NO_THROW(kw::SimpleError("MAPFCTS-0004", &name));
    EXPECT_NO_THROW(kw::SimpleMessage("Error", "MAPFCTS-0004", &name));
    EXPECT_THROW(kw::SimpleMessage("errors", "MAPFCTS-0004", &name), std::runtime_error);
    EXPECT_EQ(5, CallCount());
}

TEST_F(MessagingTest, ErrorLineGoesToTheHostAsAnErrorMessage) {
    kwtest::StderrCapture capture;
    kw::SendErrorLine("couldn't open \"x\"");
    EXPECT_EQ("ERROR: couldn't open \"x\"\n", capture.Stop());
}

}  // namespace
