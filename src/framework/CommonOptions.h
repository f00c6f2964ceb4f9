// The options every generate command takes besides its generator's parameters, read once per
// run into typed values: where the files go, what they are called, which files come with the core
// (project, report, hardware description) and how the hardware and the output quantizer are built.
// The model commands (Simulate, Report) read the parts that change what they answer.
#pragma once

#include <optional>
#include <string>

namespace kw {

// How a hardware core multiplies by a constant coefficient (-hdl_products).
enum class HdlProducts { Multiplier, ShiftAdd };
// The ports of a hardware core (-hdl_stream): valid/ready, or AXI4-Stream.
enum class HdlStream { Plain, Axis };

struct HardwareOptions {
    bool verilog = false;                            // -hdl verilog
    HdlProducts products = HdlProducts::Multiplier;  // -hdl_products
    std::optional<int> multipliers;                  // -hdl_multipliers M; none: one per shared core
    HdlStream stream = HdlStream::Plain;             // -hdl_stream
};

// The output quantizer's modes (-output_round, -output_overflow), with the quantizer's meanings.
enum class OutputRounding { Floor, Round, Nearest, Convergent, Ceil, Fix };
enum class OutputOverflow { Wrap, Saturate };
// How the coefficients are scaled (-coef_scale): for unity gain, or to the full coefficient range.
enum class CoefScale { Unity, Max };

struct ArithmeticOptions {
    std::optional<OutputRounding> outputRounding;  // none: the project default
    std::optional<OutputOverflow> outputOverflow;  // none: the project default
    CoefScale coefScale = CoefScale::Unity;
};

struct ReportOptions {
    bool write = false;                 // -report: F_report.txt beside the core
    std::optional<long long> seed;      // -seed; none: the report's default seed
    std::optional<double> stopbandFrom; // -stopband_from F (unit of -fs); none: (1+R)*Fd/2
};

struct CommonOptions {
    std::string outputDirectory;     // -outdir as given; empty: the current directory
    std::string name;                // -name as given (a MATLAB name, with or without path and
                                     // extension); empty: numbered names
    std::optional<int> firstNumber;  // -forcenum, 0 or greater; none: numbering starts at 1
    bool project = false;            // -project given (the testbench and a host project follow)
    bool subdirectory = false;       // -project true and -nosubdir not true: a numbered folder
    std::string instancePath;        // -instancepath; empty: no directives for an instance

    HardwareOptions hardware;
    ArithmeticOptions arithmetic;
    ReportOptions report;

    bool NameGiven() const { return !name.empty(); }
};

}  // namespace kw
