// The archive writer's file system on Linux: UTF-8 names as they are.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

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

bool WriteAll(int fd, const std::uint8_t* p, std::size_t size, std::uint64_t offset) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}

class PosixArchiveOutput : public ArchiveOutput {
public:
    explicit PosixArchiveOutput(int fd) : fd_(fd) { buffer_.reserve(kBuffer); }
    bool Write(const void* data, std::size_t size) override {
        if (failed_) return false;
        const auto* p = static_cast<const std::uint8_t*>(data);
        if (buffer_.size() + size > kBuffer && !Flush()) return false;
        if (size >= kBuffer) {
            if (!WriteAll(fd_.Get(), p, size, written_)) return Fail();
            written_ += size;
            return true;
        }
        buffer_.insert(buffer_.end(), p, p + size);
        return true;
    }
    std::uint64_t Position() const override { return written_ + buffer_.size(); }
    bool Truncate(std::uint64_t offset) override {
        if (!Flush() || offset > written_ || ::ftruncate(fd_.Get(), static_cast<off_t>(offset)) != 0) return Fail();
        written_ = offset;
        return true;
    }
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t size) override {
        if (!Flush() || offset + size > written_) return Fail();
        return WriteAll(fd_.Get(), static_cast<const std::uint8_t*>(data), size, offset) || Fail();
    }
    bool Close() override { return Flush() && fd_.Close() && !failed_; }

private:
    static constexpr std::size_t kBuffer = std::size_t{1} << 16;
    bool Flush() {
        if (failed_) return false;
        if (buffer_.empty()) return true;
        if (!WriteAll(fd_.Get(), buffer_.data(), buffer_.size(), written_)) return Fail();
        written_ += buffer_.size();
        buffer_.clear();
        return true;
    }
    bool Fail() {
        failed_ = true;
        return false;
    }
    Descriptor fd_;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t written_ = 0;
    bool failed_ = false;
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
