// The process's current drive and per-drive current directory, kept as the Windows C
// runtime keeps them: after every change of directory the "=X:" environment variable
// of that drive records it, so drive-relative names ("c:data", "c:..") and a later
// change of drive find the directory browsing left there (Wine keeps no per-drive
// directory of its own).
#pragma once

#include <string>

namespace kavrel {

// 1 = A:, 2 = B:, ...; 0 when the current directory is not on a drive letter.
int GetCurrentDriveNumber();
// Makes drive `number` current, at its remembered directory.
bool ChangeCurrentDrive(int number);
// Changes the current directory (absolute or drive-relative target).
bool ChangeCurrentDirectory(const std::wstring& target);
// The full current directory, however long.
std::wstring GetCurrentDirectoryText();

}  // namespace kavrel
