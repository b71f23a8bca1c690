#include "lha/encoder/ArchiveWriter.h"

#include "lha/encoder/EntryList.h"
#include "lha/encoder/HeaderWriter.h"
#include "lha/encoder/SourceFileSystem.h"

namespace kavrel::lha {

namespace {

using encoder::HeaderFields;
using encoder::PlannedEntry;

// The time stamp of reproducible archives: 2000-01-01 00:00:00 (UTC for level 2, as
// it stands for level 1's local time).
constexpr std::int64_t kFixedUnixTime = 946684800;
constexpr std::uint32_t kFixedDosTime = (20u << 25) | (1u << 21) | (1u << 16);

// Compressed bytes go straight into the archive. Once they reach the input's size,
// storing is certain to win: the encoder is stopped there.
class OutputSink : public Sink {
public:
    OutputSink(ArchiveOutput& out, std::uint64_t limit) : out_(out), limit_(limit) {}
    bool Write(const std::uint8_t* data, std::size_t size) override {
        written_ += size;
        if (written_ >= limit_) {
            overLimit_ = true;
            return false;
        }
        if (out_.Write(data, size)) return true;
        writeFailed_ = true;
        return false;
    }
    bool OverLimit() const { return overLimit_; }
    bool WriteFailed() const { return writeFailed_; }

private:
    ArchiveOutput& out_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    bool overLimit_ = false;
    bool writeFailed_ = false;
};

class Writer {
public:
    Writer(SourceFileSystem& fs, ArchiveOutput& out, const WriteOptions& options, std::string& error)
        : fs_(fs), out_(out), options_(options), error_(error) {}

    bool Write(const PlannedEntry& entry, WrittenEntry& written);

private:
    bool Fail(const std::string& message) {
        error_ = message;
        return false;
    }
    bool WriteHeader(std::uint64_t at, const HeaderFields& fields, std::size_t expectedSize);
    // Encodes the file's bytes after the header; fills the sizes, CRC and method.
    bool WriteData(const PlannedEntry& entry, HeaderFields& fields);
    bool Encode(const PlannedEntry& entry, Method method, OutputSink& sink, EncodeStats& stats);

