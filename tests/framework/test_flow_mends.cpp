// Robustness of the Generate flow: "-name" must be a MATLAB identifier, two processes never take
// the same number, a file that could not be written completely fails the run (and is never
// reported as written), every file reaches its name complete or not at all (a failed run keeps
// the earlier core and takes no number), and re-indenting happens before the one rename.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <sstream>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "FlowFixture.h"
#include "framework/MatlabIndenter.h"
#include "host/AtomicOutputFile.h"

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
    // What the failed run leaves: complete files only, never the failed one or a temporary file.
    std::vector<std::string> filesLeft;
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
    EXPECT_EQ(Files(), c.filesLeft);
}

const std::string kIndentedBlock = "if a\n" + Repeated("b=1;\n", 5000) + "end\n";

INSTANTIATE_TEST_SUITE_P(
    Limits, Truncation,
    ::testing::Values(
        // The directives file is committed only after its core.
        TruncationCase{"core", Repeated("x = 1;\n", 9000), "t;\n", "", 32768, "rcosflt_001.m", "outFile", false,
                       {}},
        TruncationCase{"script", "y;\n", Repeated("x = 1;\n", 9000), "-project -nosubdir", 32768,
                       "rcosflt_001_script.m", "script", true, {"rcosflt_001.kvd", "rcosflt_001.m"}},
        // The written core fits, its re-indented text (3 blanks more per body line) does not.
        TruncationCase{"reindent", kIndentedBlock, "t;\n", "", 40960, "rcosflt_001.m", "outFile", false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Re-indenting happens before the one rename: a core whose indented text does not fit leaves
// the earlier core of its name byte for byte.
TEST_F(FlowMends, FailedReindentKeepsTheEarlierCore) {
    ASSERT_EQ(Generate("-name keep").first, 0);
    const std::string earlier = ReadFile(Dir() / "keep.m");
    Script().coreBody = kIndentedBlock;
    Child child([&] {
        const rlimit limit{40960, 40960};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        return std::to_string(Generate("-name keep").first);
    });
    EXPECT_EQ(child.Wait(), "1");
    EXPECT_EQ(Files(), (std::vector<std::string>{"keep.kvd", "keep.m"}));
    EXPECT_TRUE(ReadFile(Dir() / "keep.m") == earlier) << "the earlier core was changed";
}

// --- a failed run keeps what was there ---------------------------------------------------

// How a run is made to fail after its core file was opened.
enum class Stage { FailInCore, NoBanner, SizeLimit, CoreInfoFails };

struct FailedRunCase {
    const char* name;
    Stage stage;
    bool coreCommitted;  // the failure comes after the new core reached its name
    std::vector<std::string> numberedFilesLeft;
};

void PrintTo(const FailedRunCase& c, std::ostream* os) { *os << c.name; }

class FailedRun : public FlowFixture, public ::testing::WithParamInterface<FailedRunCase> {
protected:
    const std::string m_newBody = Repeated("x = 1;\n", 9000);

    // Runs "rcosflt ARGS" in a child with the failure staged there only; the Tcl return code.
    std::string GenerateFailing(const std::string& arguments) {
        Child child([&] {
            Script().coreBody = m_newBody;
            switch (GetParam().stage) {
                case Stage::FailInCore:
                    Script().failInCore = "staged failure in the core";
                    break;
                case Stage::NoBanner:
                    MakeFail("AppInfo::GetBanner");
                    break;
                case Stage::SizeLimit: {
                    const rlimit limit{32768, 32768};
                    ::setrlimit(RLIMIT_FSIZE, &limit);
                    std::signal(SIGXFSZ, SIG_IGN);
                    break;
                }
                case Stage::CoreInfoFails:
                    EvalOk("rename ::Messaging::Message ::Messaging::kwtestReal\n"
                           "proc ::Messaging::Message {args} {\n"
                           "  if {[string match *MAPFCTS-0002* $args]} {error {staged failure}}\n"
                           "  tailcall ::Messaging::kwtestReal {*}$args\n"
                           "}");
                    break;
            }
            return std::to_string(Generate(arguments).first);
        });
        return child.Wait();
    }
};

TEST_P(FailedRun, NamedCoreIsTheOldOrTheNewCompleteTextAndNoTemporaryFileStays) {
    Script().coreBody = "old = 1;\n";
    ASSERT_EQ(Generate("-name myfir").first, 0);
    const std::string old = ReadFile(Dir() / "myfir.m");

    EXPECT_EQ(GenerateFailing("-name myfir"), "1");
    EXPECT_EQ(Files(), (std::vector<std::string>{"myfir.kvd", "myfir.m"}));
    const std::string left = ReadFile(Dir() / "myfir.m");

    Script().coreBody = m_newBody;
    ASSERT_EQ(Generate("-name myfir").first, 0);
    const std::string complete = ReadFile(Dir() / "myfir.m");
    ASSERT_NE(old, complete);
    if (GetParam().coreCommitted) {
        EXPECT_EQ(left.size(), complete.size());
        EXPECT_TRUE(left == complete) << "the new core is not complete";
    } else {
        EXPECT_EQ(left.size(), old.size());
        EXPECT_TRUE(left == old) << "the earlier core was changed";
    }
}

TEST_P(FailedRun, NumberedRunReleasesItsNumberUnlessTheCoreWasComplete) {
    EXPECT_EQ(GenerateFailing(""), "1");
    EXPECT_EQ(Files(), GetParam().numberedFilesLeft);

    ASSERT_EQ(Generate("").first, 0);
    const std::string next = GetParam().coreCommitted ? "rcosflt_002" : "rcosflt_001";
    EXPECT_EQ(ReadFile(Dir() / (next + ".m")).rfind("function SigOut = " + next + "( SigIn2 )\n", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, FailedRun,
    ::testing::Values(FailedRunCase{"core_writer_throws", Stage::FailInCore, false, {}},
                      FailedRunCase{"banner_fails", Stage::NoBanner, false, {}},
                      FailedRunCase{"size_limit", Stage::SizeLimit, false, {}},
                      FailedRunCase{"core_info_fails", Stage::CoreInfoFails, true,
                                    {"rcosflt_001.kvd", "rcosflt_001.m"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FlowMends, HelperFileBeyondTheSizeLimitKeepsTheEarlierFile) {
    kwtest::WriteFile(Dir() / "kw_psd.m", "earlier helper\n");
    Generator().SetOutputDirectory(Dir().string());
    Child child([&] {
        const rlimit limit{32768, 32768};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        try {
            Generator().WriteToFile(Repeated("x = 1;\n", 9000), "kw_psd.m");
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("written");
    });
    EXPECT_EQ(child.Wait(), "Could not write KelvoWare file completely (" + (Dir() / "kw_psd.m").string() + ")\n");
    EXPECT_EQ(ReadFile(Dir() / "kw_psd.m"), "earlier helper\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"kw_psd.m"}));
}

// --- the atomic output file itself -------------------------------------------------------

TEST_F(FlowMends, AbandonedOrIncompleteFileLeavesTheFinalNameUntouched) {
    const std::string path = (Dir() / "f.m").string();
    kwtest::WriteFile(path, "before\n");
    {
        kw::AtomicOutputFile file;
        ASSERT_TRUE(file.Open(path));
        file << "half";
        EXPECT_EQ(ReadFile(path), "before\n");
    }  // destroyed without a commit
    {
        kw::AtomicOutputFile file;
        ASSERT_TRUE(file.Open(path));
        file << "bad";
        file.setstate(std::ios::badbit);
        EXPECT_EQ(file.Commit(), kw::AtomicOutputFile::CommitResult::Incomplete);
    }
    EXPECT_EQ(ReadFile(path), "before\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"f.m"}));
}

// A name that must be new is taken only by the complete file, never replacing anything there,
// a dangling link included; the refused file stays uncommitted and can go to another name.
TEST_F(FlowMends, NewNameIsTakenOnlyWhileNothingIsThere) {
    namespace fs = std::filesystem;
    kwtest::WriteFile(Dir() / "taken.m", "earlier\n");
    fs::create_symlink(Dir() / "nowhere", Dir() / "dangling.m");
    kw::AtomicOutputFile file;
    ASSERT_TRUE(file.Open((Dir() / "taken.m").string()));
    file << "core\n";
    EXPECT_EQ(file.CommitAsNew(), kw::AtomicOutputFile::CommitResult::NameTaken);
    file.Retarget((Dir() / "dangling.m").string());
    EXPECT_EQ(file.CommitAsNew(), kw::AtomicOutputFile::CommitResult::NameTaken);
    file.Retarget((Dir() / "free.m").string());
    EXPECT_EQ(file.CommitAsNew(), kw::AtomicOutputFile::CommitResult::Done);
    EXPECT_EQ(ReadFile(Dir() / "taken.m"), "earlier\n");
    EXPECT_TRUE(fs::is_symlink(Dir() / "dangling.m"));
    EXPECT_EQ(ReadFile(Dir() / "free.m"), "core\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"dangling.m", "free.m", "taken.m"}));
}

TEST_F(FlowMends, NewFileGetsTheUsualPermissionsAndAProtectedFileIsNotReplaced) {
    namespace fs = std::filesystem;
    const mode_t previousMask = ::umask(027);
    kw::AtomicOutputFile created;
    const bool opened = created.Open((Dir() / "new.m").string());
    created << "x\n";
    const auto committed = created.Commit();
    ::umask(previousMask);
    ASSERT_TRUE(opened);
    EXPECT_EQ(committed, kw::AtomicOutputFile::CommitResult::Done);
    EXPECT_EQ(fs::status(Dir() / "new.m").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::create_directory(Dir() / "dir.m");
    kwtest::WriteFile(Dir() / "locked.m", "keep\n");
    fs::permissions(Dir() / "locked.m", fs::perms::owner_read);
    std::vector<std::string> refused = {"dir.m"};
    // (A process with the rights to write any file may replace a read-only one.)
    if (::access((Dir() / "locked.m").c_str(), W_OK) != 0) {
        refused.push_back("locked.m");
    }
    for (const std::string& name : refused) {
        kw::AtomicOutputFile file;
        EXPECT_FALSE(file.Open((Dir() / name).string())) << name;
    }
    EXPECT_EQ(ReadFile(Dir() / "locked.m"), "keep\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"dir.m/", "locked.m", "new.m"}));
}

// --- atomic re-indent -------------------------------------------------------------------

TEST_F(FlowMends, ReindentKeepsPermissionsAndLeavesNoTemporaryFile) {
    namespace fs = std::filesystem;
    kwtest::WriteFile(Dir() / "k.m", "earlier\n");
    fs::permissions(Dir() / "k.m", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    kw::AtomicOutputFile file;
    ASSERT_TRUE(file.Open((Dir() / "k.m").string()));
    file << "if a\nb;\nend\n";
    Generator().AutoIndentFile(file);
    EXPECT_EQ(file.Commit(), kw::AtomicOutputFile::CommitResult::Done);
    EXPECT_EQ(ReadFile(Dir() / "k.m"), "if a\n   b;\nend\n");
    EXPECT_EQ(fs::status(Dir() / "k.m").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Files(), (std::vector<std::string>{"k.m"}));
}

TEST_F(FlowMends, ReindentOfAFailedFileFailsItsCommit) {
    kw::AtomicOutputFile file;
    ASSERT_TRUE(file.Open((Dir() / "k.m").string()));
    file << "if a\nb;\nend\n";
    file.setstate(std::ios::badbit);
    Generator().AutoIndentFile(file);
    EXPECT_EQ(file.Commit(), kw::AtomicOutputFile::CommitResult::Incomplete);
    EXPECT_TRUE(Files().empty());
}

TEST_F(FlowMends, KilledWhileReindentingLeavesOldOrNewTextNeverAPart) {
    const std::string original = Repeated("if a\nb = 1;\nend\n", 4000);
    std::istringstream in(original);
    std::ostringstream indented;
    kw::IndentMatlab(in, indented);
    kwtest::WriteFile(Dir() / "k.m", original);
    for (int delayMs : {0, 1, 2, 5, 9, 14, 20}) {
        Child child([&]() -> std::string {
            for (;;) {
                kw::AtomicOutputFile file;
                file.Open((Dir() / "k.m").string());
                file << original;
                Generator().AutoIndentFile(file);
                file.Commit();
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
