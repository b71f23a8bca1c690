// The medium's and the installation's files through Win32's wide calls. Paths go to
// them exactly as the logic built them; Windows itself resolves doubled backslashes.
#pragma once

#include "platform/Files.h"

namespace kavrel {

class Win32Files : public FileReader, public FolderSearch, public MediumDrives, public InstallationFiles {
public:
    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override;
    bool IsRemovableDrive(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool CopyFileOverwrite(const std::string& from, const std::string& to) override;
    bool GetFileStatus(const std::string& path, FileStatus& status) override;
    bool SetFileStatus(const std::string& path, const FileStatus& status) override;
    bool CanCreateFileIn(const std::string& folder) override;
    LockResult LockWorkFolder(const std::string& workFolder, std::unique_ptr<Lock>& lock) override;
    void RemoveWorkFolder(const std::string& workFolder) override;
    ReplaceProbe ProbeReplace(const std::string& path) override;
    bool IsLink(const std::string& path) override;
    bool FreeBytes(const std::string& folder, std::uint64_t& bytes) override;
};

}  // namespace kavrel
