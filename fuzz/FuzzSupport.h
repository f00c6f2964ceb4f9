// Support shared by the fuzz targets: the one in-process KelvoHost of a fuzzing run (started on
// first use and kept for every input, as a shell session keeps its interpreter), splitting of
// the fuzz bytes into texts, and the property failure that ends a run with a crash report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "KelvoHost.h"

namespace kwfuzz {

// The host of this process, with the source tree's src/plugin/ folder for rcosflt.kpd.
KelvoHost& Host();

// The input as text.
std::string Text(const uint8_t* data, size_t size);

// The input read as the host reads a UTF-8 script: bytes that are not UTF-8 become characters
// and a NUL byte the host's two-byte form, so the text is one a script could have passed.
std::string HostText(const std::string& bytes);

// The input cut at every separator byte (an input without one is one field).
std::vector<std::string> Split(const uint8_t* data, size_t size, char separator);

// Evaluates WORDS as one command in the host's interpreter (each word as it is, no substitution);
// RESULT takes the interpreter's result. Returns the Tcl completion code.
int Evaluate(const std::vector<std::string>& words, std::string& result);

// Reports a broken property and aborts, so libFuzzer (or the replay runner) records the input.
[[noreturn]] void Fail(const std::string& what);

}  // namespace kwfuzz
