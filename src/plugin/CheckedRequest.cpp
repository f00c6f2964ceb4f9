// The one place where a call of Simulate or Report becomes a checked request: the generator reads
// and checks the arguments exactly as the generate command does, so both commands refuse with the
// generate command's texts, and then designs from them without opening a file.
#include <stdexcept>

#include "plugin/CKWDesignCallBack.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

CKWDesign& CKWDesignCallBack::CheckedRequest(CCmdArguments* arguments) {
    // Only registered for the raised-cosine generator (AddModelCommands).
    if (m_coreDesign == nullptr) throw std::logic_error("Internal Error: this generator designs no core model.");
    m_coreDesign->ParseArguments(arguments);
    return *m_coreDesign;
}

}  // namespace kw
