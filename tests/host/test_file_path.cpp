// FilePath over the host's "file" sub-commands: joining (blanks, leading separators),
// extensions, names, absolute paths, directory actions, failures as error lines, and WriteText
// including incomplete writes.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "HostFixture.h"
#include "host/FilePath.h"

namespace {

using kw::FilePath;
namespace fs = std::filesystem;

class FilePathTest : public kwtest::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        m_previous = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "kwpathXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = fs::canonical(pattern);
        EvalOk("cd {" + m_dir.string() + "}");
    }
    void TearDown() override {
        fs::current_path(m_previous);
        std::error_code ignored;
        fs::remove_all(m_dir, ignored);
        HostFixture::TearDown();
    }
    fs::path m_dir;
    fs::path m_previous;
};

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

struct ChangeCase {
    const char* name;
    const char* start;
    std::function<void(FilePath&)> change;
    const char* expected;
};

void PrintTo(const ChangeCase& c, std::ostream* os) { *os << c.name; }

class Changes : public FilePathTest, public ::testing::WithParamInterface<ChangeCase> {};

TEST_P(Changes, PathBecomes) {
    FilePath path(GetParam().start);
    GetParam().change(path);
    EXPECT_EQ(path.Text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, Changes,
    ::testing::Values(
        ChangeCase{"join_slash", "out", [](FilePath& p) { p.Join("/x.m"); }, "out/x.m"},
        ChangeCase{"join_backslash", "out", [](FilePath& p) { p.Join("\\x.m"); }, "out/x.m"},
        ChangeCase{"join_blanks", "my dir", [](FilePath& p) { p.Join("a b.m"); }, "my dir/a b.m"},
        ChangeCase{"join_special", "d", [](FilePath& p) { p.Join("[x] $y {z}.m"); }, "d/[x] $y {z}.m"},
        ChangeCase{"to_parent", "a/b/c.m", [](FilePath& p) { p.ToParent(); }, "a/b"},
        ChangeCase{"extension_without_dot", "a/b.txt", [](FilePath& p) { p.SetExtension("m"); }, "a/b.m"},
        ChangeCase{"extension_with_dot", "a/b.txt", [](FilePath& p) { p.SetExtension(".m"); }, "a/b.m"},
        ChangeCase{"extension_removed", "a/b.txt", [](FilePath& p) { p.SetExtension(""); }, "a/b"},
        ChangeCase{"extension_added", "a b/c", [](FilePath& p) { p.SetExtension(".kvd"); }, "a b/c.kvd"},
        ChangeCase{"replace_name", "d/x.m", [](FilePath& p) { p.ReplaceName("y_script"); }, "d/y_script"},
        ChangeCase{"replace_name_bare", "x.m", [](FilePath& p) { p.ReplaceName("y.m"); }, "y.m"},
        ChangeCase{"replace_stem_keeps_extension", "d e/x.m", [](FilePath& p) { p.ReplaceStem("y_script"); },
                   "d e/y_script.m"},
        ChangeCase{"normalised", "a//b/", [](FilePath& p) { p.MakeNative(); }, "a/b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilePathTest, Queries) {
    const FilePath path("dir one/x.y.m");
    EXPECT_EQ(path.DirectoryName(), "dir one");
    EXPECT_EQ(path.LastComponent(), "x.y.m");
    EXPECT_EQ(path.BaseName(), "x.y");
    EXPECT_EQ(path.Extension(), ".m");
    EXPECT_FALSE(path.IsAbsolute());
    EXPECT_TRUE(FilePath("/tmp").IsAbsolute());
    EXPECT_EQ(FilePath("x.m").DirectoryName(), "");
    EXPECT_EQ(FilePath("noext").Extension(), "");
}

TEST_F(FilePathTest, AbsolutePathOfDotSlashAndPlainAreEqual) {
    EXPECT_EQ(FilePath("./sub").AbsolutePath(), (m_dir / "sub").string());
    EXPECT_EQ(FilePath("sub").AbsolutePath(), (m_dir / "sub").string());
    EXPECT_EQ(FilePath("/abs/x").AbsolutePath(), "/abs/x");
    EXPECT_EQ(FilePath("").AbsolutePath(), m_dir.string());
    FilePath dot(FilePath(".").AbsolutePath());
    dot.ToParent();
    EXPECT_EQ(dot.Text(), m_dir.string());
}

TEST_F(FilePathTest, DirectoryActionsWithBlanks) {
    const FilePath nested("a dir/b c");
    EXPECT_FALSE(nested.Exists());
    EXPECT_TRUE(nested.MakeDirectory());
    EXPECT_TRUE(nested.IsDirectory());
    FilePath file("a dir/b c/f g.m");
    EXPECT_TRUE(file.WriteText("x\n"));
    EXPECT_TRUE(file.Exists());
    EXPECT_FALSE(file.IsDirectory());
    EXPECT_TRUE(file.RenameTo("a dir/h i.m"));
    EXPECT_FALSE(file.Exists());
    EXPECT_EQ(Read(m_dir / "a dir" / "h i.m"), "x\n");
    EXPECT_FALSE(nested.Delete(false) && nested.Exists());
    EXPECT_TRUE(FilePath("a dir").Delete(true));
    EXPECT_FALSE(FilePath("a dir").Exists());
}

TEST_F(FilePathTest, RenameReplacesAnExistingTarget) {
    EXPECT_TRUE(FilePath("new").WriteText("new\n"));
    EXPECT_TRUE(FilePath("old").WriteText("old\n"));
    EXPECT_TRUE(FilePath("new").RenameTo("old"));
    EXPECT_EQ(Read(m_dir / "old"), "new\n");
}

TEST_F(FilePathTest, EmptyPathStaysEmptyWithoutAnyMessage) {
    kwtest::StderrCapture capture;
    FilePath path("");
    path.MakeNative();
    EXPECT_TRUE(path.Empty());
    EXPECT_EQ(kw::NativePath(""), "");
    EXPECT_EQ(capture.Stop(), "");
}

TEST_F(FilePathTest, FailedConversionEmptiesThePathWithOneErrorLine) {
    EvalOk("proc ::file {args} {error {no file today}}");
    kwtest::StderrCapture capture;
    FilePath path("x.m");
    EXPECT_TRUE(path.Empty());
    EXPECT_EQ(capture.Stop(), "ERROR: no file today\n");
}

TEST_F(FilePathTest, FailedChangesLeaveThePathAndQueriesAreNeutral) {
    FilePath path("d/x.m");
    EvalOk("rename ::file ::realFile; proc ::file {args} {error broken}");
    kwtest::StderrCapture capture;
    path.Join("y");
    path.SetExtension(".kvd");
    path.ToParent();
    EXPECT_EQ(path.Text(), "d/x.m");
    EXPECT_EQ(path.DirectoryName(), "");
    EXPECT_EQ(path.BaseName(), "");
    EXPECT_FALSE(path.IsAbsolute());
    EXPECT_FALSE(path.Exists());  // no line for the two tests
    EXPECT_FALSE(path.IsDirectory());
    EXPECT_FALSE(path.MakeDirectory());  // nor for the actions
    const std::string errors = capture.Stop();
    EvalOk("rename ::file {}; rename ::realFile ::file");
    std::size_t lines = 0;
    for (std::size_t at = errors.find("ERROR: broken\n"); at != std::string::npos;
         at = errors.find("ERROR: broken\n", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 6u) << errors;
}

TEST_F(FilePathTest, WriteTextEmptyLeavesAnExistingFileUntouched) {
    const FilePath path("keep.txt");
    ASSERT_TRUE(path.WriteText("kept\n"));
    EXPECT_TRUE(path.WriteText(""));
    EXPECT_EQ(Read(m_dir / "keep.txt"), "kept\n");
    EXPECT_TRUE(FilePath("never.txt").WriteText(""));
    EXPECT_FALSE(fs::exists(m_dir / "never.txt"));
}

TEST_F(FilePathTest, WriteTextIntoAMissingDirectoryFailsWithItsLine) {
    kwtest::StderrCapture capture;
    EXPECT_FALSE(FilePath("missing/x.txt").WriteText("x"));
    EXPECT_EQ(capture.Stop(), "ERROR: Unable to write to file \"missing/x.txt\".\n");
}

TEST_F(FilePathTest, WriteTextBeyondTheFileSizeLimitFails) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        const bool written = FilePath("big.txt").WriteText(std::string(100000, 'x'));
        const char answer = written ? 'w' : 'f';
        (void)!::write(fds[1], &answer, 1);
        ::_exit(0);
    }
    ::close(fds[1]);
    char answer = '?';
    EXPECT_EQ(::read(fds[0], &answer, 1), 1);
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(answer, 'f');
    // The text goes to a temporary file renamed only when complete: nothing of it stays.
    EXPECT_TRUE(fs::is_empty(m_dir)) << "a part of big.txt or its temporary file stayed";
}

}  // namespace
