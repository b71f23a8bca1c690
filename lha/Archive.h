// The entries of an archive: finds where the LZH data begin (at 0, or after the
// program stub of a self-extracting archive) and reads every header up front.
//
// Strict about damage, lenient about real archives:
//  - a file whose bytes 2 to 6 hold a method id is an archive, and a first header that
//    does not parse is reported; only a file that does not start like that is searched
//    for an archive behind a stub;
//  - a 0 byte where a header should begin ends the archive only when nothing but zero
//    bytes or bytes that cannot be a header follow it;
//  - the end of the file where a header should begin is a truncated archive, except
//    when every entry is of LArc's methods (-lzs-, -lz4-, -lz5-), written without an
//    end mark.
#pragma once

#include <string>
#include <vector>

#include "lha/Header.h"

namespace kavrel::lha {

struct ArchiveListing {
    std::vector<EntryHeader> entries;
    std::uint64_t start = 0;  // offset of the first header
};

// True with the entries, or false with a Japanese message in `error` (and in
// `listing.entries` the headers read before the fault). Every header is checked
// (checksum/CRC, sizes, data inside the file) before this returns true.
bool ReadArchive(RandomAccess& file, const std::string& displayName, ArchiveListing& listing, std::string& error);

}  // namespace kavrel::lha
