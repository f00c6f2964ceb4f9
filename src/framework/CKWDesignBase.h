// The abstract base of every KelvoWare core generator: identity, the four parameter groups,
// the output streams of one Generate run, and the shared flow (argument parsing, output path,
// core file with signature and header, directives, testbench script, host project).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/CommonOptions.h"
#include "framework/ParameterGroup.h"
#include "host/AtomicOutputFile.h"
#include "quantizer/Quantizer.h"

class CAppCommand;
class CCmdArguments;
class CCmdParameter;

namespace kw {

class FilePath;

class CKWDesignBase {
public:
    CKWDesignBase(const std::string& shortName, const std::string& fullName, const std::string& description,
                  bool warnOnGenerate);
    virtual ~CKWDesignBase();
    CKWDesignBase(const CKWDesignBase&) = delete;
    CKWDesignBase& operator=(const CKWDesignBase&) = delete;

    // Generator operations.
    virtual void ValidateFunctionalParameters() = 0;
    virtual void LoadXMLParameters();
    virtual void GenerateCore() = 0;
    virtual void FinishCore() = 0;
    virtual void WriteDirectives() = 0;
    // Re-indents what was written to FILE so far, before it is committed.
    virtual void AutoIndentFile(AtomicOutputFile& file);
    virtual void WriteTestbench();
    virtual void WriteWarnings(std::ostream& stream);
    // Refuses (std::runtime_error) a "-name" function name that would break the generated files;
    // CALLEDBYTESTBENCH: the run writes a testbench that calls the core by that name.
    virtual void CheckFunctionName(const std::string& name, bool calledByTestbench) const;
    // The design report of the run's request as text (one figure per line) and a one-line
    // summary; false for a generator that has none (the flow then writes no report file).
    virtual bool WriteReport(std::ostream& text, std::string& summary);
    // "-hdl verilog": the core's hardware beside CORE_PATH (and, for a project run, its
    // testbench); a generator without hardware writes nothing.
    virtual void WriteHardware(const std::string& /*corePath*/, bool /*withTestbench*/) {}

    // Identity and groups.
    const std::string& GetShortName() const { return m_shortName; }
    const std::string& GetFullName() const { return m_fullName; }
    const std::string& GetDescription() const { return m_description; }
    bool WarnOnGenerate() const { return m_warnOnGenerate; }
    ParameterGroup& InputsGroup() { return *m_inputsGroup; }
    ParameterGroup& OutputsGroup() { return *m_outputsGroup; }
    ParameterGroup& FunctionalGroup() { return *m_functionalGroup; }
    ParameterGroup& ImplementationGroup() { return *m_implementationGroup; }
    CAppCommand* GetCommand() const { return m_command; }
    // Remembers the generate command and hands it the visible ports declared before it existed.
    void SetCommand(CAppCommand* command);
    // The run's common options (valid from ParseArguments on).
    const CommonOptions& Options() const { return m_options; }
    // The run's function name and output directory (valid from the choice of the output path on).
    const std::string& FunctionName() const { return m_functionName; }
    const std::string& OutputDirectory() const { return m_outputDirectory; }

    // Port bookkeeping: sizes at registration; every Generate starts from them.
    void RecordRegisteredPorts();
    void TruncatePortsToRegistered();

    // Where one run writes: the core file's path, the directory of the run's other files and the
    // function name (the core file's base name).
    struct OutputPlan {
        std::string corePath;
        std::string directory;
        std::string functionName;
    };

    // The Generate flow, in this order.
    void ParseArguments(CCmdArguments* arguments);
    void SetAllAppParams();
    // Chooses (and, for a numbered name, claims) where this run writes; creates the output
    // directory when missing. Throws kw::IoError when a directory cannot be made.
    OutputPlan ChooseOutputPath();
    // Throws kw::ParameterError when a file the run would write at PLAN is a file generated for
    // another core (see GeneratedFiles.h); files of its own core and other files are replaced.
    void RefuseReplacingOtherCoresFiles(const OutputPlan& plan) const;
    // The next numbered core name after CORE (same directory) that nothing exists at.
    std::string NextFreeNumberedCore(const std::string& core);
    void RunGenerate();
    // Closes every output stream and removes what a failed run did not commit: temporary files
    // and an unused numbered claim (the command handler calls this on every exit).
    void CloseStreams();

    // MATLAB writer.
    bool BannerSwitchedOff() const;
    void WriteBanner(std::ostream& stream) const;
    void WriteToFile(const std::string& content, const std::string& fileName);

    // Testbench scaffolding: the lines that end every testbench script, after WriteWarnings.
    void WriteScriptEpilogue(std::ostream& stream) const;

protected:
    // Port declaration (from a generator's constructor).
    void DeclareInputPort(const std::string& switchName, const std::string& description, const Quantizer& q);
    void DeclareHiddenInputPort(const std::string& switchName);
    void DeclareOutputPort(const std::string& switchName, const std::string& description, const Quantizer& q);
    void DeclareHiddenOutputPort(const std::string& switchName);

    CCmdArguments* Arguments() const { return m_arguments; }

    // The Info line of one more file of the run (WHAT: "Verilog core", ...), once it is in place.
    void AnnounceFile(const std::string& what, const std::string& path) const;

    // With -report: F_report.txt beside the core (atomically, as every file of a run) and the
    // report's summary line to the host.
    void WriteReportFile(const std::string& corePath);

    // Opens a fresh host project next to the core file and points it at the generated script and
    // the project directives that WriteDirectives fills.
    void SetUpProject(const std::string& corePath, const std::string& scriptPath);
    // Commits the core and its directives file; a numbered core moves on to the next free number
    // (CORE changes) when its number was taken meanwhile.
    void CommitCoreFiles(FilePath& corePath);

    // Each file of a run reaches its final name complete or not at all (see AtomicOutputFile).
    AtomicOutputFile m_coreStream;
    AtomicOutputFile m_scriptStream;
    AtomicOutputFile m_directivesStream;
    AtomicOutputFile m_projectDirectivesStream;

    std::string m_warningsText;
    std::string m_warningsTitle;
    int m_latency = -1;  // calls before valid output, for the core file's latency block

    CommonOptions m_options;
    int m_uniqueCounter = 0;  // the last number a numbered name of this run tried
    std::string m_functionName;
    std::string m_outputDirectory;

private:
    void DeclareVisiblePort(ParameterGroup& group, const std::string& switchName, const std::string& description,
                            const Quantizer& q);
    void DeclareHiddenPort(ParameterGroup& group, const std::string& switchName);

    bool m_warnOnGenerate;
    CAppCommand* m_command = nullptr;
    CCmdArguments* m_arguments = nullptr;
    std::unique_ptr<ParameterGroup> m_inputsGroup;
    std::unique_ptr<ParameterGroup> m_outputsGroup;
    std::unique_ptr<ParameterGroup> m_functionalGroup;
    std::unique_ptr<ParameterGroup> m_implementationGroup;
    std::vector<std::unique_ptr<CCmdParameter>> m_hiddenPorts;  // never given to the command
    // Visible ports declared before the command existed; the command takes them in SetCommand.
    std::vector<std::unique_ptr<CCmdParameter>> m_pendingPorts;
    std::string m_shortName;
    std::string m_fullName;
    std::string m_description;
    int m_registeredInputCount = 0;
    int m_registeredOutputCount = 0;
};

}  // namespace kw
