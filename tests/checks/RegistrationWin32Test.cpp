// File-type registration against the real registry (run under Wine), read back with
// RegQueryValueExW. The keys it touches are removed before and after.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>

#include "NumberedSystems.h"
#include "Win32TempFolder.h"
#include "checks/FileTypeRegistration.h"
#include "checks/SystemIdentification.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Text.h"
#include "support/FakeSeams.h"

namespace kavrel {
namespace {

using test::Win32TempFolder;

void RemoveKeys() {
    for (const wchar_t* key : {L"veskofile", L".qmz", L".oqmz"}) RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
}

void CreateKey(const wchar_t* subkey) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

// The default value of a key: nullopt when the key is missing; "<not REG_SZ>" or
// "<bad size>" when it is not a zero-terminated REG_SZ counted with its terminator.
std::optional<std::string> DefaultValue(const std::wstring& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD bytes = 0;
    std::string result;
    if (RegQueryValueExW(key, nullptr, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) {
        result = "<no value>";
    } else {
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
        data.resize(bytes / sizeof(wchar_t));
        if (type != REG_SZ) {
            result = "<not REG_SZ>";
        } else if (data.empty() || data.back() != L'\0') {
            result = "<bad size>";
        } else {
            data.pop_back();
            result = Narrow(data);
        }
    }
    RegCloseKey(key);
    return result;
}

class RegistrationWin32 : public ::testing::Test {
protected:
    void SetUp() override { RemoveKeys(); }
    void TearDown() override { RemoveKeys(); }
};

TEST_F(RegistrationWin32, Cases) {
    struct Case {
        const char* name;
        std::vector<const wchar_t*> extensions;  // present before
        const char* icon;                        // nullptr: none
        int systemNumber;
        const char* systemText;
    } const cases[] = {
        {"both extensions, system 2", {L".qmz", L".oqmz"}, "S2_.ico", 2, "Morvane"},
        {"only .qmz, system 4", {L".qmz"}, "S4_.ico", 4, "4"},
        {"only .oqmz, system 15", {L".oqmz"}, "S15_.ico", 15, "15"},
        {"none, no icon", {}, nullptr, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RemoveKeys();
        for (const wchar_t* ext : c.extensions) CreateKey(ext);
        Win32TempFolder temp;
        temp.AddFile("インストール先\\main.exe", "MZ");
        if (c.icon) temp.AddFile(std::string("インストール先\\") + c.icon);
        // As the install-folder check leaves it: a doubled backslash.
        const std::string folder = temp.Path() + "インストール先\\\\";
        UpdateDescription desc = test::NumberedSystems();
        Win32Files files;
        Win32Registry registry;
        test::ScriptedDialogue user;
        test::RecordingLog log;
        const int systemNumber = FindSystemNumber(files, log, desc, folder);

        RegisterFileType(registry, user, log, systemNumber, folder);

        auto present = [&](const wchar_t* ext) {
            return std::find(c.extensions.begin(), c.extensions.end(), std::wstring(ext)) !=
                   c.extensions.end();
        };
        for (const wchar_t* ext : {L".qmz", L".oqmz"}) {
            if (present(ext)) {
                EXPECT_EQ(DefaultValue(ext), "veskofile") << Narrow(ext);
            } else {
                EXPECT_EQ(DefaultValue(ext), std::nullopt) << Narrow(ext) << " must not be created";
            }
        }
        EXPECT_EQ(DefaultValue(L"veskofile\\shell\\open\\command"), "\"" + folder + "main.exe\" \"%1\"");
        EXPECT_EQ(DefaultValue(L"veskofile\\DefaultIcon"), "\"" + folder + "main.exe\"");
        EXPECT_EQ(DefaultValue(L"veskofile"), c.systemText);
        EXPECT_EQ(systemNumber, c.systemNumber);
        if (c.systemNumber == -1) {
            EXPECT_THAT(user.Texts(), ::testing::ElementsAre("ｼｽﾃﾑ名称が取得できませんでした。"));
        } else {
            EXPECT_THAT(user.Texts(), ::testing::IsEmpty());
        }

        // A second registration changes nothing.
        RegisterFileType(registry, user, log, systemNumber, folder);
        EXPECT_EQ(DefaultValue(L"veskofile"), c.systemText);
    }
}

}  // namespace
}  // namespace kavrel
