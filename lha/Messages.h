// The Japanese failure texts (UTF-8 here; the DLL hands them out in code page 932).
// Each says what failed and, where there is one, which entry.
#pragma once

#include <cstdint>
#include <string>

#include "lha/Header.h"
#include "lha/SafeName.h"

namespace kavrel::lha::msg {

// 「s」
std::string Quoted(const std::string& s);

std::string ArchiveNotFound(const std::string& path);
std::string ArchiveOpenFailed(const std::string& path);
std::string NotAnArchive(const std::string& path);
std::string HeaderTruncated(int index);
std::string HeaderChecksum(int index);
std::string HeaderMalformed(int index);
std::string HeaderLevel(int index, int level);
std::string HeaderSizeZero(int index);
std::string HeaderAfterEndMark(int index);
std::string ArchiveReadFailed();
std::string DataTruncated(const std::string& entry);
std::string UnsupportedMethod(const std::string& entry, const std::string& method);
std::string UnsafeName(const std::string& entry, NameProblem problem);
std::string OutsideDestination(const std::string& entry);
std::string CrcMismatch(const std::string& entry);
std::string Corrupt(const std::string& entry);
std::string WriteFailed(const std::string& path);
std::string ReplaceFailed(const std::string& path);
std::string OldFileKeptAt(const std::string& path, const std::string& aside);
std::string NotEnoughSpace(const std::string& folder, std::uint64_t needed, std::uint64_t free);
std::string DestinationFailed(const std::string& path);
std::string FolderInTheWay(const std::string& path);
std::string BadCommandLine(const std::string& detail);
std::string TooManyEntries();
std::string OutOfMemory();
std::string FilesExtracted(int count);

// A stored text (code page 932) made printable: UTF-8, control characters as '?'.
std::string Printable(const std::string& cp932);
// An entry's path as it is extracted (PathUtf8), control characters as '?'.
std::string EntryName(const EntryHeader& header);

}  // namespace kavrel::lha::msg
