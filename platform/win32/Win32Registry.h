// HKEY_CLASSES_ROOT for the file-type registration.
#pragma once

#include "platform/Registry.h"

namespace kavrel {

class Win32Registry : public ClassesRegistry {
public:
    std::unique_ptr<RegistryKey> OpenClassesKey(const std::string& subkey) override;
    long CreateClassesKey(const std::string& subkey) override;
    void NotifyAssociationsChanged() override;
};

}  // namespace kavrel
