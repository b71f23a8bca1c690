// Helpers of the encoder's tests: trees of files to archive, archives read back entry
// by entry with the library's reader and decoder.
#pragma once

#include <sys/stat.h>
#include <sys/time.h>

#include <random>
#include <string>
#include <vector>

#include "lha/Archive.h"
#include "lha/Crc16.h"
#include "lha/Decoder.h"
#include "LhaTestSupport.h"
#include "platform/Text.h"

namespace kavrel::lha::test {

inline std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}
inline std::string TextBytes(std::size_t size, std::uint32_t seed) {
    static const char* words[] = {"ファイル", "update", "the ", "medium ", "フォルダ", "\r\n", "version ", "of "};
    std::mt19937 rng(seed);
    std::string s;
    while (s.size() < size) s += words[rng() % 8];
    s.resize(size);
    return s;
}

inline void SetTime(const std::string& path, std::int64_t t) {
    struct timeval tv[2] = {{static_cast<time_t>(t), 0}, {static_cast<time_t>(t), 0}};
    ::utimes(path.c_str(), tv);
}

// A tree with what archives meet: nested and empty folders, an empty file, one byte,
// text, random bytes, Japanese names (ソ ends in a 0x5C byte in code page 932).
// Returns the files (relative path -> contents).
inline std::vector<std::pair<std::string, std::string>> MakeVariedTree(const std::string& root) {
    std::vector<std::pair<std::string, std::string>> files = {
        {"empty.txt", ""},
        {"one.bin", "x"},
        {"text.txt", TextBytes(200000, 1)},
        {"random.bin", RandomBytes(50000, 2)},
        {"runs.bin", std::string(70000, '\0') + std::string(70000, '\xFF')},
        {"日本語/ソース表.txt", TextBytes(3000, 3)},
        {"日本語/深い/フォルダ/能.dat", RandomBytes(100, 4) + RandomBytes(100, 4)},
        {"a/b/c/d/e/deep.txt", "deep"},
    };
    for (const auto& [rel, data] : files) {
        std::string dir = root;
        std::size_t from = 0;
        for (std::size_t slash; (slash = rel.find('/', from)) != std::string::npos; from = slash + 1) {
            dir += "/" + rel.substr(from, slash - from);
            ::mkdir(dir.c_str(), 0755);
        }
        WriteWhole(root + "/" + rel, data);
    }
    ::mkdir((root + "/empty folder").c_str(), 0755);
    return files;
}

// Collects what a decoder or encoder writes; refuses bytes past `failAfter` (when set).
class StringSink : public Sink {
public:
    bool Write(const std::uint8_t* data, std::size_t size) override {
        if (failAfter >= 0 && static_cast<long>(bytes.size() + size) > failAfter) return false;
        bytes.append(reinterpret_cast<const char*>(data), size);
        return true;
    }
    std::string bytes;
    long failAfter = -1;
};

struct ReadBackEntry {
    EntryHeader header;
    std::string path;  // UTF-8, folders end with '/'
    std::string data;
    bool decoded = false;
};

// Every entry of an archive, decoded and checked against its CRC. Empty on a reading error.
inline std::vector<ReadBackEntry> ReadBack(const std::string& archive) {
    std::vector<ReadBackEntry> out;
    MemoryFile file(archive.data(), archive.size());
    ArchiveListing listing;
    std::string error;
    if (!ReadArchive(file, "test", listing, error)) {
        ADD_FAILURE() << error;
        return out;
    }
    for (const EntryHeader& h : listing.entries) {
        ReadBackEntry e;
        e.header = h;
        e.path = Cp932ToUtf8(h.Path());
        if (h.IsDirectory()) {
            if (e.path.empty() || e.path.back() != '/') e.path += '/';
            e.decoded = true;
        } else {
            StringSink sink;
            MemorySource src(archive.data() + h.dataOffset, static_cast<std::size_t>(h.compressedSize));
            e.decoded = Decode(h.method, src, h.originalSize, sink) == DecodeStatus::Ok &&
                        Crc16(sink.bytes.data(), sink.bytes.size()) == h.crc;
            e.data = sink.bytes;
        }
        out.push_back(e);
    }
    return out;
}

// The names in a folder, sorted (to see that nothing else was left there).
inline std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (std::string t : Tree(folder)) {
        if (t.back() == '/') t.pop_back();
        if (t.find('/', 1) == std::string::npos) names.push_back(t.substr(1));
    }
    return names;
}

}  // namespace kavrel::lha::test
