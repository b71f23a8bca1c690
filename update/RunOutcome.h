// How an update run ended. The wizard maps it to the page graph's 0 or 1, the program to
// its exit code; both read the same value.
#pragma once

namespace kavrel {

enum class RunOutcome {
    Completed,          // every item installed
    FolderRefused,      // no installation of this product in the folder
    VersionRefused,     // main.exe missing, or a version this update is not for
    FolderUnusable,     // the folder's name cannot reach the archive library (characters, length)
    FolderNotWritable,  // the user may not write into the folder
    ProductInUse,       // the product is running, or a file to replace is held open
    NoSystemName,       // a per-system archive, and no system name was found
    MediumUnusable,     // the medium's or the Windows folder's name cannot reach the library
    Cancelled,          // the user cancelled a disk prompt
    DiskNeeded,         // a disk prompt that no one could answer (unattended run)
    ArchiveFailed,      // the archive library failed
    CopyFailed,         // a plain file could not be copied
    AttributesFailed,   // a plain file's attributes could not be cleared
};

// 1: the run is over and the program ends; 0: the user is sent back to choose a folder.
constexpr int RunResult(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::FolderRefused:
    case RunOutcome::VersionRefused:
    case RunOutcome::FolderUnusable:
    case RunOutcome::FolderNotWritable:
    case RunOutcome::ProductInUse:
    case RunOutcome::NoSystemName:
        return 0;
    default:
        return 1;
    }
}

}  // namespace kavrel
