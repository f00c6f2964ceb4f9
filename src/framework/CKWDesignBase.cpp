// Construction of a generator, its parameter groups and ports, and the hand-over of the generate
// command at registration (XML parameter description, registered port counts).
#include "framework/CKWDesignBase.h"

#include <stdexcept>

#include "host/AppMgr.h"
#include "host/Messaging.h"

namespace kw {

namespace {

constexpr const char* kPortValueName = "quantizer";

}  // namespace

CKWDesignBase::CKWDesignBase(const std::string& shortName, const std::string& fullName,
                             const std::string& description, bool warnOnGenerate)
    : m_warnOnGenerate(warnOnGenerate), m_shortName(shortName), m_fullName(fullName), m_description(description) {
    // Constructing a quantizer runs the MATLAB version check and reads the project's quantizer
    // defaults, once per process: they are read when the plug-in loads, as the host expects.
    const Quantizer projectDefaults;
    if (shortName.empty() || fullName.empty() || description.empty()) {
        throw std::runtime_error("Missing basic KelvoWare information");
    }
    m_registeredInputCount = 0;
    m_registeredOutputCount = 0;
    m_inputsGroup = std::make_unique<ParameterGroup>();
    m_outputsGroup = std::make_unique<ParameterGroup>();
    m_functionalGroup = std::make_unique<ParameterGroup>();
    m_implementationGroup = std::make_unique<ParameterGroup>();
}

CKWDesignBase::~CKWDesignBase() = default;

void CKWDesignBase::SetCommand(CAppCommand* command) {
    m_command = command;
    if (m_command == nullptr) {
        return;
    }
    for (std::unique_ptr<CCmdParameter>& port : m_pendingPorts) {
        m_command->AddParameter(port.release());
    }
    m_pendingPorts.clear();
}

void CKWDesignBase::LoadXMLParameters() {
    if (m_command == nullptr || !m_command->HasXMLParameterDescription()) {
        SimpleError("MAPFCTS-0004", &m_shortName);
    }
    if (m_command == nullptr) {
        return;
    }
    const int count = m_command->GetNumParametersFromXMLFile();
    for (int i = 0; i < count; ++i) {
        ImplementationGroup().Append(m_command->GetParameterFromXMLFile(i));
    }
}

void CKWDesignBase::RecordRegisteredPorts() {
    m_registeredInputCount = InputsGroup().Count();
    m_registeredOutputCount = OutputsGroup().Count();
}

void CKWDesignBase::TruncatePortsToRegistered() {
    InputsGroup().Truncate(m_registeredInputCount);
    OutputsGroup().Truncate(m_registeredOutputCount);
}

void CKWDesignBase::DeclareVisiblePort(ParameterGroup& group, const std::string& switchName,
                                      const std::string& description, const Quantizer& q) {
    std::unique_ptr<CCmdParameter> port(
        CAppCommand::NewStringParameter(switchName, kPortValueName, description, true, true, q.HostListText()));
    group.Append(port.get());
    if (m_command != nullptr) {
        m_command->AddParameter(port.release());
    } else {
        m_pendingPorts.push_back(std::move(port));
    }
}

void CKWDesignBase::DeclareHiddenPort(ParameterGroup& group, const std::string& switchName) {
    m_hiddenPorts.emplace_back(CAppCommand::NewStringParameter(switchName, kPortValueName, "", true, true, ""));
    CCmdParameter* port = m_hiddenPorts.back().get();
    port->SetIsHidden(true);
    try {
        group.Append(port);
    } catch (...) {
        // A hidden port that cannot join its group is simply not a port of the core.
    }
}

void CKWDesignBase::DeclareInputPort(const std::string& switchName, const std::string& description,
                                     const Quantizer& q) {
    DeclareVisiblePort(InputsGroup(), switchName, description, q);
}

void CKWDesignBase::DeclareOutputPort(const std::string& switchName, const std::string& description,
                                      const Quantizer& q) {
    DeclareVisiblePort(OutputsGroup(), switchName, description, q);
}

void CKWDesignBase::DeclareHiddenInputPort(const std::string& switchName) {
    DeclareHiddenPort(InputsGroup(), switchName);
}

void CKWDesignBase::DeclareHiddenOutputPort(const std::string& switchName) {
    DeclareHiddenPort(OutputsGroup(), switchName);
}

// A generator without a testbench writes an empty script body.
void CKWDesignBase::WriteTestbench() {}

void CKWDesignBase::CheckFunctionName(const std::string&, bool) const {}

void CKWDesignBase::CloseStreams() {
    for (AtomicOutputFile* stream : {&m_coreStream, &m_scriptStream, &m_directivesStream, &m_projectDirectivesStream}) {
        stream->Abandon();
    }
    m_directoryLock.Release();
}

}  // namespace kw
