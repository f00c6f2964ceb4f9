// The options every generate command takes besides its generator's parameters, read once per
// run (CKWDesignBase::ParseArguments) into typed values: where the files go, what they are
// called, and whether a host project and instance directives come with them.
#pragma once

#include <optional>
#include <string>

namespace kw {

struct CommonOptions {
    std::string outputDirectory;     // -outdir as given; empty: the current directory
    std::string name;                // -name as given (a MATLAB name, with or without path and
                                     // extension); empty: numbered names
    std::optional<int> firstNumber;  // -forcenum, 0 or greater; none: numbering starts at 1
    bool project = false;            // -project given (the testbench and a host project follow)
    bool subdirectory = false;       // -project true and -nosubdir not true: a numbered folder
    std::string instancePath;        // -instancepath; empty: no directives for an instance

    bool NameGiven() const { return !name.empty(); }
};

}  // namespace kw
