#include "pack/DiskSpace.h"

#include <algorithm>

#include "platform/Text.h"

namespace kavrel::pack {
namespace {

constexpr std::uint64_t kEntryBytes = 32;
// One root entry stays free for a volume label, which most disk tools write.
constexpr int kLabelEntries = 1;

bool IsShortNameCharacter(char c) {
    if (c >= 'A' && c <= 'Z') return true;
    if (c >= '0' && c <= '9') return true;
    return std::string_view("$%'-_@~`!(){}^#&").find(c) != std::string_view::npos;
}

bool IsShortName(std::string_view name) {
    const auto dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (dot != std::string_view::npos && (ext.empty() || ext.find('.') != std::string_view::npos)) return false;
    for (char c : base) {
        if (!IsShortNameCharacter(c)) return false;
    }
    for (char c : ext) {
        if (!IsShortNameCharacter(c)) return false;
    }
    return true;
}

const MediaType kMediaTypes[] = {
    {"folder", 0, 1, 0},
    {"floppy-1.44", 1457664, 512, 224},
    {"floppy-1.2", 1213952, 512, 224},
    {"floppy-720", 730112, 1024, 112},
};

}  // namespace

bool FindMediaType(std::string_view name, MediaType& type) {
    for (const MediaType& t : kMediaTypes) {
        if (t.name == name) {
            type = t;
            return true;
        }
    }
    return false;
}

std::vector<std::string> MediaNames() {
    std::vector<std::string> names;
    for (const MediaType& t : kMediaTypes) names.push_back(t.name);
    return names;
}

std::string MediaNamesText() {
    const std::vector<std::string> names = MediaNames();
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += "\"" + names[i] + "\"";
    }
    return text;
}

int DirectoryEntriesFor(std::string_view utf8Name) {
    if (IsShortName(utf8Name)) return 1;
    const std::size_t units = Utf8ToUtf16(utf8Name).size();
    return 1 + static_cast<int>((units + 12) / 13);
}

std::uint64_t DiskUsage::Clusters(std::uint64_t bytes) const {
    return (bytes + type_.cluster - 1) / type_.cluster;
}

std::uint64_t DiskUsage::UsedClusters() const {
    std::uint64_t clusters = fileClusters_;
    for (const auto& [folder, count] : entries_) {
        // A sub-folder's own directory: "." and ".." and its entries, at least one cluster.
        if (!folder.empty()) clusters += std::max<std::uint64_t>(1, Clusters((2 + count) * kEntryBytes));
    }
    return clusters;
}

bool DiskUsage::TryAdd(const std::string& path, std::uint64_t size) {
    if (!Fits(path, size)) return false;
    Add(path, size);
    return true;
}

void DiskUsage::Add(const std::string& path, std::uint64_t size) {
    bytes_ += size;
    fileClusters_ += Clusters(size);
    std::size_t start = 0;
    std::string folder;
    for (;;) {
        const auto slash = path.find('/', start);
        const std::string name = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        const bool isFolder = slash != std::string::npos;
        const std::string child = folder.empty() ? name : folder + "/" + name;
        // A folder's entry is made once, when the first file goes into it.
        if (!isFolder || !entries_.count(child)) entries_[folder] += DirectoryEntriesFor(name);
        if (!isFolder) break;
        entries_.try_emplace(child, 0);
        folder = child;
        start = slash + 1;
    }
}

bool DiskUsage::Fits(const std::string& path, std::uint64_t size) const {
    if (!type_.IsFloppy()) return true;
    DiskUsage trial = *this;
    trial.Add(path, size);
    return !trial.OverCapacity();
}

bool DiskUsage::OverCapacity() const {
    if (!type_.IsFloppy()) return false;
    return UsedBytes() > type_.capacity || RootEntriesUsed() > type_.rootEntries - kLabelEntries;
}

std::uint64_t DiskUsage::UsedBytes() const {
    return type_.IsFloppy() ? UsedClusters() * type_.cluster : bytes_;
}

std::uint64_t DiskUsage::FreeBytes() const {
    if (!type_.IsFloppy()) return 0;
    const std::uint64_t used = UsedBytes();
    return used >= type_.capacity ? 0 : type_.capacity - used;
}

int DiskUsage::RootEntriesUsed() const {
    const auto it = entries_.find("");
    return it == entries_.end() ? 0 : it->second;
}

}  // namespace kavrel::pack
