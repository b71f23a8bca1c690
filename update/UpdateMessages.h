// Every message box of the update run: the texts the product has always shown, and the
// two refusals Kavrel adds before calling the archive library.
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

// The archive library reads its command line in code page 932 and at most 255 bytes;
// anything else would reach it garbled or cut, so the run refuses first.
inline std::string NotExpressible(const std::string& path) {
    return "使用できない文字が含まれているため、更新できません。\n" + path;
}
inline std::string PathTooLong(const std::string& archive, const std::string& target) {
    return "パスが長すぎるため、更新できません。\n" + archive + "\n" + target;
}

}  // namespace kavrel::update_text
