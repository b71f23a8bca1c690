#include "pack/MediumBuilder.h"

#include "description/ItemRules.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>

#include "artwork/BitmapFile.h"
#include "description/ContentList.h"
#include "description/InstallationRules.h"
#include "pack/ArchiveBuild.h"
#include "pack/DiskPlan.h"
#include "pack/Files.h"
#include "pack/FolderFiles.h"
#include "pack/InfoWriter.h"
#include "pack/Manifest.h"
#include "pack/Signing.h"
#include "platform/Hashing.h"
#include "platform/Text.h"

namespace kavrel::pack {
namespace {

std::string BaseName(const std::string& path) { return Utf8Of(PathOf(path).filename()); }

// Room the plan keeps for a signature with its certificates and time stamp on each of
// Kavrel.exe and UNLHA32.dll; the disks are measured again once the real files exist.
constexpr std::uint64_t kSignatureReserve = 8192;

std::string Digits(std::uint64_t n) {
    std::string text = std::to_string(n);
    for (int i = static_cast<int>(text.size()) - 3; i > 0; i -= 3) text.insert(static_cast<std::size_t>(i), ",");
    return text;
}

class Builder {
public:
    Builder(const BuildOptions& options, Diagnostics& diags) : options_(options), diags_(diags) {}

    bool Run(BuildResult& result) {
        // The manifest's reader has refused any media it does not know.
        if (!ReadManifest(options_.manifest, m_, diags_) || !FindMediaType(m_.media.text, type_)) return false;
        if (!temp_.Ok()) return Fail(0, "cannot make a temporary folder");
        bool ok = OutputIsFree();
        ok = FindDist() && ok;
        ok = Artwork() && ok;
        ok = CheckFixed() && ok;
        ok = Items() && ok;
        ok = CheckSigning() && ok;
        if (!ok || !MeasureWholeArchives() || !Plan() || !BuildParts() || !FinishPrograms()) return false;
        if (!Write()) return false;
        Summarise(result);
        return true;
    }

private:
    bool Fail(int line, const std::string& message) {
        diags_.Error(m_.path.empty() ? options_.manifest : m_.path, line, message);
        return false;
    }

    bool OutputIsFree() {
        std::vector<FolderEntry> entries;
        if (IsFile(options_.out)) return Fail(0, "the output " + options_.out + " is a file");
        if (!IsFolder(options_.out) || !ListFolder(options_.out, entries) || entries.empty()) return true;
        if (options_.force) return true;
        return Fail(0, "the output " + options_.out + " is not empty (--force replaces what it holds)");
    }

    bool FindDist() {
        for (const std::string& root : options_.distRoots) {
            const std::string folder = JoinPath(root, m_.dist.text);
            if (IsFile(JoinPath(folder, "Kavrel.exe")) && IsFile(JoinPath(folder, "UNLHA32.dll"))) {
                fixed_.push_back(Fixed("Kavrel.exe", JoinPath(folder, "Kavrel.exe")));
                fixed_.push_back(Fixed("UNLHA32.dll", JoinPath(folder, "UNLHA32.dll")));
                return IsBareProgram(fixed_[fixed_.size() - 2].source);
            }
        }
        std::string tried;
        for (const std::string& root : options_.distRoots) tried += " " + JoinPath(root, m_.dist.text);
        return Fail(m_.dist.line, "no Kavrel.exe and UNLHA32.dll for dist \"" + m_.dist.text + "\" (looked in" + tried +
                                      "; scripts/build " + m_.dist.text + " makes them, --dist-root names another)");
    }

    // The content list goes right after Kavrel.exe's image, where a signature covers it:
    // a file that already carries anything there is not the one the build made.
    bool IsBareProgram(const std::string& path) {
        std::string image;
        PeOverlay overlay;
        if (!ReadWholeFile(path, image) || !FindPeOverlay(image, overlay)) {
            return Fail(m_.dist.line, path + " is not a Windows program");
        }
        if (overlay.certificateSize != 0 || overlay.begin != overlay.end) {
            return Fail(m_.dist.line, path + " already carries " +
                                          (overlay.certificateSize ? "a signature" : "data after its image") +
                                          "; kavrel-pack adds the content list and the signature itself: "
                                          "give it Kavrel.exe as the build made it");
        }
        return true;
    }

