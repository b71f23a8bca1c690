#include "pack/Manifest.h"

#include <set>
#include <string_view>

#define TOML_HEADER_ONLY 1
#include <toml++/toml.h>

#include "description/InstallationRules.h"
#include "description/ItemRules.h"
#include "description/UpdateDescription.h"
#include "lha/encoder/Encoder.h"
#include "pack/DiskSpace.h"
#include "pack/Files.h"

namespace kavrel::pack {
namespace {

using namespace std::string_view_literals;

int LineOf(const toml::node& node) { return static_cast<int>(node.source().begin.line); }

// Reads the keys of one table, reporting every fault with its line.
class TableReader {
public:
    TableReader(const toml::table& table, const std::string& file, Diagnostics& diags, std::string where)
        : table_(table), file_(file), diags_(diags), where_(std::move(where)) {}

    bool Fail(int line, const std::string& message) {
        diags_.Error(file_, line, message);
        return false;
    }
    int Line() const { return LineOf(table_); }

    const toml::node* Get(std::string_view key) {
        known_.insert(std::string(key));
        return table_.get(key);
    }

    // A string value; false (reported) when present with another type.
    bool String(std::string_view key, Located& out) {
        const toml::node* node = Get(key);
        if (!node) return true;
        if (!node->is_string()) {
            Fail(LineOf(*node), Key(key) + " must be text in quotes");
            return false;
        }
        out.text = node->as_string()->get();
        out.line = LineOf(*node);
        return true;
    }

    bool StringList(std::string_view key, std::vector<Located>& out) {
        const toml::node* node = Get(key);
        if (!node) return true;
        return ListOf(*node, Key(key), out);
    }

    bool ListOf(const toml::node& node, const std::string& what, std::vector<Located>& out) {
        const toml::array* array = node.as_array();
        if (!array) {
            Fail(LineOf(node), what + " must be a list of texts: [\"...\", \"...\"]");
            return false;
        }
        bool ok = true;
        for (const toml::node& element : *array) {
            if (!element.is_string()) {
                Fail(LineOf(element), what + " must hold texts only");
                ok = false;
                continue;
            }
            out.push_back(Located{element.as_string()->get(), LineOf(element)});
        }
        return ok;
    }

    bool Integer(std::string_view key, int low, int high, int& out, int& line) {
        const toml::node* node = Get(key);
        if (!node) return true;
        line = LineOf(*node);
        const auto* value = node->as_integer();
        if (!value || value->get() < low || value->get() > high) {
            Fail(line, Key(key) + " must be a whole number from " + std::to_string(low) + " to " +
                           std::to_string(high));
            return false;
        }
        out = static_cast<int>(value->get());
        return true;
    }

    // Every key that was never asked for is a mistake (a typo would otherwise be ignored).
    bool NoOtherKeys() {
        bool ok = true;
        for (const auto& [key, node] : table_) {
            if (!known_.count(std::string(key.str()))) {
                Fail(LineOf(node), "unknown key \"" + std::string(key.str()) + "\"" + where_);
                ok = false;
            }
        }
        return ok;
    }

private:
    std::string Key(std::string_view key) const { return std::string(key) + where_; }

