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

std::string FileSha256(Hashing& hashing, FileReader& files, const std::string& path) {
    const std::unique_ptr<InputFile> in = files.OpenRead(path);
    std::unique_ptr<Sha256> sha = hashing.NewSha256();
    if (!in || !sha) return std::string();
    std::vector<char> buffer(64 * 1024);
    while (const std::size_t n = in->Read(buffer.data(), buffer.size())) sha->Add(buffer.data(), n);
    Sha256Digest digest;
    return sha->Finish(digest) ? HexText(digest) : std::string();
}

}  // namespace kavrel
