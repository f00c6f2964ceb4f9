// An ordered, name-indexed list of host parameters. The host command owns the parameters; a
// group only refers to them.
#pragma once

#include <map>
#include <string>
#include <vector>

class CCmdParameter;

namespace kw {

class ParameterGroup {
public:
    int Count() const { return static_cast<int>(m_parameters.size()); }
    // Throws std::out_of_range("index exceeds number of parameters in command") outside [0, Count).
    CCmdParameter* At(int index) const;
    // Throws std::runtime_error("Cannot find parameter") for an empty name; nullptr when unknown.
    CCmdParameter* Find(const std::string& switchName) const;
    void Append(CCmdParameter* parameter);
    void Truncate(int count);

private:
    std::vector<CCmdParameter*> m_parameters;
    std::map<std::string, CCmdParameter*> m_byName;
};

}  // namespace kw
