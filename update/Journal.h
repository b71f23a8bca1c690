// The run's journal, in Kavrel's work folder at the installation's root: which medium's
// update is under way on this installation (its title, target version and the SHA-256
// of its info.txt), the version the installation had when it began, and how far its
// items got. Written whole and flushed at each change, before the change it announces;
// a kill or a power cut leaves the last state written. A run that finishes removes it;
// one that stopped after its first change keeps it, so that the same medium can finish
// what it began (the version gate then accepts the version it began from).
#pragma once

#include <optional>
#include <string>

#include "lha/FileSystem.h"

namespace kavrel {

inline constexpr char kJournalName[] = "journal.txt";

// Kavrel's work folder of an installation: at its root, so that a rename from there to
// any target is a rename on one volume.
std::string WorkFolderOf(const std::string& installFolder);

struct JournalState {
    std::string title;          // line 1 of the medium's info.txt
    std::string targetVersion;  // the version the medium updates
    std::string infoSha256;     // of the medium's info.txt, hexadecimal
    std::string begunFrom;      // the installed version when the update began
    int itemsDone = 0;          // items finished, in table order
    int itemBegun = 0;          // the item under way (1-based), 0 when none
    bool operator==(const JournalState&) const = default;
};

std::string FormatJournal(const JournalState& state);
// Nothing when the text is not a whole journal of ours.
std::optional<JournalState> ParseJournal(const std::string& text);

// The journal of one run.
class Journal {
public:
    Journal(lha::FileSystem& fs, std::string workFolder) : fs_(fs), work_(std::move(workFolder)) {}

    // Reads what a run before this one left; nothing when there is no journal of ours.
    std::optional<JournalState> Read();
    // Writes `state`; false when it could not be put on the disk.
    bool Write(const JournalState& state);
    void Remove();

private:
    lha::FileSystem& fs_;
    std::string work_;
};

}  // namespace kavrel
