// Recording of announced files through a wrapper of the host's message command, and the checks
// of what a run left in its folder.
#include "OutputCheck.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <tcl.h>

#include "FuzzSupport.h"

namespace kwfuzz {

namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// A temporary file is its final name, a dot and six letters or digits (mkstemp's pattern); no
// generated file has an extension of six characters.
bool IsTemporaryName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || name.size() - dot != 7 || name.find('.') == dot) return false;
    for (std::size_t i = dot + 1; i < name.size(); ++i) {
        if (!std::isalnum(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

void CheckComplete(const fs::path& path) {
    const std::string text = ReadText(path);
    if (text.empty()) Fail("announced file is empty: " + path.string());
    const std::string extension = path.extension().string();
    if (extension == ".m" && text.rfind("function", 0) != 0 && text.rfind("%", 0) != 0) {
        Fail("announced MATLAB file does not begin as one: " + path.string());
    }
    if (extension == ".v" && !EndsWith(text, "endmodule\n")) Fail("announced Verilog file is cut: " + path.string());
    if (EndsWith(path.string(), "_report.txt") && text.rfind("# Design report of ", 0) != 0) {
        Fail("announced report has no title: " + path.string());
    }
}

}  // namespace

void RecordMessages() {
    const char* const wrapper = R"TCL(
        if {[info commands ::Messaging::KwFuzzMessage] eq ""} {
            # Renamed within its namespace, where the names it calls resolve.
            rename ::Messaging::Message ::Messaging::KwFuzzMessage
            proc ::Messaging::Message {args} {
                set text [uplevel 1 [list ::Messaging::KwFuzzMessage {*}$args]]
                lappend ::kwfuzz_said $text
                return $text
            }
        }
        set ::kwfuzz_said {}
    )TCL";
    if (Host().Eval(wrapper).first != TCL_OK) Fail("the message command cannot be wrapped");
}

std::vector<Announcement> TakeAnnouncements() {
    const auto [code, said] = Host().Eval("set ::kwfuzz_said");
    Host().Eval("set ::kwfuzz_said {}");
    std::vector<Announcement> announced;
    Tcl_Obj* list = Tcl_NewStringObj(said.data(), static_cast<int>(said.size()));
    Tcl_IncrRefCount(list);
    int count = 0;
    Tcl_Obj** texts = nullptr;
    if (code == TCL_OK && Tcl_ListObjGetElements(nullptr, list, &count, &texts) == TCL_OK) {
        const std::string marker = " written to ";
        for (int i = 0; i < count; ++i) {
            const std::string text = Tcl_GetString(texts[i]);
            const std::size_t at = text.find(marker);
            if (at == std::string::npos) continue;
            const std::size_t from = at + marker.size();
            // The report's announcement goes on with ": " and its summary.
            const std::size_t end = text.find(": ", from);
            announced.push_back(
                {text.substr(0, at), text.substr(from, end == std::string::npos ? std::string::npos : end - from)});
        }
    }
    Tcl_DecrRefCount(list);
    return announced;
}

void CheckAnnouncedFiles(const std::vector<Announcement>& announced, const std::string& folder) {
    for (const Announcement& announcement : announced) {
        const std::string& path = announcement.path;
        if (path.rfind(folder + "/", 0) != 0) Fail("a file was announced outside the run's folder: " + path);
        std::error_code error;
        if (!fs::is_regular_file(fs::symlink_status(path, error))) Fail("announced file is missing: " + path);
        CheckComplete(path);
    }
}

void CheckNoLeftovers(const std::string& folder) {
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(folder, error); it != fs::recursive_directory_iterator();
         it.increment(error)) {
        const fs::file_status status = it->symlink_status(error);
        if (!fs::is_regular_file(status) && !fs::is_directory(status)) {
            Fail("a run left something that is no file: " + it->path().string());
        }
        if (IsTemporaryName(it->path().filename().string())) {
            Fail("a run left a temporary file: " + it->path().string());
        }
    }
}

void Wipe(const std::string& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) fs::remove_all(entry.path(), ignored);
}

}  // namespace kwfuzz
