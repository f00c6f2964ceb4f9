// CCmdArguments: the switches of one command call with their values, in the order given.
#include "AppMgr.h"

CCmdArguments::CCmdArguments() = default;
CCmdArguments::~CCmdArguments() = default;

CTclDataObj* CCmdArguments::Find(const std::string& switchName) const {
    for (size_t i = 0; i < m_order.size(); ++i) {
        if (m_order[i] == switchName) {
            return m_values[i].get();
        }
    }
    return nullptr;
}

void CCmdArguments::Set(const std::string& switchName, const CTclDataObj& value) {
    if (CTclDataObj* existing = Find(switchName)) {
        *existing = value;
        return;
    }
    m_order.push_back(switchName);
    m_values.push_back(std::make_unique<CTclDataObj>(value));
}
