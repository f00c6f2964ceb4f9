// GetParameters: the generator's parameters as the host's dialog reads them, one six-element
// list per visible parameter (name, description, switch, type, default, choices).
#include <optional>
#include <vector>

#include "host/CommandArguments.h"
#include "plugin/CKWDesignCallBack.h"

namespace kw {

namespace {

constexpr const char* kPortLabel = "quantizer";

struct ListedGroup {
    const ParameterGroup* group;
    std::optional<std::string> label;
};

// No switch lists everything; otherwise the first switch set, in the order inputs, outputs,
// functional, implementation, decides alone.
std::vector<ListedGroup> ChooseGroups(CKWDesignBase& design, const CCmdArguments* arguments) {
    const ListedGroup inputs{&design.InputsGroup(), kPortLabel};
    const ListedGroup outputs{&design.OutputsGroup(), kPortLabel};
    const ListedGroup functional{&design.FunctionalGroup(), std::nullopt};
    const ListedGroup implementation{&design.ImplementationGroup(), std::nullopt};
    if (FlagArgument(arguments, "-inputs")) {
        return {inputs};
    }
    if (FlagArgument(arguments, "-outputs")) {
        return {outputs};
    }
    if (FlagArgument(arguments, "-functional")) {
        return {inputs, outputs, functional};
    }
    if (FlagArgument(arguments, "-implementation")) {
        return {implementation};
    }
    return {inputs, outputs, functional, implementation};
}

CTclDataObj Choices(const CCmdParameter& parameter) {
    CTclDataObj choices;
    choices.MakeList();
    for (int i = 0; i < parameter.GetNumSelections(); ++i) {
        choices.AppendAsListElement(parameter.GetSelection(i));
    }
    return choices;
}

CTclDataObj Description(const CCmdParameter& parameter, const std::optional<std::string>& label) {
    const std::string& switchName = parameter.GetSwitchName();
    std::string name = !switchName.empty() && switchName[0] == '-' ? switchName.substr(1) : switchName;
    if (label) {
        name += " " + *label;
    }
    const std::string type = label ? *label : parameter.GetTypeName();

    CTclDataObj entry;
    entry.MakeList();
    entry.AppendAsListElement(name);
    entry.AppendAsListElement(parameter.GetDescription());
    entry.AppendAsListElement(switchName);
    entry.AppendAsListElement(type);
    entry.AppendAsListElement(parameter.HasDefault() ? parameter.GetDefaultValue() : std::string());
    if (type == "string selection") {
        entry.AppendAsListElement(Choices(parameter));
    } else {
        entry.AppendAsListElement(std::string());
    }
    return entry;
}

void ListGroup(CTclResultObj& result, const ListedGroup& listed) {
    for (int i = 0; i < listed.group->Count(); ++i) {
        const CCmdParameter* parameter = listed.group->At(i);
        if (parameter == nullptr || parameter->IsHidden()) {
            continue;
        }
        result.AppendAsListElement(Description(*parameter, listed.label));
    }
}

}  // namespace

int CKWDesignCallBack::GetParameters(CCmdArguments* arguments, CTclResultObj* result) {
    result->MakeList();
    bool anyHeld = false;
    for (const ListedGroup& listed : ChooseGroups(*m_design, arguments)) {
        ListGroup(*result, listed);
        anyHeld = anyHeld || listed.group->Count() > 0;
    }
    if (!anyHeld) {
        *result = std::string();
    }
    return kAppSuccess;
}

}  // namespace kw
