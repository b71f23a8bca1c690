// The files of one archive (or one plain file) on their way in: each is written to a
// temporary file and only when every one of them has checked out are they put in place,
// all of them or none. Putting one in place moves the old file aside (its bytes and
// attributes untouched) and the new one in; when any step fails, every old file is moved
// back. Whatever happens, no temporary or set-aside file is left behind, and the folders
// made for a failed item are removed again.
//
// Given a work folder (Kavrel's own, at the installation's root, on the same volume), the
// new and the old files wait there, where no archive entry can collide with them, and the
// commit is recorded there before its first rename: a kill or a power cut during the
// commit leaves a record from which RecoverCommit finishes it. Without one (the native
// tool, other callers), they wait beside their targets and nothing is recorded.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lha/FileSystem.h"

namespace kavrel::lha {

// The name of Kavrel's work folder: a work folder named otherwise is not used for staging.
inline constexpr char kWorkFolderName[] = "~Kavrel";
// In the work folder: the record of a commit under way.
inline constexpr char kCommitRecordName[] = "commit.lst";

class Staging {
public:
    explicit Staging(FileSystem& fs, std::string workFolder = {});
    ~Staging();
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    enum class FolderResult { Ok, InTheWay, Failed };
    // Makes `path` a folder, with any missing folders above it. A link at `path` or above
    // it, below `root` (the folder the user chose), is in the way: nothing is written
    // through one.
    FolderResult MakeFolders(const std::string& path, const std::string& root = {});

    // A new temporary file that will become `target` in `folder`; nullptr when none can be
    // created, or when `target` lies in the work folder.
    std::unique_ptr<OutputFile> Add(const std::string& folder, const std::string& target);
    // The modification time of the file added last, once it is written and closed.
    void SetTimeOfLast(std::int64_t unixTime);

    // Puts every added file in place. False with a message when any step failed; every
    // old file is then back where it was, or the message says first where it is kept.
    bool Commit(std::string& error);

private:
    struct File {
        std::string folder;
        std::string temporary;
        std::string target;
        std::string aside;  // where the old file goes while the commit runs; empty: none
        bool movedAside = false;
        bool linked = false;  // `aside` is a second name of the old file, still at target
        bool placed = false;
    };
    // A name in `folder` that does not exist yet and is no target of this staging.
    std::string FreshName(const std::string& folder, const char* prefix);
    bool WriteRecord();
    // Undoes the commit up to `files_[count]`, newest first; a message part for each old
    // file that could not be moved back.
    std::string RollBack(std::size_t count);

    FileSystem& fs_;
    std::string work_;
    std::vector<File> files_;
    std::vector<std::string> madeFolders_;
    unsigned counter_ = 0;
    bool committed_ = false;
    bool recorded_ = false;
};

// `name` in `folder`, with the separator of `fs` between them when needed.
std::string JoinPath(const FileSystem& fs, const std::string& folder, const std::string& name);

// What RecoverCommit found and did, for the log, and the old files it had to leave.
struct Recovery {
    bool recordFound = false;
    bool recordIgnored = false;           // it named a file it may not touch
    std::vector<std::string> log;         // one line per step
    std::vector<std::string> keptFiles;   // "<target> -> <where its old bytes are>"
};

// Finishes a commit that a kill or a power cut interrupted, from its record in
// `workFolder`: every file is moved in (its staged bytes were checked before the record
// was written) or, where the staged file is gone, its old file is put back. Acts only on
// files of the work folder and on targets `mayTouch` accepts; a record that names
// anything else is ignored. Then removes every staged and set-aside file of the work
// folder, except old files that could not be put back.
class TargetRule {
public:
    virtual ~TargetRule() = default;
    virtual bool MayTouch(const std::string& target) const = 0;
};
Recovery RecoverCommit(FileSystem& fs, const std::string& workFolder, const TargetRule& rule);

}  // namespace kavrel::lha
