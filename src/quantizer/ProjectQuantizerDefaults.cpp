// Fills the process-wide cache of project quantizer defaults and limits from the host (once),
// and runs the once-per-process MATLAB version check. Each host query that fails raises a
// std::runtime_error with its own fixed text; a failed load is not retried.
#include "quantizer/ProjectQuantizerDefaults.h"

#include <stdexcept>
#include <string>

#include "host/AppMgr.h"
#include "host/GlobalSetting.h"

namespace kw {

namespace {

QuantizerProcessState g_state;

// Evaluates a host command; on failure throws failureText. The answer is handed to `use`.
template <typename Use>
void QueryHost(const std::string& command, const char* failureText, Use use) {
    CTclEvalObj evaluation(command);
    if (!evaluation.Evaluate(false)) throw std::runtime_error(failureText);
    use(*evaluation.GetResult());
}

// A negative answer means "no limit".
void QueryLimit(const std::string& option, int& limit) {
    const std::string failureText = "Could not get " + option + ".";
    QueryHost("GetProjectOption -" + option, failureText.c_str(), [&limit](const CTclDataObj& answer) {
        const int value = answer.GetIntValue();
        limit = value < 0 ? -1 : value;
    });
}

// The project's mode words are read with the quantizer parser. The temporary starts from the
// modes already in the cache (0 and 0 while the load is under way).
void LoadDefaultModes(ProjectQuantizerDefaults& defaults) {
    Quantizer modes(nullptr);
    QueryHost("GetProjectOption -default_overflow_mode", "Invalid default quantizer overflow mode",
              [&](const CTclDataObj& answer) { modes.ApplyHostValue(&answer); });
    defaults.defaultOverflowMode = modes.Overflow();
    QueryHost("GetProjectOption -default_round_mode", "Invalid default quantizer round mode",
              [&](const CTclDataObj& answer) { modes.ApplyHostValue(&answer); });
    defaults.defaultRoundMode = modes.Rounding();
}

void LoadProjectDefaults(ProjectQuantizerDefaults& defaults) {
    // Cleared first, so that a failure below is not retried at the next construction.
    defaults.needsLoad = false;
    defaults.forceReload = false;
    defaults.defaultOverflowMode = kWrap;
    defaults.defaultRoundMode = kFloor;

    if (!GlobalSettingIsOn("Settings::IsAfterVerifyFixedPoint")) LoadDefaultModes(defaults);
    if (GlobalSettingIsOn("Settings::quantizer_max_variable_fractional_length")) {
        QueryLimit("quantizer_max_variable_fractional_length", defaults.maxVariableFractionalLength);
    }
    QueryLimit("quantizer_max_constant_fractional_length", defaults.maxConstantFractionalLength);
    if (GlobalSettingIsOn("Settings::quantizer_max_port_word_length")) {
        QueryLimit("quantizer_max_port_word_length", defaults.maxPortWordLength);
    }
    if (GlobalSettingIsOn("DR::952723")) {
        QueryLimit("quantizer_max_input_fractional_length", defaults.maxInputFractionalLength);
    }
}

}  // namespace

QuantizerProcessState& ProcessState() { return g_state; }

void ResetQuantizerProcessState() { g_state = QuantizerProcessState{}; }

void CheckMatlabVersion() {
    ProjectQuantizerDefaults& defaults = g_state.defaults;
    if (defaults.versionChecked) return;
    defaults.versionChecked = true;  // set before asking: a failure is not retried
    // Only whether the host can answer matters; the version itself is not used.
    QueryHost("GetMatlabMajorVersionNumber", "Invalid MATLAB version", [](const CTclDataObj&) {});
}

void ApplyProjectDefaults(Quantizer& quantizer) {
    ProjectQuantizerDefaults& defaults = g_state.defaults;
    if (defaults.needsLoad || defaults.forceReload) LoadProjectDefaults(defaults);
    quantizer.SetOverflowMode(defaults.defaultOverflowMode);
    quantizer.SetRoundMode(defaults.defaultRoundMode);
}

void RequestProjectDefaultsReload() { g_state.defaults.forceReload = true; }

int MaxVariableFractionalLength() { return g_state.defaults.maxVariableFractionalLength; }
int MaxInputFractionalLength() { return g_state.defaults.maxInputFractionalLength; }
int MaxConstantFractionalLength() { return g_state.defaults.maxConstantFractionalLength; }
int MaxPortWordLength() { return g_state.defaults.maxPortWordLength; }

void ResetProjectLimits() {
    ProjectQuantizerDefaults& defaults = g_state.defaults;
    defaults.maxVariableFractionalLength = -1;
    defaults.maxInputFractionalLength = -1;
    defaults.maxConstantFractionalLength = -1;
    defaults.maxPortWordLength = -1;
}

}  // namespace kw
