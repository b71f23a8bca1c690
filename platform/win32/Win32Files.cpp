// Files, folders and drives of the Win32 side.
#include "platform/win32/Win32Files.h"

#include <io.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "platform/Text.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32Text.h"

namespace kavrel {

namespace {

class Win32InputFile : public InputFile {
public:
    explicit Win32InputFile(UniqueHandle handle) : handle_(std::move(handle)) {}

    std::size_t Read(void* buffer, std::size_t size) override {
        auto* out = static_cast<char*>(buffer);
        std::size_t total = 0;
        while (total < size) {
            // ReadFile takes a DWORD count: large reads go in slices.
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - total, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(handle_.get(), out + total, want, &got, nullptr)) {
                failed_ = true;
                break;
            }
            if (got == 0) break;
            total += got;
        }
        return total;
    }
    bool Failed() const override { return failed_; }

    bool Seek(std::uint64_t offset) override {
        LARGE_INTEGER distance;
        distance.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(handle_.get(), distance, nullptr, FILE_BEGIN) != 0;
    }

private:
    UniqueHandle handle_;
    bool failed_ = false;
};

std::uint64_t FromFileTime(const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value) {
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFFu);
    t.dwHighDateTime = static_cast<DWORD>(value >> 32);
    return t;
}

// Writes the three times; a time of 0 leaves that one as it is.
bool SetTimes(const std::wstring& path, const FileStatus& status) {
    // FILE_WRITE_ATTRIBUTES is granted on read-only files too; backup semantics lets
    // folders be opened as well.
    UniqueHandle file = WrapHandle(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                         nullptr));
    if (!file) return false;
    const FILETIME created = ToFileTime(status.creationTime);
    const FILETIME accessed = ToFileTime(status.lastAccessTime);
    const FILETIME written = ToFileTime(status.lastWriteTime);
    return SetFileTime(file.get(), status.creationTime ? &created : nullptr,
                       status.lastAccessTime ? &accessed : nullptr,
                       status.lastWriteTime ? &written : nullptr) != 0;
}

bool SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    return SetFileAttributesW(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL) != 0;
}

}  // namespace

bool Win32Files::Exists(const std::string& path) {
    return _waccess(Widen(path).c_str(), 0) == 0;
}

