#include "e2e/Medium.h"

#include <windows.h>

#include "e2e/Driver.h"
#include "support/HostPath.h"

namespace kavrel::e2e {
namespace {

void RemoveContents(const std::wstring& folder);

void RemoveTree(const std::wstring& folder) {
    RemoveContents(folder);
    ::RemoveDirectoryW(folder.c_str());
}

void RemoveContents(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
}

}  // namespace

void EmptyDrive(const std::wstring& root) { RemoveContents(root); }

std::vector<std::string> BlankInfoLines() { return std::vector<std::string>(41); }

bool MakeFolders(const std::wstring& folder) {
    for (std::size_t p = folder.find(L'\\', 3); p != std::wstring::npos; p = folder.find(L'\\', p + 1)) {
        ::CreateDirectoryW(folder.substr(0, p).c_str(), nullptr);
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return ::GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FreshFolder(const std::wstring& folder) {
    RemoveTree(folder);
    return MakeFolders(folder);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    ::CloseHandle(file);
    return bytes;
}

bool WriteInfo(const std::wstring& folder, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        const std::wstring wide = Widen(line);
        if (!wide.empty()) {
            const int n = ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()),
                                                nullptr, 0, nullptr, nullptr);
            std::string cp932(n, '\0');
            ::WideCharToMultiByte(932, 0, wide.data(), static_cast<int>(wide.size()), cp932.data(), n,
                                  nullptr, nullptr);
            bytes += cp932;
        }
        bytes += "\r\n";
    }
    return WriteBytes(folder + L"\\info.txt", bytes);
}

bool CopyTree(const std::wstring& from, const std::wstring& to) {
    if (!MakeFolders(to)) return false;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((from + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = CopyTree(from + L"\\" + name, to + L"\\" + name) && ok;
        } else {
            ok = ::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE) && ok;
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return ok;
}

bool InstallKavrel(const std::wstring& folder) {
    const std::wstring exe = Widen(test::HostPath(KAVREL_EXE));
    if (!::CopyFileW(exe.c_str(), (folder + L"\\Kavrel.exe").c_str(), FALSE)) return false;
#ifdef KAVREL_UNLHA32
    const std::wstring dll = Widen(test::HostPath(KAVREL_UNLHA32));
    if (!::CopyFileW(dll.c_str(), (folder + L"\\UNLHA32.dll").c_str(), FALSE)) return false;
#endif
    return true;
}

}  // namespace kavrel::e2e
