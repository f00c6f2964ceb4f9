// The -report file of a generate run: the generator's design report written beside the core as
// F_report.txt through the run's atomic output, then its one-line summary to the host.
#include <sstream>

#include "framework/CKWDesignBase.h"
#include "framework/HostCalls.h"
#include "framework/OutputFiles.h"
#include "host/FilePath.h"
#include "host/Messaging.h"

namespace kw {

void CKWDesignBase::AnnounceFile(const std::string& what, const std::string& path) const {
    const std::string params = HostListText({m_fullName, what, path});
    SimpleInfo("MAPFCTS-0006", &params);
}

bool CKWDesignBase::WriteReport(std::ostream&, std::string&) { return false; }

void CKWDesignBase::WriteReportFile(const std::string& corePath) {
    std::ostringstream text;
    std::string summary;
    if (!WriteReport(text, summary)) {
        return;
    }
    FilePath reportPath(corePath, ".txt");
    reportPath.ReplaceStem(m_functionName + "_report");
    AtomicOutputFile file;
    OpenOutputFile(file, reportPath.Text(), "report");
    file << text.str();
    CommitOutputFile(file, "report");
    const std::string params = HostListText({m_fullName, reportPath.Text(), summary});
    SimpleInfo("MAPFCTS-0005", &params);
}

}  // namespace kw
