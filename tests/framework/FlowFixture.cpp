// The framework tests' fixture: test generator registered in-process, temporary working
// directory, recording and failing host commands.
#include "FlowFixture.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "host/AppMgr.h"
#include "plugin/CKWDesignCallBack.h"

namespace kwtest {

namespace fs = std::filesystem;

void FlowFixture::SetUp() {
    HostFixture::SetUp();
    m_previousDir = fs::current_path();
    std::string pattern = (fs::temp_directory_path() / "kwflowXXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_dir = fs::canonical(pattern);
    // The host's current directory is the process's: Tcl's cd changes both.
    EvalOk("cd {" + m_dir.string() + "}");
    EvalOk("namespace eval ::kwtest {variable calls {}}");
    ASSERT_EQ(kw::InitPluginWith(&MakeTestGenerator), kAppSuccess);
}

void FlowFixture::TearDown() {
    kw::ExitPlugin();
    fs::current_path(m_previousDir);
    std::error_code ignored;
    fs::remove_all(m_dir, ignored);
    HostFixture::TearDown();
    ResetScript();
}

TestGenerator& FlowFixture::Generator() {
    return static_cast<TestGenerator&>(*kw::PluginCallBack()->Design());
}

std::pair<int, std::string> FlowFixture::Generate(const std::string& arguments) {
    return Eval("rcosflt " + arguments);
}

void FlowFixture::Record(const std::string& name) {
    // The original stays in its own namespace, so its unqualified calls still resolve.
    const std::string original = "[namespace qualifiers ::" + name + "]::kwtestReal_[namespace tail " + name + "]";
    EvalOk("rename ::" + name + " " + original + "\n"
           "proc ::" + name + " {args} {\n"
           "  lappend ::kwtest::calls [list " + name + " {*}$args]\n"
           "  tailcall " + original + " {*}$args\n"
           "}");
}

void FlowFixture::MakeFail(const std::string& name, const std::string& message) {
    EvalOk("proc ::" + name + " {args} {\n"
           "  lappend ::kwtest::calls [list " + name + " {*}$args]\n"
           "  error {" + message + "}\n"
           "}");
}

std::vector<std::vector<std::string>> FlowFixture::Calls() {
    std::vector<std::vector<std::string>> calls;
    for (const std::string& call : ListWords(EvalOk("set ::kwtest::calls"))) {
        calls.push_back(ListWords(call));
    }
    return calls;
}

std::vector<std::vector<std::string>> FlowFixture::CallsOf(const std::string& name) {
    std::vector<std::vector<std::string>> calls = Calls();
    calls.erase(std::remove_if(calls.begin(), calls.end(), [&](const auto& call) { return call[0] != name; }),
                calls.end());
    return calls;
}

void FlowFixture::SetSetting(const std::string& key, bool value) {
    EvalOk("SetGlobalSetting " + key + (value ? " 1" : " 0"));
}

std::vector<std::string> FlowFixture::Files() {
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
        files.push_back(fs::relative(entry.path(), m_dir).string() + (entry.is_directory() ? "/" : ""));
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
}

std::vector<std::string> ListWords(const std::string& tclList) {
    const CTclDataObj list(tclList);
    std::vector<std::string> words;
    for (int i = 0; i < list.GetNumElements(); ++i) {
        words.push_back(list.GetElement(i).GetStringValue());
    }
    return words;
}

}  // namespace kwtest
