// The ordered, name-indexed list of host parameters behind each of a generator's four groups
// (inputs, outputs, functional, implementation). The group refers to parameters owned elsewhere.
#include "framework/ParameterGroup.h"

#include <stdexcept>

#include "host/AppMgr.h"

namespace kw {

CCmdParameter* ParameterGroup::At(int index) const {
    if (index < 0 || index >= Count()) {
        throw std::out_of_range("index exceeds number of parameters in command");
    }
    return m_parameters[static_cast<std::size_t>(index)];
}

CCmdParameter* ParameterGroup::Find(const std::string& switchName) const {
    if (switchName.empty()) {
        throw std::runtime_error("Cannot find parameter");
    }
    auto found = m_byName.find(switchName);
    return found == m_byName.end() ? nullptr : found->second;
}

void ParameterGroup::Append(CCmdParameter* parameter) {
    m_parameters.push_back(parameter);
    if (parameter != nullptr) {
        // The first parameter of a name keeps the name, as later duplicates are never looked up.
        m_byName.emplace(parameter->GetSwitchName(), parameter);
    }
}

void ParameterGroup::Truncate(int count) {
    if (count < 0) {
        count = 0;
    }
    if (count >= Count()) {
        return;
    }
    m_parameters.resize(static_cast<std::size_t>(count));
    // Rebuild the index so a name dropped here no longer resolves, while a name that an earlier
    // entry also carries still does.
    m_byName.clear();
    for (CCmdParameter* parameter : m_parameters) {
        if (parameter != nullptr) {
            m_byName.emplace(parameter->GetSwitchName(), parameter);
        }
    }
}

}  // namespace kw
