// The run's log on Win32: a file, UTF-8 with a byte-order mark, CR LF, one timestamped
// event a line; where none is kept, events go nowhere.
#pragma once

#include <windows.h>

#include <string>

#include "platform/EventLog.h"
#include "platform/win32/UniqueHandle.h"

namespace kavrel {

class Win32Dialogue;

class FileLog {
public:
    // Creates (or empties) the file. False when it cannot be made, and when what the name
    // holds is no plain file of its own: a link (symbolic link, junction), a folder, a
    // device, or a file with further hard links. Nothing is written then.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    const std::string& Path() const { return path_; }
    // Writes one event; false once a write has failed (a full disk, a vanished share).
    bool Write(const std::string& event);

private:
    UniqueHandle file_;
    std::string path_;
    bool failed_ = false;
};

class Win32Log : public EventLog {
public:
    // Events go to `file` from now on (null: nowhere).
    void Attach(FileLog* file) { file_ = file; }
    // Who hears, once, that the log can no longer be written.
    void ReportFailuresTo(Win32Dialogue* dialogue) { dialogue_ = dialogue; }
    // A log that cannot be written never stops the update.
    void Log(const std::string& event) override;

private:
    FileLog* file_ = nullptr;
    Win32Dialogue* dialogue_ = nullptr;
    bool failureReported_ = false;
};

// %TEMP%\Kavrel.log: where an unattended run logs when no /LOG= is given.
std::string DefaultLogPath();

}  // namespace kavrel
