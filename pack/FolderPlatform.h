// The platform as the vendor tool needs it: Kavrel's own info.txt reader and bitmap
// loader read real files through it. Nothing it offers changes a file; the wizard's
// other needs (registry, message boxes, the archive library) answer "no".
#pragma once

#include "platform/Platform.h"

namespace kavrel::pack {

class FolderPlatform : public Platform {
public:
    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::vector<FoundEntry> FindFiles(const std::string&) override { return {}; }
    bool MakeDirectory(const std::string&) override { return false; }
    bool CopyFileOverwrite(const std::string&, const std::string&) override { return false; }
    bool GetFileStatus(const std::string& path, FileStatus& status) override;
    bool SetFileStatus(const std::string&, const FileStatus&) override { return false; }
    bool CanCreateFileIn(const std::string&) override { return false; }
    bool IsFileInUse(const std::string&) override { return false; }
    bool IsProgramRunning(const std::string&) override { return false; }
    bool IsRemovableDrive(const std::string&) override { return false; }
    std::string WindowsDirectory() override { return {}; }
    std::uint64_t Milliseconds() override { return 0; }
    std::unique_ptr<RegistryKey> OpenClassesKey(const std::string&) override { return nullptr; }
    long CreateClassesKey(const std::string&) override { return 1; }
    void NotifyAssociationsChanged() override {}
    MessageAnswer ShowMessage(const std::string&, const std::string&, MessageButtons) override {
        return MessageAnswer::Cancel;
    }
    std::unique_ptr<WaitCursor> BeginWaitCursor() override { return nullptr; }
    std::unique_ptr<RunProgress> BeginProgress(const std::string&) override { return nullptr; }
    void Log(const std::string&) override {}
    int ArchiveEntry6(int) override { return 0; }
    int ArchiveEntry8(int) override { return 0; }
    int ArchiveCommand(const std::string&, std::string&, std::size_t, ArchiveListener*) override { return 1; }
};

}  // namespace kavrel::pack