std::unique_ptr<InputFile> Win32Files::OpenRead(const std::string& path) {
    // Shared as the C runtime's fopen shares: a file the installed product holds open
    // for writing can still be read.
    UniqueHandle file = WrapHandle(CreateFileW(Widen(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return nullptr;
    return std::make_unique<Win32InputFile>(std::move(file));
}

std::vector<FoundEntry> Win32Files::FindFiles(const std::string& pattern) {
    std::vector<FoundEntry> found;
    WIN32_FIND_DATAW data;
    UniqueFind find = WrapFind(FindFirstFileW(Widen(pattern).c_str(), &data));
    if (!find) return found;
    do {
        found.push_back({Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(find.get(), &data));
    return found;
}

bool Win32Files::MakeDirectory(const std::string& path) {
    return CreateDirectoryW(Widen(path).c_str(), nullptr) != 0;
}

bool Win32Files::CopyFileOverwrite(const std::string& from, const std::string& to) {
    return CopyFileW(Widen(from).c_str(), Widen(to).c_str(), FALSE) != 0;
}

bool Win32Files::GetFileStatus(const std::string& path, FileStatus& status) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Widen(path).c_str(), GetFileExInfoStandard, &data)) return false;
    status.creationTime = FromFileTime(data.ftCreationTime);
    status.lastAccessTime = FromFileTime(data.ftLastAccessTime);
    status.lastWriteTime = FromFileTime(data.ftLastWriteTime);
    status.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    status.attributes = data.dwFileAttributes;
    return true;
}

bool Win32Files::SetFileStatus(const std::string& path, const FileStatus& status) {
    const std::wstring wide = Widen(path);
    // Times are written while the file is writable: before the read-only attribute is
    // set, after it is cleared.
    if (status.attributes & FILE_ATTRIBUTE_READONLY) {
        const bool times = SetTimes(wide, status);
        return SetAttributes(wide, status.attributes) && times;
    }
    const bool attributes = SetAttributes(wide, status.attributes);
    return SetTimes(wide, status) && attributes;
}

bool Win32Files::CanCreateFileIn(const std::string& folder) {
    std::wstring path = Widen(folder);
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += L"~kavrel-" + Widen(DecimalText(GetCurrentProcessId())) + L".tmp";
    // Gone again as soon as it is closed; a read-only folder or missing rights fail here.
    UniqueHandle file = WrapHandle(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    return file != nullptr;
}

ReplaceProbe Win32Files::ProbeReplace(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return ReplaceProbe::Free;
    // Replacing the file renames it aside (DELETE, granted by the file or its folder) and
    // writes it: a program that holds it open without sharing writes and deletion, or
    // rights the user lacks, would make that fail half way. A read-only file is asked
    // only for what the run needs before it clears the attribute.
    const DWORD access =
        (attributes & FILE_ATTRIBUTE_READONLY) ? DELETE | FILE_WRITE_ATTRIBUTES : GENERIC_WRITE | DELETE;
    UniqueHandle file = WrapHandle(CreateFileW(wide.c_str(), access,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file) return ReplaceProbe::Free;
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return ReplaceProbe::InUse;
    case ERROR_ACCESS_DENIED: return ReplaceProbe::AccessDenied;
    default: return ReplaceProbe::Free;  // a failure of another kind is the copy's to report
    }
}

bool Win32Files::FreeBytes(const std::string& folder, std::uint64_t& bytes) {
    ULARGE_INTEGER available;
    if (!GetDiskFreeSpaceExW(Widen(folder).c_str(), &available, nullptr, nullptr)) return false;
    bytes = available.QuadPart;
    return true;
}

namespace {

class HeldLock : public InstallationFiles::Lock {
public:
    explicit HeldLock(UniqueHandle h) : h_(std::move(h)) {}

private:
    UniqueHandle h_;
};

bool IsPlainFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && !(a & FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace

InstallationFiles::LockResult Win32Files::LockWorkFolder(const std::string& workFolder, std::unique_ptr<Lock>& lock) {
    const std::wstring folder = Widen(workFolder);
    if (!IsPlainFolder(folder) && !CreateDirectoryW(folder.c_str(), nullptr)) return LockResult::Unavailable;
    if (!IsPlainFolder(folder)) return LockResult::Unavailable;
    // Open without sharing for as long as the run works; deleted when the handle goes,
    // which the system does for a process that is killed too.
    UniqueHandle h = WrapHandle(CreateFileW((folder + L"\\lock").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE |
                                                FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
    if (!h) return GetLastError() == ERROR_SHARING_VIOLATION ? LockResult::Busy : LockResult::Unavailable;
    lock = std::make_unique<HeldLock>(std::move(h));
    return LockResult::Held;
}

void Win32Files::RemoveWorkFolder(const std::string& workFolder) { RemoveDirectoryW(Widen(workFolder).c_str()); }

bool Win32Files::IsLink(const std::string& path) {
    const DWORD a = GetFileAttributesW(Widen(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool Win32Files::IsRemovableDrive(const std::string& path) {
    std::wstring root;
    const std::wstring wide = Widen(path);
    if (wide.size() >= 2 && wide[1] == L':') {
        // "F:" (a Source folder at a drive root) and "F:\UPDATE\" alike.
        root = wide.substr(0, 2) + L"\\";
    } else {
        std::wstring buffer(wide.size() + MAX_PATH + 1, L'\0');
        if (!GetVolumePathNameW(wide.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()))) {
            return false;
        }
        root = buffer.c_str();
    }
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE;
}

}  // namespace kavrel
