// What every fuzzed command that may write files must leave: the files it announced, each
// complete where it said, and never a temporary file or anything outside its folder.
#pragma once

#include <string>
#include <vector>

namespace kwfuzz {

// Starts recording the texts of the host's catalogued messages (Messaging::Message); the
// recording lasts for the rest of the process.
void RecordMessages();

// A file a message announced as written: "<what> written to <path>".
struct Announcement {
    std::string what;  // e.g. "KelvoWare Raised-Cosine FIR Filter: core function"
    std::string path;
};

// The files the messages recorded since the last call announced, and forgets them.
std::vector<Announcement> TakeAnnouncements();

// Fails unless every announced path lies in FOLDER and is a complete file of its kind: a
// non-empty regular file, a MATLAB file beginning with "function" or "%", a Verilog file ending
// its module, a report beginning with its title line.
void CheckAnnouncedFiles(const std::vector<Announcement>& announced, const std::string& folder);

// Fails when FOLDER holds a temporary file of a write (NAME.XXXXXX) or anything but regular
// files and directories.
void CheckNoLeftovers(const std::string& folder);

// Removes everything in FOLDER.
void Wipe(const std::string& folder);

}  // namespace kwfuzz
