// A run replaces the files of its own core, and files nobody generated, but never a file that
// another core's run generated at one of its names (x_tb.v of a core "x_tb" is not the
// testbench of core "x"): such a run is refused before anything is written.
#include <utility>
#include <vector>

#include "framework/CKWDesignBase.h"
#include "framework/GeneratedFiles.h"
#include "host/Failure.h"
#include "host/FilePath.h"

namespace kw {

namespace {

using PlannedFile = std::pair<std::string, GeneratedFile>;  // name in the core's folder, identity

// The files a run names after its core that another core's files could be: the vector files,
// the report and the project file carry suffixes no other kind of file has, so only a run of
// the same name can write them.
std::vector<PlannedFile> FilesOfRun(const std::string& core, bool project, bool hardware) {
    std::vector<PlannedFile> files = {{core + ".m", {GeneratedKind::Core, core}},
                                      {core + ".kvd", {GeneratedKind::CoreDirectives, core}}};
    if (hardware) files.push_back({core + ".v", {GeneratedKind::VerilogCore, core}});
    if (project) {
        files.push_back({core + "_script.m", {GeneratedKind::Script, core}});
        files.push_back({"kw_psd.m", {GeneratedKind::PsdHelper, ""}});
        files.push_back({core + "_proj.kvd", {GeneratedKind::ProjectDirectives, core}});
        if (hardware) files.push_back({core + "_tb.v", {GeneratedKind::VerilogTestbench, core}});
    }
    return files;
}

}  // namespace

void CKWDesignBase::RefuseReplacingOtherCoresFiles(const OutputPlan& plan) const {
    for (const auto& [name, identity] : FilesOfRun(plan.functionName, m_options.project, m_options.hardware.verilog)) {
        FilePath path(plan.corePath);
        path.ReplaceName(name);
        const std::optional<GeneratedFile> existing = RecognizeGeneratedFile(path.Text());
        if (existing && !(*existing == identity)) {
            throw ParameterError("Invalid Parameter: this run would replace " + path.Text() + ", which is " +
                                 DescribeGenerated(*existing) +
                                 ", generated for another name; choose another -name or output directory.\n");
        }
    }
}

}  // namespace kw
