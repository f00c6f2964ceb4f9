// CCmdParameter: one switch of a command with its kind, value name, default and choices.
#include "AppMgr.h"

CCmdParameter::CCmdParameter(Kind kind, const std::string& switchName, const std::string& valueName,
                             const std::string& description, const std::string& defaultText, bool hasDefault)
    : m_kind(kind),
      m_switchName(switchName),
      m_valueName(valueName),
      m_description(description),
      m_defaultText(defaultText),
      m_hasDefault(hasDefault) {}

CCmdParameter::~CCmdParameter() = default;

bool CCmdParameter::IsHidden() const { return m_hidden; }

int CCmdParameter::GetNumSelections() const { return static_cast<int>(m_selections.size()); }

std::string CCmdParameter::GetSelection(int index) const {
    if (index < 0 || index >= GetNumSelections()) {
        return "";
    }
    return m_selections[static_cast<size_t>(index)];
}

std::string CCmdParameter::GetDefaultValue() const { return m_defaultText; }

std::string CCmdParameter::GetTypeName() const {
    switch (m_kind) {
    case Kind::Boolean: return "boolean";
    case Kind::String: return "string";
    case Kind::Integer: return "integer";
    case Kind::Float: return "float";
    case Kind::FileOut: return "file-out";
    case Kind::StringSelection: return "string selection";
    }
    return "string";
}
