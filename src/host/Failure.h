// The kinds of failure a script can tell apart. Every failure of a command of the module ends as
// the command's error text and a Tcl error code naming its kind: KELVOWARE PARAMETER for a
// refused parameter or option, KELVOWARE IO for a file or directory that could not be made or
// written, KELVOWARE INTERNAL for anything else (a failing host command, a fault of the module).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kw {

enum class FailureKind { Parameter, Io, Internal };

// TEXT as a failure shows it: a NUL character (which would end the text at what()) as the two
// characters "\0".
std::string WithVisibleNul(const std::string& text);

// A failure that knows its kind; what() is the whole text the command reports.
class Failure : public std::runtime_error {
public:
    Failure(FailureKind kind, const std::string& text) : std::runtime_error(WithVisibleNul(text)), m_kind(kind) {}
    FailureKind Kind() const noexcept { return m_kind; }

private:
    FailureKind m_kind;
};

// A parameter or option the request may not carry; thrown before anything is written.
class ParameterError : public Failure {
public:
    explicit ParameterError(const std::string& text) : Failure(FailureKind::Parameter, text) {}
};

// A file or directory that could not be made, opened, written or put at its name.
class IoError : public Failure {
public:
    explicit IoError(const std::string& text) : Failure(FailureKind::Io, text) {}
};

// The words of the Tcl error code of a kind: {"KELVOWARE", "PARAMETER"} ...
std::vector<std::string> ErrorCodeWords(FailureKind kind);

}  // namespace kw
