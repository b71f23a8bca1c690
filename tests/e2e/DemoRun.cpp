#include "e2e/DemoRun.h"

#include <cstdio>

#include "support/HostPath.h"

namespace kavrel::e2e {

const std::wstring kDemo = Widen(test::HostPath(KAVREL_SOURCE_DIR "/demo"));
const std::wstring kInstall = L"E:\\E2E\\MORVANE";

std::vector<std::string> DemoLines(const std::wstring& installFolder) {
    auto lines = BlankInfoLines();
    lines[0] = std::string("モルベーン 更新");
    lines[15] = Narrow(installFolder) + "\\";
    lines[16] = std::string("V6.1");
    lines[17] = std::string("0");
    lines[18] = std::string("NULL");
    for (int i = 0; i < 15; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "MORVANE%02d", i + 1);
        lines[26 + i] = name;
    }
    return lines;
}

bool CopyDemo(const std::wstring& relative, const std::wstring& to) {
    return ::CopyFileW((kDemo + L"\\" + relative).c_str(), to.c_str(), FALSE) != 0;
}

bool LayOutInstallation(const std::wstring& folder) {
    if (!FreshFolder(folder) || !MakeFolders(folder + L"\\DOC")) return false;
    for (const wchar_t* f : {L"ConfigData.xml", L"MORVANE12.ico", L"main.exe"}) {
        if (!CopyDemo(std::wstring(L"install\\") + f, folder + L"\\" + f)) return false;
    }
    return CopyDemo(L"install\\DOC\\README.TXT", folder + L"\\DOC\\README.TXT");
}

const std::vector<const char*> kDemoItems = {"1,1,PROG,BIN\\", "1,1,DATA,DATA\\", "1,1,STORE,DATA\\MAPS\\",
                                                    "1,1,HELP,HELP\\", "1,1,START,BIN\\", "1,0,README.TXT,DOC\\",
                                                    "1,0,DOCS\\NOTES.TXT,DOC\\"};

bool LayOutDemoMedium(const std::wstring& folder, const std::wstring& installFolder) {
    auto lines = DemoLines(installFolder);
    for (const char* item : kDemoItems) lines.push_back(item);
    if (!WriteInfo(folder, lines)) return false;
    for (const wchar_t* f : {L"PROG.lzh", L"DATA.lzh", L"STORE.lzh", L"HELP.lzh", L"START12.lzh", L"README.TXT"}) {
        if (!CopyDemo(std::wstring(L"medium\\") + f, folder + L"\\" + f)) return false;
    }
    return MakeFolders(folder + L"\\DOCS") && CopyDemo(L"medium\\DOCS\\NOTES.TXT", folder + L"\\DOCS\\NOTES.TXT");
}

bool LayOutTwoDiskFloppy() {
    auto lines = DemoLines(kInstall);
    lines.push_back("1,1,PROG,BIN\\");
    lines.push_back("2,1,DATA,DATA\\");
    return WriteInfo(L"F:", lines) && CopyDemo(L"medium\\PROG.lzh", L"F:\\PROG.lzh");
}

std::wstring RegistryDefault(const std::wstring& key) {
    wchar_t value[1024] = {};
    DWORD size = sizeof value;
    if (::RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return L"<missing>";
    }
    return value;
}

// Everything a run can leave behind: each file under the installation (bytes, attributes,
// time written) and the registry values it writes.
std::map<std::wstring, std::string> Snapshot(const std::wstring& folder, const std::wstring& relative) {
    std::map<std::wstring, std::string> out;
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((folder + relative + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = relative + L"\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[path] = "<folder>";
            for (auto& [k, v] : Snapshot(folder, path)) out[k] = v;
        } else {
            out[path] = ReadBytes(folder + path) + " attributes=" + std::to_string(data.dwFileAttributes) +
                        " written=" + std::to_string(data.ftLastWriteTime.dwLowDateTime);
        }
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
    return out;
}

std::map<std::wstring, std::wstring> RegistrySnapshot() {
    std::map<std::wstring, std::wstring> out;
    for (const wchar_t* key : {L"veskofile", L"veskofile\\shell\\open\\command", L"veskofile\\DefaultIcon", L".qmz",
                               L".oqmz"}) {
        out[key] = RegistryDefault(key);
    }
    return out;
}

}  // namespace kavrel::e2e
