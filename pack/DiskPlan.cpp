#include "pack/DiskPlan.h"

#include <numeric>

#include "pack/MediumNames.h"

namespace kavrel::pack {
namespace {

std::uint64_t ArchiveSize(const std::vector<PackEntry>& entries) {
    std::uint64_t size = kArchiveEndBytes;
    for (const PackEntry& e : entries) size += e.cost;
    return size;
}

std::string WithSlashes(std::string text) {
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    return text;
}

// The name of part `k` (from 1) of a split archive item: the first keeps the name.
std::string PartName(const std::string& name, int k) {
    return k == 1 ? name : name + "_" + std::to_string(k);
}

// Part `k` of a split per-system item lies in a folder of its own, so that every part
// keeps the file-name part START the update run recognises.
std::string StartPartName(const std::string& name, int k) {
    if (k == 1) return name;
    const auto slash = name.rfind('\\');
    const std::string dir = slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    return dir + base + "_" + std::to_string(k) + "\\" + base;
}

std::string SystemArchivePath(const std::string& itemName, int system) {
    return WithSlashes(itemName) + std::to_string(system) + ".lzh";
}

class Planner {
public:
    Planner(const MediaType& type, const std::string& manifestPath, DiskPlan& plan, Diagnostics& diags)
        : type_(type), file_(manifestPath), plan_(plan), diags_(diags) {}

    bool PlaceFixed(const std::vector<FixedFile>& fixed) {
        NewDisk();
        for (const FixedFile& f : fixed) {
            if (!Disk().usage.TryAdd(f.path, f.size)) {
                diags_.Error(file_, 0, "disk 1 cannot hold Kavrel, its library, info.txt and the artwork (" + f.path +
                                           " does not fit)");
                return false;
            }
            Disk().files.push_back(PlacedFile{f.path, false, f.source, {}, -1, f.size});
        }
        fixedOnly_ = true;
        return true;
    }

    bool Place(const PackItem& item) {
        switch (item.kind) {
        case ItemKind::File: return PlaceFile(item);
        case ItemKind::Archive: return PlaceArchive(item);
        case ItemKind::Start: return PlaceStart(item);
        }
        return false;
    }

private:
    PlannedDisk& Disk() { return plan_.disks.back(); }
    int DiskNumber() const { return static_cast<int>(plan_.disks.size()); }
    // Nothing of the items lies on the current disk yet.
    bool Fresh() const { return fixedOnly_; }

    void NewDisk() {
        plan_.disks.push_back(PlannedDisk{DiskUsage(type_), {}, 0, {}});
        fixedOnly_ = true;
    }

    void AddLine(const PackItem& item, kavrel::ItemKind kind, const std::string& name) {
        plan_.lines.push_back(ItemLine{DiskNumber(), kind, name, item.folder, item.manifestLine});
        ++Disk().items;
        Disk().itemNames.push_back(name);
        fixedOnly_ = false;
    }

    void Put(const PlacedFile& file) {
        Disk().usage.Add(file.path, file.size);
        Disk().files.push_back(file);
    }

    bool TooLarge(const PackItem& item, const std::string& what, std::uint64_t size) {
        diags_.Error(file_, item.manifestLine,
                     what + " takes " + std::to_string(size) + " bytes; no " + type_.name + " disk can hold it");
        return false;
    }

    bool PlaceFile(const PackItem& item) {
        const std::string path = WithSlashes(item.name);
        if (!Disk().usage.Fits(path, item.size)) {
            if (DiskUsage(type_).Fits(path, item.size)) {
                NewDisk();
            } else {
                return TooLarge(item, "file " + item.source, item.size);
            }
        }
        Put(PlacedFile{path, false, item.source, {}, item.manifestIndex, item.size});
        AddLine(item, kavrel::ItemKind::PlainFile, item.name);
        return true;
    }

    bool PlaceArchive(const PackItem& item) {
        std::size_t next = 0;
        int part = 0;
        while (next < item.entries.size()) {
            const std::string name = PartName(item.name, part + 1);
            const std::string path = ArchivePath(name);
            // As many of the entries as the current disk takes, in order.
            std::vector<PackEntry> taken;
            std::uint64_t size = kArchiveEndBytes;
            while (next < item.entries.size() && Disk().usage.Fits(path, size + item.entries[next].cost)) {
                size += item.entries[next].cost;
                taken.push_back(item.entries[next++]);
            }
            if (taken.empty()) {
                if (Fresh() && DiskNumber() > 1) {
                    return TooLarge(item, "\"" + item.entries[next].source + "\" in archive " + item.name,
                                    item.entries[next].cost + kArchiveEndBytes);
                }
                NewDisk();
                continue;
            }
            Put(PlacedFile{path, true, {}, taken, item.manifestIndex, size});
            AddLine(item, kavrel::ItemKind::Archive, name);
            ++part;
        }
        return true;
    }

