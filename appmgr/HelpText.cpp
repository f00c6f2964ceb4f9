// Builds the "-help" answer of a command from its parameters; hidden switches are left out.
#include "HelpText.h"

#include <sstream>

#include "KelvoHost.h"

namespace appmgr {
namespace {

std::string ChoiceList(const CCmdParameter& parameter) {
    std::string text;
    for (int i = 0; i < parameter.GetNumSelections(); ++i) {
        text += (i == 0 ? "" : "|") + parameter.GetSelection(i);
    }
    return text;
}

void WriteSwitch(std::ostream& out, const CCmdParameter& parameter) {
    out << "  " << parameter.GetSwitchName();
    if (parameter.GetKind() != CCmdParameter::Kind::Boolean) {
        const std::string valueName = parameter.GetValueName().empty() ? "value" : parameter.GetValueName();
        out << " <" << valueName << ">";
    }
    out << "  (" << parameter.GetTypeName() << ")";
    if (parameter.GetNumSelections() > 0) {
        out << "  choices: " << ChoiceList(parameter);
    }
    if (parameter.HasDefault() && parameter.GetKind() != CCmdParameter::Kind::Boolean) {
        out << "  default: " << parameter.GetDefaultValue();
    }
    out << "\n      " << parameter.GetDescription() << "\n";
}

}  // namespace

std::string HelpText(const CAppCommand& command, const std::string& commandName) {
    std::ostringstream out;
    out << commandName << ": " << command.GetDescription() << "\n";
    out << "Usage: " << commandName << " ?-switch value ...?\n";
    for (const CCmdParameter* parameter : command.GetAllParameters()) {
        if (!parameter->IsHidden()) {
            WriteSwitch(out, *parameter);
        }
    }
    return out.str();
}

std::string RelatedCommandsText(const CAppCommand& command) {
    const KelvoHost* host = KelvoHost::Current();
    if (host == nullptr || !command.IsGlobalCommand()) {
        return "";
    }
    for (const CKelvoApp* app : host->Apps()) {
        bool owns = false;
        for (const auto& own : app->GetCommands()) {
            owns = owns || own.get() == &command;
        }
        if (!owns) {
            continue;
        }
        std::ostringstream out;
        for (const auto& other : app->GetCommands()) {
            if (!other->IsGlobalCommand()) {
                out << "  " << app->GetName() << "::" << other->GetName() << " ?-switch value ...?\n      "
                    << other->GetDescription() << "\n";
            }
        }
        return out.str().empty() ? "" : "Commands of " + app->GetName() + " (each answers -help):\n" + out.str();
    }
    return "";
}

}  // namespace appmgr