    bool CheckSigning() {
        const Signing& s = m_.signing;
        if (!s.line) return true;
        bool ok = true;
        if (!IsFile(s.certificate.text)) {
            ok = Fail(s.certificate.line, "signing: the certificate " + s.certificate.text + " is not a file");
        }
        const char* password = std::getenv(s.passwordEnv.text.c_str());
        if (!password) {
            ok = Fail(s.passwordEnv.line, "signing: the environment variable " + s.passwordEnv.text +
                                              " is not set; it holds the certificate's password");
        }
        if (ok) signing_ = SignSetup{s.certificate.text, password, s.timestampUrl.text};
        return ok;
    }

    FixedFile Fixed(const std::string& name, const std::string& source) {
        std::uint64_t size = 0;
        FileSize(source, size);
        return FixedFile{name, source, size};
    }

    bool Artwork() {
        static const char* const kKeys[] = {"view", "intro", "destination", "confirm"};
        bool ok = true;
        std::map<std::string, std::string> sourceOfName;
        for (int i = 0; i < 4; ++i) {
            const Located& art = m_.artwork[i];
            if (art.text.empty()) continue;
            FolderFiles files;
            LoadedBitmap bitmap;
            if (!IsFile(art.text)) {
                ok = Fail(art.line, std::string("artwork ") + kKeys[i] + ": " + art.text + " is not a file");
                continue;
            }
            if (LoadBitmapFile(files, art.text, bitmap) != 1) {
                ok = Fail(art.line, std::string("artwork ") + kKeys[i] + ": " + art.text +
                                        " is a bitmap Kavrel refuses to draw");
                continue;
            }
            artworkNames_[i] = BaseName(art.text);
            const auto [it, inserted] = sourceOfName.emplace(AsciiUpper(artworkNames_[i]), art.text);
            if (inserted) {
                fixed_.push_back(Fixed(artworkNames_[i], art.text));
            } else if (it->second != art.text) {
                ok = Fail(art.line, "artwork " + art.text + " has the name of another picture, " + it->second);
            }
        }
        return ok;
    }

    bool CheckFixed() {
        bool ok = true;
        if (!IsKnownVersion(m_.targetVersion.text)) {
            ok = Fail(m_.targetVersion.line, "target-version \"" + m_.targetVersion.text +
                                                 "\" can match no installation: Kavrel accepts " + KnownVersionsText());
        }
        return RenderFixedLines(m_, artworkNames_, fixedLines_, diags_) && ok;
    }

    // The files an archive's sources stand for: files themselves, and the files directly
    // in a folder. Kavrel extracts without folders, so a folder within is refused.
    bool Expand(const std::vector<Located>& sources, std::vector<PackEntry>& entries) {
        bool ok = true;
        std::map<std::string, std::string> stored;  // upper-case name -> source
        auto add = [&](const std::string& path, int line) {
            const std::string name = BaseName(path);
            std::string bytes;
            if (!Utf8ToCp932(name, bytes)) {
                ok = Fail(line, "\"" + name + "\" cannot be stored: code page 932 cannot express its name");
                return;
            }
            const auto [it, inserted] = stored.emplace(AsciiUpper(name), path);
            if (!inserted) {
                ok = Fail(line, path + " and " + it->second + " would be extracted to the same name " + name);
                return;
            }
            entries.push_back(PackEntry{path, name, 0});
        };
        for (const Located& source : sources) {
            if (IsFile(source.text)) {
                add(source.text, source.line);
                continue;
            }
            std::vector<FolderEntry> children;
            if (!IsFolder(source.text) || !ListFolder(source.text, children)) {
                ok = Fail(source.line, source.text + " is neither a file nor a folder");
                continue;
            }
            for (const FolderEntry& child : children) {
                const std::string path = JoinPath(source.text, child.name);
                if (child.isFolder) {
                    ok = Fail(source.line, path + " is a folder: Kavrel extracts an archive without its folders; "
                                                  "give it an item of its own");
                } else {
                    add(path, source.line);
                }
            }
        }
        return ok;
    }

