// Opening and committing the generated files of a run. Each file is written under a temporary
// name beside its final name and takes that name only when complete, so a run that fails (full
// disk, file-size limit, I/O error, a failing host command) ends with an error naming the file
// and leaves whatever was at the final name before the run untouched.
#pragma once

#include <string>

#include "host/AtomicOutputFile.h"

namespace kw {

// Opens FILE for writing towards PATH; throws kw::IoError "Could not open KelvoWare <kind> file for writing
// (<path>)\n" when it does not open.
void OpenOutputFile(AtomicOutputFile& file, const std::string& path, const std::string& kind);

// Closes FILE and moves it to its final name; throws kw::IoError "Could not write KelvoWare <kind> file
// completely (<path>)\n" when any write or the final flush failed, and "Could not replace
// KelvoWare <kind> file (<path>)\n" when the rename failed. Nothing of it is left on a failure.
void CommitOutputFile(AtomicOutputFile& file, const std::string& kind);

// The same for a file whose name must be new: false, with the file still uncommitted, when
// something of that name exists.
bool CommitNewOutputFile(AtomicOutputFile& file, const std::string& kind);

}  // namespace kw
