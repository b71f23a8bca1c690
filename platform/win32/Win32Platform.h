// The platform as Kavrel.exe uses it: Win32 wide-character calls, UTF-8 converted to
// UTF-16 at each call. Its methods are implemented across a few files by subject
// (Win32Files.cpp, Win32Registry.cpp, Win32Ui.cpp, Win32Archive.cpp).
#pragma once

#include <windows.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

class Win32Platform : public Platform {
public:
    // Message boxes are owned by this window (the view); the archive library gets it too.
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }

    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override;
    bool MakeDirectory(const std::string& path) override;
    bool CopyFileOverwrite(const std::string& from, const std::string& to) override;
    bool GetFileStatus(const std::string& path, FileStatus& status) override;
    bool SetFileStatus(const std::string& path, const FileStatus& status) override;
    bool IsRemovableDrive(const std::string& path) override;
    std::string WindowsDirectory() override;

    std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) override;
    void CreateClassesKey(const std::string& subkey) override;
    void NotifyAssociationsChanged() override;

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    std::unique_ptr<WaitCursor> BeginWaitCursor() override;

    int ArchiveEntry6(int value) override;
    int ArchiveEntry8(int value) override;
    int ArchiveCommand(const std::string& commandLine, std::string& output,
                       std::size_t outputSize) override;

private:
    HWND owner_ = nullptr;
};

}  // namespace kavrel
