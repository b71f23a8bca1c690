// The medium's content list: the length and SHA-256 of every file of the update on every
// disk (info.txt, the pictures, UNLHA32.dll, every archive and plain file). kavrel-pack
// build writes it after Kavrel.exe's image, where the Authenticode signature of a signed
// Kavrel.exe covers it: a list cannot be changed or stripped without breaking that
// signature. Kavrel.exe itself is not listed; its signature stands for it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kavrel {

struct ContentFile {
    int disk = 1;          // 1.. as info.txt numbers the disks
    std::string name;      // UTF-8, relative to the disk's root, '\\' between folders
    std::uint64_t size = 0;
    std::string sha256;    // 64 lower-case hexadecimal digits
};

struct ContentList {
    std::vector<ContentFile> files;
};

// "KAVREL-CONTENTS 1\n", one "disk\tsize\tsha256\tname\n" line per file, "end\n", then NUL
// bytes up to a multiple of 8 (the certificate table that a signature appends is
// 8-aligned, so the signer adds no padding of its own inside the signed bytes).
std::string FormatContentList(const ContentList& list);
// Strict: the block as FormatContentList writes it, trailing NULs allowed. False for
// anything else (a damaged list is a damaged medium, never an absent one).
bool ParseContentList(std::string_view bytes, ContentList& list);
// Whether `bytes` starts like a content list at all (an overlay of someone else's is not one).
bool LooksLikeContentList(std::string_view bytes);
// Whether two names of the list are the same file's: ASCII case, and '/' for '\\', aside.
bool SameContentName(std::string_view a, std::string_view b);
// The entry for `name` on `disk`, compared without regard to ASCII case and '/' or '\\'.
const ContentFile* FindContentFile(const ContentList& list, int disk, std::string_view name);

// Where a PE file's overlay lies: from the end of its last section's raw data to its
// Authenticode certificate table (or to the end of the file when it has none).
struct PeOverlay {
    std::uint64_t begin = 0;
    std::uint64_t end = 0;
    std::uint64_t certificateOffset = 0;  // 0: not signed
    std::uint64_t certificateSize = 0;
};
// False when `image` (the whole file) is not a well-formed PE file.
bool FindPeOverlay(std::string_view image, PeOverlay& overlay);
// The content list a Kavrel.exe image carries: 1 found and read, 0 none, -1 damaged.
int ReadContentListOf(std::string_view image, ContentList& list);

}  // namespace kavrel
