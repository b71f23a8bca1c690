// Owners of Win32 handles: closed when they go away, on every path.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace kavrel {

struct HandleCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE && h != nullptr) ::CloseHandle(h);
    }
};
// A file, process or snapshot handle; empty for both of Win32's "no handle" values.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;
inline UniqueHandle WrapHandle(HANDLE h) { return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

struct FindCloser {
    void operator()(HANDLE h) const {
        if (h != INVALID_HANDLE_VALUE && h != nullptr) ::FindClose(h);
    }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;
inline UniqueFind WrapFind(HANDLE h) { return UniqueFind(h == INVALID_HANDLE_VALUE ? nullptr : h); }

struct ModuleFreer {
    void operator()(HMODULE m) const {
        if (m != nullptr) ::FreeLibrary(m);
    }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;
// A DLL from the system folder only: one of the same name beside Kavrel.exe on a medium
// is never the one loaded.
inline UniqueModule LoadSystemLibrary(const wchar_t* name) {
    return UniqueModule(::LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
}

}  // namespace kavrel
