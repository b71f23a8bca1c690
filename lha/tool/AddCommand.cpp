#include "lha/tool/AddCommand.h"

#include <cinttypes>
#include <csignal>
#include <cstdio>

#include "lha/encoder/ArchiveWriter.h"
#include "lha/encoder/SourceFileSystem.h"
#include "lha/tool/AddArguments.h"

namespace kavrel::lha {

int RunAddCommand(const std::vector<std::string>& args) {
    AddArguments parsed;
    std::string error;
    if (!ParseAddArguments(args, parsed, error)) {
        std::fprintf(stderr, "kavrel-lha: %s\n%s", error.c_str(), kAddUsage);
        return 2;
    }
#ifdef SIGXFSZ
    // Past a file-size limit a write must fail (and the archive be dropped), not kill us.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    std::unique_ptr<SourceFileSystem> fs = MakeNativeSourceFileSystem();
    std::vector<WrittenEntry> written;
    if (!WriteArchive(*fs, parsed.archive, parsed.entries, parsed.options, error, &written)) {
        std::fprintf(stderr, "kavrel-lha: %s (%s not written)\n", error.c_str(), parsed.archive.c_str());
        return 1;
    }
    std::uint64_t original = 0;
    std::uint64_t packed = 0;
    for (const WrittenEntry& w : written) {
        std::printf("%s %12" PRIu64 " %12" PRIu64 "  %s\n", MethodId(w.method), w.originalSize, w.packedSize,
                    w.storedPath.c_str());
        original += w.originalSize;
        packed += w.packedSize;
    }
    std::printf("%zu entr%s, %" PRIu64 " -> %" PRIu64 " bytes\n", written.size(), written.size() == 1 ? "y" : "ies",
                original, packed);
    return 0;
}

}  // namespace kavrel::lha
