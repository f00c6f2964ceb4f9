// Reader of an application's XML parameter description (.kpd file): one <parameter> element
// per switch with its type, value name, default, description and choices.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "AppMgr.h"

namespace appmgr {

using ParameterList = std::vector<std::unique_ptr<CCmdParameter>>;

// Reads the description at path. On any fault (unreadable file, bad XML, unknown type, missing
// switch, a default outside the choices, a repeated switch) returns false with the reason in
// error and leaves parameters empty.
bool ReadParameterDescription(const std::string& path, ParameterList& parameters, std::string& error);

// The kind named by a type text of the description ("float", "string selection", ...).
bool KindFromTypeName(const std::string& typeName, CCmdParameter::Kind& kind);

}  // namespace appmgr
