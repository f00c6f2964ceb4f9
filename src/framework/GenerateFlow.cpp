// One Generate run of a generator: reading the common arguments, then writing the core file
// (signature, banner, header comments, body), its directives file and, for a project run, the
// testbench script and the host project.
#include <sstream>
#include <stdexcept>

#include "framework/CKWDesignBase.h"
#include "framework/CommonOptionReading.h"
#include "framework/HostCalls.h"
#include "framework/OutputFiles.h"
#include "host/AppMgr.h"
#include "host/Failure.h"
#include "host/FilePath.h"
#include "host/Messaging.h"

namespace kw {

namespace {

constexpr std::size_t kMaxMatlabNameLength = 63;

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool IsMatlabIdentifier(const std::string& name) {
    if (name.empty() || name.size() > kMaxMatlabNameLength || !IsAsciiLetter(name[0])) {
        return false;
    }
    for (char c : name) {
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') {
            return false;
        }
    }
    return true;
}

// Path separators of the host's file names: a backslash is an ordinary character on POSIX
// hosts, so there it stays part of the function name (and is refused).
#ifdef _WIN32
constexpr const char* kPathSeparators = "/\\";
#else
constexpr const char* kPathSeparators = "/";
#endif

// The function name that "-name" yields: its last component without the extension.
std::string NameBase(const std::string& name) {
    std::string base = name;
    const std::size_t separator = base.find_last_of(kPathSeparators);
    if (separator != std::string::npos) {
        base.erase(0, separator + 1);
    }
    const std::size_t dot = base.rfind('.');
    if (dot != std::string::npos) {
        base.erase(dot);
    }
    return base;
}

// "-name" becomes the MATLAB function name written into the core file, so anything but an
// identifier is refused before a file is touched.
void RequireMatlabName(const std::string& name) {
    if (!IsMatlabIdentifier(NameBase(name))) {
        throw ParameterError("Invalid Parameter: -name \"" + name +
                             "\" is not a valid MATLAB function name (a letter, then letters, digits or "
                             "underscores, at most 63 characters).\n");
    }
}

// The file system ends a name at a NUL character: the rest of the text would silently go.
void RequireNoNul(const CCmdArguments* arguments, const std::string& switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    if (value != nullptr && value->GetStringValue().find('\0') != std::string::npos) {
        throw ParameterError("Invalid Parameter: " + switchName + " must not contain a NUL character.");
    }
}

// Numbers below 0 would put a minus sign into the numbered function name.
void RequireUsableStartNumber(const CTclDataObj* forceNumber) {
    if (forceNumber != nullptr && forceNumber->GetIntValue() < 0) {
        throw ParameterError("Invalid Parameter: -forcenum must be 0 or greater.");
    }
}

// A value line is a MATLAB comment: a line break inside an argument's text would end the
// comment and put the rest of the text into the file as code.
std::string OnOneLine(std::string text) {
    for (char& c : text) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

// The texts of the core file's first lines, built before anything is written.
struct CoreHeader {
    std::string signature;
    std::string outputComments;
    std::string inputComments;
    std::string functionalComments;
    std::string implementationComments;
};

std::string JoinedPortNames(const ParameterGroup& ports) {
    std::string names;
    for (int i = 0; i < ports.Count(); ++i) {
        if (i > 0) {
            names += ", ";
        }
        names += WithoutLeadingDash(ports.At(i)->GetSwitchName());
    }
    return names;
}

// Every port's quantizer is built from its argument (errors stop the run); visible ports are
// also described in the header.
std::string PortComments(const ParameterGroup& ports, const CCmdArguments* arguments) {
    std::string comments;
    for (int i = 0; i < ports.Count(); ++i) {
        const CCmdParameter* port = ports.At(i);
        const Quantizer quantizer(FindArgument(arguments, port->GetSwitchName()));
        if (port->IsHidden()) {
            continue;
        }
        comments += "% " + WithoutLeadingDash(port->GetSwitchName()) + ": " + port->GetDescription() + "\n";
        comments += "%\tquantized to \"" + quantizer.HostListText() + "\"\n";
    }
    return comments;
}

std::string ParameterComment(const CCmdParameter& parameter, const CCmdArguments* arguments,
                             const std::string& lead, const std::string& tabs) {
    return lead + WithoutLeadingDash(parameter.GetSwitchName()) + ": " + parameter.GetDescription() + "\n" + "%" +
           tabs + "value used \"" + OnOneLine(TextArgument(arguments, parameter.GetSwitchName())) + "\"\n";
}

std::string FunctionalComments(const ParameterGroup& group, const CCmdArguments* arguments) {
    std::string comments;
    for (int i = 0; i < group.Count(); ++i) {
        if (const CCmdParameter* parameter = group.At(i)) {
            comments += ParameterComment(*parameter, arguments, "% ", "\t");
        }
    }
    return comments;
}

std::string ImplementationComments(const ParameterGroup& group, const CCmdArguments* arguments) {
    std::string comments;
    for (int i = 0; i < group.Count(); ++i) {
        const CCmdParameter* parameter = group.At(i);
        if (parameter != nullptr && FindArgument(arguments, parameter->GetSwitchName()) != nullptr) {
            comments += ParameterComment(*parameter, arguments, "%  ", "\t\t");
        }
    }
    return comments;
}

std::string Signature(const ParameterGroup& outputs, const ParameterGroup& inputs, const std::string& functionName) {
    const bool bracketed = outputs.Count() > 1;
    std::string signature = "function ";
    signature += bracketed ? "[" : "";
    signature += JoinedPortNames(outputs);
    signature += bracketed ? "]" : "";
    signature += " = " + functionName + "( " + JoinedPortNames(inputs) + " )\n";
    return signature;
}

std::string DirectivesHeader(const std::string& functionName) { return "# Directives for " + functionName + "\n"; }

// The text of FILE with its first line replaced by FIRSTLINE (which ends in a line break).
void ReplaceFirstLine(AtomicOutputFile& file, const std::string& firstLine) {
    std::string text;
    if (file.ReadBack(text) && file.Restart()) {
        const std::size_t lineEnd = text.find('\n');
        file << firstLine << (lineEnd == std::string::npos ? std::string() : text.substr(lineEnd + 1));
    }
}

void ReportWritten(const char* messageId, const std::string& fullName, const std::string& path) {
    const std::string params = HostListText({fullName, path});
    SimpleInfo(messageId, &params);
}

// The common options, read once; the name and the first number are checked here, before the
// generator reads its own parameters.
CommonOptions ReadCommonOptions(const CCmdArguments* arguments) {
    CommonOptions options;
    RequireNoNul(arguments, "-outdir");
    RequireNoNul(arguments, "-name");
    if (FindArgument(arguments, "-name") != nullptr) {
        options.name = TextArgument(arguments, "-name");
    }
    options.instancePath = TextArgument(arguments, "-instancepath");
    if (options.NameGiven()) {
        RequireMatlabName(options.name);
    }
    const CTclDataObj* forceNumber = FindArgument(arguments, "-forcenum");
    RequireUsableStartNumber(forceNumber);
    if (forceNumber != nullptr) {
        options.firstNumber = forceNumber->GetIntValue();
    }
    options.outputDirectory = TextArgument(arguments, "-outdir");
    options.project = FindArgument(arguments, "-project") != nullptr;
    options.subdirectory = FlagArgument(arguments, "-project") && !FlagArgument(arguments, "-nosubdir");
    options.hardware = ReadHardwareOptions(arguments);
    options.arithmetic = ReadArithmeticOptions(arguments);
    options.report = ReadReportOptions(arguments);
    return options;
}

}  // namespace

// A numbered core takes its name only when that name is still free at the moment of the move, so
// a killed run never leaves an empty or partial file at a number. When another run took the number
// meanwhile, the core moves on to the next free one: its name appears only in the first line of
// the core and of its directives file.
void CKWDesignBase::CommitCoreFiles(FilePath& corePath) {
    if (m_options.NameGiven() || m_options.subdirectory) {
        CommitOutputFile(m_coreStream, "outFile");
    } else {
        while (!CommitNewOutputFile(m_coreStream, "outFile")) {
            corePath = NextFreeNumberedCore(corePath.Text());
            m_functionName = corePath.BaseName();
            ReplaceFirstLine(m_coreStream, Signature(OutputsGroup(), InputsGroup(), m_functionName));
            m_coreStream.Retarget(corePath.Text());
            ReplaceFirstLine(m_directivesStream, DirectivesHeader(m_functionName));
            m_directivesStream.Retarget(FilePath(corePath.Text(), ".kvd").Text());
        }
    }
    CommitOutputFile(m_directivesStream, "directives");
}

void CKWDesignBase::ParseArguments(CCmdArguments* arguments) {
    m_arguments = arguments;
    m_warningsText.clear();
    m_warningsTitle.clear();
    m_options = ReadCommonOptions(arguments);
    if (m_options.NameGiven()) {
        // The name is used unless a project subdirectory numbers the core; the testbench is
        // written whenever -project is given.
        CheckFunctionName(NameBase(m_options.name), m_options.project && !m_options.subdirectory);
    }
    ValidateFunctionalParameters();
    // A project subdirectory names its files after itself; say so rather than drop -name quietly.
    if (m_options.NameGiven() && m_options.subdirectory) {
        const std::string params = HostListText({m_options.name});
        SimpleWarn("COMMAND-0032", &params);
    }
}

void CKWDesignBase::RunGenerate() {
    const OutputPlan plan = ChooseOutputPath();
    RefuseReplacingOtherCoresFiles(plan);
    m_outputDirectory = plan.directory;
    m_functionName = plan.functionName;
    FilePath corePath(plan.corePath);
    OpenOutputFile(m_coreStream, corePath.Text(), "outFile");

    CoreHeader header;
    header.outputComments = PortComments(OutputsGroup(), m_arguments);
    header.inputComments = PortComments(InputsGroup(), m_arguments);
    header.functionalComments = FunctionalComments(FunctionalGroup(), m_arguments);
    header.implementationComments = ImplementationComments(ImplementationGroup(), m_arguments);
    header.signature = Signature(OutputsGroup(), InputsGroup(), m_functionName);

    m_coreStream << header.signature;
    if (!BannerSwitchedOff()) {
        WriteBanner(m_coreStream);
        m_coreStream << header.implementationComments << header.functionalComments << header.inputComments
                     << header.outputComments;
    }

    const FilePath directivesPath(corePath.Text(), ".kvd");
    OpenOutputFile(m_directivesStream, directivesPath.Text(), "directives");
    m_directivesStream << DirectivesHeader(m_functionName);

    m_latency = 0;
    GenerateCore();
    FinishCore();
    m_coreStream << "\n";

    const bool indent = GlobalSettingIsOn("Settings::EnableKelvoWareAutoIndent");
    // The text that reaches the final name is the finished one: re-indented before the commit.
    if (indent) {
        AutoIndentFile(m_coreStream);
    }
    CommitCoreFiles(corePath);
    ReportWritten("MAPFCTS-0002", m_fullName, corePath.Text());
    AnnounceFile("core directives", FilePath(corePath.Text(), ".kvd").Text());
    if (m_options.hardware.verilog) {
        WriteHardware(corePath.Text(), m_options.project);
    }
    if (m_options.report.write) {
        WriteReportFile(corePath.Text());
    }

    if (!m_options.project) {
        return;
    }
    FilePath scriptPath(corePath.Text(), ".m");
    scriptPath.ReplaceStem(m_functionName + "_script");
    OpenOutputFile(m_scriptStream, scriptPath.Text(), "script");
    WriteBanner(m_scriptStream);
    WriteTestbench();
    WriteWarnings(m_scriptStream);
    WriteScriptEpilogue(m_scriptStream);
    if (indent) {
        AutoIndentFile(m_scriptStream);
    }
    CommitOutputFile(m_scriptStream, "script");
    ReportWritten("MAPFCTS-0003", m_fullName, scriptPath.Text());

    SetUpProject(corePath.Text(), scriptPath.Text());
}

}  // namespace kw
