// Files and folders for the vendor tool, on Linux and Windows alike: paths are UTF-8
// strings inside and std::filesystem paths (wide on Windows) at the edge.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kavrel::pack {

std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

// `relative` joined to `base` unless it is absolute ('/' and '\' both separate).
std::string JoinPath(const std::string& base, const std::string& relative);

bool IsFile(const std::string& path);
bool IsFolder(const std::string& path);
// Size of a regular file; false when it is none.
bool FileSize(const std::string& path, std::uint64_t& size);
bool ReadWholeFile(const std::string& path, std::string& bytes);
// Writes through a temporary file beside `path`, renamed when complete.
bool WriteWholeFile(const std::string& path, const std::string& bytes);
bool CopyOneFile(const std::string& from, const std::string& to);
bool MakeFolders(const std::string& path);

struct FolderEntry {
    std::string name;  // UTF-8, the name alone
    bool isFolder = false;
};
// The entries of one folder, sorted by name (byte order), so every run sees one order.
bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries);

// Every file below `root`: paths relative to it, '/'-separated, sorted.
bool ListFilesBelow(const std::string& root, std::vector<std::string>& files);

// A fresh folder under the system's temporary folder, removed with everything in it
// when the object goes away.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    bool Ok() const { return !path_.empty(); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

}  // namespace kavrel::pack
