// -lh1- (LHarc 1.x): LZ77 over a 4 KiB window, matches of 3 to 60 bytes. Literals and
// lengths share one adaptive Huffman code (314 symbols, the tree re-sorted after every
// symbol and halved when the root count reaches 0x8000); the upper six bits of a
// distance use a fixed code of 3 to 8 bits, the lower six follow as plain bits.
#include "lha/DecoderLegacy.h"

#include <cstring>

#include "lha/BitReader.h"
#include "lha/Window.h"

namespace kavrel::lha {
namespace {

constexpr int kMaxMatch = 60;
constexpr int kThreshold = 3;
constexpr int kNChar = 256 - kThreshold + 1 + kMaxMatch;  // 314
constexpr int kT = kNChar * 2 - 1;                           // tree size
constexpr int kRoot = kT - 1;
constexpr unsigned kMaxFreq = 0x8000;

class AdaptiveTree {
public:
    AdaptiveTree() {
        for (int i = 0; i < kNChar; ++i) {
            freq_[i] = 1;
            son_[i] = i + kT;
            parent_[i + kT] = i;
        }
        for (int i = 0, j = kNChar; j <= kRoot; i += 2, ++j) {
            freq_[j] = freq_[i] + freq_[i + 1];
            son_[j] = i;
            parent_[i] = parent_[i + 1] = j;
        }
        freq_[kT] = 0xFFFF;
        parent_[kRoot] = 0;
    }

    int Decode(BitReader& reader) {
        int c = son_[kRoot];
        while (c < kT) {
            c += static_cast<int>(reader.GetBits(1));
            c = son_[c];
        }
        c -= kT;
        Update(c);
        return c;
    }

private:
    void Rebuild() {
        int j = 0;
        for (int i = 0; i < kT; ++i) {
            if (son_[i] >= kT) {
                freq_[j] = (freq_[i] + 1) / 2;
                son_[j] = son_[i];
                ++j;
            }
        }
        for (int i = 0, k = kNChar; k < kT; i += 2, ++k) {
            const unsigned f = freq_[i] + freq_[i + 1];
            freq_[k] = f;
            int at = k - 1;
            while (at >= 0 && f < freq_[at]) --at;
            ++at;
            std::memmove(&freq_[at + 1], &freq_[at], sizeof(freq_[0]) * static_cast<std::size_t>(k - at));
            freq_[at] = f;
            std::memmove(&son_[at + 1], &son_[at], sizeof(son_[0]) * static_cast<std::size_t>(k - at));
            son_[at] = i;
        }
        for (int i = 0; i < kT; ++i) {
            const int k = son_[i];
            if (k >= kT) {
                parent_[k] = i;
            } else {
                parent_[k] = parent_[k + 1] = i;
            }
        }
    }

    void Update(int symbol) {
        if (freq_[kRoot] == kMaxFreq) Rebuild();
        int c = parent_[symbol + kT];
        do {
            const unsigned k = ++freq_[c];
            int l = c + 1;
            if (k > freq_[l]) {
                while (k > freq_[++l]) {
                }
                --l;
                freq_[c] = freq_[l];
                freq_[l] = k;
                const int i = son_[c];
                parent_[i] = l;
                if (i < kT) parent_[i + 1] = l;
                const int j = son_[l];
                son_[l] = i;
                parent_[j] = c;
                if (j < kT) parent_[j + 1] = c;
                son_[c] = j;
                c = l;
            }
        } while ((c = parent_[c]) != 0);
    }

    unsigned freq_[kT + 1];
    int parent_[kT + kNChar];
    int son_[kT];
};

// The fixed code of the upper six distance bits: 1 code of 3 bits, 3 of 4, 8 of 5,
// 12 of 6, 24 of 7 and 16 of 8, assigned in order.
struct PositionCode {
    std::uint8_t upper[256];
    std::uint8_t length[256];
    PositionCode() {
        static const int counts[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
        int symbol = 0;
        unsigned code = 0;  // 8-bit left-aligned
        for (int len = 3; len <= 8; ++len) {
            for (int n = 0; n < counts[len]; ++n, ++symbol) {
                const unsigned span = 1u << (8 - len);
                for (unsigned k = 0; k < span; ++k) {
                    upper[code + k] = static_cast<std::uint8_t>(symbol);
                    length[code + k] = static_cast<std::uint8_t>(len);
                }
                code += span;
            }
        }
    }
};

}  // namespace

DecodeStatus DecodeLh1(ByteSource& in, std::uint64_t size, Sink& out) {
    static const PositionCode kPosition;
    auto tree = std::make_unique<AdaptiveTree>();
    BitReader reader(in);
    Window window(std::size_t{1} << WindowBits(Method::Lh1), out);
    std::uint64_t left = size;
    while (left > 0) {
        if (!window.Reserve()) return DecodeStatus::OutputFailed;
        if (reader.Exhausted()) return DecodeStatus::Corrupt;
        const int c = tree->Decode(reader);
        if (c < 256) {
            window.Put(static_cast<std::uint8_t>(c));
            --left;
            continue;
        }
        std::size_t length = static_cast<std::size_t>(c - 256 + kThreshold);
        reader.Refill();
        const unsigned byte = reader.Peek(8);
        const int codeLength = kPosition.length[byte];
        reader.Skip(codeLength);
        const std::size_t distance = ((std::size_t{kPosition.upper[byte]} << 6) | reader.Get(6)) + 1;
        if (length > left) length = static_cast<std::size_t>(left);
        window.Copy(distance, length);
        left -= length;
    }
    if (reader.Exhausted()) return DecodeStatus::Corrupt;
    return window.Flush() ? DecodeStatus::Ok : DecodeStatus::OutputFailed;
}

}  // namespace kavrel::lha
