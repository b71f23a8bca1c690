#include "lha/Messages.h"

#include "platform/Text.h"

namespace kavrel::lha::msg {
namespace {
std::string Q(const std::string& s) { return Quoted(s); }
std::string N(int index) { return DecimalText(index + 1LL) + " 番目"; }
}  // namespace

namespace {
std::string WithoutControls(std::string s) {
    for (char& c : s) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return s;
}
}  // namespace

std::string Printable(const std::string& cp932) { return WithoutControls(Cp932ToUtf8(cp932)); }
std::string EntryName(const EntryHeader& header) { return WithoutControls(header.PathUtf8()); }

std::string ArchiveNotFound(const std::string& path) { return "書庫ファイル" + Q(path) + "が見つかりません。"; }
std::string ArchiveOpenFailed(const std::string& path) { return "書庫ファイル" + Q(path) + "を開けません。"; }
std::string NotAnArchive(const std::string& path) { return Q(path) + "は LZH 書庫ではありません。"; }
std::string HeaderTruncated(int index) {
    return "書庫が途中で切れています（" + N(index) + "のヘッダ）。書庫が壊れています。";
}
std::string HeaderChecksum(int index) {
    return "ヘッダのチェックサムが一致しません（" + N(index) + "のエントリ）。書庫が壊れています。";
}
std::string HeaderMalformed(int index) { return "ヘッダが壊れています（" + N(index) + "のエントリ）。"; }
std::string HeaderLevel(int index, int level) {
    return "対応していないヘッダレベル " + DecimalText(level) + " です（" + N(index) + "のエントリ）。";
}
std::string HeaderSizeZero(int index) {
    return N(index) + "のヘッダの大きさが 0 になっています。書庫が壊れています。";
}
std::string HeaderAfterEndMark(int index) {
    return N(index) + "のヘッダの位置に終わりの印がありますが、その後にもヘッダが続いています。書庫が壊れています。";
}
std::string ArchiveReadFailed() { return "書庫ファイルを読めません。"; }
std::string DataTruncated(const std::string& entry) {
    return Q(entry) + "のデータが途中で切れています。書庫が壊れています。";
}
std::string UnsupportedMethod(const std::string& entry, const std::string& method) {
    return Q(entry) + "の圧縮形式 " + method + " には対応していません。";
}
std::string UnsafeName(const std::string& entry, NameProblem problem) {
    const char* why = "";
    switch (problem) {
    case NameProblem::Empty: why = "名前が空です"; break;
    case NameProblem::DotName: why = "「.」や「..」は使えません"; break;
    case NameProblem::DeviceName: why = "デバイス名です"; break;
    case NameProblem::ForbiddenChar: why = "使えない文字を含みます"; break;
    case NameProblem::TrailingDotOrBlank: why = "末尾がピリオドか空白です"; break;
    case NameProblem::None: break;
    }
    return Q(entry) + "は安全でないファイル名のため展開できません（" + why + "）。";
}
std::string OutsideDestination(const std::string& entry) {
    return Q(entry) + "は展開先フォルダの外を指しているため展開できません。";
}
std::string CrcMismatch(const std::string& entry) { return Q(entry) + "の CRC が一致しません。書庫が壊れています。"; }
std::string Corrupt(const std::string& entry) { return Q(entry) + "の圧縮データが壊れています。"; }
std::string NotEnoughSpace(const std::string& folder, std::uint64_t needed, std::uint64_t free) {
    return "空き容量が足りません。展開先" + Q(folder) + "には " + DecimalText(needed) + " バイトが必要ですが、空きは " +
           DecimalText(free) + " バイトです。";
}
std::string DestinationFailed(const std::string& path) { return "展開先フォルダ" + Q(path) + "を作成できません。"; }
std::string BadCommandLine(const std::string& detail) { return "コマンドラインが正しくありません（" + detail + "）。"; }
std::string TooManyEntries() { return "書庫のエントリが多すぎます。"; }
std::string OutOfMemory() { return "メモリが足りないため展開できません。"; }
std::string FilesExtracted(int count) {
    return DecimalText(count < 0 ? 0 : count) + " 個のファイルを展開しました。";
}

}  // namespace kavrel::lha::msg
