// Whether the UNLHA32.dll that Windows bound to Kavrel.exe at load time is the medium's
// own. Windows takes a DLL of that name from the system folders or PATH when the medium
// lacks it, and other products ship one: that library would run the update without
// Kavrel's tests, staging or reports.
#pragma once

#include <string>

namespace kavrel {

// True when the loaded UNLHA32.dll is the very file `mediumFolder` + "UNLHA32.dll" (the
// same file, however its path is spelled) and carries Kavrel's version resource (product
// name and version). `loaded` receives the path of the DLL Windows loaded.
bool LibraryIsOurs(const std::string& mediumFolder, std::string& loaded);

}  // namespace kavrel
