// CGlobalSettings: the host's global boolean settings, read through the host command
// "GetGlobalSetting KEY" at the moment of use (so a script that changes a setting is seen).
#include "AppMgr.h"

bool CGlobalSettings::GetBool(const std::string& key) const {
    CTclEvalObj query("GetGlobalSetting");
    query += key;
    return query.Evaluate(false) && query.GetResult()->GetBoolValue();
}

CGlobalSettings* GetGlobalSettings() {
    static CGlobalSettings settings;
    return &settings;
}
