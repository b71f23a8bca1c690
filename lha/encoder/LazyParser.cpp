// Levels 1 to 8: hash chains and lazy matching (a match is taken only if neither of the
// next two positions starts one that costs less).
#include <algorithm>

#include "lha/encoder/HuffmanBuilder.h"
#include "lha/encoder/Parser.h"

namespace kavrel::lha::encoder {

namespace {

constexpr int kHashBits = 16;
constexpr int kHash3Bits = 14;
constexpr int kHash4Bits = 15;
constexpr int kHash5Bits = 15;

struct Found {
    int length = 0;
    std::uint32_t distance = 0;
};

constexpr std::uint32_t kPriceUpdate = 8192;  // symbols between updates of the prices
constexpr int kRateScale = 16;                // bits per byte in sixteenths
// Matches worth a second look-ahead: elsewhere it rarely finds a better one, and it costs
// a third search per match.
constexpr int kShortMatch = 6;
constexpr int kCostlyMatch = 24;  // bits
constexpr std::uint32_t kMissesBeforeSkipping = 256;
// After n misses, one position in 1, 2, 4 ... 8 is searched.
inline std::uint32_t SkipMask(std::uint32_t misses) {
    const std::uint32_t step = (misses - kMissesBeforeSkipping) >> 9;
    return (1u << (step < 3 ? step : 3)) - 1;
}

class LazyParser : public Parser {
public:
    LazyParser(int windowBits, const LevelSettings& s)
        : settings_(s),
          mask_((1u << windowBits) - 1),
          maxDistance_(static_cast<std::int32_t>((1u << windowBits) - 1)),
          head_(std::size_t{1} << kHashBits, -1),
          head3_(std::size_t{1} << kHash3Bits, -1),
          head4_(std::size_t{1} << kHash4Bits, -1),
          head5_(std::size_t{1} << kHash5Bits, -1),
          prev_(std::size_t{1} << windowBits, -1) {
        for (int i = 0; i < kNC; ++i) symbolPrice_[i] = i < 256 ? 8 : 6 + (i - 256) / 32;
        for (int i = 0; i < kMaxEncodedNP; ++i) positionPrice_[i] = 4 + (i > 1 ? i - 1 : 0);
    }

