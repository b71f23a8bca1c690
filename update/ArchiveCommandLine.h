// The command lines the update run hands to the archive library: extraction ("e") as
// the product has always built it, and Kavrel's full test ("t") of the same archive.
#pragma once

#include <string>

namespace kavrel {

// The library reads code page 932 and at most this many bytes.
inline constexpr std::size_t kMaxCommandLineBytes = 255;

// What keeps a command line from reaching the library whole, and whose part it is: the
// installation folder (the user can choose another) or the medium's folder and the
// Windows directory (the medium must move).
enum class CommandLineProblem { None, FolderCharacters, FolderLength, MediumCharacters, MediumLength };

struct ArchiveCommandLines {
    CommandLineProblem problem = CommandLineProblem::None;
    std::string extract;  // code page 932 bytes: e -mcw<work folder> "<archive>" "<target>"
    std::string test;     // code page 932 bytes: t -mcw<windows> "<archive>"
};

// `archive` is the medium's folder followed by the item's name (no extension), `target`
// the installation folder followed by the item's sub-folder, `installFolder` the part of
// `target` the user chose. All UTF-8.
ArchiveCommandLines BuildArchiveCommandLines(const std::string& windowsDirectory, const std::string& archive,
                                             const std::string& target, const std::string& installFolder);

}  // namespace kavrel
