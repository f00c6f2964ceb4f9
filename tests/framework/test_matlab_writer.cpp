// The MATLAB writer pieces called directly on the test generator: banner lines and their
// padding, the banner switch, WriteToFile's banner per extension, and WriteWarnings per stream.
#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

#include "FlowFixture.h"

namespace {

using kwtest::FlowFixture;
using kwtest::ReadFile;

class MatlabWriter : public FlowFixture {
protected:
    std::string Banner() {
        std::ostringstream out;
        Generator().WriteBanner(out);
        return out.str();
    }
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST_F(MatlabWriter, BannerBoxLinesHold79Characters) {
    const std::vector<std::string> lines = Lines(Banner());
    const std::size_t hostLines = Lines(EvalOk("AppInfo::GetBanner -delimiter %")).size();
    ASSERT_EQ(lines.size(), hostLines + 5);
    for (std::size_t i : {std::size_t{0}, hostLines + 1, hostLines + 4}) {
        EXPECT_EQ(lines[i], std::string(79, '%')) << "rule line " << i;
    }
    EXPECT_EQ(lines[hostLines + 2].size(), 79u);
    EXPECT_EQ(lines[hostLines + 2].rfind("%  KelvoWare Function: Raised-Cosine FIR Filter ", 0), 0u);
    EXPECT_EQ(lines[hostLines + 3].size(), 79u);
}

TEST_F(MatlabWriter, LongVersionLineIsNotPadded) {
    const std::string version(70, 'v');
    EvalOk("set ::kelvodsp::version " + version + "; set ::kelvodsp::buildType Release");
    const std::vector<std::string> lines = Lines(Banner());
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "%  KelvoDSP Version: " + version + " Release");
}

TEST_F(MatlabWriter, FillStaysPercentAfterTheBanner) {
    std::ostringstream out;
    Generator().WriteBanner(out);
    const std::size_t before = out.str().size();
    out << std::setw(3) << 'x';
    EXPECT_EQ(out.str().substr(before), "%%x");
}

TEST_F(MatlabWriter, BannerSwitchFollowsTheGlobalOptionAndAFailureSwitchesItOff) {
    EXPECT_FALSE(Generator().BannerSwitchedOff());
    EvalOk("SetGlobalOption -nobanner 1");
    EXPECT_TRUE(Generator().BannerSwitchedOff());
    EXPECT_EQ(Banner(), "");
    EvalOk("proc ::GetGlobalOption {args} {error unavailable}");
    EXPECT_TRUE(Generator().BannerSwitchedOff());
}

struct WriteToFileCase {
    const char* fileName;
    const char* delimiter;  // "" = no banner
};

void PrintTo(const WriteToFileCase& c, std::ostream* os) { *os << c.fileName; }

class WriteToFileTable : public MatlabWriter, public ::testing::WithParamInterface<WriteToFileCase> {};

TEST_P(WriteToFileTable, BannerByExtensionRegardlessOfTheSwitch) {
    EvalOk("SetGlobalOption -nobanner 1");
    Generator().SetOutputDirectory(Dir().string());
    Generator().WriteToFile("content\n", GetParam().fileName);
    const std::string delimiter = GetParam().delimiter;
    const std::string banner = delimiter.empty() ? "" : EvalOk("AppInfo::GetBanner -delimiter " + delimiter);
    EXPECT_EQ(ReadFile(Dir() / GetParam().fileName), banner + "content\n");
}

INSTANTIATE_TEST_SUITE_P(Extensions, WriteToFileTable,
                         ::testing::Values(WriteToFileCase{"kw_psd.m", "%"}, WriteToFileCase{"a.kvd", "#"},
                                           WriteToFileCase{"a.kvp", "#"}, WriteToFileCase{"a.txt", ""},
                                           WriteToFileCase{"noextension", ""}));

TEST_F(MatlabWriter, WriteToFileRefusesAnEmptyNameAndWritesNothingEmpty) {
    Generator().SetOutputDirectory(Dir().string());
    try {
        Generator().WriteToFile("x", "");
        ADD_FAILURE() << "empty name accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Empty file name specified in WriteToFile function call.");
    }
    Generator().WriteToFile("", "empty.txt");
    EXPECT_FALSE(std::filesystem::exists(Dir() / "empty.txt"));
}

TEST_F(MatlabWriter, WriteToFileWithoutBannerFails) {
    Generator().SetOutputDirectory(Dir().string());
    EvalOk("proc ::AppInfo::GetBanner {args} {error unavailable}");
    try {
        Generator().WriteToFile("x", "a.m");
        ADD_FAILURE() << "written without banner";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Could not get banner!\n");
    }
    Generator().WriteToFile("plain\n", "a.txt");
    EXPECT_EQ(ReadFile(Dir() / "a.txt"), "plain\n");
}

TEST_F(MatlabWriter, WriteWarningsCoreStreamWritesLatencyAndWarnings) {
    const auto path = Dir() / "core.m";
    Generator().CoreStream().Open(path.string());
    Generator().SetLatency(5);
    Generator().SetWarnings("first\nsecond\n", "t");
    Generator().WriteWarnings(Generator().CoreStream());
    Generator().CoreStream().Commit();
    EXPECT_EQ(ReadFile(path),
              "% KelvoWare Model Latency: 5\n"
              "% The KelvoWare Model Latency indicates how many repeated calls \n"
              "% to the KelvoWare function are required before valid data is available at the outputs.\n"
              "% The actual latency of the system may also include additional hardware latency as reported by "
              "the KelvoDSP Verify RTL Report.\n"
              "% KelvoWare WARNINGS:\n% first\n% second\n");
}

TEST_F(MatlabWriter, WriteWarningsOtherStreamWritesNothingAndKeepsWarnings) {
    SetSetting("Settings::EnableKWMatlabWarningPopUps", true);
    SetSetting("Settings::KWCloseMatlabPlots", true);
    SetSetting("Settings::KWSaveMatlabResults", true);
    Generator().SetWarnings("w\n", "t");
    std::ostringstream other;
    Generator().WriteWarnings(other);
    EXPECT_EQ(other.str(), "");
    EXPECT_EQ(Generator().WarningsText(), "w\n");
}

TEST_F(MatlabWriter, ScriptStreamDiscardsWarningsWhenPopUpsAreOff) {
    const auto path = Dir() / "script.m";
    Generator().ScriptStream().Open(path.string());
    Generator().SetWarnings("w\n", "t");
    Generator().WriteWarnings(Generator().ScriptStream());
    Generator().ScriptStream().Commit();
    EXPECT_EQ(ReadFile(path), "");
    EXPECT_EQ(Generator().WarningsText(), "");
}

}  // namespace
