#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <ctime>

#include "lha/FileSystem.h"

namespace kavrel::lha {
namespace {

// Archives are read through a memory map when the system allows: the decoders then read
// the page cache in place instead of a copy of it (4 % of an extraction's time). A file
// cut short by another program while it is mapped, or a page the disk fails to deliver,
// would end the process with SIGBUS; the guard below maps zero bytes in its place
// instead and marks the input, whose entry then fails like an unreadable archive.
// Kept in plain globals: the handler may read nothing else.
struct MapSlot {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::uintptr_t> end{0};
    std::atomic<bool> hit{false};
};
constexpr int kMapSlots = 16;
constexpr std::uintptr_t kSlotBusy = 1;  // a slot being filled: no mapping starts at 1
MapSlot mapSlots[kMapSlots];
struct sigaction previousBusAction = {};
std::uintptr_t pageSize = 4096;

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    const bool fault = info->si_code > 0;  // a signal sent by a program has no address
    for (MapSlot& slot : mapSlots) {
        const std::uintptr_t begin = slot.begin.load();
        if (fault && begin > kSlotBusy && address >= begin && address < slot.end.load()) {
            void* page = reinterpret_cast<void*>(address & ~(pageSize - 1));
            if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_FIXED | MAP_ANONYMOUS, -1, 0) != MAP_FAILED) {
                slot.hit.store(true);
                return;  // the read runs again, on zeros
            }
        }
    }
    // Not one of ours (or sent, not a fault): the handler that was there before, or the
    // default end, even where it was ignored (a fault would only come back).
    if (previousBusAction.sa_flags & SA_SIGINFO) {
        previousBusAction.sa_sigaction(signal, info, context);
    } else if (previousBusAction.sa_handler != SIG_IGN && previousBusAction.sa_handler != SIG_DFL) {
        previousBusAction.sa_handler(signal);
    } else {
        ::signal(SIGBUS, SIG_DFL);
        ::raise(SIGBUS);
    }
}

// A slot guarding the mapping [begin, begin + size); -1 when none is free or the handler
// cannot be installed (the file is then read without a map).
int GuardMapping(const std::uint8_t* begin, std::size_t size) {
    static const bool installed = [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action = {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        ::sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &previousBusAction) == 0;
    }();
    if (!installed) return -1;
    for (int i = 0; i < kMapSlots; ++i) {
        std::uintptr_t expected = 0;
        if (mapSlots[i].begin.compare_exchange_strong(expected, kSlotBusy)) {
            mapSlots[i].hit.store(false);
            mapSlots[i].end.store(reinterpret_cast<std::uintptr_t>(begin) + size);
            mapSlots[i].begin.store(reinterpret_cast<std::uintptr_t>(begin));
            return i;
        }
    }
    return -1;
}

void UnguardMapping(int slot) {
    mapSlots[slot].end.store(0);
    mapSlots[slot].begin.store(0);
}

class PosixInput : public RandomAccess {
public:
    PosixInput(int fd, std::uint64_t size) : fd_(fd), size_(size) {
        if (size == 0 || size > SIZE_MAX / 2) return;
        void* m = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
        if (m == MAP_FAILED) return;
        slot_ = GuardMapping(static_cast<const std::uint8_t*>(m), static_cast<std::size_t>(size));
        if (slot_ < 0) {
            ::munmap(m, static_cast<std::size_t>(size));
            return;
        }
        map_ = static_cast<const std::uint8_t*>(m);
        released_ = map_;
        ::madvise(m, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
    }
    ~PosixInput() override {
        if (map_) {
            UnguardMapping(slot_);
            ::munmap(const_cast<std::uint8_t*>(map_), static_cast<std::size_t>(size_));
        }
        ::close(fd_);
    }
    PosixInput(const PosixInput&) = delete;
    PosixInput& operator=(const PosixInput&) = delete;

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
    const std::uint8_t* View(std::uint64_t offset, std::size_t size) override {
        if (!map_ || offset > size_ || size > size_ - offset) return nullptr;
        return map_ + offset;
    }
    bool Intact() const override { return !map_ || !mapSlots[slot_].hit.load(); }
    // Read pages leave the process (they stay in the page cache).
    void Release(const std::uint8_t* upTo) override {
        if (!map_ || upTo <= released_ || upTo > map_ + size_) return;
        const auto* page = reinterpret_cast<const std::uint8_t*>(reinterpret_cast<std::uintptr_t>(upTo) & ~(pageSize - 1));
        if (page <= released_) return;
        ::madvise(const_cast<std::uint8_t*>(released_), static_cast<std::size_t>(page - released_), MADV_DONTNEED);
        released_ = page;
    }

private:
    int fd_;
    std::uint64_t size_;
    const std::uint8_t* map_ = nullptr;
    const std::uint8_t* released_ = nullptr;  // pages before it are let go
    int slot_ = -1;
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
        const bool synced = ::fsync(fd) == 0;
        return ::close(fd) == 0 && synced;
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
        if (S_ISLNK(st.st_mode)) return Kind::Link;
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
    bool Link(const std::string& from, const std::string& to) override {
        struct stat st;
        if (::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0) return false;
        return ::link(from.c_str(), to.c_str()) == 0;
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0;
    }
    std::vector<std::string> ListFiles(const std::string& folder) override {
        std::vector<std::string> names;
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr) return names;
        while (const dirent* e = ::readdir(dir)) {
            struct stat st;
            const std::string path = folder + "/" + e->d_name;
            if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) names.push_back(e->d_name);
        }
        ::closedir(dir);
        return names;
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
