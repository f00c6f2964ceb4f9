// Robustness of the Generate flow: "-name" must be a MATLAB identifier, two processes never take
// the same number, a file that could not be written completely fails the run (and is never
// reported as written), and re-indenting replaces a file atomically or leaves it untouched.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <sstream>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FlowFixture.h"
#include "framework/MatlabIndenter.h"

namespace {

using kwtest::FlowFixture;
using kwtest::ReadFile;
using kwtest::Script;

const std::string kErrorLead = "Error while generating KelvoWare Raised-Cosine FIR Filter\n";

// A forked child running body; what body returns comes back through a pipe. The child never
// returns into the test framework.
class Child {
public:
    explicit Child(const std::function<std::string()>& body) {
        if (::pipe(m_pipe) != 0) {
            throw std::runtime_error("pipe");
        }
        m_pid = ::fork();
        if (m_pid == 0) {
            ::close(m_pipe[0]);
            std::string out;
            try {
                out = body();
            } catch (...) {
                out = "exception";
            }
            for (std::size_t done = 0; done < out.size();) {
                const ssize_t n = ::write(m_pipe[1], out.data() + done, out.size() - done);
                if (n <= 0) {
                    break;
                }
                done += static_cast<std::size_t>(n);
            }
            ::_exit(0);
        }
        ::close(m_pipe[1]);
    }

    void Kill() { ::kill(m_pid, SIGKILL); }

    // Waits for the child; its output, and whether it exited normally.
    std::string Wait(bool* exited = nullptr) {
        std::string out;
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_pipe[0], buffer, sizeof buffer)) > 0;) {
            out.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(m_pipe[0]);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        if (exited != nullptr) {
            *exited = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        return out;
    }

private:
    int m_pipe[2] = {-1, -1};
    pid_t m_pid = -1;
};

std::string Repeated(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += line;
    }
    return text;
}

class FlowMends : public FlowFixture {};

// --- "-name" ----------------------------------------------------------------------------

struct NameCase {
    std::string name;
    bool accepted;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class NameCheck : public FlowFixture, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameCheck, OnlyMatlabIdentifiersBecomeFunctionNames) {
    const auto [code, text] = Generate("-name {" + GetParam().name + "}");
    if (GetParam().accepted) {
        EXPECT_EQ(code, 0) << text;
        EXPECT_FALSE(Files().empty());
        return;
    }
    EXPECT_EQ(code, 1);
    EXPECT_EQ(text, kErrorLead + "Invalid Parameter: -name \"" + GetParam().name +
                        "\" is not a valid MATLAB function name (a letter, then letters, digits or underscores, at "
                        "most 63 characters).\n\n");
    EXPECT_TRUE(Files().empty()) << "written before the refusal";
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameCheck,
    ::testing::Values(NameCase{"x; delete('*')", false}, NameCase{"1abc", false}, NameCase{"a-b", false},
                      NameCase{"_x", false}, NameCase{"my fir", false}, NameCase{"x.y.m", false},
                      NameCase{"caf\xc3\xa9", false}, NameCase{std::string(64, 'a'), false},
                      NameCase{std::string(63, 'a'), true}, NameCase{"a", true}, NameCase{"a_1B", true},
                      NameCase{"myfir.m", true}));

// --- numbering across processes ------------------------------------------------------------

void ExpectNumberedCores(const std::filesystem::path& dir, int count) {
    int cores = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        cores += entry.path().extension() == ".m" ? 1 : 0;
    }
    EXPECT_EQ(cores, count);
    for (int n = 1; n <= count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "rcosflt_%03d", n);
        const std::string core = ReadFile(dir / (std::string(name) + ".m"));
        EXPECT_EQ(core.rfind("function SigOut = " + std::string(name) + "( SigIn2 )\n", 0), 0u) << name;
    }
}

TEST_F(FlowMends, TwoProcessesGeneratingTogetherNeverShareANumber) {
    constexpr int kPerProcess = 50;
    auto generateMany = [this] {
        int failures = 0;
        for (int i = 0; i < kPerProcess; ++i) {
            failures += Generate("").first != 0 ? 1 : 0;
        }
        return std::to_string(failures);
    };
    Child first(generateMany);
    Child second(generateMany);
    EXPECT_EQ(first.Wait(), "0");
    EXPECT_EQ(second.Wait(), "0");
    ExpectNumberedCores(Dir(), 2 * kPerProcess);
}

TEST_F(FlowMends, TwoProcessesTakeDistinctProjectSubdirectories) {
    constexpr int kPerProcess = 10;
    EvalOk("SetGlobalOption -nobanner 1");
    auto generateMany = [this] {
        int failures = 0;
        for (int i = 0; i < kPerProcess; ++i) {
            failures += Generate("-project").first != 0 ? 1 : 0;
        }
        return std::to_string(failures);
    };
    Child first(generateMany);
    Child second(generateMany);
    EXPECT_EQ(first.Wait(), "0");
    EXPECT_EQ(second.Wait(), "0");
    for (int n = 1; n <= 2 * kPerProcess; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "rcosflt_%03d", n);
        EXPECT_TRUE(std::filesystem::exists(Dir() / name / (std::string(name) + "_script.m"))) << name;
    }
}

