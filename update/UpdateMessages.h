// Every message box of the update run: the texts the product has always shown, and the
// refusals Kavrel adds before anything is changed.
#pragma once

#include <string>

#include "platform/Text.h"

namespace kavrel::update_text {

inline constexpr const char* kCaptionConfirm = "確認";
inline constexpr const char* kCaptionError = "エラー";
inline constexpr const char* kCaptionUpdateError = "更新エラー";

inline constexpr const char* kBadInstallFolder = "インストール先が正しくありません。";
inline constexpr const char* kVersionRefused = "このバージョンへの更新はできません。";
inline constexpr const char* kCancelled = "ｱｯﾌﾟﾃﾞｲﾄを取消しました。";
inline constexpr const char* kNoSystemName = "ｼｽﾃﾑ名称が取得できませんでした。";
inline constexpr const char* kCompleted = "システムは正常に更新されました。";

inline std::string InsertDisk(int disk) {
    return DecimalText(disk) + " 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。";
}
inline std::string CopyFailed(const std::string& destination) {
    return destination + "の更新に失敗しました。";
}
inline std::string AttributesFailed(const std::string& source) {
    return source + "の属性更新に失敗しました。";
}

// Kavrel's own refusals, shown before anything is changed.
inline std::string FolderNotExpressible(const std::string& folder) {
    return "インストール先のフォルダー名に使用できない文字が含まれています。\n"
           "別のフォルダーを選んでください。\n" + folder;
}
inline std::string FolderTooLong(const std::string& folder) {
    return "インストール先のフォルダー名が長すぎます。\n短い名前のフォルダーを選んでください。\n" + folder;
}
// Choosing another folder cannot help here: the medium itself must move.
inline std::string MediumUnusable(const std::string& path) {
    return "更新ディスクのフォルダー名（またはWindowsフォルダー名）に使用できない文字が含まれているか、"
           "長すぎるため、更新できません。\n更新ディスクの内容を C:\\UPDATE のような短い英数字の名前の"
           "フォルダーにコピーして、そこから実行してください。\n" + path;
}
inline std::string FolderNotWritable(const std::string& folder) {
    return "インストール先に書き込めません。\n"
           "この更新は管理者の権限で実行する必要があります。\n" + folder;
}
inline std::string ProductRunning(const std::string& program) {
    return "製品が実行中です。\n製品を終了してから、もう一度更新してください。\n" + program;
}
inline std::string FileInUse(const std::string& path) {
    return "更新するファイルを他のプログラムが使用しています。\n"
           "プログラムを終了してから、もう一度更新してください。\n" + path;
}

}  // namespace kavrel::update_text
