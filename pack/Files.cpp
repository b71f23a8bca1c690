#include "pack/Files.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <system_error>

namespace kavrel::pack {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string JoinPath(const std::string& base, const std::string& relative) {
    if (base.empty() || PathOf(relative).is_absolute() || (!relative.empty() && relative[0] == '/')) {
        return relative;
    }
    return Utf8Of(PathOf(base) / PathOf(relative));
}

bool IsFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(PathOf(path), ec);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(PathOf(path), ec);
}

bool FileSize(const std::string& path, std::uint64_t& size) {
    std::error_code ec;
    if (!fs::is_regular_file(PathOf(path), ec)) return false;
    size = fs::file_size(PathOf(path), ec);
    return !ec;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
    const fs::path target = PathOf(path);
    fs::path temporary = target;
    temporary += ".kavrel-pack-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::error_code ec;
            fs::remove(temporary, ec);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    if (ec) fs::remove(temporary, ec);
    return !ec;
}

bool CopyOneFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::copy_file(PathOf(from), PathOf(to), fs::copy_options::overwrite_existing, ec);
    return !ec;
}

bool MakeFolders(const std::string& path) {
    std::error_code ec;
    fs::create_directories(PathOf(path), ec);
    return fs::is_directory(PathOf(path), ec);
}

bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries) {
    entries.clear();
    std::error_code ec;
    fs::directory_iterator it(PathOf(path), ec);
    if (ec) return false;
    for (const fs::directory_entry& entry : it) {
        entries.push_back(FolderEntry{Utf8Of(entry.path().filename()), entry.is_directory(ec)});
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

bool ListFilesBelow(const std::string& root, std::vector<std::string>& files) {
    files.clear();
    std::error_code ec;
    fs::recursive_directory_iterator it(PathOf(root), ec);
    if (ec) return false;
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) return false;
        if (!it->is_regular_file(ec)) continue;
        const std::u8string relative = it->path().lexically_relative(PathOf(root)).generic_u8string();
        files.emplace_back(relative.begin(), relative.end());
    }
    std::sort(files.begin(), files.end());
    return !ec;
}

TemporaryFolder::TemporaryFolder() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec) return;
    std::random_device random;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path candidate = base / ("kavrel-pack-" + std::to_string(random()));
        if (fs::create_directory(candidate, ec) && !ec) {
            // Private: the signing password passes through it.
            fs::permissions(candidate, fs::perms::owner_all, ec);
            path_ = Utf8Of(candidate);
            return;
        }
    }
}

TemporaryFolder::~TemporaryFolder() {
    if (path_.empty()) return;
    std::error_code ec;
    fs::remove_all(PathOf(path_), ec);
}

}  // namespace kavrel::pack