    SourceFileSystem& fs_;
    ArchiveOutput& out_;
    const WriteOptions& options_;
    std::string& error_;
    std::vector<std::uint8_t> header_;
};

bool Writer::WriteHeader(std::uint64_t at, const HeaderFields& fields, std::size_t expectedSize) {
    std::string why;
    if (!encoder::BuildHeader(options_.headerLevel, fields, header_, why)) return Fail(why);
    if (header_.size() != expectedSize) return Fail("internal error: header size changed");
    const bool ok = at == out_.Position() ? out_.Write(header_.data(), header_.size())
                                          : out_.WriteAt(at, header_.data(), header_.size());
    return ok || Fail("cannot write the archive");
}

bool Writer::Encode(const PlannedEntry& entry, Method method, OutputSink& sink, EncodeStats& stats) {
    std::unique_ptr<SourceFile> file = fs_.Open(entry.sourcePath);
    if (!file) return Fail("cannot open " + entry.sourcePath);
    lha::Encode(method, options_.level, *file, sink, stats);
    if (file->Failed()) return Fail("cannot read " + entry.sourcePath);
    if (sink.WriteFailed()) return Fail("cannot write the archive");
    return true;
}

bool Writer::WriteData(const PlannedEntry& entry, HeaderFields& fields) {
    const std::uint64_t dataAt = out_.Position();
    EncodeStats stats;
    if (options_.method != Method::Stored && entry.info.size > 0) {
        OutputSink sink(out_, entry.info.size);
        if (!Encode(entry, options_.method, sink, stats)) return false;
        if (!sink.OverLimit() && stats.inputSize == entry.info.size) {
            fields.method = options_.method;
        } else if (!out_.Truncate(dataAt)) {
            return Fail("cannot write the archive");
        }
    }
    if (fields.method == Method::Stored) {
        // Storing: asked for, an empty file, or compression did not pay.
        OutputSink sink(out_, ~std::uint64_t{0});
        if (!Encode(entry, Method::Stored, sink, stats)) return false;
    }
    if (stats.inputSize != entry.info.size) {
        return Fail("file changed while it was being archived: " + entry.sourcePath);
    }
    if (out_.Position() != dataAt + stats.outputSize) return Fail("cannot write the archive");
    fields.originalSize = stats.inputSize;
    fields.packedSize = stats.outputSize;
    fields.crc = stats.crc;
    return true;
}

bool Writer::Write(const PlannedEntry& entry, WrittenEntry& written) {
    const bool folder = entry.info.kind == SourceInfo::Kind::Directory;
    HeaderFields fields;
    fields.method = folder ? Method::Directory : Method::Stored;
    fields.directory = entry.directory;
    fields.name = entry.name;
    fields.attribute = entry.info.attributes;
    if (options_.reproducible) {
        fields.unixTime = kFixedUnixTime;
        fields.dosTime = kFixedDosTime;
    } else {
        fields.unixTime = entry.info.modified;
        fields.dosTime = fs_.DosTime(entry.info.modified);
        fields.hasWindowsTimes = entry.info.hasWindowsTimes;
        fields.created = entry.info.createdTime;
        fields.modified = entry.info.modifiedTime;
        fields.accessed = entry.info.accessedTime;
    }
    if (entry.info.size > encoder::kMaxEntrySize) {
        return Fail("too large for an LZH archive (4 GiB or more): " + entry.sourcePath);
    }
    // The header goes first with the sizes unknown, and again once they are.
    const std::uint64_t headerAt = out_.Position();
    std::string why;
    if (!encoder::BuildHeader(options_.headerLevel, fields, header_, why)) return Fail(why + ": " + entry.sourcePath);
    const std::size_t headerSize = header_.size();
    if (!WriteHeader(headerAt, fields, headerSize)) return false;
    if (!folder) {
        if (!WriteData(entry, fields)) return false;
        if (!WriteHeader(headerAt, fields, headerSize)) return false;
    }
    written.storedPath = entry.storedPath;
    written.method = fields.method;
    written.originalSize = fields.originalSize;
    written.packedSize = fields.packedSize;
    return true;
}

}  // namespace

bool WriteArchive(SourceFileSystem& fs, const std::string& archivePath, const std::vector<SourceEntry>& entries,
                  const WriteOptions& options, std::string& error, std::vector<WrittenEntry>* written) {
    if (options.headerLevel != 1 && options.headerLevel != 2) {
        error = "header level must be 1 or 2";
        return false;
    }
    if (!CanEncode(options.method)) {
        error = "the encoder writes -lh0-, -lh5-, -lh6- and -lh7- only";
        return false;
    }
    if (options.level < 0 || options.level > 9) {
        error = "level must be 0 (default) or 1 to 9";
        return false;
    }
    std::string temporary;
    std::unique_ptr<ArchiveOutput> out = fs.CreateTemporary(archivePath, temporary);
    if (!out) {
        error = "cannot create " + archivePath;
        return false;
    }
    // Whatever goes wrong from here, the temporary file goes and the archive stays as it was.
    auto fail = [&](const std::string& message) {
        error = message;
        out.reset();
        fs.Remove(temporary);
        return false;
    };
    // The archive and its temporary file never go into themselves.
    const std::vector<SourceInfo> skip{fs.Stat(archivePath), fs.Stat(temporary)};
    std::vector<PlannedEntry> planned;
    std::string why;
    if (!encoder::PlanEntries(fs, entries, options.reproducible, skip, planned, why)) return fail(why);
    Writer writer(fs, *out, options, why);
    std::vector<WrittenEntry> report;
    for (const PlannedEntry& entry : planned) {
        WrittenEntry w;
        if (!writer.Write(entry, w)) return fail(why);
        report.push_back(w);
    }
    const std::uint8_t end = 0;
    if (!out->Write(&end, 1) || !out->Close()) return fail("cannot write " + archivePath);
    out.reset();
    if (!fs.Replace(temporary, archivePath)) return fail("cannot replace " + archivePath);
    if (written) *written = std::move(report);
    return true;
}

bool WriteArchive(const std::string& archivePath, const std::vector<SourceEntry>& entries,
                  const WriteOptions& options, std::string& error) {
    std::unique_ptr<SourceFileSystem> fs = MakeNativeSourceFileSystem();
    return WriteArchive(*fs, archivePath, entries, options, error);
}

}  // namespace kavrel::lha
