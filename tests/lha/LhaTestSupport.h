// Helpers of the archive library's native tests: temporary folders, whole files,
// small archives built in memory.
#pragma once

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "lha/Crc16.h"

namespace kavrel::lha::test {

inline std::string CorpusDir() { return std::string(KAVREL_SHARED_DIR) + "/lzh-corpus"; }
inline bool HaveCorpus() {
    struct stat st;
    return ::stat((CorpusDir() + "/archives").c_str(), &st) == 0;
}
#define SKIP_WITHOUT_CORPUS()                                                                          \
    if (!::kavrel::lha::test::HaveCorpus())                                                            \
    GTEST_SKIP() << "LZH corpus not found at " << ::kavrel::lha::test::CorpusDir()                      \
                 << " (../shared/lzh-corpus beside the clone; set KAVREL_SHARED_DIR)"

inline std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
inline void WriteWhole(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}
inline bool Exists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

// Everything below `root`, relative, sorted; symbolic links marked with "@".
inline void ListTree(const std::string& root, const std::string& rel, std::vector<std::string>& out) {
    DIR* d = ::opendir((root + rel).c_str());
    if (!d) return;
    while (dirent* e = ::readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        const std::string r = rel + "/" + name;
        struct stat st;
        ::lstat((root + r).c_str(), &st);
        if (S_ISLNK(st.st_mode)) {
            out.push_back(r + "@");
        } else if (S_ISDIR(st.st_mode)) {
            out.push_back(r + "/");
            ListTree(root, r, out);
        } else {
            out.push_back(r);
        }
    }
    ::closedir(d);
}
inline std::vector<std::string> Tree(const std::string& root) {
    std::vector<std::string> out;
    ListTree(root, "", out);
    std::sort(out.begin(), out.end());
    return out;
}

// A temporary folder removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir() {
        char pattern[] = "/tmp/kavrel-lha-test-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~TempDir() {
        const std::string cmd = "chmod -R u+rwx '" + path_ + "' 2>/dev/null; rm -rf '" + path_ + "'";
        if (std::system(cmd.c_str()) != 0) {
        }
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

private:
    std::string path_;
};

inline void PutLe16(std::string& s, unsigned v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}
inline void PutLe32(std::string& s, std::uint32_t v) {
    PutLe16(s, v & 0xFFFF);
    PutLe16(s, v >> 16);
}

// A level 0 header for `data` already compressed with `method` ("-lh0-").
inline std::string Level0Entry(const std::string& path, const std::string& packed, std::uint32_t original,
                               std::uint16_t crc, const char* method = "-lh0-") {
    std::string h;
    h += method;
    PutLe32(h, static_cast<std::uint32_t>(packed.size()));
    PutLe32(h, original);
    PutLe32(h, 0x5A210000u);  // 2025-01-01 00:00
    h += '\x20';
    h += '\x00';
    h += static_cast<char>(path.size());
    h += path;
    PutLe16(h, crc);
    unsigned sum = 0;
    for (unsigned char c : h) sum += c;
    std::string out;
    out += static_cast<char>(h.size());
    out += static_cast<char>(sum & 0xFF);
    return out + h + packed;
}
inline std::string StoredEntry(const std::string& path, const std::string& data) {
    return Level0Entry(path, data, static_cast<std::uint32_t>(data.size()), Crc16(data.data(), data.size()));
}

// A level 2 entry with directory (0xFF separated) and file name extended headers.
inline std::string Level2Entry(const std::string& directory, const std::string& name, const std::string& packed,
                               std::uint32_t original, std::uint16_t crc, const char* method = "-lh0-") {
    std::string ext;
    auto add = [&](std::uint8_t type, const std::string& data) {
        std::string e;
        e += static_cast<char>(type);
        e += data;
        PutLe16(ext, static_cast<unsigned>(e.size() + 2));
        ext += e;
    };
    std::string h;
    h += method;
    PutLe32(h, static_cast<std::uint32_t>(packed.size()));
    PutLe32(h, original);
    PutLe32(h, 1735689600u);
    h += '\x20';
    h += '\x02';
    PutLe16(h, crc);
    h += 'W';
    // Chain: each header is preceded by its size; the last size is 0.
    add(0x01, name);
    if (!directory.empty()) add(0x02, directory);
    PutLe16(ext, 0);
    std::string total;
    PutLe16(total, static_cast<unsigned>(2 + h.size() + ext.size()));
    std::string out = total + h + ext;
    if ((out.size() & 0xFF) == 0) {
        out += '\0';
        out[0] = static_cast<char>(out.size() & 0xFF);
        out[1] = static_cast<char>(out.size() >> 8);
    }
    return out + packed;
}
inline std::string StoredEntry2(const std::string& directory, const std::string& name, const std::string& data) {
    return Level2Entry(directory, name, data, static_cast<std::uint32_t>(data.size()),
                       Crc16(data.data(), data.size()));
}

}  // namespace kavrel::lha::test
