// The project-wide quantizer defaults (overflow and rounding modes) and limits, read once per
// process from the host's project options, and the once-per-process MATLAB version check.
// All process-wide quantizer state lives in QuantizerProcessState.
#pragma once

#include "quantizer/Quantizer.h"

namespace kw {

struct ProjectQuantizerDefaults {
    bool needsLoad = true;
    bool forceReload = false;  // never set by the raised-cosine generator
    OverflowMode defaultOverflowMode = kOverflowUnset;
    RoundMode defaultRoundMode = kRoundUnset;
    int maxVariableFractionalLength = -1;  // -1: no limit, or not read
    int maxInputFractionalLength = -1;
    int maxConstantFractionalLength = -1;
    int maxPortWordLength = -1;
    bool versionChecked = false;
};

// Everything the quantizer model keeps for the life of the process (unguarded: the host calls
// the module on one thread only).
struct QuantizerProcessState {
    ProjectQuantizerDefaults defaults;
    bool roundWarningGiven = false;  // "QTZ-0040" has been issued
};

QuantizerProcessState& ProcessState();
// Back to the state of a freshly loaded module (tests only; the module never calls it).
void ResetQuantizerProcessState();

// Evaluates "GetMatlabMajorVersionNumber" the first time only; throws "Invalid MATLAB version"
// when the host cannot answer.
void CheckMatlabVersion();

// Loads the cache from the host when needed, then gives the quantizer the default modes.
// Throws std::runtime_error with the failing option's text (or a quantizer parser error).
void ApplyProjectDefaults(Quantizer& quantizer);

// Asks for the cache to be filled again at the next quantizer initialisation.
void RequestProjectDefaultsReload();

int MaxVariableFractionalLength();
int MaxInputFractionalLength();
int MaxConstantFractionalLength();
int MaxPortWordLength();
// Sets the four limits to -1 (no limit).
void ResetProjectLimits();

}  // namespace kw
