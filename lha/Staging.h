// The files of one archive on their way in: each is decoded into a temporary file in
// its target folder, and only when every one of them has checked out are they put in
// place, all of them or none. Putting one in place moves the old file aside (its bytes
// and attributes untouched) and the new one in; when any step fails, every old file is
// moved back. Whatever happens, no temporary or set-aside file is left behind, and the
// folders made for a failed archive are removed again.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lha/FileSystem.h"

namespace kavrel::lha {

class Staging {
public:
    explicit Staging(FileSystem& fs) : fs_(fs) {}
    ~Staging();
    Staging(const Staging&) = delete;
    Staging& operator=(const Staging&) = delete;

    enum class FolderResult { Ok, InTheWay, Failed };
    // Makes `path` a folder, with any missing folders above it.
    FolderResult MakeFolders(const std::string& path);

    // A new temporary file in `folder` that will become `target`; nullptr when none can
    // be created.
    std::unique_ptr<OutputFile> Add(const std::string& folder, const std::string& target);
    // The modification time of the file added last, once it is written and closed.
    void SetTimeOfLast(std::int64_t unixTime);

    // Puts every added file in place. False with a message when any step failed; every
    // old file is then back where it was.
    bool Commit(std::string& error);

private:
    struct File {
        std::string folder;
        std::string temporary;
        std::string target;
        std::string aside;  // where the old file went, while the commit runs
        bool placed = false;
    };
    // A name in `folder` that does not exist yet, from `prefix` and a counter.
    std::string FreshName(const std::string& folder, const char* prefix);
    // Undoes the commit up to `files_[count]`, newest first; a message part for each old
    // file that could not be moved back.
    std::string RollBack(std::size_t count);

    FileSystem& fs_;
    std::vector<File> files_;
    std::vector<std::string> madeFolders_;
    unsigned counter_ = 0;
    bool committed_ = false;
};

// `name` in `folder`, with the separator of `fs` between them when needed.
std::string JoinPath(const FileSystem& fs, const std::string& folder, const std::string& name);

}  // namespace kavrel::lha
