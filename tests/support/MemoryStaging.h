// The staging file system (lha::FileSystem) over a test's MemoryFiles, with Windows' names,
// and a switch that makes every step from the `failFrom`-th one on fail, as a killed
// process or a power cut would stop it.
#pragma once

#include <cstring>

#include "lha/FileSystem.h"
#include "tests/support/MemoryFiles.h"

namespace kavrel::test {

class MemoryStaging : public lha::FileSystem {
public:
    explicit MemoryStaging(MemoryFiles& files) : files_(files) {}

    // Steps that change something, counted; from this one on, each fails.
    int failFrom = -1;
    int steps = 0;
    // A power cut: the bytes of files written but never closed are lost with it.
    bool losesUnflushedData = false;

    char Separator() const override { return '\\'; }
    Kind Stat(const std::string& path) override {
        if (files_.HasFile(path)) return Kind::File;
        if (files_.HasFolder(path) || (path.size() <= 3 && files_.Exists(path))) return Kind::Directory;
        return Kind::Missing;
    }
    std::unique_ptr<lha::RandomAccess> OpenRead(const std::string& path) override {
        const MemoryFiles::File* f = files_.Find(path);
        if (f == nullptr) return nullptr;
        return std::make_unique<Input>(f->data);
    }
    bool MakeDirectory(const std::string& path) override { return Step() && files_.MakeDirectory(path); }
    bool RemoveFolder(const std::string& path) override {
        if (!Step() || !files_.HasFolder(path) || !files_.FindFiles(path + "\\*").empty()) return false;
        files_.Remove(path);
        return true;
    }
    std::unique_ptr<lha::OutputFile> CreateNew(const std::string& path) override {
        if (!Step() || files_.Exists(path) || files_.IsIn(files_.failCopyTo, path)) return nullptr;
        files_.AddFile(path, {}, 0x80 /* normal */);
        return std::make_unique<Output>(*this, path);
    }
    // A target in failCopyTo takes no new file; its old one may move back.
    bool Move(const std::string& from, const std::string& to) override {
        const bool putBack = from.find("\\old") != std::string::npos;
        return Step() && (putBack || !files_.IsIn(files_.failCopyTo, to)) && files_.Rename(from, to);
    }
    // A copy stands in for a second name: nothing here writes into a file once placed.
    bool linksWork = true;
    bool Link(const std::string& from, const std::string& to) override {
        const MemoryFiles::File* f = files_.Find(from);
        if (!Step() || !linksWork || f == nullptr || (f->status.attributes & 0x01) || files_.Exists(to)) return false;
        const MemoryFiles::File copy = *f;
        files_.AddFile(to, copy.data);
        *files_.Find(to) = copy;
        return true;
    }
    bool Replace(const std::string& from, const std::string& to) override {
        const bool putBack = from.find("\\old") != std::string::npos;
        if (!Step() || !files_.HasFile(from) || (!putBack && files_.IsIn(files_.failCopyTo, to))) return false;
        if (files_.HasFile(to)) files_.Remove(to);
        return files_.Rename(from, to);
    }
    std::vector<std::string> ListFiles(const std::string& folder) override {
        std::vector<std::string> names;
        for (const FoundEntry& e : files_.FindFiles(folder + "\\*")) {
            if (!e.isDirectory) names.push_back(e.name);
        }
        return names;
    }
    bool Remove(const std::string& path) override {
        if (!Step() || !files_.HasFile(path)) return false;
        files_.Remove(path);
        return true;
    }
    void SetModificationTime(const std::string& path, std::int64_t unixTime) override {
        if (MemoryFiles::File* f = files_.Find(path)) {
            f->status.lastWriteTime = static_cast<std::uint64_t>(unixTime) * 10000000ULL + 116444736000000000ULL;
        }
    }
    bool FreeSpace(const std::string&, std::uint64_t&) override { return false; }

private:
    class Input : public lha::RandomAccess {
    public:
        explicit Input(std::string data) : data_(std::move(data)) {}
        std::uint64_t Size() const override { return data_.size(); }
        bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size) override {
            if (offset > data_.size() || size > data_.size() - offset) return false;
            std::memcpy(buffer, data_.data() + offset, size);
            return true;
        }

    private:
        std::string data_;
    };
    class Output : public lha::OutputFile {
    public:
        Output(MemoryStaging& fs, std::string path) : fs_(fs), path_(std::move(path)) {}
        ~Output() override {
            if (!closed_ && fs_.losesUnflushedData) {
                if (MemoryFiles::File* f = fs_.files_.Find(path_)) f->data.clear();
            }
        }
        bool Write(const void* data, std::size_t size) override {
            MemoryFiles::File* f = fs_.files_.Find(path_);
            if (!fs_.Step() || f == nullptr) return false;
            f->data.append(static_cast<const char*>(data), size);
            f->status.size = f->data.size();
            return true;
        }
        bool Close() override { return closed_ = fs_.Step(); }

    private:
        MemoryStaging& fs_;
        std::string path_;
        bool closed_ = false;
    };
    bool Step() { return failFrom < 0 || steps++ < failFrom; }

    MemoryFiles& files_;
};

}  // namespace kavrel::test
