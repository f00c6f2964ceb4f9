// The one reader of host global settings.
#include "host/GlobalSetting.h"

#include "host/AppMgr.h"

namespace kw {

bool GlobalSettingIsOn(const std::string& key) {
    const CGlobalSettings* settings = GetGlobalSettings();
    return settings != nullptr && settings->GetBool(key);
}

}  // namespace kw
