// Helpers of the archive library's native tests: temporary folders, whole files,
// and the archive builders of LhaArchiveBuilder.h.
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

#include "LhaArchiveBuilder.h"

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

}  // namespace kavrel::lha::test
