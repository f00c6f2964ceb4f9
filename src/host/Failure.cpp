// The error code words of each failure kind.
#include "host/Failure.h"

namespace kw {

std::vector<std::string> ErrorCodeWords(FailureKind kind) {
    switch (kind) {
        case FailureKind::Parameter: return {"KELVOWARE", "PARAMETER"};
        case FailureKind::Io: return {"KELVOWARE", "IO"};
        case FailureKind::Internal: break;
    }
    return {"KELVOWARE", "INTERNAL"};
}

}  // namespace kw
