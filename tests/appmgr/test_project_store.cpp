// The host's project store: options and directives of the open project, saved as a readable
// file and read back by "Project PATH"; directives outside a project go to the session.
#include <fstream>
#include <sstream>

#include "HostFixture.h"
#include "TempDir.h"

namespace {

class ProjectStoreTest : public kwtest::HostFixture {
protected:
    TempDir m_dir;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(ProjectStoreTest, SavedProjectOpensAgainWithItsOptionsAndDirectives) {
    const std::string path = m_dir.File("my proj.kvp");
    EXPECT_EQ("0", EvalOk("IsFlowStageValid -project"));
    EXPECT_EQ(path, EvalOk("Project {" + path + "}"));
    EXPECT_EQ("1", EvalOk("IsFlowStageValid -project"));
    EvalOk("SetProjectOption -show_underflows 0");
    EvalOk("SetProjectOption -scriptfile {/out/dir with blank/f_script.m}");
    EvalOk("SetProjectOption -default_round_mode round -quantizer_max_port_word_length 24");
    EvalOk("SetDirective top/u1 -allappparams {-ibits 16 -form Direct}");
    EvalOk("SetDirective -designfunction {f [x]}");
    EXPECT_EQ(path, EvalOk("Project -save"));
    EvalOk("Project -close");
    EXPECT_EQ("0", EvalOk("IsFlowStageValid -project"));
    EXPECT_EQ("floor", EvalOk("GetProjectOption -default_round_mode"));
    EXPECT_EQ("", EvalOk("GetDirectives"));

    EvalOk("Project {" + path + "}");
    EXPECT_EQ("0", EvalOk("GetProjectOption -show_underflows"));
    EXPECT_EQ("/out/dir with blank/f_script.m", EvalOk("GetProjectOption -scriptfile"));
    EXPECT_EQ("round", EvalOk("GetProjectOption -default_round_mode"));
    EXPECT_EQ("24", EvalOk("GetProjectOption -quantizer_max_port_word_length"));
    EXPECT_EQ("wrap", EvalOk("GetProjectOption -default_overflow_mode"));
    EXPECT_EQ("{top/u1 -allappparams {-ibits 16 -form Direct}} {-designfunction {f [x]}}", EvalOk("GetDirectives"));

    const std::string text = ReadFile(path);
    EXPECT_NE(std::string::npos, text.find("SetProjectOption -scriptfile {/out/dir with blank/f_script.m}\n")) << text;
    EXPECT_NE(std::string::npos, text.find("SetDirective top/u1 -allappparams {-ibits 16 -form Direct}\n")) << text;
}

TEST_F(ProjectStoreTest, NewProjectStartsFromTheDefaultsAndIsWrittenOnlyOnSave) {
    const std::string path = m_dir.File("fresh.kvp");
    EvalOk("SetProjectOption -default_overflow_mode saturate");
    EvalOk("Project " + path);
    EXPECT_EQ("wrap", EvalOk("GetProjectOption -default_overflow_mode"));
    EXPECT_EQ(path, EvalOk("Project"));
    EXPECT_EQ("0", EvalOk("file exists " + path));
    EvalOk("Project -save");
    EXPECT_EQ("1", EvalOk("file exists " + path));
    EvalOk("Project -close");
    // The session's own options come back when the project closes.
    EXPECT_EQ("saturate", EvalOk("GetProjectOption -default_overflow_mode"));
    EXPECT_EQ("", EvalOk("Project"));
}

TEST_F(ProjectStoreTest, ProjectCommandsRefuseWhatTheyCannotDo) {
    const std::string path = m_dir.File("a.kvp");
    EXPECT_EQ("no project is open", Eval("Project -close").second);
    EXPECT_EQ("no project is open", Eval("Project -save").second);
    EvalOk("Project " + path);
    EXPECT_EQ("project \"" + path + "\" is open: close it first with \"Project -close\"",
              Eval("Project " + m_dir.File("b.kvp")).second);
    EXPECT_EQ(kwtest::kTclError, Eval("Project a b").first);
    EXPECT_EQ(kwtest::kTclError, Eval("IsFlowStageValid -synthesis").first);
    EXPECT_EQ(kwtest::kTclError, Eval("SetDirective target").first);
    EXPECT_EQ(kwtest::kTclError, Eval("SetDirective target -option").first);
    EXPECT_EQ(kwtest::kTclError, Eval("SetDirective target option value").first);
    EXPECT_EQ(kwtest::kTclError, Eval("SetProjectOption name value").first);
}

TEST_F(ProjectStoreTest, ProjectFilesRunNothingButOptionsAndDirectives) {
    const std::string canary = m_dir.File("CANARY");
    const std::string path = m_dir.File("evil.kvp");
    std::ofstream(path) << "SetProjectOption -show_underflows 0\nexec touch " << canary << "\n";
    const auto [code, text] = Eval("Project " + path);
    EXPECT_EQ(kwtest::kTclError, code);
    EXPECT_EQ(0u, text.find("cannot read project \"" + path + "\": ")) << text;
    EXPECT_EQ("0", EvalOk("file exists " + canary));
    EXPECT_EQ("0", EvalOk("IsFlowStageValid -project"));
}

TEST_F(ProjectStoreTest, DirectivesWithoutProjectGoToTheSession) {
    EvalOk("SetDirective u1 -allappparams {}");
    EXPECT_EQ("{u1 -allappparams {}}", EvalOk("GetDirectives"));
    EvalOk("Project " + m_dir.File("p.kvp"));
    EXPECT_EQ("", EvalOk("GetDirectives"));
    EvalOk("Project -close");
    EXPECT_EQ("{u1 -allappparams {}}", EvalOk("GetDirectives"));
}

}  // namespace
