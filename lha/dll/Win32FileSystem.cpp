#include "lha/dll/Win32FileSystem.h"

#include <windows.h>

#include <utility>

#include "lha/Staging.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Text.h"

namespace kavrel::lha {
namespace {

class Win32Input : public RandomAccess {
public:
    Win32Input(UniqueHandle h, std::uint64_t size) : h_(std::move(h)), size_(size) {}
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        auto* p = static_cast<char*>(buffer);
        while (size > 0) {
            OVERLAPPED ov{};
            ov.Offset = static_cast<DWORD>(offset);
            ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
            const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD got = 0;
            if (!ReadFile(h_.get(), p, want, &got, &ov) || got == 0) return false;
            p += got;
            size -= got;
            offset += got;
        }
        return true;
    }

private:
    UniqueHandle h_;
    std::uint64_t size_;
};

class Win32Output : public OutputFile {
public:
    explicit Win32Output(UniqueHandle h) : h_(std::move(h)) {}
    bool Write(const void* data, std::size_t size) override {
        const auto* p = static_cast<const char*>(data);
        while (size > 0) {
            const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD done = 0;
            if (!WriteFile(h_.get(), p, want, &done, nullptr) || done == 0) return false;
            p += done;
            size -= done;
        }
        return true;
    }
    // On the disk before it is closed: a rename after this must not outrun the data.
    bool Close() override {
        const HANDLE h = h_.release();
        if (h == nullptr) return false;
        const bool flushed = FlushFileBuffers(h) != 0;
        return CloseHandle(h) != 0 && flushed;
    }

private:
    UniqueHandle h_;
};

class Win32FileSystem : public FileSystem {
public:
    char Separator() const override { return '\\'; }
    Kind Stat(const std::string& path) override {
        const DWORD a = GetFileAttributesW(Widen(path).c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return Kind::Missing;
        if (a & FILE_ATTRIBUTE_REPARSE_POINT) return Kind::Link;
        if (a & FILE_ATTRIBUTE_DIRECTORY) return Kind::Directory;
        if (a & FILE_ATTRIBUTE_DEVICE) return Kind::Other;
        return Kind::File;
    }
    std::unique_ptr<RandomAccess> OpenRead(const std::string& path) override {
        UniqueHandle h = WrapHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                                                nullptr));
        LARGE_INTEGER size;
        if (!h || GetFileType(h.get()) != FILE_TYPE_DISK || !GetFileSizeEx(h.get(), &size)) return nullptr;
        return std::make_unique<Win32Input>(std::move(h), static_cast<std::uint64_t>(size.QuadPart));
    }
    bool MakeDirectory(const std::string& path) override { return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0; }
    bool RemoveFolder(const std::string& path) override { return RemoveDirectoryW(Widen(path).c_str()) != 0; }
    std::unique_ptr<OutputFile> CreateNew(const std::string& path) override {
        UniqueHandle h = WrapHandle(
            CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return nullptr;
        return std::make_unique<Win32Output>(std::move(h));
    }
    // A rename keeps the attributes (read-only included) and fails when `to` exists.
    bool Move(const std::string& from, const std::string& to) override {
        return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    }
    bool Link(const std::string& from, const std::string& to) override {
        const std::wstring source = Widen(from);
        const DWORD a = GetFileAttributesW(source.c_str());
        if (a == INVALID_FILE_ATTRIBUTES || (a & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_REPARSE_POINT))) return false;
        return CreateHardLinkW(Widen(to).c_str(), source.c_str(), nullptr) != 0;
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
               0;
    }
    std::vector<std::string> ListFiles(const std::string& folder) override {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW(Widen(JoinPath(*this, folder, "*")).c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
                names.push_back(Narrow(found.cFileName));
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
        return names;
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
        const UniqueHandle h = WrapHandle(CreateFileW(Widen(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!h) return;
        const std::uint64_t t = static_cast<std::uint64_t>(unixTime + 11644473600LL) * 10000000ULL;
        FILETIME ft;
        ft.dwLowDateTime = static_cast<DWORD>(t);
        ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
        SetFileTime(h.get(), nullptr, nullptr, &ft);
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
