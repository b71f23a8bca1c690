// Every way a run can end, and every exit code of the program: one table. Each outcome
// has one row: its exit code, the caption and text of its message, and whether the user
// is sent back to the destination page (the wizard's 0) or the program ends (its 1).
// Deployment tools read the exit codes: they are stable across versions, and 1641, 3010
// and 1618 ("restart needed", "try again later") are never used.
#pragma once

#include <span>
#include <string>

#include "platform/Dialogue.h"
#include "platform/EventLog.h"

namespace kavrel {

enum class ExitCode : int {
    Updated = 0,               // every item installed
    LeftBeforeTheRun = 2,      // the wizard was closed before an update ran
    UsageError = 3,            // an unknown or malformed switch; nothing changed
    NoDescription = 4,         // /S and no info.txt beside Kavrel.exe, or a damaged one
    StartFailed = 5,           // a window or page could not be created
    InternalError = 6,         // the program met an error of its own (out of memory)
    FolderRefused = 10,        // no installation of this product in the folder
    VersionRefused = 11,       // main.exe missing, or another version installed
    ProductInUse = 12,         // the product is running, or a file to replace is open
    FolderNotWritable = 13,    // an administrator must run the update
    FolderUnusable = 14,       // the folder's name cannot reach the archive library
    MediumUnusable = 15,       // the medium's path cannot reach the archive library
    AnotherRun = 16,           // another Kavrel is updating the same installation
    LinkInTheWay = 17,         // a link below the installation folder: nothing written through it
    EarlierUpdateUnfinished = 18,  // an earlier update of another medium did not finish
    NotEnoughSpace = 19,       // the installation's drive cannot hold the update
    NoSystemName = 20,         // a per-system archive, and no system name was found
    DiskNeeded = 21,           // /S on floppies: another disk is needed
    LibraryNotOurs = 22,       // the UNLHA32.dll loaded is not the medium's own; nothing changed
    MediumAltered = 23,        // a file of the medium differs from its content list, or the signature fails
    ArchiveFailed = 30,        // an archive could not be extracted
    CopyFailed = 31,           // a plain file could not be copied
    AttributesFailed = 32,     // a copied file's attributes could not be cleared
    Cancelled = 1602,          // the user cancelled the update at a disk prompt
};

// Every exit code with the words the usage gives it.
struct ExitCodeInfo {
    ExitCode code;
    const char* usage;
};
inline constexpr ExitCodeInfo kExitCodes[] = {
    {ExitCode::Updated, "正常に更新"},
    {ExitCode::LeftBeforeTheRun, "更新前に終了"},
    {ExitCode::UsageError, "指定の誤り"},
    {ExitCode::NoDescription, "info.txt がない/壊れている"},
    {ExitCode::StartFailed, "画面を作れない"},
    {ExitCode::InternalError, "内部エラー"},
    {ExitCode::FolderRefused, "インストール先が正しくない"},
    {ExitCode::VersionRefused, "バージョンが違う"},
    {ExitCode::ProductInUse, "製品が実行中/ファイル使用中"},
    {ExitCode::FolderNotWritable, "書き込み権限がない"},
    {ExitCode::FolderUnusable, "フォルダー名が使えない"},
    {ExitCode::MediumUnusable, "更新ディスクの場所が使えない"},
    {ExitCode::AnotherRun, "別の更新が実行中"},
    {ExitCode::LinkInTheWay, "インストール先にリンクがある"},
    {ExitCode::EarlierUpdateUnfinished, "以前の更新が終わっていない"},
    {ExitCode::NotEnoughSpace, "空き容量が足りない"},
    {ExitCode::NoSystemName, "システム名称がない"},
    {ExitCode::DiskNeeded, "次のディスクが必要"},
    {ExitCode::LibraryNotOurs, "UNLHA32.dll が違う"},
    {ExitCode::MediumAltered, "更新ディスクが改変/破損"},
    {ExitCode::ArchiveFailed, "書庫の展開に失敗"},
    {ExitCode::CopyFailed, "ファイルのコピーに失敗"},
    {ExitCode::AttributesFailed, "属性の更新に失敗"},
    {ExitCode::Cancelled, "利用者が取消し"},
};

enum class RunOutcome {
    Completed,
    FolderRefused,         // no installation of this product in the folder
    VersionRefused,        // main.exe missing, or a version this update is not for
    FolderNotExpressible,  // the folder's name has a character code page 932 lacks
    FolderTooLong,         // the folder's name makes a command line too long
    FolderNotWritable,     // the user may not write into the folder
    ProductRunning,        // the product's main.exe is running
    FileInUse,             // a file the update replaces is held open
    NotEnoughSpace,        // the installation's drive cannot hold what the update stages
    NoSystemName,          // a per-system archive, and no system name was found
    MediumUnusable,        // the medium's or the Windows folder's name cannot reach the library
    AnotherRun,            // another run holds the installation's lock
    EarlierUpdateUnfinished,  // refused, and another medium's update did not finish here
    LinkInTheWay,          // a folder or file below the installation is a link
    Cancelled,             // the user cancelled a disk prompt
    DiskNeeded,            // a disk prompt that no one could answer (unattended run)
    ArchiveFailed,         // the archive library failed
    CopyFailed,            // a plain file could not be copied
    AttributesFailed,      // a plain file's attributes could not be cleared
    DescriptionDamaged,    // info.txt ends within its fixed lines, or could not all be read
    LibraryNotOurs,        // the UNLHA32.dll loaded is not the one beside Kavrel.exe, or not Kavrel's
    MediumAltered,         // the medium is not as its vendor built it (content list, signature)
};

struct OutcomeRow {
    RunOutcome outcome;
    const char* name;  // for the log
    ExitCode code;
    // The message; "%s" stands for the detail the run gives (a path, the library's
    // text). Null: nothing is shown (no one could answer), only the log hears of it.
    const char* caption;
    const char* text;
    bool backToDestination;
};

const OutcomeRow& RowOf(RunOutcome outcome);
// Every row, in the order of RunOutcome.
std::span<const OutcomeRow> OutcomeRows();

inline ExitCode ExitCodeFor(RunOutcome outcome) { return RowOf(outcome).code; }
// The page graph's value: 1 the run is over and the program ends, 0 the user chooses
// another folder.
inline int RunResult(RunOutcome outcome) { return RowOf(outcome).backToDestination ? 0 : 1; }

// The row's text with the detail in its place.
std::string OutcomeText(const OutcomeRow& row, const std::string& detail);

// How a run ends: shows the row's message, logs the outcome and returns it.
RunOutcome EndRun(UserDialogue& user, EventLog& log, RunOutcome outcome, const std::string& detail = {});

}  // namespace kavrel
