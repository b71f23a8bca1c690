// The archive writer's file system on Linux: UTF-8 names as they are.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

#include "lha/encoder/BufferedOutput.h"
#include "lha/encoder/SourceFileSystem.h"

namespace kavrel::lha {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    // Closes now; false if the system reports a failure.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

class PosixSourceFile : public SourceFile {
public:
    explicit PosixSourceFile(int fd) : fd_(fd) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        for (;;) {
            const ssize_t n = ::read(fd_.Get(), buffer, size);
            if (n >= 0) return static_cast<std::size_t>(n);
            if (errno == EINTR) continue;
            failed_ = true;
            return 0;
        }
    }
    bool Failed() const override { return failed_; }

private:
    Descriptor fd_;
    bool failed_ = false;
};

class PosixArchiveOutput : public BufferedArchiveOutput {
public:
    explicit PosixArchiveOutput(int fd) : fd_(fd) {}

protected:
    bool WriteRawAt(std::uint64_t offset, const std::uint8_t* p, std::size_t size) override {
        while (size > 0) {
            const ssize_t n = ::pwrite(fd_.Get(), p, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
            offset += static_cast<std::uint64_t>(n);
        }
        return true;
    }
    bool TruncateRaw(std::uint64_t offset) override { return ::ftruncate(fd_.Get(), static_cast<off_t>(offset)) == 0; }
    bool CloseRaw() override { return fd_.Close(); }

private:
    Descriptor fd_;
};

class PosixSourceFileSystem : public SourceFileSystem {
public:
    SourceInfo Stat(const std::string& path) override {
        SourceInfo info;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return info;
        info.volume = static_cast<std::uint64_t>(st.st_dev);
        info.index = static_cast<std::uint64_t>(st.st_ino);
        info.modified = static_cast<std::int64_t>(st.st_mtime);
        if (S_ISLNK(st.st_mode)) {
            info.kind = SourceInfo::Kind::Link;
        } else if (S_ISDIR(st.st_mode)) {
            info.kind = SourceInfo::Kind::Directory;
            info.attributes = 0x10;
        } else if (S_ISREG(st.st_mode)) {
            info.kind = SourceInfo::Kind::File;
            info.size = static_cast<std::uint64_t>(st.st_size);
            // Archive bit, and read-only when nobody may write it.
            info.attributes = (st.st_mode & 0222) ? 0x20 : 0x21;
        } else {
            info.kind = SourceInfo::Kind::Other;
        }
        return info;
    }
    bool List(const std::string& path, std::vector<std::string>& names) override {
        DIR* d = ::opendir(path.c_str());
        if (!d) return false;
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        ::closedir(d);
        return true;
    }
    std::unique_ptr<SourceFile> Open(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixSourceFile>(fd);
    }
    std::unique_ptr<ArchiveOutput> CreateTemporary(const std::string& path, std::string& created) override {
        std::string pattern = path + ".XXXXXX";
        const int fd = ::mkstemp(pattern.data());
        if (fd < 0) return nullptr;
        // mkstemp makes the file private; the archive gets the usual permissions.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
        created = pattern;
        return std::make_unique<PosixArchiveOutput>(fd);
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
    std::uint32_t DosTime(std::int64_t unixTime) override {
        const auto t = static_cast<std::time_t>(unixTime);
        struct tm tm;
        if (!::localtime_r(&t, &tm) || tm.tm_year < 80) return (0u << 25) | (1u << 21) | (1u << 16);
        if (tm.tm_year > 207) tm.tm_year = 207;
        return (static_cast<std::uint32_t>(tm.tm_year - 80) << 25) | (static_cast<std::uint32_t>(tm.tm_mon + 1) << 21) |
               (static_cast<std::uint32_t>(tm.tm_mday) << 16) | (static_cast<std::uint32_t>(tm.tm_hour) << 11) |
               (static_cast<std::uint32_t>(tm.tm_min) << 5) | (static_cast<std::uint32_t>(tm.tm_sec) / 2);
    }
    std::string Join(const std::string& folder, const std::string& name) override {
        if (folder.empty()) return name;
        return folder.back() == '/' ? folder + name : folder + "/" + name;
    }
};

}  // namespace

std::unique_ptr<SourceFileSystem> MakeNativeSourceFileSystem() { return std::make_unique<PosixSourceFileSystem>(); }

}  // namespace kavrel::lha
