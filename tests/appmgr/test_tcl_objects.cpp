// Script values and evaluation objects: words are never substituted, list operations are Tcl's,
// copies share values copy-on-write, evaluation reports failure and leaves the interpreter's own
// result alone.
#include <tcl.h>

#include <cmath>
#include <filesystem>

#include "HostFixture.h"
#include "TempDir.h"

namespace {

class TclObjectsTest : public kwtest::HostFixture {};

TEST_F(TclObjectsTest, AppendedWordsStayOneWordAndAreNeverSubstituted) {
    TempDir dir;
    const std::string canary = dir.File("CANARY");
    EvalOk("set ::x DOLLAR");
    const std::string words[] = {
        "two words",  "{",           "}",         "a{b",     "[exec touch " + canary + "]",
        "$x",         "back\\slash", "\"quoted", "",        "#comment",
        "tail\\",     "semi;colon",  "new\nline", "{a b} c",
    };
    for (const std::string& word : words) {
        CTclEvalObj command("list");
        command += word;
        ASSERT_TRUE(command.Evaluate(false)) << word;
        const CTclDataObj answer = *command.GetResult();
        ASSERT_EQ(1, answer.GetNumElements()) << word;
        EXPECT_EQ(word, answer.GetElement(0).GetStringValue());
    }
    EXPECT_FALSE(std::filesystem::exists(canary));
}

TEST_F(TclObjectsTest, ConstructorTextIsSplitAsAList) {
    CTclEvalObj join("file join");
    join += "dir with blank";
    join += "x.m";
    ASSERT_TRUE(join.Evaluate(false));
    EXPECT_EQ("dir with blank/x.m", join.GetResult()->GetStringValue());

    CTclEvalObj braced("list {a b} c");
    ASSERT_TRUE(braced.Evaluate(false));
    const CTclDataObj answer = *braced.GetResult();
    ASSERT_EQ(2, answer.GetNumElements());
    EXPECT_EQ("a b", answer.GetElement(0).GetStringValue());
}

TEST_F(TclObjectsTest, AssignedScriptIsEvaluatedWithSubstitutionAndAppendedWordsStayWords) {
    EvalOk("set ::y 41");
    CTclEvalObj script("ignored");
    script = "expr {$::y + 1}";
    ASSERT_TRUE(script.Evaluate(false));
    EXPECT_EQ(42, script.GetResult()->GetIntValue());

    CTclEvalObj listing("ignored");
    listing = "list [set ::y]";
    listing += "[set ::y] {";
    ASSERT_TRUE(listing.Evaluate(false));
    const CTclDataObj answer = *listing.GetResult();
    ASSERT_EQ(2, answer.GetNumElements());
    EXPECT_EQ("41", answer.GetElement(0).GetStringValue());
    EXPECT_EQ("[set ::y] {", answer.GetElement(1).GetStringValue());
}

TEST_F(TclObjectsTest, AppendedEvaluationContributesItsAnswer) {
    CTclEvalObj tail("file tail");
    tail += "/some dir/name.ext.m";
    CTclEvalObj root("file root");
    root += tail;
    ASSERT_TRUE(root.Evaluate(false));
    EXPECT_EQ("name.ext", root.GetResult()->GetStringValue());
}

TEST_F(TclObjectsTest, FailedEvaluationGivesTheErrorTextAndFalse) {
    CTclResultObj result;
    CTclEvalObj command("error", &result);
    command += "it broke";
    EXPECT_FALSE(command.Evaluate(false));
    EXPECT_EQ(&result, command.GetResult());
    EXPECT_EQ("it broke", result.GetResultMessage());
    EXPECT_EQ("it broke", result.GetStringValue());

    CTclEvalObj fine("string length");
    fine += "abc";
    ASSERT_TRUE(fine.Evaluate(false));
    EXPECT_EQ("", fine.GetResult()->GetResultMessage());
    EXPECT_EQ(3, fine.GetResult()->GetIntValue());
}

TEST_F(TclObjectsTest, EvaluationKeepsTheInterpretersResultAndErrorState) {
    Tcl_Interp* interp = Host().Interp();
    Tcl_SetObjResult(interp, Tcl_NewStringObj("caller's result", -1));
    CTclEvalObj failing("error");
    failing += "inner failure";
    EXPECT_FALSE(failing.Evaluate(false));
    EXPECT_STREQ("caller's result", Tcl_GetStringResult(interp));
    Tcl_ResetResult(interp);
}

TEST_F(TclObjectsTest, EvaluationRunsAtGlobalLevel) {
    EvalOk("proc ::probe {} { set local 1; return [::kw_eval_level] }");
    // The command below evaluates, from C++, a script while a proc frame is active.
    Tcl_CreateObjCommand(
        Host().Interp(), "::kw_eval_level",
        [](ClientData, Tcl_Interp* interp, int, Tcl_Obj* const*) -> int {
            CTclEvalObj level("info level");
            level.Evaluate(false);
            Tcl_SetObjResult(interp, level.GetResult()->GetObj());
            return TCL_OK;
        },
        nullptr, nullptr);
    EXPECT_EQ("0", EvalOk("probe"));
}

TEST(TclObjectsWithoutHost, EvaluationFailsCleanlyWhenNoHostRuns) {
    ASSERT_EQ(nullptr, KelvoHost::Current());
    CTclEvalObj command("set x 1");
    EXPECT_FALSE(command.Evaluate(false));
    EXPECT_NE("", command.GetResult()->GetResultMessage());
    EXPECT_FALSE(GetGlobalSettings()->GetBool("Settings::EnableKelvoWareAutoIndent"));
}

TEST(TclDataObj, ListOperations) {
    CTclDataObj list;
    list.MakeList();
    EXPECT_EQ(0, list.GetNumElements());
    list.AppendAsListElement("a b");
    list.AppendAsListElement(7);
    list.AppendAsListElement(CTclDataObj(std::string("{")));
    ASSERT_EQ(3, list.GetNumElements());
    EXPECT_EQ("a b", list.GetElement(0).GetStringValue());
    EXPECT_EQ(7, list.GetElement(1).GetIntValue());
    EXPECT_EQ("{", list.GetElement(2).GetStringValue());
    EXPECT_EQ("", list.GetElement(3).GetStringValue());
    EXPECT_EQ("", list.GetElement(-1).GetStringValue());
    EXPECT_EQ("{a b} 7 \\{", list.GetStringValue());
}

TEST(TclDataObj, CopiesAreNotChangedByTheOriginal) {
    CTclDataObj original;
    original.MakeList();
    original.AppendAsListElement("x");
    CTclDataObj copy(original);
    CTclDataObj assigned;
    assigned = original;
    original.AppendAsListElement("y");
    copy.SetStringValue("replaced");
    EXPECT_EQ("x y", original.GetStringValue());
    EXPECT_EQ("replaced", copy.GetStringValue());
    EXPECT_EQ("x", assigned.GetStringValue());
}

TEST(TclDataObj, MalformedListHasNoElementsAndAppendKeepsItsText) {
    CTclDataObj text(std::string("{unbalanced"));
    EXPECT_EQ(0, text.GetNumElements());
    text.AppendAsListElement("next");
    ASSERT_EQ(2, text.GetNumElements());
    EXPECT_EQ("{unbalanced", text.GetElement(0).GetStringValue());
}

// Conversions follow Tcl: any non-zero number is a true boolean; a failed conversion gives 0.
TEST(TclDataObj, ValueConversions) {
    struct Case {
        const char* text;
        int asInt;
        bool asBool;
        double asDouble;
    };
    const Case cases[] = {
        {"12", 12, true, 12.0},   {"-3", -3, true, -3.0}, {"0", 0, false, 0.0},  {"1.5", 0, true, 1.5},
        {"yes", 0, true, 0.0},    {"off", 0, false, 0.0}, {"abc", 0, false, 0.0}, {"", 0, false, 0.0},
        {"0x10", 16, true, 16.0}, {"1e3", 0, true, 1000.0},
    };
    for (const Case& c : cases) {
        const CTclDataObj value{std::string(c.text)};
        EXPECT_EQ(c.asInt, value.GetIntValue()) << c.text;
        EXPECT_EQ(c.asBool, value.GetBoolValue()) << c.text;
        EXPECT_DOUBLE_EQ(c.asDouble, value.GetDoubleValue()) << c.text;
        EXPECT_FLOAT_EQ(static_cast<float>(c.asDouble), value.GetFloatValue()) << c.text;
    }
    EXPECT_EQ(-17, CTclDataObj(-17).GetIntValue());
    EXPECT_TRUE(std::isinf(CTclDataObj(std::string("inf")).GetDoubleValue()));
}

TEST(TclResultObj, AssignmentSetsTheValue) {
    CTclResultObj result;
    result = std::string("text");
    EXPECT_EQ("text", result.GetStringValue());
    CTclDataObj list;
    list.MakeList();
    list.AppendAsListElement("a");
    list.AppendAsListElement("b");
    result = list;
    EXPECT_EQ(2, result.GetNumElements());
}

}  // namespace
