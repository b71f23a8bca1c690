#include "update/UpdateItems.h"

#include <algorithm>

#include "platform/Text.h"
#include "update/SplitPath.h"
#include "update/UpdateMessages.h"

namespace kavrel {
namespace {

namespace text = update_text;

// What the archive library accepts: its output buffer, and the longest command line.
constexpr std::size_t kArchiveOutputSize = 256;
constexpr std::size_t kMaxCommandLineBytes = 255;

void Tell(Platform& platform, const std::string& message, const char* caption) {
    platform.ShowMessage(message, caption, MessageButtons::Ok);
}

bool IsSystemArchive(const std::string& name) { return SplitPath(name).fname == "START"; }

// Whether the disk now in the drive holds the item. The product looks for "<name>.lzh"
// for every kind of item; a plain file or a per-system archive is never stored under that
// name, so their real file names count as well, or the prompt could never be passed.
bool DiskHoldsItem(const ItemRunContext& c, int index) {
    const std::string& name = c.desc.m_strItemName[index];
    const std::string path = c.sourceFolder + name;
    if (c.platform.Exists(path + ".lzh")) return true;
    if (c.desc.m_nItemKind[index] != kItemKindArchive) return c.platform.Exists(path);
    return IsSystemArchive(name) && c.desc.m_nSystemNumber != -1 &&
           c.platform.Exists(path + DecimalText(c.desc.m_nSystemNumber) + ".lzh");
}

// Asks for the item's disk until it is in the drive. False when the user cancelled.
bool AskForDisk(const ItemRunContext& c, int index) {
    const std::string prompt = text::InsertDisk(c.desc.m_nItemDisk[index]);
    for (;;) {
        if (c.platform.ShowMessage(prompt, text::kCaptionConfirm, MessageButtons::OkCancel) !=
            MessageAnswer::Ok) {
            Tell(c.platform, text::kCancelled, text::kCaptionConfirm);
            return false;
        }
        if (DiskHoldsItem(c, index)) return true;
    }
}

// The command line in the library's code page, or a refusal already shown to the user.
std::optional<std::string> BuildCommandLine(const ItemRunContext& c, const std::string& archive,
                                            const std::string& target) {
    for (const std::string* part : {&c.windowsDirectory, &archive, &target}) {
        std::string bytes;
        if (!Utf8ToCp932(*part, bytes)) {
            Tell(c.platform, text::NotExpressible(*part), text::kCaptionConfirm);
            return std::nullopt;
        }
    }
    const std::string line = "e -mcw" + c.windowsDirectory + " \"" + archive + "\" \"" + target + "\"";
    std::string bytes;
    if (!Utf8ToCp932(line, bytes)) {
        Tell(c.platform, text::NotExpressible(line), text::kCaptionConfirm);
        return std::nullopt;
    }
    if (bytes.size() > kMaxCommandLineBytes) {
        Tell(c.platform, text::PathTooLong(archive + ".lzh", target), text::kCaptionConfirm);
        return std::nullopt;
    }
    return bytes;
}

std::optional<int> InstallArchive(const ItemRunContext& c, int index, const std::string& target) {
    std::string& name = c.desc.m_strItemName[index];
    if (IsSystemArchive(name)) {
        if (c.desc.m_nSystemNumber == -1) {
            Tell(c.platform, text::kNoSystemName, text::kCaptionUpdateError);
            return 0;
        }
        // Kept in the description: the per-system archive is known by this name from now on.
        name += DecimalText(c.desc.m_nSystemNumber);
    }
    const auto commandLine = BuildCommandLine(c, c.sourceFolder + name, target);
    if (!commandLine) return 1;

    std::string output;
    if (c.platform.ArchiveCommand(*commandLine, output, kArchiveOutputSize) != 0) {
        Tell(c.platform, Cp932ToUtf8(output), text::kCaptionConfirm);
        return 1;
    }
    return std::nullopt;
}

std::optional<int> CopyPlainFile(const ItemRunContext& c, int index, const std::string& target) {
    const std::string source = c.sourceFolder + c.desc.m_strItemName[index];
    // The item's directory part says where it lies on the medium, not where it goes.
    const PathParts parts = SplitPath(source);
    const std::string destination = target + parts.fname + parts.ext;

    if (!c.platform.CopyFileOverwrite(source, destination)) {
        Tell(c.platform, text::CopyFailed(destination), text::kCaptionConfirm);
        return 1;
    }
    FileStatus status;
    if (!c.platform.GetFileStatus(destination, status)) {
        Tell(c.platform, text::AttributesFailed(source), text::kCaptionConfirm);
        return 1;
    }
    // A plain file: no read-only, hidden, system or archive flag survives; times are kept.
    status.attributes = 0;
    if (!c.platform.SetFileStatus(destination, status)) {
        Tell(c.platform, text::AttributesFailed(source), text::kCaptionConfirm);
        return 1;
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> InstallItems(const ItemRunContext& c) {
    int lastDisk = 1;
    const int count = std::clamp(c.desc.m_nItemCount, 0, kMaxItems);
    for (int i = 0; i < count; ++i) {
        // Disk 1 is never asked for: the program itself was started from it.
        const int disk = c.desc.m_nItemDisk[i];
        if (disk != 1 && disk != lastDisk && c.platform.IsRemovableDrive(c.sourceFolder)) {
            if (!AskForDisk(c, i)) return 1;
            lastDisk = disk;
        }

        const std::string target = c.installFolder + c.desc.m_strItemSubfolder[i];
        // One level only; a copy into a folder that is still missing reports the failure.
        if (!c.platform.Exists(target)) c.platform.MakeDirectory(target);

        const auto stopped = c.desc.m_nItemKind[i] == kItemKindArchive
                                 ? InstallArchive(c, i, target)
                                 : CopyPlainFile(c, i, target);
        if (stopped) return stopped;
    }
    return std::nullopt;
}

}  // namespace kavrel
