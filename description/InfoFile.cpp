#include "description/InfoFile.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string_view>

#include "description/InfoLayout.h"
#include "description/TextNumber.h"
#include "platform/Text.h"
#include "platform/TextReader.h"

namespace kavrel {
namespace {

constexpr int kTabPasses = 100;
// Real lines are a few hundred bytes; a cap keeps memory bounded for a file that is one
// endless line. The start of the line is kept.
constexpr std::size_t kMaxLineBytes = 64 * 1024;

// Reads lines as the C runtime's string functions see them (a NUL ends the text),
// counting them and telling the observer, if any, what it meets.
class LineSource {
public:
    LineSource(InputFile& file, InfoReadObserver* observer) : reader_(file), observer_(observer) {}

    bool Next(std::string& line) {
        if (!reader_.ReadLine(line, kMaxLineBytes)) return false;
        ++number_;
        if (observer_) Inspect(line);
        const auto nul = line.find('\0');
        if (nul != std::string::npos) line.resize(nul);
        return true;
    }
    int Number() const { return number_; }
    bool Failed() const { return reader_.Failed(); }
    void Report(InfoFinding finding, int line, std::size_t offset = 0, int value = 0) {
        if (observer_) observer_->OnFinding(InfoReadEvent{finding, line, offset, value});
    }
    InfoReadObserver* Observer() const { return observer_; }

private:
    void Inspect(std::string_view line) {
        if (line.size() >= kMaxLineBytes) Report(InfoFinding::LineCut, number_, kMaxLineBytes);
        const auto nul = line.find('\0');
        if (nul != std::string_view::npos) {
            Report(InfoFinding::NulByte, number_, nul);
            line = line.substr(0, nul);
        }
        if (LooksLikeUtf8(line)) {
            Report(InfoFinding::Utf8Text, number_);
        } else if (const auto bad = FindNonCp932(line); bad != std::string_view::npos) {
            Report(InfoFinding::NotCp932, number_, bad);
        }
    }

    TextReader reader_;
    InfoReadObserver* observer_;
    int number_ = 0;
};

// The item scan "%[^,],%[^,],%[^,],%[^,]": fields are runs up to the next comma; the scan
// stops at the first field that is empty or missing, and that field and those after it
// keep what the previous line left in `fields`.
void ScanItemLine(std::string_view line, std::array<std::string, 4>& fields) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) {
            if (pos >= line.size() || line[pos] != ',') return;
            ++pos;
        }
        const auto comma = line.find(',', pos);
        const auto end = comma == std::string_view::npos ? line.size() : comma;
        if (end == pos) return;
        fields[i].assign(line.substr(pos, end - pos));
        pos = end;
    }
}

std::unique_ptr<InputFile> OpenInfoFile(FileReader& files, const std::string& sourceFolder) {
    return files.OpenRead(sourceFolder + "info.txt");
}

}  // namespace

void TabsToLineBreaks(std::string& text) {
    std::size_t pos = 0;
    for (int pass = 0; pass < kTabPasses; ++pass) {
        // Earlier passes left only CR and LF behind them, so the search can go on from there.
        pos = text.find('\t', pos);
        if (pos == std::string::npos) return;
        text[pos] = '\r';
        if (pos + 1 < text.size()) {
            text[pos + 1] = '\n';
        } else {
            text += '\n';
        }
        pos += 2;
    }
}

int ReadInfoFile(FileReader& files, const std::string& sourceFolder, UpdateDescription& desc,
                 InfoReadObserver* observer) {
    desc.m_items.clear();
    desc.m_bDamaged = false;
    const auto file = OpenInfoFile(files, sourceFolder);
    if (!file) return 0;
    LineSource source(*file, observer);

    // The fixed lines, raw: past the end of the file they are empty.
    std::array<std::string, kFixedLines> fixed;
    for (auto& line : fixed) {
        if (!source.Next(line)) {
            source.Report(InfoFinding::ShortFile, source.Number());
            desc.m_bDamaged = true;
            break;
        }
    }
    for (const InfoFieldSpan& span : kInfoLayout) {
        for (int i = 0; i < span.lines; ++i) {
            std::string& raw = fixed[static_cast<std::size_t>(span.firstLine - 1 + i)];
            // TAB marks are found in the bytes: a TAB is never part of a double-byte character.
            if (IsNotesField(span.field)) TabsToLineBreaks(raw);
            TextOf(desc, span.field, i) = Cp932ToUtf8(raw);
        }
    }

    // Item lines: every line counts, an empty one too; the table's room ends the reading.
    std::array<std::string, 4> fields;
    std::string line;
    int pendingEmpty = 0;  // an empty item line not yet known to be the last
    while (desc.m_items.size() < static_cast<std::size_t>(kMaxItems) && source.Next(line)) {
        if (pendingEmpty) source.Report(InfoFinding::EmptyItemLine, pendingEmpty);
        pendingEmpty = line.empty() ? source.Number() : 0;
        ScanItemLine(line, fields);
        UpdateItem item;
        item.disk = AtoiLike(fields[0]);
        const int kind = AtoiLike(fields[1]);
        item.kind = ItemKindOfField(kind);
        if (kind != kArchiveKindField && kind != kPlainFileKindField) {
            source.Report(InfoFinding::OddItemKind, source.Number(), 0, kind);
        }
        std::string name = fields[2];
        Cp932UpperCase(name);
        item.name = Cp932ToUtf8(name);
        item.subfolder = Cp932ToUtf8(fields[3]);
        desc.m_items.push_back(std::move(item));
        if (observer) observer->OnItemLine(static_cast<int>(desc.m_items.size()) - 1, source.Number(), line);
    }
    if (observer) {
        // Only to tell the vendor: the wizard never reads past the table's room.
        int firstBeyond = 0;
        while (desc.m_items.size() == static_cast<std::size_t>(kMaxItems) && source.Next(line)) {
            if (pendingEmpty) source.Report(InfoFinding::EmptyItemLine, pendingEmpty);
            pendingEmpty = 0;
            if (!firstBeyond) firstBeyond = source.Number();
        }
        if (firstBeyond) source.Report(InfoFinding::ItemBeyondTable, firstBeyond);
        if (pendingEmpty) source.Report(InfoFinding::TrailingEmptyLine, pendingEmpty);
    }
    // A read error looks like the end of the file to the lines: items would be lost unseen.
    if (source.Failed()) desc.m_bDamaged = true;
    return 1;
}

std::string ReadInfoTitle(FileReader& files, const std::string& sourceFolder) {
    const auto file = OpenInfoFile(files, sourceFolder);
    if (!file) return {};
    LineSource source(*file, nullptr);
    std::string line;
    source.Next(line);
    return Cp932ToUtf8(line);
}

std::string DescribeForLog(const UpdateDescription& desc) {
    return "description: title \"" + desc.m_strHeader[0] + "\", settings file \"" + desc.m_strSettingsFile +
           "\", target version \"" + desc.m_strTargetVersion + "\", " + DecimalText(desc.m_items.size()) +
           " items, installation folder \"" + desc.m_strDestFolder + "\"";
}

}  // namespace kavrel
