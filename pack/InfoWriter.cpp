#include "pack/InfoWriter.h"

#include "description/InfoLayout.h"
#include "platform/Text.h"

namespace kavrel::pack {
namespace {

constexpr char kEol[] = "\r\n";

bool Fail(Diagnostics& diags, const std::string& file, int line, const std::string& message) {
    diags.Error(file, line, message);
    return false;
}

// The first character that has no place in a field: a control character (TAB and the
// line breaks included), as a name for the message; empty when there is none.
std::string ControlCharacterIn(const std::string& text, bool allowLineBreak) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7F) continue;
        if (c == '\n' && allowLineBreak) continue;
        if (c == '\t') return "a TAB";
        if (c == '\n' || c == '\r') return "a line break";
        return "a control character";
    }
    return {};
}

bool ToCp932(const Located& value, const std::string& what, const std::string& file, std::string& out,
             Diagnostics& diags) {
    if (Utf8ToCp932(value.text, out)) return true;
    return Fail(diags, file, value.line,
                what + ": \"" + value.text + "\" holds a character that code page 932 cannot express");
}

// Checks one path-like field shared by names and folders; `path` uses '\' separators.
bool CheckPath(const Located& value, const std::string& what, const std::string& path, const std::string& file,
               Diagnostics& diags) {
    if (path.find(',') != std::string::npos) {
        return Fail(diags, file, value.line, what + ": \"" + value.text + "\" holds a comma, which ends an item field");
    }
    if (path.find_first_of("<>:\"|?*") != std::string::npos) {
        return Fail(diags, file, value.line, what + ": \"" + value.text + "\" holds a character Windows file names cannot");
    }
    if (!path.empty() && path[0] == '\\') {
        return Fail(diags, file, value.line, what + ": \"" + value.text + "\" must be relative");
    }
    std::size_t start = 0;
    while (start <= path.size()) {
        const auto end = std::min(path.find('\\', start), path.size());
        const std::string part = path.substr(start, end - start);
        if (part == ".." || (part.empty() && end < path.size())) {
            return Fail(diags, file, value.line,
                        what + ": \"" + value.text + "\" must name a folder inside, without \"..\" or empty parts");
        }
        start = end + 1;
    }
    return true;
}

// Fields 3 and 4: one line, a path the reader keeps whole, in code page 932 (`bytes`).
bool ItemPath(const Located& value, const std::string& what, const std::string& path, const std::string& file,
              std::string& bytes, Diagnostics& diags) {
    const std::string bad = ControlCharacterIn(path, false);
    if (!bad.empty()) return Fail(diags, file, value.line, what + " holds " + bad);
    if (!CheckPath(value, what, path, file, diags)) return false;
    if (!ToCp932(value, what, file, bytes, diags)) return false;
    if (bytes.size() > kMaxNameField) {
        return Fail(diags, file, value.line,
                    what + " \"" + value.text + "\" is longer than the " + std::to_string(kMaxNameField) +
                        " bytes of an item field");
    }
    return true;
}

std::string WithBackslashes(std::string text) {
    for (char& c : text) {
        if (c == '/') c = '\\';
    }
    return text;
}

}  // namespace

bool OneLineField(const Located& value, const std::string& what, const std::string& file, std::string& cp932,
                  Diagnostics& diags) {
    const std::string bad = ControlCharacterIn(value.text, false);
    if (!bad.empty()) return Fail(diags, file, value.line, what + " holds " + bad + "; it must be one line of text");
    return ToCp932(value, what, file, cp932, diags);
}

bool NotesField(const Located& value, const std::string& what, const std::string& file, std::string& cp932,
                Diagnostics& diags) {
    const std::string bad = ControlCharacterIn(value.text, true);
    if (!bad.empty()) {
        return Fail(diags, file, value.line,
                    what + " holds " + bad + "; Kavrel would show a TAB as a line break");
    }
    int breaks = 0;
    for (char c : value.text) breaks += c == '\n' ? 1 : 0;
    if (breaks > kMaxNoteBreaks) {
        return Fail(diags, file, value.line,
                    what + " has " + std::to_string(breaks) + " line breaks; Kavrel shows at most " +
                        std::to_string(kMaxNoteBreaks));
    }
    std::string bytes;
    if (!ToCp932(value, what, file, bytes, diags)) return false;
    cp932.clear();
    for (char c : bytes) {
        // The reader turns a TAB into CR and the byte after it into LF.
        if (c == '\n') {
            cp932 += '\t';
            cp932 += kNoteFiller;
        } else {
            cp932 += c;
        }
    }
    return true;
}

bool FolderField(const Located& folder, const std::string& file, std::string& field, Diagnostics& diags) {
    std::string path = WithBackslashes(folder.text);
    while (path.size() > 1 && path.back() == '\\') path.pop_back();
    if (path.empty() || path == ".") {
        // The installation folder itself: an empty field would repeat the line above.
        field = ".\\";
        return true;
    }
    field = path + "\\";
    std::string bytes;
    return ItemPath(Located{field, folder.line}, "folder", path, file, bytes, diags);
}

