// Opening and checked closing of the files a Generate run writes.
#include "framework/OutputFiles.h"

#include <stdexcept>

namespace kw {

void OpenOutputFile(std::ofstream& stream, const std::string& path, const std::string& kind) {
    stream.open(path, std::ios::out | std::ios::trunc);
    if (!stream.is_open() || !stream.good()) {
        throw std::runtime_error("Could not open KelvoWare " + kind + " file for writing (" + path + ")\n");
    }
}

void CloseOutputFile(std::ofstream& stream, const std::string& path, const std::string& kind) {
    bool complete = stream.good();
    // Buffered text reaches the file only when the stream is flushed by close.
    stream.close();
    complete = complete && !stream.fail();
    if (!complete) {
        throw std::runtime_error("Could not write KelvoWare " + kind + " file completely (" + path + ")\n");
    }
}

}  // namespace kw
