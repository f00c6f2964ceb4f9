// The error code words of each failure kind, and the failure's text with its NULs shown.
#include "host/Failure.h"

namespace kw {

std::string WithVisibleNul(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        if (c == '\0') {
            shown += "\\0";
        } else {
            shown += c;
        }
    }
    return shown;
}

std::vector<std::string> ErrorCodeWords(FailureKind kind) {
    switch (kind) {
        case FailureKind::Parameter: return {"KELVOWARE", "PARAMETER"};
        case FailureKind::Io: return {"KELVOWARE", "IO"};
        case FailureKind::Internal: break;
    }
    return {"KELVOWARE", "INTERNAL"};
}

}  // namespace kw
