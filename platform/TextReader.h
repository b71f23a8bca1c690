// Reads a file as the Windows C runtime does in text mode: CR LF becomes LF and a
// Ctrl-Z (0x1A) ends the file. Update media written with DOS editors rely on both.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Files.h"

namespace kavrel {

class TextReader {
public:
    explicit TextReader(InputFile& file) : file_(file) {}

    // Like fgets with a buffer of maxBytes + 1: appends at most `maxBytes` bytes to `out`,
    // stopping after a LF (kept). False when nothing was left to read.
    bool ReadPiece(std::string& out, std::size_t maxBytes);

    // One whole line without its end-of-line. A line longer than `maxBytes` keeps its
    // first `maxBytes` bytes; the rest of it is skipped. False at the end of the file.
    bool ReadLine(std::string& out, std::size_t maxBytes);

    // True when the reading ended on a failed read rather than at the end of the file.
    bool Failed() const { return failed_; }

private:
    // Next byte after text-mode translation, or -1 at the end.
    int Get();
    int RawGet();

    InputFile& file_;
    unsigned char buffer_[16384] = {};
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
    bool failed_ = false;
    int pending_ = -1;
};

}  // namespace kavrel
