// The registry as the file-type registration writes it: keys under HKEY_CLASSES_ROOT.
#pragma once

#include <memory>
#include <string>

namespace kavrel {

// A key under HKEY_CLASSES_ROOT, closed when the object goes away.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Writes the key's default (unnamed) value as REG_SZ: 0, or the system's error code.
    // The registration goes on either way; the code is for the log.
    virtual long SetDefaultValue(const std::string& text) = 0;
};

class ClassesRegistry {
public:
    virtual ~ClassesRegistry() = default;
    // Opens an existing key; null when it does not exist or cannot be opened.
    virtual std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) = 0;
    // Creates a key path with its missing parents: 0, or the system's error code.
    virtual long CreateClassesKey(const std::string& subkey) = 0;
    // Tells the shell that file associations changed.
    virtual void NotifyAssociationsChanged() = 0;
};

}  // namespace kavrel
