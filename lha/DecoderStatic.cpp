// -lh4-, -lh5-, -lh6-, -lh7-: LZ77 with static Huffman codes sent per block. One
// decoder, parameterised by the dictionary size (2^12 to 2^16 bytes).
//
// A block: 16 bits of symbol count; the code lengths of the "pre-tree" (19 symbols,
// 5-bit count, 3-bit lengths with a unary escape, a 2-bit run of zeros after symbol 3);
// the kNC (510) literal/length code lengths (9-bit count, coded with the pre-tree: 0 = one
// zero, 1 = 3..18 zeros, 2 = 20..531 zeros, n = length n-2); the position-code lengths
// (like the pre-tree, without the zero run). Then symbols: below 256 a literal, above
// a match of symbol-kMatchOffset bytes whose distance is coded as a bit count p followed by p-1
// bits (distance-1 = 2^(p-1) + bits, or p itself when p < 2). -lh4- shares -lh5-'s
// position code (14 symbols), so its window is as large as -lh5-'s.
#include "lha/DecoderStatic.h"

#include <algorithm>
#include <cstring>

#include "lha/Format.h"
#include "lha/HuffmanTable.h"
#include "lha/Window.h"

namespace kavrel::lha {
namespace {

constexpr int kCPrimaryBits = 12;  // first-level table sizes: 4096 and 256 entries
constexpr int kPPrimaryBits = 8;

// The inner loop's state: the bit reader and the output cursor, kept in locals while
// it runs, and the number of symbols it may still decode.
struct Batch {
    BitReader::State r;
    std::uint8_t* out;
    std::size_t budget;
};

// The inner loop: decodes until fewer than two symbols of the budget are left, testing
// nothing but the budget (see Run). False on a code that no valid stream holds.
[[gnu::always_inline]] inline bool DecodeBatch(Batch& batch, const std::uint32_t* ct, const std::uint32_t* pt,
                                               std::uint32_t np) {
    // Plain locals, not a struct: compilers keep these in registers.
    std::uint64_t bits = batch.r.bits;
    int count = batch.r.count;
    const std::uint8_t* in = batch.r.p;
    std::uint8_t* out = batch.out;
    std::size_t budget = batch.budget;
    auto refill = [&bits, &count, &in] {
        std::uint64_t v;
        std::memcpy(&v, in, 8);
        bits |= __builtin_bswap64(v) >> count;
        in += (63 - count) >> 3;
        count |= 56;
    };
    auto consume = [&bits, &count](std::uint32_t entry) {
        const int n = HuffmanTable::CodeLength(entry);
        bits <<= n;
        count -= n;
        return HuffmanTable::Symbol(entry);
    };
    // The entry of the next literal/length code is looked up before the refill that
    // follows a literal: the refill only adds bits below the 16 that it reads, so the
    // lookup need not wait for the refill's load.
    if (budget >= 2) {  // only then does the budget vouch for the input the refill reads
        refill();
        std::uint32_t e = HuffmanTable::LookUp(ct, kCPrimaryBits, bits);
        while (budget >= 2) {
            // Here e is the entry of the code at the top of the bits, and 56 bits are ready.
            std::uint32_t c = consume(e);
            --budget;
            if (c < 256) {
                *out++ = static_cast<std::uint8_t>(c);
                e = HuffmanTable::LookUp(ct, kCPrimaryBits, bits);  // 40 bits ready
                if (HuffmanTable::Symbol(e) < 256) {
                    *out++ = static_cast<std::uint8_t>(consume(e));
                    --budget;
                    e = HuffmanTable::LookUp(ct, kCPrimaryBits, bits);  // 24 bits ready
                    refill();
                    continue;
                }
                c = consume(e);
                --budget;
                refill();
            }
            if (c >= static_cast<std::uint32_t>(kNC)) {
                return false;
            }
            const std::size_t length = c - kMatchOffset;
            const std::uint32_t p = consume(HuffmanTable::LookUp(pt, kPPrimaryBits, bits));
            if (p >= np) {
                return false;
            }
            std::size_t distance = p;
            if (p > 1) {
                const int extra = static_cast<int>(p - 1);
                distance = (std::size_t{1} << extra) + static_cast<std::size_t>(bits >> (64 - extra));
                bits <<= extra;
                count -= extra;
            }
            ++distance;
            refill();
            e = HuffmanTable::LookUp(ct, kCPrimaryBits, bits);
            Window::CopyMatch(out, distance, length);
            out += length;
        }
    }
    batch.r.bits = bits;
    batch.r.count = count;
    batch.r.p = in;
    batch.out = out;
    batch.budget = budget;
    return true;
}

bool DecodeBatchPortable(Batch& batch, const std::uint32_t* ct, const std::uint32_t* pt, std::uint32_t np) {
    return DecodeBatch(batch, ct, pt, np);
}

#if defined(__x86_64__) || defined(__i386__)
// The same loop with BMI2's shifts (any count register, flags left alone: a shorter path
// from one lookup to the next), for processors that have them.
[[gnu::target("bmi2")]] bool DecodeBatchBmi2(Batch& batch, const std::uint32_t* ct, const std::uint32_t* pt,
                                             std::uint32_t np) {
    return DecodeBatch(batch, ct, pt, np);
}
#endif

using BatchDecoder = bool (*)(Batch&, const std::uint32_t*, const std::uint32_t*, std::uint32_t);

BatchDecoder PickBatchDecoder() {
#if defined(__x86_64__) || defined(__i386__)
    if (__builtin_cpu_supports("bmi2")) return DecodeBatchBmi2;
#endif
    return DecodeBatchPortable;
}

class StaticDecoder {
public:
    StaticDecoder(int dictionaryBits, ByteSource& in, Sink& out)
        : np_(PositionCodes(dictionaryBits)),
          pbits_(PositionCodeBits(np_)),
          reader_(in),
          window_(std::size_t{1} << (np_ - 1), out),
          cTable_(kNC, kCPrimaryBits),
          pTable_(np_ > kNT ? np_ : kNT, kPPrimaryBits),
          decodeBatch_(PickBatchDecoder()) {}

