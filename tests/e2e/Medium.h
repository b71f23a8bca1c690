// Lays out update media and installations on the Wine test drives for end-to-end runs:
// info.txt written in code page 932 by Windows' own conversion, Kavrel.exe and its
// archive library copied beside it.
#pragma once

#include <string>
#include <vector>

namespace kavrel::e2e {

// The 41 fixed lines of info.txt, all empty, to be filled by index (0 = line 1).
std::vector<std::string> BlankInfoLines();

// Removes a folder tree (if any) and creates it anew, parents included.
bool FreshFolder(const std::wstring& folder);
bool MakeFolders(const std::wstring& folder);
// Removes everything on a drive ("F:"), leaving the drive itself.
void EmptyDrive(const std::wstring& root);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
std::string ReadBytes(const std::wstring& path);
// Writes folder\info.txt: the lines in code page 932, CR LF after each.
bool WriteInfo(const std::wstring& folder, const std::vector<std::string>& lines);
// Copies Kavrel.exe (and UNLHA32.dll when the build has it) into the folder.
bool InstallKavrel(const std::wstring& folder);
// Copies a folder tree (files and folders below `from`) into `to`.
bool CopyTree(const std::wstring& from, const std::wstring& to);

}  // namespace kavrel::e2e
