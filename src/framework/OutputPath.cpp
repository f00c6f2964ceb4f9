// Choice of the output directory and of the core file's name: the "-name" given, or the first
// free number (rcosflt_001, rcosflt_002, ...) as a file or, for a project run, a subdirectory.
// A subdirectory's number is claimed by creating the directory exclusively, a file's number by
// moving the complete core there without replacing anything (see CommitCoreFiles), so two
// processes generating into one directory never take the same number. Runs into one directory
// hold its lock (DirectoryLock) while they choose names and write, so they take turns.
#include <cerrno>
#include <iomanip>
#include <limits>
#include <sstream>
#include <stdexcept>

#include <sys/stat.h>

#include "framework/CKWDesignBase.h"
#include "host/Failure.h"
#include "host/FilePath.h"

namespace kw {

namespace {

enum class Claim { Taken, AlreadyTaken, Failed };

// Creates the directory only if nothing of that name exists yet; a name that is taken by
// anything, a dangling link included, is passed over.
Claim ClaimDirectory(const std::string& path) {
    if (::mkdir(path.c_str(), 0777) == 0) {
        return Claim::Taken;
    }
    return errno == EEXIST ? Claim::AlreadyTaken : Claim::Failed;
}

std::string NumberedName(const std::string& base, int number) {
    std::ostringstream name;
    name << base << "_" << std::setw(3) << std::setfill('0') << number;
    return name.str();
}

// A path the host could not convert is empty; the directory as given then names it.
[[noreturn]] void ThrowCannotCreate(const FilePath& directory, const std::string& given) {
    throw IoError("Could not create directory " + (directory.Text().empty() ? given : directory.Text()));
}

// The next candidate number; the counter never runs past the largest int.
int NextNumber(int& counter, const FilePath& candidate) {
    if (counter == std::numeric_limits<int>::max()) {
        throw IoError("No free file number is left in " + candidate.DirectoryName());
    }
    return ++counter;
}

}  // namespace

CKWDesignBase::OutputPlan CKWDesignBase::ChooseOutputPath() {
    const std::string& given = m_options.outputDirectory;
    OutputPlan plan;
    FilePath path(FilePath(given).AbsolutePath());
    if (given == ".") {
        path.ToParent();
    }
    if (!path.IsDirectory() && !path.MakeDirectory()) {
        ThrowCannotCreate(path, given);
    }
    // Runs writing into one directory take turns from here to their last file (CloseStreams
    // releases the lock); a named core's directory is known only once the name is joined.
    const bool named = m_options.NameGiven() && !m_options.subdirectory;
    if (!named) {
        m_directoryLock.Acquire(path.Text());
    }
    const std::string& base = m_shortName;
    m_uniqueCounter = m_options.firstNumber.value_or(1) - 1;

    if (m_options.subdirectory) {
        path.Join(base);
        for (;;) {
            do {
                path.ReplaceName(NumberedName(base, NextNumber(m_uniqueCounter, path)));
            } while (path.Exists());
            const Claim claim = ClaimDirectory(path.Text());
            if (claim == Claim::Taken) {
                break;
            }
            if (claim == Claim::Failed) {
                ThrowCannotCreate(path, given);
            }
        }
        plan.directory = path.Text();
        path.Join(path.BaseName());
        path.SetExtension(".m");
    } else if (m_options.NameGiven()) {
        plan.directory = given;
        path.Join(m_options.name);
        path.SetExtension(".m");
        const std::string directory = path.DirectoryName();
        m_directoryLock.Acquire(directory.empty() ? "." : directory);
    } else {
        plan.directory = path.Text();
        path.Join(base);
        path = NextFreeNumberedCore(path.Text());
    }
    plan.functionName = path.BaseName();
    plan.corePath = path.Text();
    return plan;
}

std::string CKWDesignBase::NextFreeNumberedCore(const std::string& core) {
    FilePath path(core);
    do {
        path.ReplaceName(NumberedName(m_shortName, NextNumber(m_uniqueCounter, path)));
        path.SetExtension(".m");
    } while (path.Exists());
    return path.Text();
}

}  // namespace kw