    DecodeStatus Run(std::uint64_t size);

private:
    bool ReadPtLengths(int count, int countBits, int special);
    bool ReadCLengths();
    bool ReadBlockHeader();

    int np_;
    int pbits_;
    BitReader reader_;
    Window window_;
    HuffmanTable cTable_;
    HuffmanTable pTable_;  // the pre-tree while reading lengths, then the position codes
    BatchDecoder decodeBatch_;
    std::uint8_t lengths_[kNC];
};

// Pre-tree and position-code lengths.
bool StaticDecoder::ReadPtLengths(int count, int countBits, int special) {
    reader_.Refill();
    const int n = static_cast<int>(reader_.Get(countBits));
    if (n == 0) {
        const std::uint32_t symbol = reader_.Get(countBits);
        if (symbol >= static_cast<std::uint32_t>(count)) return false;
        pTable_.BuildSingle(symbol);
        return true;
    }
    if (n > count) return false;
    int i = 0;
    while (i < n) {
        reader_.Refill();
        int len = static_cast<int>(reader_.Peek(3));
        if (len == 7) {
            // Unary continuation: one more for every 1 bit after the first three.
            std::uint64_t w = reader_.Window() << 3;
            while (w & 0x8000000000000000ull) {
                ++len;
                w <<= 1;
                if (len > HuffmanTable::kMaxCodeLength) return false;
            }
            reader_.Skip(len - 3);  // 3 bits, (len-7) ones and the closing zero
        } else {
            reader_.Skip(3);
        }
        lengths_[i++] = static_cast<std::uint8_t>(len);
        if (i == special) {
            int zeros = static_cast<int>(reader_.Get(2));
            while (zeros-- > 0 && i < count) lengths_[i++] = 0;
        }
    }
    std::fill(lengths_ + i, lengths_ + count, 0);
    return pTable_.Build(lengths_, count) && !reader_.Exhausted();
}

bool StaticDecoder::ReadCLengths() {
    reader_.Refill();
    const int n = static_cast<int>(reader_.Get(kCBits));
    if (n == 0) {
        const std::uint32_t symbol = reader_.Get(kCBits);
        if (symbol >= static_cast<std::uint32_t>(kNC)) return false;
        cTable_.BuildSingle(symbol);
        return true;
    }
    if (n > kNC) return false;
    int i = 0;
    while (i < n) {
        reader_.Refill();
        const std::uint32_t c = pTable_.Decode(reader_);
        if (c >= static_cast<std::uint32_t>(kNT)) return false;
        if (c <= 2) {
            int zeros = c == 0 ? 1 : c == 1 ? static_cast<int>(reader_.Get(4)) + 3
                                            : static_cast<int>(reader_.Get(kCBits)) + 20;
            if (zeros > n - i) return false;
            while (zeros-- > 0) lengths_[i++] = 0;
        } else {
            lengths_[i++] = static_cast<std::uint8_t>(c - 2);
        }
        if (reader_.Exhausted()) return false;
    }
    std::fill(lengths_ + i, lengths_ + kNC, 0);
    return cTable_.Build(lengths_, kNC);
}

bool StaticDecoder::ReadBlockHeader() {
    return ReadPtLengths(kNT, kTBits, 3) && ReadCLengths() && ReadPtLengths(np_, pbits_, -1);
}

DecodeStatus StaticDecoder::Run(std::uint64_t size) {
    std::uint64_t left = size;
    std::uint32_t blockLeft = 0;
    const std::uint32_t* const ct = cTable_.Entries();
    const std::uint32_t* const pt = pTable_.Entries();
    const std::uint32_t np = static_cast<std::uint32_t>(np_);
    while (left > 0) {
        if (blockLeft == 0) {
            reader_.Refill();
            blockLeft = reader_.Get(16);
            if (!ReadBlockHeader()) return DecodeStatus::Corrupt;
            if (blockLeft == 0) {
                if (reader_.Exhausted()) return DecodeStatus::Corrupt;
                continue;
            }
        }
        if (!window_.Reserve()) return DecodeStatus::OutputFailed;
        if (reader_.Exhausted()) return DecodeStatus::Corrupt;

        // The inner loop runs on a budget of symbols that can overrun nothing: no more than
        // the block holds, a symbol makes at most kMaxMatch bytes (of the output still due
        // and of the window's room) and takes at most 7 bytes of input per refill (16 + 16
        // + 18 bits; a refill reads 8 bytes; one more refill goes before the loop).
        Batch batch{reader_.Export(), window_.Cursor(), 0};
        std::uint8_t* const first = batch.out;
        const std::uint64_t room = std::min<std::uint64_t>(window_.Room(), left);
        const std::size_t input = static_cast<std::size_t>(batch.r.end - batch.r.p);
        const std::size_t planned = static_cast<std::size_t>(
            std::min<std::uint64_t>({blockLeft, room / Window::kMaxMatch, input > 16 ? (input - 16) / 7 : 0}));
        batch.budget = planned;
        if (!decodeBatch_(batch, ct, pt, np)) return DecodeStatus::Corrupt;
        reader_.Import(batch.r);
        window_.SetCursor(batch.out);
        blockLeft -= static_cast<std::uint32_t>(planned - batch.budget);
        left -= static_cast<std::uint64_t>(batch.out - first);
        if (blockLeft == 0 || left == 0) continue;
        if (!window_.Reserve()) return DecodeStatus::OutputFailed;

        // Near the end of the input buffer, the block, the output or the window: one symbol
        // through the reader, which refills it (or invents zeros past the end of the data,
        // counted by Exhausted()).
        reader_.Refill();
        --blockLeft;
        const std::uint32_t c = cTable_.Decode(reader_);
        if (c < 256) {
            window_.Put(static_cast<std::uint8_t>(c));
            --left;
            continue;
        }
        if (c >= static_cast<std::uint32_t>(kNC)) return DecodeStatus::Corrupt;
        std::size_t length = c - kMatchOffset;
        const std::uint32_t p = pTable_.Decode(reader_);
        if (p >= np) return DecodeStatus::Corrupt;
        std::size_t distance = p;
        if (p > 1) distance = (std::size_t{1} << (p - 1)) + reader_.Get(static_cast<int>(p - 1));
        ++distance;
        if (length > left) length = static_cast<std::size_t>(left);
        window_.Copy(distance, length);
        left -= length;
    }
    if (reader_.Exhausted()) return DecodeStatus::Corrupt;
    return window_.Flush() ? DecodeStatus::Ok : DecodeStatus::OutputFailed;
}

}  // namespace

DecodeStatus DecodeStatic(int dictionaryBits, ByteSource& in, std::uint64_t size, Sink& out) {
    auto decoder = std::make_unique<StaticDecoder>(dictionaryBits, in, out);
    return decoder->Run(size);
}

}  // namespace kavrel::lha
