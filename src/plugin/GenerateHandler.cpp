// The generate command's handler: one Generate run of the generator inside the command boundary.
// Every failure becomes the command's error result, one error line to the host and its error
// code; the output files are closed on every path, before the failure is reported. The commands
// that answer from the same request without writing (Simulate, Report) refuse through the same
// boundary.
#include "host/CommandBoundary.h"
#include "host/Messaging.h"
#include "plugin/CKWDesignCallBack.h"

namespace kw {

namespace {

// Closes the run's streams (removing what it did not commit) however the run ends.
class StreamCloser {
public:
    explicit StreamCloser(CKWDesignBase& design) : m_design(design) {}
    ~StreamCloser() { m_design.CloseStreams(); }
    StreamCloser(const StreamCloser&) = delete;
    StreamCloser& operator=(const StreamCloser&) = delete;

private:
    CKWDesignBase& m_design;
};

void RunOneGenerate(CKWDesignBase& design, CCmdArguments* arguments) {
    if (design.WarnOnGenerate()) {
        const std::string fullName = design.GetFullName();
        SimpleWarn("COMMAND-0031", &fullName);
    }
    // Ports added by an earlier run are dropped: every run starts from the registered ones.
    design.TruncatePortsToRegistered();
    design.ParseArguments(arguments);
    design.SetAllAppParams();
    design.RunGenerate();
}

}  // namespace

int CKWDesignCallBack::RunGuarded(CTclResultObj* result, const std::function<void()>& body) {
    CKWDesignBase& design = *m_design;
    return RunCommandBody(*result, "Error while generating KelvoWare " + design.GetFullName() + "\n", [&] {
        const StreamCloser closer(design);
        body();
    });
}

int CKWDesignCallBack::Generate(CCmdArguments* arguments, CTclResultObj* result) {
    return RunGuarded(result, [&] { RunOneGenerate(*m_design, arguments); });
}

}  // namespace kw
