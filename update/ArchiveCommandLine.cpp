#include "update/ArchiveCommandLine.h"

#include "platform/Text.h"
#include "update/Journal.h"

namespace kavrel {

ArchiveCommandLines BuildArchiveCommandLines(const std::string& windowsDirectory, const std::string& archive,
                                             const std::string& target, const std::string& installFolder) {
    ArchiveCommandLines lines;
    std::string windows932, archive932, target932, work932;
    if (!Utf8ToCp932(windowsDirectory, windows932) || !Utf8ToCp932(archive, archive932)) {
        lines.problem = CommandLineProblem::MediumCharacters;
        return lines;
    }
    if (!Utf8ToCp932(target, target932) || !Utf8ToCp932(WorkFolderOf(installFolder), work932)) {
        lines.problem = CommandLineProblem::FolderCharacters;
        return lines;
    }
    // The work folder is Kavrel's own at the installation's root: the library stages there.
    lines.extract = "e -mcw" + work932 + " \"" + archive932 + "\" \"" + target932 + "\"";
    lines.test = "t -mcw" + windows932 + " \"" + archive932 + "\"";
    if (lines.extract.size() <= kMaxCommandLineBytes) return lines;

    // Too long: would a folder as short as "C:\" fit? Then the chosen folder is to blame.
    std::string folder932;
    const std::size_t folderBytes =
        target.compare(0, installFolder.size(), installFolder) == 0 && Utf8ToCp932(installFolder, folder932)
            ? folder932.size()
            : 0;
    // The folder is in the line twice: in the work folder and in the target.
    const std::size_t withShortestFolder = lines.extract.size() - 2 * folderBytes + 2 * 3;
    lines.problem = folderBytes > 3 && withShortestFolder <= kMaxCommandLineBytes ? CommandLineProblem::FolderLength
                                                                                  : CommandLineProblem::MediumLength;
    lines.extract.clear();
    lines.test.clear();
    return lines;
}

}  // namespace kavrel
