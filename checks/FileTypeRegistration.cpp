#include "checks/FileTypeRegistration.h"

#include "checks/SystemIdentification.h"
#include "platform/Text.h"

namespace kavrel {

namespace {

constexpr const char* kProgId = "veskofile";

void LogWrite(Platform& platform, const std::string& subkey, const std::string& value, long error) {
    std::string event = "registry HKEY_CLASSES_ROOT\\" + subkey + " = \"" + value + "\"";
    if (error != 0) event += ": failed, Windows error " + DecimalText(error);
    platform.Log(event);
}

// Writes `value` as the default value of `subkey` when the key can be opened.
void SetWhenOpen(Platform& platform, const std::string& subkey, const std::string& value) {
    if (const std::unique_ptr<RegistryKey> key = platform.OpenClassesKey(subkey)) {
        LogWrite(platform, subkey, value, key->SetDefaultValue(value));
    } else {
        platform.Log("registry HKEY_CLASSES_ROOT\\" + subkey + ": not there, left alone");
    }
}

void CreateAndSet(Platform& platform, const std::string& subkey, const std::string& value) {
    if (const long error = platform.CreateClassesKey(subkey)) {
        platform.Log("registry HKEY_CLASSES_ROOT\\" + subkey + ": cannot be created, Windows error " +
                     DecimalText(error));
    }
    SetWhenOpen(platform, subkey, value);
}

std::string SystemText(int systemNumber) {
    // Systems 1 to 3 are the base product and share its name; the others go by number.
    if (systemNumber >= 1 && systemNumber <= 3) return "Morvane";
    if (systemNumber >= 4) return DecimalText(systemNumber);
    return {};
}

}  // namespace

void RegisterFileType(Platform& platform, UpdateDescription& desc, const std::string& folder) {
    const std::string progIdKey = std::string(kProgId) + "\\";
    // The extensions are claimed only where the product's installer created them; they
    // are never created here.
    SetWhenOpen(platform, ".oqmz\\", kProgId);
    SetWhenOpen(platform, ".qmz\\", kProgId);

    // No separator before main.exe: the folder text ends with a backslash by now.
    const std::string program = "\"" + folder + "main.exe\"";
    CreateAndSet(platform, progIdKey + "shell\\open\\command\\", program + " \"%1\"");
    CreateAndSet(platform, progIdKey + "DefaultIcon\\", program);

    std::unique_ptr<RegistryKey> typeKey = platform.OpenClassesKey(progIdKey);
    desc.m_nSystemNumber = FindSystemNumber(platform, desc, folder, desc.m_strSettingsFile);
    if (desc.m_nSystemNumber == -1) {
        platform.ShowMessage("ｼｽﾃﾑ名称が取得できませんでした。", "更新エラー", MessageButtons::Ok);
    }
    if (typeKey) LogWrite(platform, progIdKey, SystemText(desc.m_nSystemNumber),
                          typeKey->SetDefaultValue(SystemText(desc.m_nSystemNumber)));
    typeKey.reset();

    // Without this Explorer keeps showing the old icons until the next logon.
    platform.NotifyAssociationsChanged();
}

}  // namespace kavrel
