// What entry 301 tells its owner window while it works (the contract is in Unlha32.h),
// and the entry names that `l` and `t` answer with.
#pragma once

#include <windows.h>

#include <string>

#include "lha/Extractor.h"
#include "lha/dll/Unlha32.h"

namespace kavrel::lha {

class ProgressReporter : public ExtractionObserver {
public:
    // `window` may be null or not a window: then nothing is sent.
    ProgressReporter(HWND window, char command);
    // A call that ends without End (an exception on its way out) has failed.
    ~ProgressReporter() override;
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    void OnBegin(std::uint64_t entries, std::uint64_t compressedBytes) override;
    void OnBytesRead(std::uint64_t bytesRead) override;
    void OnEntry(const EntryHeader& header, bool crcChecked) override;
    // The call is over; `message` is its whole message (UTF-8), empty when none.
    void End(bool succeeded, const std::string& message = {});

    // Each entry reported, a line each ("name\r\n", code page 932 made printable, UTF-8).
    const std::string& Names() const { return names_; }

private:
    void Send(WPARAM kind, UnlhaProgress& progress);
    UnlhaProgress Base() const;

    HWND window_ = nullptr;
    UINT message_ = 0;
    char command_;
    std::uint64_t entries_ = 0;
    std::uint64_t bytesTotal_ = 0;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t bytesSent_ = 0;
    ULONGLONG sentAt_ = 0;
    DWORD entryIndex_ = 0;
    bool ended_ = false;
    std::string names_;
};

}  // namespace kavrel::lha
