// Reads the .kpd XML parameter description with pugixml. Layout:
//   <kelvoware-parameters application="NAME">
//     <parameter switch="-fs" type="float" value-name="Fs" default="4" [hidden="true"]>
//       <description>text</description> <choice>a</choice> <choice>b</choice> ...
#include "ParameterDescription.h"

#include <pugixml.hpp>

#include <algorithm>
#include <set>

namespace appmgr {
namespace {

bool IsChoice(const CCmdParameter& parameter, const std::string& text) {
    for (int i = 0; i < parameter.GetNumSelections(); ++i) {
        if (parameter.GetSelection(i) == text) {
            return true;
        }
    }
    return false;
}

std::unique_ptr<CCmdParameter> ReadOne(const pugi::xml_node& node, std::string& error) {
    const std::string switchName = node.attribute("switch").as_string();
    const std::string typeName = node.attribute("type").as_string();
    if (switchName.size() < 2 || switchName[0] != '-') {
        error = "parameter without a switch name of the form -name";
        return nullptr;
    }
    CCmdParameter::Kind kind;
    if (!KindFromTypeName(typeName, kind)) {
        error = "parameter " + switchName + " has the unknown type \"" + typeName + "\"";
        return nullptr;
    }
    const pugi::xml_attribute defaultAttribute = node.attribute("default");
    auto parameter = std::make_unique<CCmdParameter>(
        kind, switchName, node.attribute("value-name").as_string("value"),
        node.child("description").text().as_string(), defaultAttribute.as_string(), !defaultAttribute.empty());
    parameter->SetIsHidden(node.attribute("hidden").as_bool(false));
    for (pugi::xml_node choice = node.child("choice"); choice; choice = choice.next_sibling("choice")) {
        parameter->AddSelection(choice.text().as_string());
    }
    if (kind == CCmdParameter::Kind::StringSelection) {
        if (parameter->GetNumSelections() == 0) {
            error = "parameter " + switchName + " is a string selection without choices";
            return nullptr;
        }
        if (parameter->HasDefault() && !IsChoice(*parameter, parameter->GetDefaultValue())) {
            error = "the default \"" + parameter->GetDefaultValue() + "\" of parameter " + switchName +
                    " is not one of its choices";
            return nullptr;
        }
    }
    return parameter;
}

}  // namespace

bool KindFromTypeName(const std::string& typeName, CCmdParameter::Kind& kind) {
    static const std::pair<const char*, CCmdParameter::Kind> kinds[] = {
        {"boolean", CCmdParameter::Kind::Boolean},   {"string", CCmdParameter::Kind::String},
        {"integer", CCmdParameter::Kind::Integer},   {"float", CCmdParameter::Kind::Float},
        {"file-out", CCmdParameter::Kind::FileOut},  {"string selection", CCmdParameter::Kind::StringSelection},
    };
    for (const auto& [name, value] : kinds) {
        if (typeName == name) {
            kind = value;
            return true;
        }
    }
    return false;
}

bool ReadParameterDescription(const std::string& path, ParameterList& parameters, std::string& error) {
    parameters.clear();
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(path.c_str());
    if (!parsed) {
        error = "cannot read parameter description \"" + path + "\": " + parsed.description();
        return false;
    }
    const pugi::xml_node root = document.child("kelvoware-parameters");
    if (!root) {
        error = "\"" + path + "\" is not a KelvoWare parameter description (no <kelvoware-parameters>)";
        return false;
    }
    std::set<std::string> seen;
    for (pugi::xml_node node = root.child("parameter"); node; node = node.next_sibling("parameter")) {
        std::unique_ptr<CCmdParameter> parameter = ReadOne(node, error);
        if (!parameter || !seen.insert(parameter->GetSwitchName()).second) {
            if (parameter) {
                error = "parameter " + parameter->GetSwitchName() + " is declared twice";
            }
            error = "\"" + path + "\": " + error;
            parameters.clear();
            return false;
        }
        parameters.push_back(std::move(parameter));
    }
    return true;
}

}  // namespace appmgr
