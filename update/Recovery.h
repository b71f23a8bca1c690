// The first thing a run does on an installation, after taking its lock: what an earlier
// run left in Kavrel's work folder is dealt with before any check reads the installation.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "description/UpdateDescription.h"
#include "platform/RunSeams.h"
#include "update/Journal.h"

namespace kavrel {

struct RecoveryResult {
    std::optional<JournalState> journal;  // an earlier run's, when it left one
    bool sameMedium = false;              // ... and it was this medium's update
    std::vector<std::string> keptFiles;   // old files that could not be put back
};

// Finishes an interrupted commit, removes what staging left, and reads the journal. Only
// files inside `workFolder` and targets inside `installFolder` (or, for this medium's own
// journal, in the folders its item table names) are touched. `infoSha256` names this
// medium. Logs what it found and did; tells the user only of files it could not restore.
RecoveryResult RecoverInstallation(const RunSeams& seams, const UpdateDescription& desc,
                                   const std::string& installFolder, const std::string& workFolder,
                                   const std::string& infoSha256);

// What RecoverInstallation would find, changing nothing: the journal, and in the log
// whether an interrupted commit waits (for /CHECK).
RecoveryResult PendingRecovery(const RunSeams& seams, const std::string& workFolder, const std::string& infoSha256);

// `path` with "." and ".." resolved and separators made single backslashes; empty when
// ".." would climb above its drive or share.
std::string NormalizedPath(const std::string& path);

}  // namespace kavrel