    std::size_t Parse(const std::uint8_t* buffer, std::size_t pos, std::size_t end, std::size_t avail,
                      std::vector<Symbol>& out) override;
    void Rebase(std::size_t shift) override {
        ShiftPositions(head_, shift);
        ShiftPositions(head3_, shift);
        ShiftPositions(head4_, shift);
        ShiftPositions(head5_, shift);
        ShiftPositions(prev_, shift);
    }

private:
    void Insert(const std::uint8_t* buffer, std::size_t p) {
        std::int32_t& head = head_[HashBytes<6>(buffer + p, kHashBits)];
        prev_[p & mask_] = head;
        head = static_cast<std::int32_t>(p);
        head3_[Hash3(buffer + p, kHash3Bits)] = static_cast<std::int32_t>(p);
        head4_[Hash4(buffer + p)] = static_cast<std::int32_t>(p);
        head5_[HashBytes<5>(buffer + p, kHash5Bits)] = static_cast<std::int32_t>(p);
    }
    static std::uint32_t Hash4(const std::uint8_t* p) {
        std::uint32_t v;
        __builtin_memcpy(&v, p, 4);
        return (v * 0x9E3779B1u) >> (32 - kHash4Bits);
    }
    // Chains hold positions by their first 6 bytes: only candidates for longer matches
    // (3-, 4- and 5-byte ones come from the latest position with those bytes), so a
    // short walk reaches far on text, where a common word starts a chain at every turn.
    template <int N>
    static std::uint32_t HashBytes(const std::uint8_t* p, int bits) {
        std::uint64_t v;
        __builtin_memcpy(&v, p, 8);
        v <<= 64 - 8 * N;
        return static_cast<std::uint32_t>((v * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    }
    // Inserts `p` and returns the best match there, none running past `end` (none if no
    // match costs less than its literals), looking at no more than `chain` earlier positions.
    Found Find(const std::uint8_t* buffer, std::size_t p, std::size_t end, std::size_t avail, int chain);
    int Cost(const Found& m) const {
        return symbolPrice_[kMatchOffset + m.length] + positionPrice_[PositionCode(m.distance - 1)];
    }
    // Whether `skip` literals at `at` and then `later` cost less than `current`. The two
    // cover different spans: the one that ends sooner is charged the recent bits per
    // byte for the rest (literal prices there would favour long matches too much).
    bool Defer(const std::uint8_t* at, const Found& current, int skip, const Found& later) const {
        if (later.length < kMinMatch) return false;
        int now = Cost(current) * kRateScale;
        int deferred = Cost(later);
        for (int i = 0; i < skip; ++i) deferred += symbolPrice_[at[i]];
        deferred *= kRateScale;
        const int gap = skip + later.length - current.length;
        if (gap > 0) now += gap * rate_;
        else deferred -= gap * rate_;
        return deferred < now;
    }
    void Emit(std::vector<Symbol>& out, const Symbol& s) {
        out.push_back(s);
        recent_.Add(s);
        if (s.code < 256) {
            recentBits_ += static_cast<std::uint32_t>(symbolPrice_[s.code]);
            ++recentBytes_;
        } else {
            recentBits_ += static_cast<std::uint32_t>(symbolPrice_[s.code] +
                                                      positionPrice_[PositionCode(s.distanceMinus1)]);
            recentBytes_ += s.code - unsigned{kMatchOffset};
        }
        if (++sinceUpdate_ == kPriceUpdate) UpdatePrices();
    }
    // Prices from the code lengths the latest symbols would get.
    void UpdatePrices();

    LevelSettings settings_;
    std::uint32_t mask_;
    std::int32_t maxDistance_;
    std::vector<std::int32_t> head_;   // chains of positions by their first 6 bytes
    std::vector<std::int32_t> head3_;  // the latest position of each 3-byte prefix
    std::vector<std::int32_t> head4_;  // ... of each 4-byte prefix
    std::vector<std::int32_t> head5_;  // ... and of each 5-byte prefix
    std::vector<std::int32_t> prev_;
    int symbolPrice_[kNC];
    int positionPrice_[kMaxEncodedNP];
    Histogram recent_;
    std::uint32_t sinceUpdate_ = 0;
    std::uint32_t recentBits_ = 0;   // what the symbols since the last update cost
    std::uint32_t recentBytes_ = 0;  // ... and the bytes they cover
    int rate_ = 4 * kRateScale;      // bits per byte of the latest symbols
    std::uint32_t misses_ = 0;  // literals since the last match
};

void LazyParser::UpdatePrices() {
    auto fill = [](const std::uint32_t* freq, int count, int* price, bool positions) {
        std::uint8_t lengths[kNC];
        BuildCodeLengths(freq, count, kMaxCodeBits, lengths);
        int longest = 1;
        for (int i = 0; i < count; ++i) longest = std::max<int>(longest, lengths[i]);
        for (int i = 0; i < count; ++i) {
            price[i] = (lengths[i] ? lengths[i] : longest + 1) + (positions && i > 1 ? i - 1 : 0);
        }
    };
    fill(recent_.c, kNC, symbolPrice_, false);
    fill(recent_.p, kMaxEncodedNP, positionPrice_, true);
    recent_ = Histogram{};
    rate_ = static_cast<int>(std::uint64_t{recentBits_} * kRateScale / std::max(recentBytes_, 1u));
    recentBits_ = 0;
    recentBytes_ = 0;
    sinceUpdate_ = 0;
}

Found LazyParser::Find(const std::uint8_t* buffer, std::size_t p, std::size_t end, std::size_t avail, int chain) {
    Found best;
    if (avail - p < 8 || end - p < static_cast<std::size_t>(kMinMatch)) return best;  // Insert reads 8 bytes
    const int maxLength = static_cast<int>(std::min<std::size_t>(end - p, kMaxMatch));
    const std::int32_t here = static_cast<std::int32_t>(p);
    const std::int32_t limit = here - maxDistance_;
    const std::uint8_t* const s = buffer + p;
    // Literal prices of the bytes ahead, summed as far as any match reached.
    int literalSum[kMaxMatch + 1];
    literalSum[0] = 0;
    int summed = 0;
    // A match counts only if it costs less than its literals; of those, the one worth
    // most wins: the bytes it covers at the recent bits per byte, less its own bits.
    int bestWorth = 0;
    auto take = [&](std::int32_t candidate, int length) {
        for (; summed < length; ++summed) literalSum[summed + 1] = literalSum[summed] + symbolPrice_[s[summed]];
        const Found m{length, static_cast<std::uint32_t>(here - candidate)};
        const int cost = Cost(m);
        const int worth = length * rate_ - cost * kRateScale;
        if (literalSum[length] > cost && (best.length == 0 || worth > bestWorth)) {
            best = m;
            bestWorth = worth;
        }
    };
    // 3-byte matches only from the latest position with those bytes: further back they
    // rarely save anything.
    std::int32_t& head3 = head3_[Hash3(s, kHash3Bits)];
    const std::int32_t latest = head3;
    head3 = here;
    if (latest >= 0 && latest >= limit) {
        const std::uint8_t* const c = buffer + latest;
        if (c[0] == s[0] && c[1] == s[1] && c[2] == s[2]) take(latest, MatchLength(c, s, maxLength));
    }
    std::int32_t& head4 = head4_[Hash4(s)];
    const std::int32_t latest4 = head4;
    head4 = here;
    if (latest4 >= 0 && latest4 >= limit) {
        std::uint32_t a;
        std::uint32_t b;
        __builtin_memcpy(&a, buffer + latest4, 4);
        __builtin_memcpy(&b, s, 4);
        if (a == b) take(latest4, MatchLength(buffer + latest4, s, maxLength));
    }
    // The latest 5-byte match, unless it is the 4-byte one (then it was just compared).
    std::int32_t& head5 = head5_[HashBytes<5>(s, kHash5Bits)];
    const std::int32_t latest5 = head5;
    head5 = here;
    if (latest5 >= 0 && latest5 >= limit && latest5 != latest4) {
        const int length = MatchLength(buffer + latest5, s, maxLength);
        if (length >= kMinMatch) take(latest5, length);
    }
    std::int32_t& head = head_[HashBytes<6>(s, kHashBits)];
    std::int32_t candidate = head;
    prev_[p & mask_] = candidate;
    head = here;
    int bestLength = best.length > kMinMatch ? best.length : kMinMatch;
    const int nice = std::min(settings_.nice, maxLength);
    if (best.length >= nice) return best;
    const std::int32_t* const prev = prev_.data();
    const std::uint32_t mask = mask_;
    std::uint32_t first4;
    __builtin_memcpy(&first4, s, 4);
    while (candidate >= 0 && candidate >= limit && chain-- > 0) {
        const std::uint8_t* const c = buffer + candidate;
        // The next link is known now: fetch its bytes while this one is compared.
        const std::int32_t next = prev[static_cast<std::uint32_t>(candidate) & mask];
        __builtin_prefetch(buffer + next);
        std::uint32_t c4;
        __builtin_memcpy(&c4, c, 4);
        if (c[bestLength] == s[bestLength] && c4 == first4) {
            const int length = MatchLength(c, s, maxLength);
            if (length > bestLength) {
                bestLength = length;
                take(candidate, length);
                if (length >= nice) break;
            }
        }
        candidate = next;
    }
    return best;
}

std::size_t LazyParser::Parse(const std::uint8_t* buffer, std::size_t pos, std::size_t end, std::size_t avail,
                              std::vector<Symbol>& out) {
    std::size_t p = pos;
    Found current;
    bool haveCurrent = false;
    auto takeMatch = [&](const Found& m, std::size_t insertFrom) {
        Emit(out, Match(m.length, m.distance));
        const std::size_t stop = std::min(p + static_cast<std::size_t>(m.length), avail - 7);
        for (std::size_t q = insertFrom; q < stop; ++q) Insert(buffer, q);
        p += static_cast<std::size_t>(m.length);
    };
    while (p < end) {
        if (!haveCurrent) {
            // Where nothing has matched for a while (packed or random data), look at
            // fewer and fewer positions: the bytes go out as literals all the same.
            if (misses_ > kMissesBeforeSkipping && (misses_ & SkipMask(misses_)) != 0) {
                ++misses_;
                Emit(out, Literal(buffer[p]));
                ++p;
                continue;
            }
            current = Find(buffer, p, end, avail, settings_.chain);
        }
        haveCurrent = false;
        if (current.length < kMinMatch) {
            ++misses_;
            Emit(out, Literal(buffer[p]));
            ++p;
            continue;
        }
        misses_ = 0;
        if (settings_.lazy && current.length < settings_.lazyLimit && p + 1 < end) {
            // The look-ahead only has to beat a match in hand: a shorter search.
            const int chain = settings_.chain >> 3;
            const Found next = Find(buffer, p + 1, end, avail, chain);
            if (Defer(buffer + p, current, 1, next)) {
                Emit(out, Literal(buffer[p]));
                ++p;
                current = next;
                haveCurrent = true;
                continue;
            }
            if (settings_.lazy2 && p + 2 < end && (current.length <= kShortMatch || Cost(current) >= kCostlyMatch)) {
                // And two bytes on, for a match in hand that is short or costly: two
                // literals may still buy a better one.
                const Found after = Find(buffer, p + 2, end, avail, chain);
                if (Defer(buffer + p, current, 2, after)) {
                    Emit(out, Literal(buffer[p]));
                    Emit(out, Literal(buffer[p + 1]));
                    p += 2;
                    current = after;
                    haveCurrent = true;
                    continue;
                }
                takeMatch(current, p + 3);
                continue;
            }
            takeMatch(current, p + 2);
            continue;
        }
        takeMatch(current, p + 1);
    }
    return p;
}

}  // namespace

std::unique_ptr<Parser> MakeLazyParser(int windowBits, const LevelSettings& settings) {
    return std::make_unique<LazyParser>(windowBits, settings);
}

}  // namespace kavrel::lha::encoder
