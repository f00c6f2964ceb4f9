// Opening and closing the generated files of a run so that a file that was not written
// completely (full disk, file-size limit, I/O error) ends the run with an error naming it.
#pragma once

#include <fstream>
#include <string>

namespace kw {

// Opens the file for writing with truncation; throws "Could not open KelvoWare <kind> file for
// writing (<path>)\n" when it does not open.
void OpenOutputFile(std::ofstream& stream, const std::string& path, const std::string& kind);

// Closes the file and throws "Could not write KelvoWare <kind> file completely (<path>)\n" when
// any write or the final flush failed.
void CloseOutputFile(std::ofstream& stream, const std::string& path, const std::string& kind);

}  // namespace kw
