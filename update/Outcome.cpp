#include "update/Outcome.h"

#include "checks/FileTypeRegistration.h"
#include "platform/Text.h"

namespace kavrel {
namespace {

constexpr const char* kConfirm = "確認";
constexpr const char* kError = "エラー";

constexpr OutcomeRow kRows[] = {
    {RunOutcome::Completed, "completed", ExitCode::Updated, kConfirm, "システムは正常に更新されました。", false},
    {RunOutcome::FolderRefused, "folder refused", ExitCode::FolderRefused, kError,
     "インストール先が正しくありません。", true},
    {RunOutcome::VersionRefused, "version refused", ExitCode::VersionRefused, kError,
     "このバージョンへの更新はできません。", true},
    {RunOutcome::FolderNotExpressible, "folder name not expressible", ExitCode::FolderUnusable, kError,
     "インストール先のフォルダー名に使用できない文字が含まれています。\n別のフォルダーを選んでください。\n%s", true},
    {RunOutcome::FolderTooLong, "folder name too long", ExitCode::FolderUnusable, kError,
     "インストール先のフォルダー名が長すぎます。\n短い名前のフォルダーを選んでください。\n%s", true},
    {RunOutcome::FolderNotWritable, "folder not writable", ExitCode::FolderNotWritable, kError,
     "インストール先に書き込めません。\nこの更新は管理者の権限で実行する必要があります。\n%s", true},
    {RunOutcome::ProductRunning, "product running", ExitCode::ProductInUse, kError,
     "製品が実行中です。\n製品を終了してから、もう一度更新してください。\n%s", true},
    {RunOutcome::FileInUse, "file in use", ExitCode::ProductInUse, kError,
     "更新するファイルを他のプログラムが使用しています。\nプログラムを終了してから、もう一度更新してください。\n%s", true},
    {RunOutcome::NotEnoughSpace, "not enough space", ExitCode::NotEnoughSpace, kError,
     "インストール先のドライブの空き容量が足りません。\n空き容量を増やすか、別のフォルダーを選んでください。\n%s", true},
    {RunOutcome::NoSystemName, "no system name", ExitCode::NoSystemName, kNoSystemNameCaption, kNoSystemNameText, true},
    // Choosing another folder cannot help here: the medium itself must move.
    {RunOutcome::MediumUnusable, "medium unusable", ExitCode::MediumUnusable, kError,
     "更新ディスクのフォルダー名（またはWindowsフォルダー名）に使用できない文字が含まれているか、長すぎるため、"
     "更新できません。\n更新ディスクの内容を C:\\UPDATE のような短い英数字の名前のフォルダーにコピーして、"
     "そこから実行してください。\n%s",
     false},
    {RunOutcome::AnotherRun, "another run", ExitCode::AnotherRun, kError,
     "別の更新がこのインストール先を更新しています。\nその更新が終わってから、もう一度実行してください。\n%s", false},
    {RunOutcome::EarlierUpdateUnfinished, "earlier update unfinished", ExitCode::EarlierUpdateUnfinished, kError,
     "このインストール先では、以前の更新が終わっていません。\nその更新ディスクで更新を終えてから、もう一度実行してください。"
     "\n%s",
     true},
    {RunOutcome::LinkInTheWay, "link in the way", ExitCode::LinkInTheWay, kError,
     "インストール先のフォルダーまたはファイルがリンク（ジャンクションなど）になっているため、更新できません。\n"
     "管理者に確認を依頼してください。\n%s",
     true},
    {RunOutcome::Cancelled, "cancelled", ExitCode::Cancelled, kConfirm, "ｱｯﾌﾟﾃﾞｲﾄを取消しました。", false},
    {RunOutcome::DiskNeeded, "disk needed", ExitCode::DiskNeeded, nullptr, nullptr, false},
    {RunOutcome::ArchiveFailed, "archive failed", ExitCode::ArchiveFailed, kConfirm, "%s", false},
    {RunOutcome::CopyFailed, "copy failed", ExitCode::CopyFailed, kConfirm, "%sの更新に失敗しました。", false},
    {RunOutcome::AttributesFailed, "attributes failed", ExitCode::AttributesFailed, kConfirm,
     "%sの属性更新に失敗しました。", false},
    // The medium itself is at fault: another folder cannot help.
    {RunOutcome::DescriptionDamaged, "description damaged", ExitCode::NoDescription, kError,
     "更新ディスクの info.txt が壊れています（途中で切れているか、読み取れません）。\n"
     "正しい更新ディスクから、もう一度実行してください。\n%s",
     false},
    {RunOutcome::LibraryNotOurs, "library not ours", ExitCode::LibraryNotOurs, kError,
     "更新ディスクの内容が不完全です。\nKavrel.exe と同じフォルダーに、この更新の UNLHA32.DLL が必要です。\n%s",
     false},
    {RunOutcome::MediumAltered, "medium altered", ExitCode::MediumAltered, kError,
     "更新ディスクの内容が、作成されたときと異なります。\n更新ディスクが改変されたか、壊れています。\n"
     "正しい更新ディスクから、もう一度実行してください。\n%s",
     false},
};

}  // namespace

const OutcomeRow& RowOf(RunOutcome outcome) {
    for (const OutcomeRow& row : kRows) {
        if (row.outcome == outcome) return row;
    }
    return kRows[0];  // unreachable: every outcome has its row (checked by the tests)
}

std::span<const OutcomeRow> OutcomeRows() { return kRows; }

std::string OutcomeText(const OutcomeRow& row, const std::string& detail) {
    std::string text = row.text ? row.text : "";
    const std::size_t slot = text.find("%s");
    if (slot != std::string::npos) text.replace(slot, 2, detail);
    return text;
}

RunOutcome EndRun(UserDialogue& user, EventLog& log, RunOutcome outcome, const std::string& detail) {
    const OutcomeRow& row = RowOf(outcome);
    if (row.text != nullptr) {
        user.ShowMessage(OutcomeText(row, detail), row.caption, MessageButtons::Ok);
    } else if (!detail.empty()) {
        log.Log(detail);
    }
    log.Log(std::string("run outcome: ") + row.name + ", exit code " + DecimalText(static_cast<int>(row.code)));
    return outcome;
}

}  // namespace kavrel