// --- files not written completely ------------------------------------------------------------

struct TruncationCase {
    const char* name;
    std::string coreBody;
    std::string testbenchBody;
    const char* arguments;
    rlim_t sizeLimit;
    const char* failedFile;  // relative to the run directory
    const char* kind;
    bool coreReported;  // MAPFCTS-0002 sent
};

void PrintTo(const TruncationCase& c, std::ostream* os) { *os << c.name; }

class Truncation : public FlowFixture, public ::testing::WithParamInterface<TruncationCase> {};

TEST_P(Truncation, IncompleteFileFailsTheRunAndIsNotReported) {
    const TruncationCase& c = GetParam();
    Script().coreBody = c.coreBody;
    Script().testbenchBody = c.testbenchBody;
    Record("Messaging::Message");
    Child child([&] {
        const rlimit limit{c.sizeLimit, c.sizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        const auto [code, text] = Generate(c.arguments);
        return std::to_string(code) + "\n" + text + '\x1e' + Eval("set ::kwtest::calls").second;
    });
    const std::string out = child.Wait();
    const std::size_t split = out.find('\x1e');
    ASSERT_NE(split, std::string::npos) << out;
    const std::string result = out.substr(0, split);
    const std::string messages = out.substr(split + 1);
    EXPECT_EQ(result, "1\n" + kErrorLead + "Could not write KelvoWare " + c.kind + " file completely (" +
                          (Dir() / c.failedFile).string() + ")\n\n");
    EXPECT_EQ(messages.find("MAPFCTS-0003"), std::string::npos);
    EXPECT_EQ(messages.find("MAPFCTS-0002") != std::string::npos, c.coreReported) << messages;
}

const std::string kIndentedBlock = "if a\n" + Repeated("b=1;\n", 5000) + "end\n";

INSTANTIATE_TEST_SUITE_P(
    Limits, Truncation,
    ::testing::Values(
        TruncationCase{"core", Repeated("x = 1;\n", 9000), "t;\n", "", 32768, "rcosflt_001.m", "outFile", false},
        TruncationCase{"script", "y;\n", Repeated("x = 1;\n", 9000), "-project -nosubdir", 32768,
                       "rcosflt_001_script.m", "script", true},
        // The written core fits, its re-indented text (3 blanks more per body line) does not.
        TruncationCase{"reindent", kIndentedBlock, "t;\n", "", 40960, "rcosflt_001.m", "outFile", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FlowMends, FailedReindentLeavesTheOriginalAndNoTemporaryFile) {
    Script().coreBody = kIndentedBlock;
    Child child([&] {
        const rlimit limit{40960, 40960};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        return std::to_string(Generate("").first);
    });
    EXPECT_EQ(child.Wait(), "1");
    EXPECT_EQ(Files(), (std::vector<std::string>{"rcosflt_001.kvd", "rcosflt_001.m"}));
    const std::string core = ReadFile(Dir() / "rcosflt_001.m");
    EXPECT_NE(core.find("\nif a\nb=1;\nb=1;\n"), std::string::npos) << "original text changed";
    EXPECT_EQ(core.substr(core.size() - 10), "b=1;\nend\n\n");
}

// --- atomic re-indent -------------------------------------------------------------------

TEST_F(FlowMends, ReindentKeepsPermissionsAndLeavesNoTemporaryFile) {
    namespace fs = std::filesystem;
    kwtest::WriteFile(Dir() / "k.m", "if a\nb;\nend\n");
    fs::permissions(Dir() / "k.m", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Generator().SetOutputDirectory(Dir().string());
    Generator().AutoIndentFile("k.m");
    EXPECT_EQ(ReadFile(Dir() / "k.m"), "if a\n   b;\nend\n");
    EXPECT_EQ(fs::status(Dir() / "k.m").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Files(), (std::vector<std::string>{"k.m"}));
}

TEST_F(FlowMends, MissingSourceFailsWithItsPath) {
    Generator().SetOutputDirectory(Dir().string());
    try {
        Generator().AutoIndentFile("absent.m");
        ADD_FAILURE() << "no failure";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Could not open KelvoWare outFile file for writing (" + (Dir() / "absent.m").string() + ")\n");
    }
    EXPECT_TRUE(Files().empty());
}

TEST_F(FlowMends, KilledWhileReindentingLeavesOldOrNewTextNeverAPart) {
    const std::string original = Repeated("if a\nb = 1;\nend\n", 4000);
    std::istringstream in(original);
    std::ostringstream indented;
    kw::IndentMatlab(in, indented);
    kwtest::WriteFile(Dir() / "k.m", original);
    Generator().SetOutputDirectory(Dir().string());
    for (int delayMs : {0, 1, 2, 5, 9, 14, 20}) {
        Child child([&]() -> std::string {
            for (;;) {
                Generator().AutoIndentFile("k.m");
            }
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        child.Kill();
        child.Wait();
        const std::string text = ReadFile(Dir() / "k.m");
        EXPECT_TRUE(text == original || text == indented.str())
            << "after " << delayMs << " ms the file holds " << text.size() << " bytes";
    }
}

}  // namespace
