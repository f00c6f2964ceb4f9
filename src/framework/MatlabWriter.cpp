// The banner box at the top of every generated MATLAB file, the host switch that turns it off,
// and the writer of whole helper files with a banner chosen by the file's extension.
#include <iomanip>
#include <ostream>
#include <stdexcept>

#include "framework/CKWDesignBase.h"
#include "framework/HostCalls.h"
#include "host/Failure.h"
#include "host/FilePath.h"

namespace kw {

namespace {

// Lines of the banner box hold 79 characters before their line break.
constexpr int kBannerField = 80;

std::string HostBanner(const std::string& delimiter) {
    const HostAnswer banner = EvaluateHostCommand("AppInfo::GetBanner", {"-delimiter", delimiter});
    if (!banner.ok) {
        throw std::runtime_error("Could not get banner!\n");
    }
    return banner.text;
}

void WriteRuleLine(std::ostream& stream) { stream << std::setfill('%') << std::setw(kBannerField) << '\n'; }

// The text, then its line break in a field that pads the line with blanks to 79 characters.
void WritePaddedLine(std::ostream& stream, const std::string& text) {
    const int width = kBannerField - static_cast<int>(text.size());
    stream << text << std::setfill(' ') << std::setw(width > 0 ? width : 0) << '\n';
}

std::string ProductAnswer(const std::string& query) {
    // A failed query leaves whatever the host answered; the line is written all the same.
    return EvaluateHostCommand("AppInfo", {query}).text;
}

}  // namespace

bool CKWDesignBase::BannerSwitchedOff() const {
    const HostAnswer answer = EvaluateHostCommand("GetGlobalOption", {"-nobanner"});
    return answer.ok ? answer.boolean : true;
}

void CKWDesignBase::WriteBanner(std::ostream& stream) const {
    if (BannerSwitchedOff()) {
        return;
    }
    const std::string banner = HostBanner("%");
    WriteRuleLine(stream);
    stream << banner;
    WriteRuleLine(stream);
    WritePaddedLine(stream, "%  KelvoWare Function: " + m_fullName);
    const std::string version = ProductAnswer("ProductVersionVerbose");
    const std::string buildType = ProductAnswer("ProductBuildType");
    WritePaddedLine(stream, "%  KelvoDSP Version: " + version + " " + buildType);
    WriteRuleLine(stream);
    // The fill stays "%": a later field-width write pads with it unless it sets its own fill.
    stream.fill('%');
}

void CKWDesignBase::WriteToFile(const std::string& content, const std::string& fileName) {
    if (fileName.empty()) {
        throw std::runtime_error("Empty file name specified in WriteToFile function call.");
    }
    FilePath path(m_outputDirectory);
    path.Join(fileName);
    const std::string extension = path.Extension();
    std::string banner;
    if (extension == ".m") {
        banner = HostBanner("%");
    } else if (extension == ".kvd" || extension == ".kvp") {
        banner = HostBanner("#");
    }
    if (!path.WriteText(banner + content)) {
        throw IoError("Could not write KelvoWare file completely (" + path.Text() + ")\n");
    }
}

}  // namespace kw