bool NameField(const Located& name, const std::string& file, std::string& field, Diagnostics& diags) {
    const std::string path = WithBackslashes(name.text);
    if (path.empty() || path.back() == '\\') return Fail(diags, file, name.line, "the name on the medium is empty");
    std::string bytes;
    if (!ItemPath(Located{path, name.line}, "name", path, file, bytes, diags)) return false;
    // The reader upper-cases the name; the medium holds it as it will be looked for.
    Cp932UpperCase(bytes);
    field = Cp932ToUtf8(bytes);
    return true;
}

namespace {

// What the manifest says for a fixed line, and its key there (for messages). Lines it
// has nothing for are written empty.
struct ManifestValue {
    Located value;
    const char* key = nullptr;
};

ManifestValue ValueFor(const Manifest& m, const std::array<std::string, 4>& artworkNames, InfoField field,
                       int index) {
    static const char* const kArtwork[] = {"artwork.view", "artwork.intro", "artwork.destination", "artwork.confirm"};
    switch (field) {
    case InfoField::Header:
        if (index == 0) return {m.title, "title"};
        if (static_cast<std::size_t>(index - 1) < m.header.size()) return {m.header[static_cast<std::size_t>(index - 1)], "header"};
        return {};
    case InfoField::InstallFolder: return {m.installFolder, "install-folder"};
    case InfoField::TargetVersion: return {m.targetVersion, "target-version"};
    case InfoField::IntroTitleFlag: return {m.masterAdjustment, "master-adjustment"};
    case InfoField::SettingsFile: return {m.settingsFile, "settings-file"};
    case InfoField::Reserved: return {};
    case InfoField::ViewArtwork:
    case InfoField::IntroArtwork:
    case InfoField::DestinationArtwork:
    case InfoField::ConfirmArtwork: {
        const int art = LineOf(field) - LineOf(InfoField::ViewArtwork);
        return {Located{artworkNames[static_cast<std::size_t>(art)], m.artwork[static_cast<std::size_t>(art)].line},
                kArtwork[art]};
    }
    case InfoField::IntroNotes: return {m.introNotes, "intro-notes"};
    case InfoField::DestinationNotes: return {m.destinationNotes, "destination-notes"};
    case InfoField::SystemName: return {m.systems[static_cast<std::size_t>(index)], "systems"};
    }
    return {};
}

}  // namespace

bool RenderFixedLines(const Manifest& m, const std::array<std::string, 4>& artworkNames, std::string& out,
                      Diagnostics& diags) {
    std::vector<std::string> lines(kFixedLines);
    bool ok = true;
    for (const InfoFieldSpan& span : kInfoLayout) {
        for (int i = 0; i < span.lines; ++i) {
            const ManifestValue v = ValueFor(m, artworkNames, span.field, i);
            if (v.key == nullptr) continue;
            std::string& line = lines[static_cast<std::size_t>(span.firstLine - 1 + i)];
            ok = (IsNotesField(span.field) ? NotesField(v.value, v.key, m.path, line, diags)
                                           : OneLineField(v.value, v.key, m.path, line, diags)) &&
                 ok;
        }
    }
    if (!ok) return false;
    out.clear();
    for (const std::string& line : lines) out += line + kEol;
    return true;
}

bool RenderItemLine(const ItemLine& item, const std::string& file, std::string& out, Diagnostics& diags) {
    std::string name, folder;
    if (!Utf8ToCp932(item.name, name) || !Utf8ToCp932(item.folder, folder)) {
        return Fail(diags, file, item.manifestLine, "item \"" + item.name + "\" cannot be written in code page 932");
    }
    if (name.empty() || folder.empty() || name.find(',') != std::string::npos ||
        folder.find(',') != std::string::npos) {
        // An empty field would repeat the line above; a comma would end the field early.
        return Fail(diags, file, item.manifestLine, "item \"" + item.name + "\" has an empty field or a comma");
    }
    out = std::to_string(item.disk) + "," + std::to_string(KindField(item.kind)) + "," + name + "," + folder + kEol;
    return true;
}

bool RenderInfoFile(const Manifest& m, const std::array<std::string, 4>& artworkNames,
                    const std::vector<ItemLine>& items, std::string& out, Diagnostics& diags) {
    if (!RenderFixedLines(m, artworkNames, out, diags)) return false;
    if (items.size() > static_cast<std::size_t>(kMaxItems)) {
        return Fail(diags, m.path, items[kMaxItems].manifestLine,
                    std::to_string(items.size()) + " items after splitting over disks; Kavrel reads at most " +
                        std::to_string(kMaxItems));
    }
    bool ok = true;
    for (const ItemLine& item : items) {
        std::string line;
        ok = RenderItemLine(item, m.path, line, diags) && ok;
        out += line;
    }
    return ok;
}

}  // namespace kavrel::pack
