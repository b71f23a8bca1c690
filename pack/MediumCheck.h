// kavrel-pack check: reads a medium's info.txt with Kavrel's own reader and reports,
// with line numbers, everything that would make the update fail or surprise on the
// customer's PC. It only reads: the medium is never changed.
#pragma once

#include <string>

#include "pack/Diagnostics.h"

namespace kavrel::pack {

// Exit codes of the tool (the README lists them).
inline constexpr int kExitClean = 0;
inline constexpr int kExitWarnings = 1;
inline constexpr int kExitErrors = 2;
inline constexpr int kExitUsage = 3;

struct CheckOptions {
    // The media the set is for ("floppy-1.44", ...); empty: a set of disk folders is
    // taken for 1.44 MB floppies, a single folder has no size limit.
    std::string media;
    // PEM roots the signatures must lead to; empty: osslsigncode's default roots.
    std::string caFile;
};

struct CheckResult {
    int disks = 0;
    int items = 0;
    int archivesTested = 0;
    std::string media;  // the media the sizes were checked against
};

CheckResult CheckMedium(const std::string& medium, const CheckOptions& options, Diagnostics& diags);

// 0, 1 or 2 from what `diags` holds.
int ExitCodeFor(const Diagnostics& diags);

}  // namespace kavrel::pack
