// The program's exit codes, the same with and without /S, stable across versions:
// deployment tools read them. 1641, 3010 and 1618 ("restart needed", "try again later")
// are never used; 1602 is the cancel administrators know from Windows Installer.
#pragma once

#include "update/RunOutcome.h"

namespace kavrel {

enum class ExitCode : int {
    Updated = 0,               // every item installed
    LeftBeforeTheRun = 2,      // the wizard was closed before an update ran
    UsageError = 3,            // an unknown or malformed switch; nothing changed
    NoDescription = 4,         // /S and no info.txt beside Kavrel.exe
    StartFailed = 5,           // a window or page could not be created
    InternalError = 6,         // the program met an error of its own (out of memory)
    FolderRefused = 10,        // no installation of this product in the folder
    VersionRefused = 11,       // main.exe missing, or another version installed
    ProductInUse = 12,         // the product is running, or a file to replace is open
    FolderNotWritable = 13,    // an administrator must run the update
    FolderUnusable = 14,       // the folder's name cannot reach the archive library
    MediumUnusable = 15,       // the medium's path cannot reach the archive library
    NoSystemName = 20,         // a per-system archive, and no system name was found
    DiskNeeded = 21,           // /S on floppies: another disk is needed
    ArchiveFailed = 30,        // an archive could not be extracted
    CopyFailed = 31,           // a plain file could not be copied
    AttributesFailed = 32,     // a copied file's attributes could not be cleared
    Cancelled = 1602,          // the user cancelled the update at a disk prompt
};

constexpr ExitCode ExitCodeFor(RunOutcome outcome) {
    switch (outcome) {
    case RunOutcome::Completed: return ExitCode::Updated;
    case RunOutcome::FolderRefused: return ExitCode::FolderRefused;
    case RunOutcome::VersionRefused: return ExitCode::VersionRefused;
    case RunOutcome::FolderUnusable: return ExitCode::FolderUnusable;
    case RunOutcome::FolderNotWritable: return ExitCode::FolderNotWritable;
    case RunOutcome::ProductInUse: return ExitCode::ProductInUse;
    case RunOutcome::NoSystemName: return ExitCode::NoSystemName;
    case RunOutcome::MediumUnusable: return ExitCode::MediumUnusable;
    case RunOutcome::Cancelled: return ExitCode::Cancelled;
    case RunOutcome::DiskNeeded: return ExitCode::DiskNeeded;
    case RunOutcome::ArchiveFailed: return ExitCode::ArchiveFailed;
    case RunOutcome::CopyFailed: return ExitCode::CopyFailed;
    case RunOutcome::AttributesFailed: return ExitCode::AttributesFailed;
    }
    return ExitCode::InternalError;
}

}  // namespace kavrel
