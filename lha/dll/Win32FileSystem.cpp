#include "lha/dll/Win32FileSystem.h"

#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace kavrel::lha {
namespace {

// Owns a freshly opened handle until a file object takes it over, so that a failed
// allocation of that object does not leave the file open.
class OpenedHandle {
public:
    explicit OpenedHandle(HANDLE h) : h_(h) {}
    ~OpenedHandle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    OpenedHandle(const OpenedHandle&) = delete;
    OpenedHandle& operator=(const OpenedHandle&) = delete;
    HANDLE Get() const { return h_; }
    HANDLE Release() {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }

private:
    HANDLE h_;
};

class Win32Input : public RandomAccess {
public:
    Win32Input(HANDLE h, std::uint64_t size) : h_(h), size_(size) {}
    ~Win32Input() override { CloseHandle(h_); }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        auto* p = static_cast<char*>(buffer);
        while (size > 0) {
            OVERLAPPED ov{};
            ov.Offset = static_cast<DWORD>(offset);
            ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD got = 0;
            if (!ReadFile(h_, p, want, &got, &ov) || got == 0) return false;
            p += got;
            size -= got;
            offset += got;
        }
        return true;
    }

private:
    HANDLE h_;
    std::uint64_t size_;
};

class Win32Output : public OutputFile {
public:
    explicit Win32Output(HANDLE h) : h_(h) {}
    ~Win32Output() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD done = 0;
            if (!WriteFile(h_, p, want, &done, nullptr) || done == 0) return false;
            p += done;
            size -= done;
        }
        return true;
    }
    bool Close() override {
        const HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return CloseHandle(h) != 0;
    }

private:
    HANDLE h_;
};

class Win32FileSystem : public FileSystem {
public:
    char Separator() const override { return '\\'; }
    Kind Stat(const std::string& path) override {
        const DWORD a = GetFileAttributesW(Widen(path).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
        if (a & FILE_ATTRIBUTE_DIRECTORY) return Kind::Directory;
        if (a & FILE_ATTRIBUTE_DEVICE) return Kind::Other;
        return Kind::File;
    }
    std::unique_ptr<RandomAccess> OpenRead(const std::string& path) override {
        OpenedHandle h(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        LARGE_INTEGER size;
        if (h.Get() == INVALID_HANDLE_VALUE || GetFileType(h.Get()) != FILE_TYPE_DISK ||
            !GetFileSizeEx(h.Get(), &size)) {
            return nullptr;
        }
        auto input = std::make_unique<Win32Input>(h.Get(), static_cast<std::uint64_t>(size.QuadPart));
        h.Release();
        return input;
    }
    bool MakeDirectory(const std::string& path) override { return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0; }
    bool RemoveFolder(const std::string& path) override { return RemoveDirectoryW(Widen(path).c_str()) != 0; }
    std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
        OpenedHandle h(CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h.Get() == INVALID_HANDLE_VALUE) return nullptr;
        auto output = std::make_unique<Win32Output>(h.Get());
        h.Release();
        return output;
    }
    // A rename keeps the attributes (read-only included) and fails when `to` exists.
    bool Move(const std::string& from, const std::string& to) override {
        return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0) != 0;
    }
    bool Remove(const std::string& path) override {
        const std::wstring w = Widen(path);
        const DWORD attributes = GetFileAttributesW(w.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            SetFileAttributesW(w.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
        }
        if (DeleteFileW(w.c_str())) return true;
        if (attributes != INVALID_FILE_ATTRIBUTES) SetFileAttributesW(w.c_str(), attributes);
        return false;
    }
    void SetModificationTime(const std::string& path, std::int64_t unixTime) override {
        const HANDLE h = CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) return;
        const std::uint64_t t = static_cast<std::uint64_t>(unixTime + 11644473600LL) * 10000000ULL;
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(t);
        ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
        SetFileTime(h, nullptr, nullptr, &ft);
        CloseHandle(h);
    }
    bool FreeSpace(const std::string& path, std::uint64_t& bytes) override {
        ULARGE_INTEGER available;
        if (!GetDiskFreeSpaceExW(Widen(path).c_str(), &available, nullptr, nullptr)) return false;
        bytes = available.QuadPart;
        return true;
    }
};

}  // namespace

std::unique_ptr<FileSystem> MakeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace kavrel::lha
