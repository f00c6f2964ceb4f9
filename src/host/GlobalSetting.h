// The host's global boolean settings ("Settings::EnableKelvoWareAutoIndent" ...), read at the
// moment of use so that a script that changes one is seen by the next call.
#pragma once

#include <string>

namespace kw {

// False for an unknown key, and when the host cannot answer.
bool GlobalSettingIsOn(const std::string& key);

}  // namespace kw
