// The platform as Kavrel.exe uses it: Win32 wide-character calls, UTF-8 converted to
// UTF-16 at each call. Its methods are implemented across a few files by subject
// (Win32Files.cpp, Win32Registry.cpp, Win32Ui.cpp, Win32Archive.cpp).
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

// Where the run's log goes (a file, when one is kept).
class EventLog {
public:
    virtual ~EventLog() = default;
    // False when the event could not be written.
    virtual bool Write(const std::string& event) = 0;
};

// Shows the progress of a run (the wizard's progress window); none in an unattended run.
class ProgressPresenter {
public:
    virtual ~ProgressPresenter() = default;
    virtual std::unique_ptr<RunProgress> Show(const std::string& title) = 0;
};

class Win32Platform : public Platform {
public:
    // Message boxes are owned by this window (the view); the archive library gets it too
    // and sends its progress reports there (an unattended run gives a message-only window).
    void SetOwner(HWND owner) { owner_ = owner; }
    HWND Owner() const { return owner_; }
    // An unattended run shows no message box: each is logged with the answer taken.
    void SetUnattended(bool unattended) { unattended_ = unattended; }
    bool Unattended() const { return unattended_; }
    void SetLog(EventLog* log) { log_ = log; }
    void SetProgressPresenter(ProgressPresenter* presenter) { presenter_ = presenter; }

    // The owner window's procedure hands every message here first: true when it was the
    // archive library's progress report (whose answer is ignored).
    bool HandleArchiveProgress(UINT msg, WPARAM wParam, LPARAM lParam);

    bool Exists(const std::string& path) override;
    std::unique_ptr<InputFile> OpenRead(const std::string& path) override;
    std::vector<FoundEntry> FindFiles(const std::string& pattern) override;
    bool MakeDirectory(const std::string& path) override;
    bool CopyFileOverwrite(const std::string& from, const std::string& to) override;
    bool GetFileStatus(const std::string& path, FileStatus& status) override;
    bool SetFileStatus(const std::string& path, const FileStatus& status) override;
    bool CanCreateFileIn(const std::string& folder) override;
    bool IsFileInUse(const std::string& path) override;
    bool IsProgramRunning(const std::string& path) override;
    bool IsRemovableDrive(const std::string& path) override;
    std::string WindowsDirectory() override;
    std::uint64_t Milliseconds() override;

    std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) override;
    long CreateClassesKey(const std::string& subkey) override;
    void NotifyAssociationsChanged() override;

    MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                              MessageButtons buttons) override;
    std::unique_ptr<WaitCursor> BeginWaitCursor() override;
    std::unique_ptr<RunProgress> BeginProgress(const std::string& title) override;
    void Log(const std::string& event) override;

    int ArchiveEntry6(int value) override;
    int ArchiveEntry8(int value) override;
    int ArchiveCommand(const std::string& commandLine, std::string& output, std::size_t outputSize,
                       ArchiveListener* listener) override;

    // Wait cursors alive now: a message box's own loop shows the arrow, so the wait
    // cursor is put back after each box while one is held.
    int waitCursors = 0;

private:
    HWND owner_ = nullptr;
    bool unattended_ = false;
    EventLog* log_ = nullptr;
    ProgressPresenter* presenter_ = nullptr;
    ArchiveListener* listener_ = nullptr;
    bool logFailureReported_ = false;
};

// The full path of `path` against the current folder now (doubled backslashes and "."
// resolved); `path` itself when the system cannot tell.
std::string AbsolutePath(const std::string& path);

}  // namespace kavrel
