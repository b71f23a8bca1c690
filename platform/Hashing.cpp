#include "platform/Hashing.h"

#include <vector>

namespace kavrel {

std::string HexText(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (const std::uint8_t b : digest) {
        text += kDigits[b >> 4];
        text += kDigits[b & 15];
    }
    return text;
}

std::string FileSha256(Hashing& hashing, FileReader& files, const std::string& path, std::uint64_t* size) {
    const std::unique_ptr<InputFile> in = files.OpenRead(path);
    std::unique_ptr<Sha256> sha = hashing.NewSha256();
    if (!in || !sha) return std::string();
    std::vector<char> buffer(64 * 1024);
    std::uint64_t total = 0;
    while (const std::size_t n = in->Read(buffer.data(), buffer.size())) {
        sha->Add(buffer.data(), n);
        total += n;
    }
    // A read error is not the end of the file: the digest of part of it names nothing.
    Sha256Digest digest;
    if (in->Failed() || !sha->Finish(digest)) return std::string();
    if (size) *size = total;
    return HexText(digest);
}

}  // namespace kavrel
