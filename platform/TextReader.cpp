#include "platform/TextReader.h"

namespace kavrel {

int TextReader::RawGet() {
    if (ended_) return -1;
    if (pos_ == len_) {
        len_ = file_.Read(buffer_, sizeof buffer_);
        pos_ = 0;
        if (len_ == 0) {
            ended_ = true;
            failed_ = file_.Failed();
            return -1;
        }
    }
    const int c = buffer_[pos_++];
    if (c == 0x1A) {
        ended_ = true;
        return -1;
    }
    return c;
}

int TextReader::Get() {
    if (pending_ >= 0) {
        const int c = pending_;
        pending_ = -1;
        return c;
    }
    const int c = RawGet();
    if (c != '\r') return c;
    const int next = RawGet();
    if (next == '\n') return '\n';
    pending_ = next;  // a lone CR stays
    return '\r';
}

bool TextReader::ReadPiece(std::string& out, std::size_t maxBytes) {
    std::size_t n = 0;
    while (n < maxBytes) {
        const int c = Get();
        if (c < 0) break;
        out += static_cast<char>(c);
        ++n;
        if (c == '\n') break;
    }
    return n > 0;
}

bool TextReader::ReadLine(std::string& out, std::size_t maxBytes) {
    out.clear();
    int c = Get();
    if (c < 0) return false;
    while (c >= 0 && c != '\n') {
        if (out.size() < maxBytes) out += static_cast<char>(c);
        c = Get();
    }
    return true;
}

}  // namespace kavrel