    bool Items() {
        bool ok = true;
        for (std::size_t i = 0; i < m_.items.size(); ++i) {
            const ManifestItem& mi = m_.items[i];
            PackItem item;
            item.kind = mi.kind;
            item.manifestLine = mi.line;
            item.manifestIndex = static_cast<int>(i);
            bool itemOk = FolderField(mi.folder.line ? mi.folder : Located{"", mi.line}, m_.path, item.folder, diags_);
            if (mi.kind == ItemKind::File) {
                const Located& source = mi.sources[0];
                if (!FileSize(source.text, item.size)) {
                    ok = Fail(source.line, source.text + " is not a file");
                    continue;
                }
                item.source = source.text;
                const Located name = mi.name.line ? mi.name : Located{BaseName(source.text), source.line};
                itemOk = NameField(name, m_.path, item.name, diags_) && itemOk;
            } else if (mi.kind == ItemKind::Archive) {
                if (AsciiUpper(mi.name.text).ends_with(".LZH")) {
                    ok = Fail(mi.name.line, "archive \"" + mi.name.text + "\": give the name without .lzh");
                    continue;
                }
                itemOk = NameField(mi.name, m_.path, item.name, diags_) && itemOk;
                itemOk = Expand(mi.sources, item.entries) && itemOk;
                if (itemOk && item.entries.empty()) itemOk = Fail(mi.line, "archive " + item.name + " holds no file");
            } else {
                item.name = kSystemArchiveName;
                itemOk = Systems(mi, item) && itemOk;
            }
            ok = itemOk && ok;
            items_.push_back(std::move(item));
        }
        return ok;
    }

    // Every named system needs its archive: the update run extracts START<n> for the
    // installed system n, and a missing one fails the run halfway.
    bool Systems(const ManifestItem& mi, PackItem& item) {
        bool ok = true;
        for (int s = 1; s <= kSystemCount; ++s) {
            const bool named = !m_.systems[s - 1].text.empty();
            const auto it = mi.systems.find(s);
            if (named && it == mi.systems.end()) {
                ok = Fail(mi.line, "start: system " + std::to_string(s) + " (" + m_.systems[s - 1].text +
                                       ") has a name but no sources; Kavrel would look for START" +
                                       std::to_string(s) + ".lzh");
            } else if (!named && it != mi.systems.end()) {
                ok = Fail(it->second.empty() ? mi.line : it->second[0].line,
                          "start: system " + std::to_string(s) + " has no name in systems, so it is never installed");
            } else if (named) {
                ok = Expand(it->second, item.systems[s]) && ok;
                if (item.systems[s].empty()) ok = Fail(mi.line, "start: system " + std::to_string(s) + " holds no file");
            }
        }
        return ok;
    }

    ArchiveOptions OptionsOf(int manifestIndex) const {
        const ManifestItem& mi = m_.items[static_cast<std::size_t>(manifestIndex)];
        return ArchiveOptions{mi.method, mi.level, mi.headerLevel};
    }

    static std::string Key(int manifestIndex, const std::vector<PackEntry>& entries) {
        std::string key = std::to_string(manifestIndex);
        for (const PackEntry& e : entries) key += "|" + e.stored;
        return key;
    }

    // Builds each archive whole once: its entries' real costs drive the plan, and an
    // archive that needs no split is used as it is.
    bool MeasureWholeArchive(const PackItem& item, std::vector<PackEntry>& entries) {
        const std::string path = JoinPath(temp_.Path(), "whole" + std::to_string(wholeCount_++) + ".lzh");
        std::string error;
        if (!BuildArchive(path, entries, OptionsOf(item.manifestIndex), error) ||
            !MeasureEntries(path, entries, error)) {
            return Fail(item.manifestLine, error);
        }
        built_[Key(item.manifestIndex, entries)] = path;
        return true;
    }

    bool MeasureWholeArchives() {
        for (PackItem& item : items_) {
            if (item.kind == ItemKind::Archive && !MeasureWholeArchive(item, item.entries)) return false;
            for (auto& [system, entries] : item.systems) {
                if (!MeasureWholeArchive(item, entries)) return false;
            }
        }
        return true;
    }

    // Room for the content list's lines ("disk\tsize\tdigest\tname\n") of `files` files.
    static std::uint64_t ListRoom(std::uint64_t files, std::uint64_t nameBytes) { return 32 + files * 96 + nameBytes; }

    std::uint64_t ListRoomOf(const DiskPlan& plan) const {
        std::uint64_t files = 0, names = 0;
        for (const PlannedDisk& disk : plan.disks) {
            files += disk.files.size();
            for (const PlacedFile& f : disk.files) names += f.path.size();
        }
        return ListRoom(files, names);
    }

