// Which core a generated file belongs to. Every file a run writes names its core in its first
// lines (the function or module it declares, or its header), so a run can tell, before it
// writes anything, whether a file at one of its names is another core's and must not be replaced.
#pragma once

#include <optional>
#include <string>

namespace kw {

enum class GeneratedKind {
    Core,               // F.m: "function OUT = F( IN )"
    CoreDirectives,     // F.kvd: "# Directives for F"
    Script,             // F_script.m: the testbench script that calls F sample by sample
    PsdHelper,          // kw_psd.m: shared by every testbench of a folder
    ProjectDirectives,  // F_proj.kvd: "SetDirective -designfunction {for n.F}"
    VerilogCore,        // F.v: "// F: ..." header over "module F"
    VerilogTestbench,   // F_tb.v: "// F_tb: ..." header over "module F_tb;"
};

struct GeneratedFile {
    GeneratedKind kind;
    std::string core;  // the core the file belongs to; empty for the shared helper
    bool operator==(const GeneratedFile&) const = default;
};

// The generated file of a kind and core that the text TEXT (a file's first part) is, if any.
std::optional<GeneratedFile> RecognizeGenerated(const std::string& text);

// The same for the regular file at PATH (its first 256 KiB); nothing for a missing file,
// another kind of file or one that cannot be read. Never blocks (a FIFO is not opened for
// reading).
std::optional<GeneratedFile> RecognizeGeneratedFile(const std::string& path);

// "the Verilog testbench of x", "the core function x", ...
std::string DescribeGenerated(const GeneratedFile& file);

}  // namespace kw
