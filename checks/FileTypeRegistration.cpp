#include "checks/FileTypeRegistration.h"

#include "platform/Text.h"

namespace kavrel {

namespace {

constexpr const char* kProgId = "veskofile";

// The registry and the log the registration writes to.
struct Writer {
    ClassesRegistry& registry;
    EventLog& log;

    void LogWrite(const std::string& subkey, const std::string& value, long error) {
        std::string event = "registry HKEY_CLASSES_ROOT\\" + subkey + " = \"" + value + "\"";
        if (error != 0) event += ": failed, Windows error " + DecimalText(error);
        log.Log(event);
    }

    // Writes `value` as the default value of `subkey` when the key can be opened.
    void SetWhenOpen(const std::string& subkey, const std::string& value) {
        if (const std::unique_ptr<RegistryKey> key = registry.OpenClassesKey(subkey)) {
            LogWrite(subkey, value, key->SetDefaultValue(value));
        } else {
            log.Log("registry HKEY_CLASSES_ROOT\\" + subkey + ": not there, left alone");
        }
    }

    void CreateAndSet(const std::string& subkey, const std::string& value) {
        if (const long error = registry.CreateClassesKey(subkey)) {
            log.Log("registry HKEY_CLASSES_ROOT\\" + subkey + ": cannot be created, Windows error " +
                    DecimalText(error));
        }
        SetWhenOpen(subkey, value);
    }
};

std::string SystemText(int systemNumber) {
    // Systems 1 to 3 are the base product and share its name; the others go by number.
    if (systemNumber >= 1 && systemNumber <= 3) return "Morvane";
    if (systemNumber >= 4) return DecimalText(systemNumber);
    return {};
}

}  // namespace

void RegisterFileType(ClassesRegistry& registry, UserDialogue& user, EventLog& log, int systemNumber,
                      const std::string& folder) {
    Writer writer{registry, log};
    const std::string progIdKey = std::string(kProgId) + "\\";
    // The extensions are claimed only where the product's installer created them; they
    // are never created here.
    writer.SetWhenOpen(".oqmz\\", kProgId);
    writer.SetWhenOpen(".qmz\\", kProgId);

    // No separator before main.exe: the folder text ends with a backslash by now.
    const std::string program = "\"" + folder + "main.exe\"";
    writer.CreateAndSet(progIdKey + "shell\\open\\command\\", program + " \"%1\"");
    writer.CreateAndSet(progIdKey + "DefaultIcon\\", program);

    std::unique_ptr<RegistryKey> typeKey = registry.OpenClassesKey(progIdKey);
    if (systemNumber == -1) user.ShowMessage(kNoSystemNameText, kNoSystemNameCaption, MessageButtons::Ok);
    if (typeKey) writer.LogWrite(progIdKey, SystemText(systemNumber), typeKey->SetDefaultValue(SystemText(systemNumber)));
    typeKey.reset();

    // Without this Explorer keeps showing the old icons until the next logon.
    registry.NotifyAssociationsChanged();
}

}  // namespace kavrel