    bool Plan() {
        std::uint64_t guess = fixedLines_.size();
        for (const PackItem& item : items_) guess += item.name.size() + item.folder.size() + 16;
        std::uint64_t listGuess = ListRoom(fixed_.size() + 1 + items_.size(), 16 * (fixed_.size() + 1 + items_.size()));
        for (int round = 0; round < 8; ++round) {
            std::vector<FixedFile> fixed = fixed_;
            // FindDist put Kavrel.exe and UNLHA32.dll first.
            fixed[0].size += listGuess + (signing_ ? kSignatureReserve : 0);
            fixed[1].size += signing_ ? kSignatureReserve : 0;
            fixed.push_back(FixedFile{"info.txt", {}, guess});
            if (!PlanDisks(type_, fixed, items_, m_.path, plan_, diags_)) return false;
            if (!RenderInfoFile(m_, artworkNames_, plan_.lines, info_, diags_)) return false;
            // More items after splitting: plan again with room for them.
            if (info_.size() <= guess && ListRoomOf(plan_) <= listGuess) return true;
            guess = std::max<std::uint64_t>(guess, info_.size() + 256);
            listGuess = std::max<std::uint64_t>(listGuess, ListRoomOf(plan_) + 512);
        }
        return Fail(0, "the disk plan does not settle");
    }

    bool BuildParts() {
        for (PlannedDisk& disk : plan_.disks) {
            for (PlacedFile& f : disk.files) {
                if (!f.isArchive) continue;
                const std::string key = Key(f.manifestIndex, f.entries);
                if (!built_.count(key)) {
                    const std::string path = JoinPath(temp_.Path(), "part" + std::to_string(partCount_++) + ".lzh");
                    std::string error;
                    if (!BuildArchive(path, f.entries, OptionsOf(f.manifestIndex), error)) {
                        return Fail(m_.items[static_cast<std::size_t>(f.manifestIndex)].line, error);
                    }
                    built_[key] = path;
                }
                f.source = built_[key];
                std::uint64_t size = 0;
                FileSize(f.source, size);
                if (size != f.size) {
                    return Fail(m_.items[static_cast<std::size_t>(f.manifestIndex)].line,
                                f.path + " came out at " + std::to_string(size) + " bytes, not the " +
                                    std::to_string(f.size) + " planned");
                }
            }
        }
        return true;
    }

    PlacedFile* Program(const char* name) {
        for (PlacedFile& f : plan_.disks[0].files) {
            if (f.manifestIndex < 0 && f.path == name) return &f;
        }
        return nullptr;
    }

    // UNLHA32.dll is signed first, so that the list holds the signed file's digest; the
    // list goes after Kavrel.exe's image, and Kavrel.exe is signed over both.
    bool FinishPrograms() {
        PlacedFile* exe = Program("Kavrel.exe");
        PlacedFile* dll = Program("UNLHA32.dll");
        if (!exe || !dll) return Fail(0, "the plan lost Kavrel.exe or UNLHA32.dll");
        if (signing_ && !Sign(*dll)) return false;
        ContentList list;
        std::string image;
        if (!ListContents(list)) return false;
        if (!ReadWholeFile(exe->source, image)) return Fail(0, "cannot read " + exe->source);
        const std::string listed = JoinPath(temp_.Path(), "listed-Kavrel.exe");
        if (!WriteWholeFile(listed, image + FormatContentList(list))) return Fail(0, "cannot write " + listed);
        exe->source = listed;
        return (!signing_ || Sign(*exe)) && StillFits();
    }

    bool Sign(PlacedFile& program) {
        const std::string out = JoinPath(temp_.Path(), "signed-" + program.path);
        std::string error;
        if (!SignProgramFile(*signing_, program.source, out, temp_.Path(), error)) {
            return Fail(m_.signing.line, "cannot sign " + program.path + ": " + error);
        }
        program.source = out;
        return true;
    }

    // Every file of every disk but Kavrel.exe, whose signature stands for it.
    bool ListContents(ContentList& list) {
        const std::unique_ptr<Hashing> hashing = MakeSystemHashing();
        FolderFiles files;
        const PlacedFile* exe = Program("Kavrel.exe");
        for (std::size_t d = 0; d < plan_.disks.size(); ++d) {
            for (const PlacedFile& f : plan_.disks[d].files) {
                if (&f == exe) continue;
                ContentFile entry{static_cast<int>(d) + 1, f.path, 0, {}};
                std::replace(entry.name.begin(), entry.name.end(), '/', '\\');
                if (f.path == "info.txt") {
                    const std::unique_ptr<Sha256> sha = hashing ? hashing->NewSha256() : nullptr;
                    Sha256Digest digest;
                    if (sha) sha->Add(info_.data(), info_.size());
                    if (sha && sha->Finish(digest)) entry.sha256 = HexText(digest);
                    entry.size = info_.size();
                } else if (hashing && FileSize(f.source, entry.size)) {
                    entry.sha256 = FileSha256(*hashing, files, f.source);
                }
                if (entry.sha256.empty()) return Fail(0, "cannot take the SHA-256 of " + f.path);
                list.files.push_back(std::move(entry));
            }
        }
        return true;
    }

