// The run's log file: UTF-8 with a byte-order mark, CR LF, one timestamped event a line.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/Win32Platform.h"

namespace kavrel {

class FileLog : public EventLog {
public:
    FileLog() = default;
    ~FileLog() override;
    FileLog(const FileLog&) = delete;
    FileLog& operator=(const FileLog&) = delete;

    // Creates (or replaces) the file. False when it cannot be made.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != INVALID_HANDLE_VALUE; }
    const std::string& Path() const { return path_; }
    // Writes one event; false once a write has failed (a full disk, a vanished share).
    bool Write(const std::string& event) override;

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    std::string path_;
    bool failed_ = false;
};

// %TEMP%\Kavrel.log: where an unattended run logs when no /LOG= is given.
std::string DefaultLogPath();

}  // namespace kavrel
