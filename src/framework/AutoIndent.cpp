// Re-indenting a generated MATLAB file before it is committed: the text written so far is read
// back from the file's temporary copy and written there again re-indented, so the one rename
// that follows puts the finished text in place, and exactly the file that was written is the
// one re-indented. A failure leaves the stream bad, and the commit then reports the file.
#include <sstream>

#include "framework/CKWDesignBase.h"
#include "framework/MatlabIndenter.h"
#include "host/AtomicOutputFile.h"

namespace kw {

void CKWDesignBase::AutoIndentFile(AtomicOutputFile& file) {
    std::string text;
    if (!file.ReadBack(text) || !file.Restart()) {
        return;
    }
    std::istringstream source(text);
    IndentMatlab(source, file);
}

}  // namespace kw