    const toml::table& table_;
    const std::string& file_;
    Diagnostics& diags_;
    std::string where_;
    std::set<std::string> known_;
};

// Multi-line texts: CR LF and lone CR become LF, and the line break before the closing
// quotes of a """ block is not part of the text.
std::string NormaliseBreaks(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::vector<Located> Anchored(const std::vector<Located>& sources, const std::string& folder) {
    std::vector<Located> out;
    for (const Located& s : sources) out.push_back(Located{JoinPath(folder, s.text), s.line});
    return out;
}

bool ReadMethod(TableReader& t, ManifestItem& item) {
    Located method;
    if (!t.String("method", method)) return false;
    if (method.line) {
        // "lh5" names -lh5-: the method's id without its dashes.
        std::string names;
        bool found = false;
        for (const Method m : lha::kEncodedMethods) {
            const std::string name(lha::MethodId(m) + 1, 3);
            names += (names.empty() ? "\"" : ", \"") + name + "\"";
            if (method.text == name) {
                item.method = m;
                found = true;
            }
        }
        if (!found) {
            t.Fail(method.line, "method must be one of " + names);
            return false;
        }
    }
    int line = 0;
    return t.Integer("level", 1, 9, item.level, line) && t.Integer("header-level", 1, 2, item.headerLevel, line);
}

bool ReadItem(const toml::table& table, const Manifest& m, Diagnostics& diags, ManifestItem& item) {
    TableReader t(table, m.path, diags, " in [[item]]");
    item.line = t.Line();
    bool ok = t.String("folder", item.folder);
    Located archive, file;
    ok = t.String("archive", archive) && ok;
    ok = t.String("file", file) && ok;
    const toml::node* start = t.Get("start");
    const int kinds = (archive.line ? 1 : 0) + (file.line ? 1 : 0) + (start ? 1 : 0);
    if (kinds != 1) {
        t.Fail(item.line, "an item is one of: archive = \"NAME\" (with files = [...]), file = \"path\", "
                          "or start = { SYSTEM = [...] }");
        return false;
    }
    if (archive.line) {
        item.kind = ItemKind::Archive;
        item.name = archive;
        std::vector<Located> files;
        ok = t.StringList("files", files) && ok;
        if (files.empty()) {
            t.Fail(item.line, "archive \"" + archive.text + "\" needs files = [\"file or folder\", ...]");
            ok = false;
        }
        item.sources = Anchored(files, m.folder);
        ok = ReadMethod(t, item) && ok;
    } else if (file.line) {
        item.kind = ItemKind::File;
        item.sources = Anchored({file}, m.folder);
        ok = t.String("name", item.name) && ok;
    } else {
        item.kind = ItemKind::Start;
        item.name = Located{kSystemArchiveName, LineOf(*start)};
        const toml::table* systems = start->as_table();
        if (!systems || systems->empty()) {
            t.Fail(LineOf(*start), "start must list sources by system number: start = { 12 = [\"...\"] }");
            return false;
        }
        for (const auto& [key, node] : *systems) {
            const std::string number(key.str());
            const bool digits = !number.empty() && number.size() <= 2 &&
                                number.find_first_not_of("0123456789") == std::string::npos;
            const int system = digits ? std::stoi(number) : 0;
            if (system < 1 || system > kSystemCount) {
                t.Fail(LineOf(node), "start: \"" + number + "\" is not a system number from 1 to " +
                                         std::to_string(kSystemCount));
                ok = false;
                continue;
            }
            std::vector<Located> sources;
            ok = t.ListOf(node, "start." + number, sources) && ok;
            item.systems[system] = Anchored(sources, m.folder);
        }
        ok = ReadMethod(t, item) && ok;
    }
    return t.NoOtherKeys() && ok;
}

bool ReadSigning(const toml::node& node, Manifest& m, Diagnostics& diags) {
    if (!node.is_table()) {
        diags.Error(m.path, LineOf(node), "signing must be a table: [signing] certificate = \"...\"");
        return false;
    }
    TableReader s(*node.as_table(), m.path, diags, " in [signing]");
    Signing& sig = m.signing;
    sig.line = s.Line();
    bool ok = s.String("certificate", sig.certificate) && s.String("password-env", sig.passwordEnv) &&
              s.String("timestamp-url", sig.timestampUrl);
    if (ok && sig.certificate.text.empty()) ok = s.Fail(sig.line, "[signing] needs certificate = \"file.p12\"");
    if (ok && sig.passwordEnv.text.empty()) {
        ok = s.Fail(sig.line, "[signing] needs password-env = \"NAME\": the environment variable holding the password");
    }
    if (!sig.certificate.text.empty()) sig.certificate.text = JoinPath(m.folder, sig.certificate.text);
    return s.NoOtherKeys() && ok;
}

bool ReadTop(const toml::table& root, Manifest& m, Diagnostics& diags) {
    TableReader t(root, m.path, diags, "");
    bool ok = t.String("dist", m.dist) && t.String("media", m.media);
    if (m.dist.text != "win32" && m.dist.text != "win64") {
        t.Fail(m.dist.line, "dist must be \"win32\" (runs on every Windows) or \"win64\"");
        ok = false;
    }
    if (MediaType type; !FindMediaType(m.media.text, type)) {
        t.Fail(m.media.line, "media must be " + MediaNamesText());
        ok = false;
    }
    ok = t.String("title", m.title) && ok;
    ok = t.StringList("header", m.header) && ok;
    // Line 1 is the title; the header texts are the lines after it.
    constexpr std::size_t kHeaderTexts = kHeaderLines - 1;
    if (m.header.size() > kHeaderTexts) {
        t.Fail(m.header[kHeaderTexts].line, "header holds lines 2 to " + std::to_string(kHeaderLines) +
                                                " of info.txt: at most " + std::to_string(kHeaderTexts) + " texts");
        ok = false;
    }
    ok = t.String("install-folder", m.installFolder) && ok;
    ok = t.String("target-version", m.targetVersion) && ok;
    if (!m.targetVersion.line) {
        t.Fail(0, "target-version is missing: the installed version this update applies to");
        ok = false;
    }
    if (const toml::node* flag = t.Get("master-adjustment")) {
        if (!flag->is_boolean()) {
            t.Fail(LineOf(*flag), "master-adjustment must be true or false");
            ok = false;
        } else {
            m.masterAdjustment = Located{flag->as_boolean()->get() ? "1" : "0", LineOf(*flag)};
        }
    }
    ok = t.String("settings-file", m.settingsFile) && ok;
    ok = t.String("intro-notes", m.introNotes) && ok;
    ok = t.String("destination-notes", m.destinationNotes) && ok;
    m.introNotes.text = NormaliseBreaks(m.introNotes.text);
    m.destinationNotes.text = NormaliseBreaks(m.destinationNotes.text);

    std::vector<Located> systems;
    ok = t.StringList("systems", systems) && ok;
    if (std::ssize(systems) > kSystemCount) {
        t.Fail(systems[kSystemCount].line, "systems: at most " + std::to_string(kSystemCount) + " names");
        ok = false;
    }
    for (std::size_t i = 0; i < systems.size() && i < m.systems.size(); ++i) m.systems[i] = systems[i];

    if (const toml::node* art = t.Get("artwork")) {
        if (!art->is_table()) {
            t.Fail(LineOf(*art), "artwork must be a table: [artwork] view = \"...\"");
            ok = false;
        } else {
            TableReader a(*art->as_table(), m.path, diags, " in [artwork]");
            const std::string_view keys[] = {"view", "intro", "destination", "confirm"};
            for (int i = 0; i < 4; ++i) {
                ok = a.String(keys[i], m.artwork[i]) && ok;
                if (m.artwork[i].line) m.artwork[i].text = JoinPath(m.folder, m.artwork[i].text);
            }
            ok = a.NoOtherKeys() && ok;
        }
    }
    if (const toml::node* signing = t.Get("signing")) ok = ReadSigning(*signing, m, diags) && ok;
    if (const toml::node* items = t.Get("item")) {
        const toml::array* array = items->as_array();
        if (!array || !array->is_array_of_tables()) {
            t.Fail(LineOf(*items), "items are written as [[item]] tables");
            return false;
        }
        for (const toml::node& node : *array) {
            ManifestItem item;
            ok = ReadItem(*node.as_table(), m, diags, item) && ok;
            m.items.push_back(std::move(item));
        }
    }
    return t.NoOtherKeys() && ok;
}

}  // namespace

bool ParseManifest(const std::string& text, const std::string& path, const std::string& folder, Manifest& m,
                   Diagnostics& diags) {
    m = Manifest{};
    m.path = path;
    m.folder = folder;
    m.dist.text = "win32";
    m.media.text = "folder";
    m.masterAdjustment.text = "0";
    m.settingsFile.text = kProbeSettingsFile;
    toml::table root;
    try {
        root = toml::parse(text, std::string_view(path));
    } catch (const toml::parse_error& error) {
        diags.Error(path, static_cast<int>(error.source().begin.line), std::string(error.description()));
        return false;
    }
    return ReadTop(root, m, diags);
}

bool ReadManifest(const std::string& path, Manifest& manifest, Diagnostics& diags) {
    std::string text;
    if (!ReadWholeFile(path, text)) {
        diags.Error(path, 0, "cannot read the manifest");
        return false;
    }
    return ParseManifest(text, path, Utf8Of(PathOf(path).parent_path()), manifest, diags);
}

}  // namespace kavrel::pack
