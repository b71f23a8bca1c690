// The archive writer's file system on Windows: wide-character calls, UTF-8 paths
// converted at each call; Windows times and attributes as they are.
#include <windows.h>

#include <utility>

#include "lha/encoder/BufferedOutput.h"
#include "lha/encoder/SourceFileSystem.h"
#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"

namespace kavrel::lha {

namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string w = Utf8ToUtf16(utf8);
    return std::wstring(w.begin(), w.end());
}

std::uint64_t Ticks(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

constexpr std::uint64_t kTicksAt1970 = 116444736000000000ull;

// Closes the handle now and says whether that worked (the last writes may fail here).
bool CloseNow(UniqueHandle& h) {
    const HANDLE raw = h.release();
    return raw == nullptr || CloseHandle(raw) != 0;
}

class Win32SourceFile : public SourceFile {
public:
    explicit Win32SourceFile(UniqueHandle h) : h_(std::move(h)) {}
    std::size_t Read(std::uint8_t* buffer, std::size_t size) override {
        const DWORD want = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD got = 0;
        if (!ReadFile(h_.get(), buffer, want, &got, nullptr)) {
            failed_ = true;
            return 0;
        }
        return got;
    }
    bool Failed() const override { return failed_; }

private:
    UniqueHandle h_;
    bool failed_ = false;
};

class Win32ArchiveOutput : public BufferedArchiveOutput {
public:
    explicit Win32ArchiveOutput(UniqueHandle h) : h_(std::move(h)) {}

protected:
    bool WriteRawAt(std::uint64_t offset, const std::uint8_t* p, std::size_t size) override {
        if (!Seek(offset)) return false;
        while (size > 0) {
            const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
            DWORD done = 0;
            if (!WriteFile(h_.get(), p, chunk, &done, nullptr) || done == 0) return false;
            p += done;
            size -= done;
        }
        return true;
    }
    bool TruncateRaw(std::uint64_t offset) override { return Seek(offset) && SetEndOfFile(h_.get()); }
    bool CloseRaw() override { return CloseNow(h_); }

private:
    bool Seek(std::uint64_t offset) {
        LARGE_INTEGER to;
        to.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(h_.get(), to, nullptr, FILE_BEGIN) != 0;
    }
    UniqueHandle h_;
};

class Win32SourceFileSystem : public SourceFileSystem {
public:
    SourceInfo Stat(const std::string& path) override {
        SourceInfo info;
        // Reparse points (links, junctions) themselves, not what they point to.
        const UniqueHandle h = WrapHandle(CreateFileW(
            Wide(path).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        BY_HANDLE_FILE_INFORMATION f;
        if (!h || !GetFileInformationByHandle(h.get(), &f)) return info;
        info.volume = f.dwVolumeSerialNumber;
        info.index = (static_cast<std::uint64_t>(f.nFileIndexHigh) << 32) | f.nFileIndexLow;
        info.hasWindowsTimes = true;
        info.createdTime = Ticks(f.ftCreationTime);
        info.modifiedTime = Ticks(f.ftLastWriteTime);
        info.accessedTime = Ticks(f.ftLastAccessTime);
        info.modified = info.modifiedTime >= kTicksAt1970
                            ? static_cast<std::int64_t>((info.modifiedTime - kTicksAt1970) / 10000000ull)
                            : 0;
        // Read-only, hidden, system, folder, archive.
        info.attributes = static_cast<std::uint8_t>(f.dwFileAttributes & 0x37);
        if (f.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            info.kind = SourceInfo::Kind::Link;
        } else if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            info.kind = SourceInfo::Kind::Directory;
        } else if (f.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) {
            info.kind = SourceInfo::Kind::Other;
        } else {
            info.kind = SourceInfo::Kind::File;
            info.size = (static_cast<std::uint64_t>(f.nFileSizeHigh) << 32) | f.nFileSizeLow;
        }
        return info;
    }
    bool List(const std::string& path, std::vector<std::string>& names) override {
        WIN32_FIND_DATAW d;
        const UniqueFind h = WrapFind(FindFirstFileW((Wide(path) + L"\\*").c_str(), &d));
        if (!h) return GetLastError() == ERROR_FILE_NOT_FOUND;
        do {
            const std::wstring n = d.cFileName;
            if (n == L"." || n == L"..") continue;
            names.push_back(Utf16ToUtf8(std::u16string(n.begin(), n.end())));
        } while (FindNextFileW(h.get(), &d));
        return GetLastError() == ERROR_NO_MORE_FILES;
    }
    std::unique_ptr<SourceFile> Open(const std::string& path) override {
        UniqueHandle h = WrapHandle(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!h) return nullptr;
        return std::make_unique<Win32SourceFile>(std::move(h));
    }
    std::unique_ptr<ArchiveOutput> CreateTemporary(const std::string& path, std::string& created) override {
        for (unsigned n = GetCurrentProcessId() % 10000, tries = 0; tries < 1000; ++n, ++tries) {
            char suffix[16];
            wsprintfA(suffix, ".%04u.tmp", n % 10000);
            const std::string candidate = path + suffix;
            UniqueHandle h = WrapHandle(CreateFileW(Wide(candidate).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (h) {
                created = candidate;
                return std::make_unique<Win32ArchiveOutput>(std::move(h));
            }
            if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return nullptr;
        }
        return nullptr;
    }
    bool Replace(const std::string& from, const std::string& to) override {
        return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    }
    bool Remove(const std::string& path) override { return DeleteFileW(Wide(path).c_str()) != 0; }
    std::uint32_t DosTime(std::int64_t unixTime) override {
        const std::uint64_t ticks = static_cast<std::uint64_t>(unixTime < 0 ? 0 : unixTime) * 10000000ull + kTicksAt1970;
        FILETIME utc{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
        FILETIME local;
        WORD date = 0;
        WORD time = 0;
        if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
            return (0u << 25) | (1u << 21) | (1u << 16);
        }
        return (static_cast<std::uint32_t>(date) << 16) | time;
    }
    std::string Join(const std::string& folder, const std::string& name) override {
        if (folder.empty()) return name;
        const char last = folder.back();
        return last == '\\' || last == '/' || last == ':' ? folder + name : folder + "\\" + name;
    }
};

}  // namespace

std::unique_ptr<SourceFileSystem> MakeNativeSourceFileSystem() { return std::make_unique<Win32SourceFileSystem>(); }

}  // namespace kavrel::lha
