// Reading the common options that choose the run's extra files and how its hardware and output
// quantizer are built, each once, into the typed values of CommonOptions. A value outside its
// choices, or an option that would do nothing in this run, is refused before anything is written.
#pragma once

#include "framework/CommonOptions.h"

class CCmdArguments;

namespace kw {

// -hdl, -hdl_products, -hdl_multipliers, -hdl_stream: any -hdl_ option needs -hdl verilog.
HardwareOptions ReadHardwareOptions(const CCmdArguments* arguments);

// -output_round, -output_overflow, -coef_scale.
ArithmeticOptions ReadArithmeticOptions(const CCmdArguments* arguments);

// -report, -seed, -stopband_from (a positive decimal number; its upper bound, Fs/2, is the
// generator's check).
ReportOptions ReadReportOptions(const CCmdArguments* arguments);

// The names the options' values are written with, for header lines and messages.
const char* OutputRoundingName(OutputRounding rounding);
const char* OutputOverflowName(OutputOverflow overflow);
const char* CoefScaleName(CoefScale scale);
const char* HdlProductsName(HdlProducts products);
const char* HdlStreamName(HdlStream stream);

}  // namespace kw
