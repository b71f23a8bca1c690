// Every seam an update run reaches outside itself, bundled: each implementation (Win32,
// the tests) fills it with its own.
#pragma once

#include "lha/FileSystem.h"
#include "platform/ArchiveLibrary.h"
#include "platform/Dialogue.h"
#include "platform/EventLog.h"
#include "platform/Files.h"
#include "platform/Hashing.h"
#include "platform/Machine.h"
#include "platform/Registry.h"
#include "platform/Trust.h"

namespace kavrel {

struct RunSeams {
    FileReader& files;  // the medium and the installation alike
    FolderSearch& folders;
    MediumDrives& drives;
    InstallationFiles& installation;
    ClassesRegistry& registry;
    UserDialogue& user;
    EventLog& log;
    ArchiveLibrary& archives;
    Machine& machine;
    // Kavrel's work folder at the installation's root: staging, the journal, recovery.
    lha::FileSystem& staging;
    Hashing& hashing;
    ProgramTrust& trust;  // Kavrel's own file: the content list it carries, its signature
};

}  // namespace kavrel
