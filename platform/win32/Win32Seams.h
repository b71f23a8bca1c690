// Every seam of the run as Kavrel.exe has it on Win32, in one place that the
// application owns for the whole program.
#pragma once

#include <memory>

#include "lha/dll/Win32FileSystem.h"
#include "platform/win32/Win32ArchiveLibrary.h"
#include "platform/win32/Win32Dialogue.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Log.h"
#include "platform/win32/Win32Machine.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Trust.h"
#include "platform/RunSeams.h"

namespace kavrel {

struct Win32Seams {
    Win32Seams() { log.ReportFailuresTo(&user); }
    Win32Seams(const Win32Seams&) = delete;
    Win32Seams& operator=(const Win32Seams&) = delete;

    // The view owns the message boxes and hears the archive library.
    void SetOwner(HWND view) {
        user.SetOwner(view);
        archives.SetOwner(view);
    }
    RunSeams Run() { return Run(trust); }
    // A test program has no medium of its own to vouch for: it brings the trust it means.
    RunSeams Run(ProgramTrust& own) {
        return RunSeams{files, files, files, files, registry, user, log, archives, machine, *staging, *hashing, own};
    }

    Win32Files files;
    Win32Registry registry;
    Win32Machine machine;
    Win32Log log;
    Win32Dialogue user{log};
    Win32ArchiveLibrary archives;
    std::unique_ptr<lha::FileSystem> staging = lha::MakeWin32FileSystem();
    std::unique_ptr<Hashing> hashing = MakeSystemHashing();
    Win32Trust trust;
};

}  // namespace kavrel
