// HKEY_CLASSES_ROOT for the file-type registration. Failures are silent by design: the
// update goes on without the registration.
#include "platform/win32/Win32Registry.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/win32/Win32Text.h"

namespace kavrel {

namespace {

class Win32RegistryKey : public RegistryKey {
public:
    explicit Win32RegistryKey(HKEY key) : key_(key) {}
    ~Win32RegistryKey() override { RegCloseKey(key_); }
    Win32RegistryKey(const Win32RegistryKey&) = delete;
    Win32RegistryKey& operator=(const Win32RegistryKey&) = delete;

    long SetDefaultValue(const std::string& text) override {
        const std::wstring wide = Widen(text);
        // REG_SZ data counts its terminating zero.
        const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key_, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()), bytes);
    }

private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenClassesKey(const std::string& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, Widen(subkey).c_str(), 0, KEY_ALL_ACCESS, &key) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
}

long Win32Registry::CreateClassesKey(const std::string& subkey) {
    HKEY key = nullptr;
    wchar_t noClass[] = L"";
    const LONG error = RegCreateKeyExW(HKEY_CLASSES_ROOT, Widen(subkey).c_str(), 0, noClass,
                                       REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (error == ERROR_SUCCESS) RegCloseKey(key);
    return error;
}

void Win32Registry::NotifyAssociationsChanged() {
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace kavrel