    // Whether every system's archive of one part fits on the current disk together.
    bool FitsTogether(const std::string& name, const std::map<int, std::vector<PackEntry>>& part) const {
        DiskUsage trial = plan_.disks.back().usage;
        for (const auto& [system, entries] : part) {
            if (!trial.TryAdd(SystemArchivePath(name, system), ArchiveSize(entries))) return false;
        }
        return true;
    }

    void PutStartPart(const PackItem& item, const std::string& name,
                      const std::map<int, std::vector<PackEntry>>& part) {
        for (const auto& [system, entries] : part) {
            Put(PlacedFile{SystemArchivePath(name, system), true, {}, entries, item.manifestIndex,
                           ArchiveSize(entries)});
        }
        AddLine(item, kavrel::ItemKind::Archive, name);
    }

    // Splits every system's entries into `parts` runs of about equal size, none empty:
    // one item line serves every system, so each part needs an archive for each.
    static bool SplitEvenly(const std::map<int, std::vector<PackEntry>>& systems, int parts,
                            std::vector<std::map<int, std::vector<PackEntry>>>& out) {
        out.assign(parts, {});
        for (const auto& [system, entries] : systems) {
            if (entries.size() < static_cast<std::size_t>(parts)) return false;
            const std::uint64_t total = ArchiveSize(entries);
            std::uint64_t done = 0;
            std::size_t i = 0;
            for (int k = 0; k < parts; ++k) {
                const std::size_t keepForLater = static_cast<std::size_t>(parts - k - 1);
                const std::uint64_t target = total * static_cast<std::uint64_t>(k + 1) / parts;
                auto& run = out[k][system];
                do {
                    done += entries[i].cost;
                    run.push_back(entries[i++]);
                } while (i + keepForLater < entries.size() && (k == parts - 1 || done + entries[i].cost / 2 <= target));
            }
        }
        return true;
    }

    bool PlaceStart(const PackItem& item) {
        if (FitsTogether(item.name, item.systems)) {
            PutStartPart(item, item.name, item.systems);
            return true;
        }
        if (!Fresh() || DiskNumber() == 1) NewDisk();
        if (FitsTogether(item.name, item.systems)) {
            PutStartPart(item, item.name, item.systems);
            return true;
        }
        std::size_t most = 0;
        for (const auto& [system, entries] : item.systems) most = std::max(most, entries.size());
        for (int parts = 2; parts <= static_cast<int>(most); ++parts) {
            std::vector<std::map<int, std::vector<PackEntry>>> split;
            if (!SplitEvenly(item.systems, parts, split)) break;
            bool fits = true;
            for (int k = 0; k < parts && fits; ++k) {
                fits = FitsTogether(StartPartName(item.name, k + 1), split[k]);
            }
            if (!fits) continue;
            for (int k = 0; k < parts; ++k) {
                if (k > 0) NewDisk();
                PutStartPart(item, StartPartName(item.name, k + 1), split[k]);
            }
            return true;
        }
        diags_.Error(file_, item.manifestLine,
                     "the per-system archives do not fit on one disk, and they cannot be split so that every "
                     "part holds files of every system (split their largest files, or give fewer files)");
        return false;
    }

    const MediaType& type_;
    const std::string& file_;
    DiskPlan& plan_;
    Diagnostics& diags_;
    bool fixedOnly_ = true;
};

}  // namespace

std::string ArchivePath(const std::string& itemName) { return WithSlashes(itemName) + ".lzh"; }

bool PlanDisks(const MediaType& type, const std::vector<FixedFile>& fixed, const std::vector<PackItem>& items,
               const std::string& manifestPath, DiskPlan& plan, Diagnostics& diags) {
    plan = DiskPlan{};
    Planner planner(type, manifestPath, plan, diags);
    if (!planner.PlaceFixed(fixed)) return false;
    for (const PackItem& item : items) {
        if (!planner.Place(item)) return false;
    }
    return CheckPlannedNames(plan, manifestPath, diags);
}

}  // namespace kavrel::pack
