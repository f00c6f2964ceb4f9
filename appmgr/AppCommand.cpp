// CAppCommand: one command of an application, its parameters (own and from the XML parameter
// description) and the flags that steer how its arguments are parsed.
#include "AppMgr.h"
#include "ParameterDescription.h"

CAppCommand::CAppCommand(const std::string& name, const std::string& description, CKelvoAppCallBack* callback,
                         TCommandHandler handler)
    : m_name(name), m_description(description), m_callback(callback), m_handler(handler) {}

CAppCommand::~CAppCommand() = default;

CCmdParameter* CAppCommand::NewBooleanParameter(const std::string& switchName, const std::string& description,
                                                bool /*flag1*/, bool /*flag2*/, bool defaultValue) {
    return new CCmdParameter(CCmdParameter::Kind::Boolean, switchName, "", description, defaultValue ? "1" : "0",
                             true);
}

// An empty default text means "no default": such a switch is not delivered when not given.
CCmdParameter* CAppCommand::NewStringParameter(const std::string& switchName, const std::string& valueName,
                                               const std::string& description, bool /*flag1*/, bool /*flag2*/,
                                               const std::string& defaultText) {
    return new CCmdParameter(CCmdParameter::Kind::String, switchName, valueName, description, defaultText,
                             !defaultText.empty());
}

CCmdParameter* CAppCommand::NewIntegerParameter(const std::string& switchName, const std::string& valueName,
                                                const std::string& description, bool /*flag1*/, bool /*flag2*/,
                                                int defaultValue) {
    return new CCmdParameter(CCmdParameter::Kind::Integer, switchName, valueName, description,
                             std::to_string(defaultValue), true);
}

CCmdParameter* CAppCommand::NewFileOutParameter(const std::string& switchName, const std::string& valueName,
                                                const std::string& description, bool /*flag1*/, bool /*flag2*/,
                                                bool /*flag3*/, const std::string& defaultText) {
    return new CCmdParameter(CCmdParameter::Kind::FileOut, switchName, valueName, description, defaultText,
                             !defaultText.empty());
}

void CAppCommand::AddParameter(CCmdParameter* parameter) {
    if (parameter != nullptr) {
        m_parameters.emplace_back(parameter);
    }
}

void CAppCommand::SetNotGlobalCommand() { m_global = false; }

void CAppCommand::SetIgnoreUnknownArgs(bool ignore) { m_ignoreUnknown = ignore; }

bool CAppCommand::SetXMLParameterDescription(const std::string& path) {
    appmgr::ParameterList parameters;
    std::string error;
    if (!appmgr::ReadParameterDescription(path, parameters, error)) {
        CAppMgr::SendMsg(2, error);
        m_xmlParameters.clear();
        m_hasXml = false;
        return false;
    }
    m_xmlParameters = std::move(parameters);
    m_hasXml = true;
    return true;
}

bool CAppCommand::HasXMLParameterDescription() const { return m_hasXml; }

int CAppCommand::GetNumParametersFromXMLFile() const { return static_cast<int>(m_xmlParameters.size()); }

CCmdParameter* CAppCommand::GetParameterFromXMLFile(int index) const {
    if (index < 0 || index >= GetNumParametersFromXMLFile()) {
        return nullptr;
    }
    return m_xmlParameters[static_cast<size_t>(index)].get();
}

std::vector<CCmdParameter*> CAppCommand::GetAllParameters() const {
    std::vector<CCmdParameter*> all;
    for (const auto& parameter : m_parameters) {
        all.push_back(parameter.get());
    }
    for (const auto& parameter : m_xmlParameters) {
        all.push_back(parameter.get());
    }
    return all;
}
