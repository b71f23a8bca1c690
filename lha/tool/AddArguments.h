// The command line of `kavrel-lha a [switches] archive files-or-folders...`.
#pragma once

#include <string>
#include <vector>

#include "lha/encoder/ArchiveWriter.h"

namespace kavrel::lha {

struct AddArguments {
    WriteOptions options;
    std::string archive;
    std::vector<SourceEntry> entries;
};

// `args` are the words after "a". False with a message for an unknown or repeated
// switch, a missing archive or no file to add.
bool ParseAddArguments(const std::vector<std::string>& args, AddArguments& out, std::string& error);

// Where a file or folder named on the command line goes in the archive: a relative
// path as it is (without "./" and doubled or trailing separators), anything else
// (absolute, with "..", a drive) by its last component; "." (or a path that ends in
// it) puts a folder's contents at the top.
std::string StoredPathFor(const std::string& argument);

extern const char kAddUsage[];

}  // namespace kavrel::lha
