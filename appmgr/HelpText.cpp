// Builds the "-help" answers of a command from its parameters. The list leaves out hidden
// switches except the common options every KelvoWare generate command reads, which a user
// needs although a generator's dialog does not show them.
#include "HelpText.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include "KelvoHost.h"

namespace appmgr {
namespace {

// Where the files of a run go, how they are named, what else a run writes, and how its hardware
// and output quantizer are built.
constexpr const char* kCommonOptions[] = {"-outdir",          "-nosubdir",     "-project",        "-forcenum",
                                          "-name",            "-instancepath", "-report",         "-seed",
                                          "-stopband_from",   "-hdl",          "-hdl_products",   "-hdl_multipliers",
                                          "-hdl_stream",      "-output_round", "-output_overflow", "-coef_scale"};

bool IsCommonOption(const CCmdParameter& parameter) {
    return std::find(std::begin(kCommonOptions), std::end(kCommonOptions), parameter.GetSwitchName()) !=
           std::end(kCommonOptions);
}

std::string ChoiceList(const CCmdParameter& parameter, const char* separator) {
    std::string text;
    for (int i = 0; i < parameter.GetNumSelections(); ++i) {
        text += (i == 0 ? "" : separator) + parameter.GetSelection(i);
    }
    return text;
}

// "-form Direct|Transposed", "-fs <Fs>" or "-project".
std::string SwitchWithValue(const CCmdParameter& parameter) {
    std::string text = parameter.GetSwitchName();
    if (parameter.GetKind() == CCmdParameter::Kind::Boolean) {
        return text;
    }
    if (parameter.GetNumSelections() > 0) {
        return text + " " + ChoiceList(parameter, "|");
    }
    return text + " <" + (parameter.GetValueName().empty() ? "value" : parameter.GetValueName()) + ">";
}

bool ShowsDefault(const CCmdParameter& parameter) {
    return parameter.HasDefault() && parameter.GetKind() != CCmdParameter::Kind::Boolean &&
           !parameter.GetDefaultValue().empty();
}

void WriteSection(std::ostream& out, const char* title, const std::vector<const CCmdParameter*>& parameters) {
    if (parameters.empty()) {
        return;
    }
    std::size_t width = 0;
    for (const CCmdParameter* parameter : parameters) {
        width = std::max(width, SwitchWithValue(*parameter).size());
    }
    out << title << "\n";
    for (const CCmdParameter* parameter : parameters) {
        const std::string head = SwitchWithValue(*parameter);
        out << "  " << head << std::string(width - head.size() + 2, ' ') << parameter->GetDescription();
        if (ShowsDefault(*parameter)) {
            out << " (default: " << parameter->GetDefaultValue() << ")";
        }
        out << "\n";
    }
}

std::string WithDash(const std::string& name) { return !name.empty() && name[0] == '-' ? name : "-" + name; }

}  // namespace

std::string HelpText(const CAppCommand& command, const std::string& commandName) {
    std::vector<const CCmdParameter*> parameters;
    std::vector<const CCmdParameter*> common;
    for (const CCmdParameter* parameter : command.GetAllParameters()) {
        if (!parameter->IsHidden()) {
            parameters.push_back(parameter);
        } else if (IsCommonOption(*parameter)) {
            common.push_back(parameter);
        }
    }
    std::ostringstream out;
    out << commandName << ": " << command.GetDescription() << "\n";
    out << "Usage: " << commandName << " ?-switch value ...?\n";
    out << "       " << commandName << " -help ?-switch?   (one switch in full: type, choices, default)\n";
    WriteSection(out, "Parameters:", parameters);
    WriteSection(out, "Common options:", common);
    return out.str();
}

std::optional<std::string> SwitchHelpText(const CAppCommand& command, const std::string& commandName,
                                          const std::string& switchName) {
    const std::string wanted = WithDash(switchName);
    for (const CCmdParameter* parameter : command.GetAllParameters()) {
        if (parameter->GetSwitchName() != wanted) {
            continue;
        }
        std::ostringstream out;
        out << commandName << " " << SwitchWithValue(*parameter) << "\n";
        out << "  " << parameter->GetDescription() << "\n";
        out << "  type: " << parameter->GetTypeName();
        if (parameter->GetKind() == CCmdParameter::Kind::Boolean) {
            out << " (the switch alone means true)";
        }
        out << "\n";
        if (parameter->GetNumSelections() > 0) {
            out << "  choices: " << ChoiceList(*parameter, ", ") << "\n";
        }
        if (ShowsDefault(*parameter)) {
            out << "  default: " << parameter->GetDefaultValue() << "\n";
        }
        return out.str();
    }
    return std::nullopt;
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
