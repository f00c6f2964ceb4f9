// Fuzz target: the host's argument parser with the switches of rcosflt.kpd. The input is a word
// list (words separated by newlines); its first byte's low bit says whether unknown switches are
// ignored. A parse that succeeds delivers only declared switches, every value passes its type
// check, and every switch with a default is delivered.
#include <tcl.h>

#include <memory>
#include <string>
#include <vector>

#include "ArgumentParser.h"
#include "FuzzSupport.h"

namespace {

struct Command {
    std::unique_ptr<CAppCommand> strict;
    std::unique_ptr<CAppCommand> lenient;
};

const Command& Commands() {
    static const Command commands = [] {
        kwfuzz::Host();
        Command made{std::make_unique<CAppCommand>("rcosflt", "Raised-Cosine FIR Filter", nullptr, nullptr),
                     std::make_unique<CAppCommand>("rcosflt", "Raised-Cosine FIR Filter", nullptr, nullptr)};
        const std::string kpd = KW_SOURCE_DIR "/src/plugin/rcosflt.kpd";
        if (!made.strict->SetXMLParameterDescription(kpd) || !made.lenient->SetXMLParameterDescription(kpd)) {
            kwfuzz::Fail("rcosflt.kpd cannot be read");
        }
        made.strict->AddParameter(CAppCommand::NewBooleanParameter("-project", "Open a new project", true, true, false));
        made.lenient->SetIgnoreUnknownArgs(true);
        return made;
    }();
    return commands;
}

const CCmdParameter* Declared(const CAppCommand& command, const std::string& switchName) {
    for (const CCmdParameter* parameter : command.GetAllParameters()) {
        if (parameter->GetSwitchName() == switchName) return parameter;
    }
    return nullptr;
}

void CheckParsed(const CAppCommand& command, const CCmdArguments& arguments) {
    for (const std::string& switchName : arguments.GetSwitchNames()) {
        const CCmdParameter* parameter = Declared(command, switchName);
        if (parameter == nullptr) kwfuzz::Fail("undeclared switch delivered: " + switchName);
        std::string error;
        if (!appmgr::CheckValue(*parameter, arguments.Find(switchName)->GetObj(), error)) {
            kwfuzz::Fail("delivered value fails its check: " + error);
        }
    }
    for (const CCmdParameter* parameter : command.GetAllParameters()) {
        if (parameter->GetKind() != CCmdParameter::Kind::Boolean && parameter->HasDefault() &&
            arguments.Find(parameter->GetSwitchName()) == nullptr) {
            kwfuzz::Fail("default not delivered: " + parameter->GetSwitchName());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const Command& commands = Commands();
    const CAppCommand& command = (data[0] & 1) != 0 ? *commands.lenient : *commands.strict;

    std::vector<Tcl_Obj*> words;
    for (const std::string& text : kwfuzz::Split(data + 1, size - 1, '\n')) {
        Tcl_Obj* word = Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
        Tcl_IncrRefCount(word);
        words.push_back(word);
    }
    CCmdArguments arguments;
    std::string error;
    if (appmgr::ParseArguments(command, words, arguments, error)) {
        CheckParsed(command, arguments);
    } else if (error.empty()) {
        kwfuzz::Fail("refusal without a message");
    }
    for (Tcl_Obj* word : words) Tcl_DecrRefCount(word);
    return 0;
}
