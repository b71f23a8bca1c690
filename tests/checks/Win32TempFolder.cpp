#include "Win32TempFolder.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <stdexcept>

#include "platform/win32/Win32Text.h"

namespace kavrel::test {

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;
using UniqueFind = std::unique_ptr<void, FindCloser>;

UniqueHandle Open(const std::wstring& path, DWORD access, DWORD disposition) {
    HANDLE h = CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE first = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (first != INVALID_HANDLE_VALUE) {
        UniqueFind find(first);
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find.get(), &data));
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace

Win32TempFolder::Win32TempFolder() {
    static std::atomic<int> counter{0};
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    path_ = Narrow(temp) + "kavrel-checks-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
    RemoveTree(Widen(path_));
    if (!CreateDirectoryW(Widen(path_).c_str(), nullptr)) {
        throw std::runtime_error("cannot create " + path_);
    }
    path_ += "\\";
}

Win32TempFolder::~Win32TempFolder() {
    RemoveTree(Widen(path_.substr(0, path_.size() - 1)));
}

void Win32TempFolder::AddFolder(const std::string& relative) {
    for (std::size_t p = relative.find('\\'); p != std::string::npos; p = relative.find('\\', p + 1)) {
        CreateDirectoryW(Widen(path_ + relative.substr(0, p)).c_str(), nullptr);
    }
    CreateDirectoryW(Widen(path_ + relative).c_str(), nullptr);
}

void Win32TempFolder::AddFile(const std::string& relative, const std::string& data) {
    const auto slash = relative.rfind('\\');
    if (slash != std::string::npos) AddFolder(relative.substr(0, slash));
    const UniqueHandle file = Open(Widen(path_ + relative), GENERIC_WRITE, CREATE_ALWAYS);
    if (!file) throw std::runtime_error("cannot create " + relative);
    DWORD written = 0;
    const bool ok = data.empty() || WriteFile(file.get(), data.data(),
                                              static_cast<DWORD>(data.size()), &written, nullptr);
    if (!ok || written != data.size()) throw std::runtime_error("cannot write " + relative);
}

std::string Win32TempFolder::ReadFile(const std::string& relative) const {
    const UniqueHandle file = Open(Widen(path_ + relative), GENERIC_READ, OPEN_EXISTING);
    if (!file) return "<missing>";
    std::string data;
    std::string chunk(4096, '\0');
    DWORD got = 0;
    while (::ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) &&
           got > 0) {
        data.append(chunk, 0, got);
    }
    return data;
}

}  // namespace kavrel::test
