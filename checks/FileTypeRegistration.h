// The registry step of the update run: points the product's document extensions at its
// file type "veskofile", whose open command and icon name the installation's main.exe,
// and whose name is the installed system's text.
#pragma once

#include <string>

#include "platform/Dialogue.h"
#include "platform/EventLog.h"
#include "platform/Registry.h"

namespace kavrel {

// What the registration (and a per-system archive) says when no system name was found.
inline constexpr const char* kNoSystemNameText = "ｼｽﾃﾑ名称が取得できませんでした。";
inline constexpr const char* kNoSystemNameCaption = "更新エラー";

// Writes the file-type keys under HKEY_CLASSES_ROOT for the installation in `folder`
// (expected to end with a backslash) of system `systemNumber` (-1: none found) and tells
// the shell. Registry failures are silent; a missing system name is reported in a
// message box and leaves the file type's name empty.
void RegisterFileType(ClassesRegistry& registry, UserDialogue& user, EventLog& log, int systemNumber,
                      const std::string& folder);

}  // namespace kavrel
