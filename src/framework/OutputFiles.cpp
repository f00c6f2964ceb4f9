// Opening and checked committing of the files a Generate run writes.
#include "framework/OutputFiles.h"

#include "host/Failure.h"

namespace kw {

void OpenOutputFile(AtomicOutputFile& file, const std::string& path, const std::string& kind) {
    if (!file.Open(path)) {
        throw IoError("Could not open KelvoWare " + kind + " file for writing (" + path + ")\n");
    }
}

namespace {

bool Committed(AtomicOutputFile::CommitResult result, const AtomicOutputFile& file, const std::string& kind) {
    switch (result) {
        case AtomicOutputFile::CommitResult::Done:
            return true;
        case AtomicOutputFile::CommitResult::NameTaken:
            return false;
        case AtomicOutputFile::CommitResult::Incomplete:
            throw IoError("Could not write KelvoWare " + kind + " file completely (" + file.FinalPath() +
                                     ")\n");
        case AtomicOutputFile::CommitResult::NotReplaced:
            throw IoError("Could not replace KelvoWare " + kind + " file (" + file.FinalPath() + ")\n");
    }
    return false;
}

}  // namespace

void CommitOutputFile(AtomicOutputFile& file, const std::string& kind) { Committed(file.Commit(), file, kind); }

bool CommitNewOutputFile(AtomicOutputFile& file, const std::string& kind) {
    return Committed(file.CommitAsNew(), file, kind);
}

}  // namespace kw
