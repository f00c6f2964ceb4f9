// What a run tells the host's synthesis flow: the implementation arguments of the instance path
// ("SetDirective ... -allappparams") and, for a project run, a fresh host project that points at
// the generated testbench script and the project directives file; its save is a checked step
// of the run like the writing of every other file.
#include <stdexcept>

#include "framework/CKWDesignBase.h"
#include "framework/HostCalls.h"
#include "framework/OutputFiles.h"
#include "host/AppMgr.h"
#include "host/Failure.h"
#include "host/FilePath.h"

namespace kw {

namespace {

// Only the flow's own switch for quantizer checks stays out of the directive.
constexpr const char* kNotADirective = "-relax_quantizer_args";

void EvaluateOrThrow(const std::string& command, std::initializer_list<std::string> words,
                     const std::string& failure) {
    if (!EvaluateHostCommand(command, words).ok) {
        throw std::runtime_error(failure);
    }
}

std::string ProjectFilePath(const std::string& corePath, const std::string& stem, const std::string& extension) {
    FilePath path(corePath);
    path.ReplaceName(stem);
    path.SetExtension(extension);
    return path.Text();
}

}  // namespace

void CKWDesignBase::SetAllAppParams() {
    if (m_options.instancePath.empty()) {
        return;
    }
    CTclDataObj parameters;
    parameters.MakeList();
    for (int i = 0; i < ImplementationGroup().Count(); ++i) {
        const CCmdParameter* parameter = ImplementationGroup().At(i);
        if (parameter == nullptr || parameter->GetSwitchName() == kNotADirective) {
            continue;
        }
        const CTclDataObj* value = FindArgument(m_arguments, parameter->GetSwitchName());
        if (value == nullptr) {
            continue;
        }
        parameters.AppendAsListElement(parameter->GetSwitchName());
        parameters.AppendAsListElement(value->GetStringValue());
    }
    EvaluateOrThrow("SetDirective", {m_options.instancePath, "-allappparams", parameters.GetStringValue()},
                    "Internal Error: Could not set the allappparams directive.");
}

void CKWDesignBase::SetUpProject(const std::string& corePath, const std::string& scriptPath) {
    const std::string projectPath = ProjectFilePath(corePath, m_functionName + "_proj", ".kvp");
    const HostAnswer open = EvaluateHostCommand("IsFlowStageValid", {"-project"});
    if (open.ok && open.boolean) {
        EvaluateHostCommand("Project", {"-close"});
    }
    // A fresh project: whatever a file of that name holds is never read, only replaced by the save.
    EvaluateOrThrow("Project", {"-new", projectPath}, "Could not open project " + projectPath);
    EvaluateOrThrow("SetProjectOption", {"-show_underflows", "0"}, "Could not set show underflow warnings to false");
    EvaluateOrThrow("SetProjectOption", {"-scriptfile", scriptPath}, "Could not set script file to " + scriptPath);

    const std::string directivesPath = ProjectFilePath(corePath, m_functionName + "_proj", ".kvd");
    OpenOutputFile(m_projectDirectivesStream, directivesPath, "directives");
    WriteDirectives();
    CommitOutputFile(m_projectDirectivesStream, "directives");
    AnnounceFile("project directives", directivesPath);

    // The host's wording for a refused directives file names the script file, as it always has.
    EvaluateOrThrow("SetProjectOption", {"-directivesfile", directivesPath},
                    "Could not set script file to " + scriptPath);
    // The project file is a file of the run like every other: a save that fails fails the run.
    const HostAnswer saved = EvaluateHostCommand("Project", {"-save"});
    if (!saved.ok) {
        throw IoError("Could not save project " + projectPath + " (" + saved.message + ")\n");
    }
    AnnounceFile("project file", projectPath);
}

}  // namespace kw
