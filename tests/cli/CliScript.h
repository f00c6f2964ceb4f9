// Shared pieces of the kelvodsp end-to-end tests: the generate command's error lead, reading
// files and directory trees, and the reference core that a clean run must reproduce.
#pragma once

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace kwtest {

inline const std::string kGenerateErrorLead = "Error while generating KelvoWare Raised-Cosine FIR Filter\n";

inline std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every path below dir, relative to it.
inline std::set<std::string> Tree(const std::filesystem::path& dir) {
    std::set<std::string> paths;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        paths.insert(std::filesystem::relative(it->path(), dir).string());
    }
    return paths;
}

inline std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1) {
        parts.push_back(text.substr(start, end - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

inline bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace kwtest
