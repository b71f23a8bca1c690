#include "pack/MediumFiles.h"

#include <fstream>

#include "pack/Files.h"

namespace kavrel::pack {
namespace {

class StreamAccess : public lha::RandomAccess {
public:
    StreamAccess(const std::string& path, std::uint64_t size) : in_(PathOf(path), std::ios::binary), size_(size) {}
    bool IsOpen() const { return in_.is_open(); }
    std::uint64_t Size() const override { return size_; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
        if (offset > size_ || size > size_ - offset) return false;
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        in_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(in_.gcount()) == size;
    }

private:
    std::ifstream in_;
    std::uint64_t size_;
};

class ReadOnlyFileSystem : public lha::FileSystem {
public:
    char Separator() const override { return '/'; }
    Kind Stat(const std::string& path) override {
        if (IsFile(path)) return Kind::File;
        if (IsFolder(path)) return Kind::Directory;
        return Kind::Missing;
    }
    std::unique_ptr<lha::RandomAccess> OpenRead(const std::string& path) override {
        std::uint64_t size = 0;
        if (!FileSize(path, size)) return nullptr;
        auto file = std::make_unique<StreamAccess>(path, size);
        if (!file->IsOpen()) return nullptr;
        return file;
    }
    bool MakeDirectory(const std::string&) override { return false; }
    bool RemoveFolder(const std::string&) override { return false; }
    std::unique_ptr<lha::OutputFile> CreateNew(const std::string&) override { return nullptr; }
    bool Move(const std::string&, const std::string&) override { return false; }
    bool Replace(const std::string&, const std::string&) override { return false; }
    bool Link(const std::string&, const std::string&) override { return false; }
    std::vector<std::string> ListFiles(const std::string&) override { return {}; }
    bool Remove(const std::string&) override { return false; }
    void SetModificationTime(const std::string&, std::int64_t) override {}
    bool FreeSpace(const std::string&, std::uint64_t&) override { return false; }
};

}  // namespace

std::unique_ptr<lha::FileSystem> MakeReadOnlyFileSystem() { return std::make_unique<ReadOnlyFileSystem>(); }

}  // namespace kavrel::pack
