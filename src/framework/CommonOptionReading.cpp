#include "framework/CommonOptionReading.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "host/AppMgr.h"
#include "host/CommandArguments.h"
#include "host/Failure.h"

namespace kw {

namespace {

template <typename Value, std::size_t Count>
using ChoiceTable = std::array<std::pair<const char*, Value>, Count>;

constexpr ChoiceTable<HdlProducts, 2> kProducts{{{"multiplier", HdlProducts::Multiplier},
                                                 {"shiftadd", HdlProducts::ShiftAdd}}};
constexpr ChoiceTable<HdlStream, 2> kStreams{{{"plain", HdlStream::Plain}, {"axis", HdlStream::Axis}}};
constexpr ChoiceTable<OutputRounding, 6> kRoundings{{{"floor", OutputRounding::Floor},
                                                     {"round", OutputRounding::Round},
                                                     {"nearest", OutputRounding::Nearest},
                                                     {"convergent", OutputRounding::Convergent},
                                                     {"ceil", OutputRounding::Ceil},
                                                     {"fix", OutputRounding::Fix}}};
constexpr ChoiceTable<OutputOverflow, 2> kOverflows{{{"wrap", OutputOverflow::Wrap},
                                                     {"saturate", OutputOverflow::Saturate}}};
constexpr ChoiceTable<CoefScale, 2> kScales{{{"unity", CoefScale::Unity}, {"max", CoefScale::Max}}};

// The option's text, or nothing when it was not given (an empty text is not a value either).
std::optional<std::string> GivenText(const CCmdArguments* arguments, const char* switchName) {
    const CTclDataObj* value = FindArgument(arguments, switchName);
    if (value == nullptr) return std::nullopt;
    std::string text = value->GetStringValue();
    if (text.empty()) return std::nullopt;
    return text;
}

template <typename Value, std::size_t Count>
std::string ChoiceList(const ChoiceTable<Value, Count>& table) {
    std::string list;
    for (std::size_t i = 0; i < Count; ++i) {
        if (i > 0) list += i + 1 == Count ? " or " : ", ";
        list += table[i].first;
    }
    return list;
}

template <typename Value, std::size_t Count>
std::optional<Value> ReadChoice(const CCmdArguments* arguments, const char* switchName, const char* what,
                                const ChoiceTable<Value, Count>& table) {
    const std::optional<std::string> text = GivenText(arguments, switchName);
    if (!text) return std::nullopt;
    for (const auto& [name, value] : table) {
        if (*text == name) return value;
    }
    throw ParameterError(std::string("Invalid Parameter: ") + switchName + " \"" + *text + "\" is not " + what +
                         " (" + ChoiceList(table) + ").\n");
}

template <typename Value, std::size_t Count>
const char* ChoiceName(const ChoiceTable<Value, Count>& table, Value value) {
    for (const auto& [name, entry] : table) {
        if (entry == value) return name;
    }
    return "";
}

bool IsDecimalDigits(const std::string& text) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

std::optional<int> ReadMultipliers(const CCmdArguments* arguments) {
    const std::optional<std::string> text = GivenText(arguments, "-hdl_multipliers");
    if (!text) return std::nullopt;
    if (!IsDecimalDigits(*text) || std::atoi(text->c_str()) < 1) {
        throw ParameterError("Invalid Parameter: -hdl_multipliers \"" + *text +
                             "\" is not a number of multipliers (a decimal integer, 1 or more).\n");
    }
    return std::atoi(text->c_str());
}

// A decimal number as a user writes one: no hexadecimal, no infinity, nothing after it.
std::optional<double> ReadPositiveNumber(const CCmdArguments* arguments, const char* switchName) {
    const std::optional<std::string> text = GivenText(arguments, switchName);
    if (!text) return std::nullopt;
    const bool plain = text->find_first_not_of("0123456789.eE+-") == std::string::npos;
    char* end = nullptr;
    errno = 0;
    const double value = plain ? std::strtod(text->c_str(), &end) : 0.0;
    if (!plain || end != text->c_str() + text->size() || errno != 0 || !std::isfinite(value) || value <= 0) {
        throw ParameterError(std::string("Invalid Parameter: ") + switchName + " \"" + *text +
                             "\" is not a positive decimal number.\n");
    }
    return value;
}

void RequireVerilogFor(const char* switchName, bool given, bool verilog) {
    if (given && !verilog) {
        throw ParameterError(std::string("Invalid Parameter: ") + switchName +
                             " needs -hdl verilog (without a hardware core it would do nothing).\n");
    }
}

}  // namespace

HardwareOptions ReadHardwareOptions(const CCmdArguments* arguments) {
    HardwareOptions options;
    if (const std::optional<std::string> language = GivenText(arguments, "-hdl")) {
        if (*language != "verilog") {
            throw ParameterError("Invalid Parameter: -hdl \"" + *language +
                                 "\" is not a supported hardware description language (the one value is "
                                 "verilog).\n");
        }
        options.verilog = true;
    } else if (FindArgument(arguments, "-hdl") != nullptr) {
        throw ParameterError(
            "Invalid Parameter: -hdl \"\" is not a supported hardware description language (the one value is "
            "verilog).\n");
    }
    const std::optional<HdlProducts> products =
        ReadChoice(arguments, "-hdl_products", "a way of building constant products", kProducts);
    options.multipliers = ReadMultipliers(arguments);
    const std::optional<HdlStream> stream = ReadChoice(arguments, "-hdl_stream", "a stream interface", kStreams);
    RequireVerilogFor("-hdl_products", products.has_value(), options.verilog);
    RequireVerilogFor("-hdl_multipliers", options.multipliers.has_value(), options.verilog);
    RequireVerilogFor("-hdl_stream", stream.has_value(), options.verilog);
    options.products = products.value_or(HdlProducts::Multiplier);
    options.stream = stream.value_or(HdlStream::Plain);
    return options;
}

ArithmeticOptions ReadArithmeticOptions(const CCmdArguments* arguments) {
    ArithmeticOptions options;
    options.outputRounding = ReadChoice(arguments, "-output_round", "an output rounding mode", kRoundings);
    options.outputOverflow = ReadChoice(arguments, "-output_overflow", "an output overflow mode", kOverflows);
    options.coefScale =
        ReadChoice(arguments, "-coef_scale", "a coefficient scaling", kScales).value_or(CoefScale::Unity);
    return options;
}

ReportOptions ReadReportOptions(const CCmdArguments* arguments) {
    ReportOptions options;
    options.write = FlagArgument(arguments, "-report");
    if (FindArgument(arguments, "-seed") != nullptr) {
        options.seed = IntArgument(arguments, "-seed");
    }
    options.stopbandFrom = ReadPositiveNumber(arguments, "-stopband_from");
    return options;
}

const char* OutputRoundingName(OutputRounding rounding) { return ChoiceName(kRoundings, rounding); }
const char* OutputOverflowName(OutputOverflow overflow) { return ChoiceName(kOverflows, overflow); }
const char* CoefScaleName(CoefScale scale) { return ChoiceName(kScales, scale); }
const char* HdlProductsName(HdlProducts products) { return ChoiceName(kProducts, products); }
const char* HdlStreamName(HdlStream stream) { return ChoiceName(kStreams, stream); }

}  // namespace kw