    // What disk `d` takes with the files as they are now (info.txt was planned with room
    // to spare, the programs with room for the list and signatures).
    DiskUsage UsageOf(std::size_t d) const {
        DiskUsage usage(type_);
        for (const PlacedFile& f : plan_.disks[d].files) {
            std::uint64_t size = info_.size();
            if (f.path != "info.txt") FileSize(f.source, size);
            usage.Add(f.path, size);
        }
        return usage;
    }

    bool StillFits() {
        for (std::size_t d = 0; d < plan_.disks.size(); ++d) {
            const DiskUsage usage = UsageOf(d);
            if (usage.OverCapacity()) {
                return Fail(0, "disk " + std::to_string(d + 1) + " needs " + Digits(usage.UsedBytes()) +
                                   " bytes with the content list" + (signing_ ? " and the signatures" : "") +
                                   ", more than a " + type_.name + " disk holds; move an item to a later disk");
            }
        }
        return true;
    }

    std::string DiskFolder(std::size_t index) const {
        return type_.IsFloppy() ? JoinPath(options_.out, "disk" + std::to_string(index + 1)) : options_.out;
    }

    // Empties the output: it held nothing, or --force gave it up.
    void ClearOutput() {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(PathOf(options_.out), ec)) {
            std::filesystem::remove_all(entry.path(), ec);
        }
    }

    bool Write() {
        if (IsFolder(options_.out)) ClearOutput();
        for (std::size_t d = 0; d < plan_.disks.size(); ++d) {
            const std::string folder = DiskFolder(d);
            for (const PlacedFile& f : plan_.disks[d].files) {
                const std::string target = JoinPath(folder, f.path);
                const bool ok = MakeFolders(Utf8Of(PathOf(target).parent_path())) &&
                                (f.path == "info.txt" ? WriteWholeFile(target, info_) : CopyOneFile(f.source, target));
                if (!ok) {
                    // Half a medium is worse than none: a disk set that looks whole but is not.
                    ClearOutput();
                    return Fail(0, "cannot write " + target + "; the output is left empty");
                }
            }
        }
        return true;
    }

    void Summarise(BuildResult& result) {
        result.media = type_.name;
        result.floppy = type_.IsFloppy();
        for (std::size_t d = 0; d < plan_.disks.size(); ++d) {
            const DiskUsage usage = UsageOf(d);
            result.disks.push_back(DiskSummary{static_cast<int>(d) + 1, DiskFolder(d), plan_.disks[d].itemNames,
                                               usage.UsedBytes(), usage.FreeBytes()});
        }
    }

    const BuildOptions& options_;
    Diagnostics& diags_;
    Manifest m_;
    MediaType type_;
    TemporaryFolder temp_;
    std::vector<FixedFile> fixed_;
    std::array<std::string, 4> artworkNames_;
    std::string fixedLines_;  // info.txt's fixed lines, as rendered once they checked out
    std::vector<PackItem> items_;
    std::map<std::string, std::string> built_;  // Key -> archive in the temporary folder
    int wholeCount_ = 0;
    int partCount_ = 0;
    DiskPlan plan_;
    std::string info_;
    std::optional<SignSetup> signing_;
};

}  // namespace

bool BuildMedium(const BuildOptions& options, BuildResult& result, Diagnostics& diags) {
    result = BuildResult{};
    Builder builder(options, diags);
    return builder.Run(result);
}

std::string FormatTable(const BuildResult& result) {
    std::string text = "disk  items  bytes used     bytes free  item names\n";
    for (const DiskSummary& d : result.disks) {
        std::string names;
        for (const std::string& n : d.items) names += (names.empty() ? "" : ", ") + n;
        char line[96];
        std::snprintf(line, sizeof line, "%4d  %5zu  %10s  %13s  ", d.number, d.items.size(), Digits(d.used).c_str(),
                      result.floppy ? Digits(d.free).c_str() : "-");
        text += line + names + "\n";
    }
    return text;
}

}  // namespace kavrel::pack
