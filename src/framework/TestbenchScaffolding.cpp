// The pieces every testbench script shares around its body: the warning dialog, closing plots,
// saving results and the closing lines; and the latency comment block of a core file.
#include <ostream>
#include <sstream>

#include "framework/CKWDesignBase.h"
#include "framework/HostCalls.h"

namespace kw {

namespace {

// warndlg({'A';'B'},'KelvoWare Warning: TITLE');  for the warning lines "A\nB\n".
void WriteWarningDialog(std::ostream& stream, const std::string& lines, const std::string& title) {
    stream << "warndlg({'";
    bool afterLineBreak = false;
    for (char c : lines) {
        if (afterLineBreak) {
            stream << ";'";
            afterLineBreak = false;
        }
        if (c == '\n') {
            stream << "'";
            afterLineBreak = true;
        } else {
            stream << c;
        }
    }
    stream << "},'KelvoWare Warning: " << title << "');\n";
}

void WriteScriptEnding(std::ostream& stream, std::string& warningsText, const std::string& warningsTitle) {
    std::ostringstream ending;
    if (!warningsText.empty()) {
        if (GlobalSettingIsOn("Settings::EnableKWMatlabWarningPopUps")) {
            WriteWarningDialog(ending, warningsText, warningsTitle);
        }
        warningsText.clear();
    }
    if (GlobalSettingIsOn("Settings::KWCloseMatlabPlots")) {
        ending << "close all\n\n";
    }
    if (GlobalSettingIsOn("Settings::KWSaveMatlabResults")) {
        ending << "save\n\n";
    }
    // A testbench body ends in "end" without a line break; a statement glued to it
    // ("endclose all") would not parse.
    if (!ending.str().empty()) {
        stream << "\n" << ending.str();
    }
}

void WriteLatencyBlock(std::ostream& stream, int latency, const std::string& warningsText) {
    stream << "% KelvoWare Model Latency: " << latency << "\n"
           << "% The KelvoWare Model Latency indicates how many repeated calls \n"
           << "% to the KelvoWare function are required before valid data is available at the outputs.\n"
           << "% The actual latency of the system may also include additional hardware latency as reported by "
              "the KelvoDSP Verify RTL Report.\n";
    if (warningsText.empty()) {
        return;
    }
    stream << "% KelvoWare WARNINGS:\n";
    bool lineStart = true;
    for (char c : warningsText) {
        if (lineStart) {
            stream << "% ";
        }
        stream << c;
        lineStart = c == '\n';
    }
}

}  // namespace

void CKWDesignBase::WriteWarnings(std::ostream& stream) {
    if (&stream == &m_scriptStream) {
        WriteScriptEnding(stream, m_warningsText, m_warningsTitle);
    } else if (&stream == &m_coreStream) {
        WriteLatencyBlock(stream, m_latency, m_warningsText);
    }
}

void CKWDesignBase::WriteScriptEpilogue(std::ostream& stream) const {
    stream << "\n";
    if (GlobalSettingIsOn("Settings::KWCloseMatlabPlots")) {
        stream << "close all\n";
    }
    if (GlobalSettingIsOn("KWSaveMatlabResults::KWCloseMatlabPlots")) {
        stream << "save\n";
    }
}

}  // namespace kw
