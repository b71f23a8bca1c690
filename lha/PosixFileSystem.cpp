#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "lha/FileSystem.h"

namespace kavrel::lha {
namespace {

class PosixInput : public RandomAccess {
public:
    PosixInput(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    ~PosixInput() override { ::close(fd_); }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        auto* p = static_cast<char*>(buffer);
        while (size > 0) {
            const ssize_t n = ::pread(fd_, p, size, static_cast<off_t>(offset));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
            offset += static_cast<std::uint64_t>(n);
        }
        return true;
    }

private:
    int fd_;
    std::uint64_t size_;
};

class PosixOutput : public OutputFile {
public:
    explicit PosixOutput(int fd) : fd_(fd) {}
    ~PosixOutput() override {
        if (fd_ >= 0) ::close(fd_);
    }
    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const ssize_t n = ::write(fd_, p, size);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            p += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }
    bool Close() override {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

class PosixFileSystem : public FileSystem {
public:
    char Separator() const override { return '/'; }
    Kind Stat(const std::string& path) override {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) return Kind::Missing;
        if (S_ISREG(st.st_mode)) return Kind::File;
        if (S_ISDIR(st.st_mode)) return Kind::Directory;
        // a symbolic link to a folder given as destination is a folder to the user
        if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) == 0) {
            return S_ISDIR(st.st_mode) ? Kind::Directory : Kind::Other;
        }
        return Kind::Other;
    }
    std::unique_ptr<RandomAccess> OpenRead(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixInput>(fd, static_cast<std::uint64_t>(st.st_size));
    }
    bool MakeDirectory(const std::string& path) override { return ::mkdir(path.c_str(), 0777) == 0; }
    bool RemoveFolder(const std::string& path) override { return ::rmdir(path.c_str()) == 0; }
    std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0) return nullptr;
        return std::make_unique<PosixOutput>(fd);
    }
    bool Move(const std::string& from, const std::string& to) override {
        if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
        if (errno != EINVAL && errno != ENOSYS) return false;
        // a file system without RENAME_NOREPLACE: the names are our own, so a check will do
        struct stat st;
        if (::lstat(to.c_str(), &st) == 0 || errno != ENOENT) return false;
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Remove(const std::string& path) override { return ::unlink(path.c_str()) == 0; }
    void SetModificationTime(const std::string& path, std::int64_t unixTime) override {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(unixTime);
        times[1].tv_nsec = 0;
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    bool FreeSpace(const std::string& path, std::uint64_t& bytes) override {
        struct statvfs st;
        if (::statvfs(path.c_str(), &st) != 0) return false;
        bytes = static_cast<std::uint64_t>(st.f_bavail) * st.f_frsize;
        return true;
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace kavrel::lha
