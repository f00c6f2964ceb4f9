// Reading and checking the "-hdl" option.
#include "framework/HardwareOption.h"

#include <string>

#include "framework/HostCalls.h"
#include "host/AppMgr.h"
#include "host/Failure.h"

namespace kw {

namespace {

constexpr const char* kVerilog = "verilog";

}  // namespace

void RequireKnownHardwareLanguage(const CCmdArguments* arguments) {
    const CTclDataObj* value = FindArgument(arguments, "-hdl");
    if (value == nullptr || value->GetStringValue() == kVerilog) {
        return;
    }
    throw ParameterError("Invalid Parameter: -hdl \"" + value->GetStringValue() +
                             "\" is not a supported hardware description language (the one value is verilog).\n");
}

bool HardwareRequested(const CCmdArguments* arguments) { return FindArgument(arguments, "-hdl") != nullptr; }

}  // namespace kw
