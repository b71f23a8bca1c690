// The demo's update against a real installation folder on drive E:, for the end-to-end
// runs: the info.txt lines, the installation, the registry cleaned before and after, and
// the steps a person takes through the wizard.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "e2e/KavrelFixture.h"
#include "support/HostPath.h"

namespace kavrel::e2e {

// The demo's folder in the source tree, and the installation the runs update.
extern const std::wstring kDemo;
extern const std::wstring kInstall;

// The 41 fixed lines of the demo's info.txt for an installation in `installFolder`.
std::vector<std::string> DemoLines(const std::wstring& installFolder);
// Copies a file of the demo's folder (`relative` to it).
bool CopyDemo(const std::wstring& relative, const std::wstring& to);
// The demo installation (settings-free V6.1, system 12) laid out afresh in `folder`.
bool LayOutInstallation(const std::wstring& folder = kInstall);

// The demo medium's seven items, as its info.txt lists them.
extern const std::vector<const char*> kDemoItems;

// Lays the demo medium out in `folder` (Kavrel is already there) for an installation in
// `installFolder`.
bool LayOutDemoMedium(const std::wstring& folder, const std::wstring& installFolder = kInstall);

// A floppy set on F: (Kavrel already there): disk 1 holds PROG (into BIN\), and the
// second item, DATA (into DATA\), lies on disk 2, which is not in the drive.
bool LayOutTwoDiskFloppy();

// The default value of a key under HKEY_CLASSES_ROOT, or "<missing>".
std::wstring RegistryDefault(const std::wstring& key);

// Everything a run can leave behind: each file under the installation (bytes, attributes,
// time written) and the registry values it writes.
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder, const std::wstring& relative = L"");
std::map<std::wstring, std::wstring> RegistrySnapshot();

class DemoRunTest : public KavrelTest {
protected:
    void SetUp() override {
        KavrelTest::SetUp();
        ASSERT_TRUE(LayOutInstallation());
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"veskofile");
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(HKEY_CLASSES_ROOT, L".qmz", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                    &key, nullptr), ERROR_SUCCESS);
        ::RegCloseKey(key);
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".oqmz");
    }
    void TearDown() override {
        KavrelTest::TearDown();
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L"veskofile");
        ::RegDeleteTreeW(HKEY_CLASSES_ROOT, L".qmz");
        // No disk is left in the floppy drive for the next test.
        EmptyDrive(L"F:");
    }

    bool Registered() const { return RegistryDefault(L"veskofile") != L"<missing>"; }

    // Runs Kavrel from the medium with these switches, watching for windows all along.
    long RunUnattended(const std::wstring& arguments, const std::wstring& from = L"",
                       const std::wstring& workingDir = L"C:\\") {
        auto& kavrel = StartWith(from.empty() ? medium_ : from, arguments, false, workingDir);
        std::wstring window;
        const long code = kavrel.WaitExitWatchingWindows(window);
        EXPECT_EQ(window, L"") << "a window was shown: " << Narrow(window);
        return code;
    }
    std::string Log() const { return ReadBytes(log_); }

    const std::wstring log_ = L"E:\\E2E\\update.log";

    // Intro → destination (folder of line 16) → confirmation → 更新.
    void ConfirmUpdate(KavrelProcess& kavrel) {
        const HWND intro = kavrel.WaitPage(kStart);
        ASSERT_NE(intro, nullptr);
        PressKey(::GetDlgItem(intro, IDOK), VK_RETURN);
        const HWND dest = kavrel.WaitPage(kNext);
        ASSERT_NE(dest, nullptr);
        Click(dest, IDOK);
        const HWND confirm = kavrel.WaitPage(kUpdate);
        ASSERT_NE(confirm, nullptr);
        Click(confirm, IDOK);
    }

    // The next message box with this caption; its text, then it is answered.
    std::string Answer(KavrelProcess& kavrel, const wchar_t* caption, int button) {
        const HWND box = kavrel.WaitWindow(L"#32770", caption, 30000);
        if (box == nullptr) return "<no message box>";
        const std::string text = MessageBoxText(box);
        Click(box, button);
        kavrel.WaitGone(box);
        return text;
    }
};

}  // namespace kavrel::e2e
