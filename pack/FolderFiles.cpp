#include "pack/FolderFiles.h"

#include <fstream>

#include "pack/Files.h"

namespace kavrel::pack {
namespace {

class StreamInput : public InputFile {
public:
    explicit StreamInput(const std::string& path) : in_(PathOf(path), std::ios::binary) {}
    bool IsOpen() const { return in_.is_open(); }
    std::size_t Read(void* buffer, std::size_t size) override {
        in_.read(static_cast<char*>(buffer), static_cast<std::streamsize>(size));
        return static_cast<std::size_t>(in_.gcount());
    }
    bool Seek(std::uint64_t offset) override {
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(in_);
    }

private:
    std::ifstream in_;
};

}  // namespace

bool FolderFiles::Exists(const std::string& path) { return IsFile(path) || IsFolder(path); }

std::unique_ptr<InputFile> FolderFiles::OpenRead(const std::string& path) {
    if (!IsFile(path)) return nullptr;
    auto file = std::make_unique<StreamInput>(path);
    if (!file->IsOpen()) return nullptr;
    return file;
}

}  // namespace kavrel::pack
