// Whether the medium is the one its vendor built: Kavrel's own signature first, then
// every file of each disk against the content list Kavrel.exe carries. A medium without
// a list is not checked, as before lists existed.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "description/ContentList.h"
#include "platform/RunSeams.h"
#include "update/Outcome.h"

namespace kavrel {

class MediumContents {
public:
    explicit MediumContents(const RunSeams& seams) : seams_(seams) {}

    // Reads the list from Kavrel's own file and checks its signature; a refusal, or empty.
    std::optional<RunOutcome> Load();
    // The disk now in the drive (every disk when the medium is not removable: a set
    // copied into one folder): each listed file is there with its length and digest, and
    // each of `named` (the files info.txt names there) is listed.
    std::optional<RunOutcome> VerifyDisk(const std::string& source, int disk, bool removable,
                                         const std::vector<std::string>& named);

private:
    RunOutcome Refuse(const std::string& logLine, const std::string& detail);

    const RunSeams& seams_;
    bool hasList_ = false;
    ContentList list_;
    std::string who_;  // for the log: who signed, or that no one did
};

}  // namespace kavrel
