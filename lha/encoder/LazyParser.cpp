// Levels 1 to 8: hash chains over 3-byte prefixes and lazy matching (a match is taken
// only if the next position does not start a longer one).
#include <algorithm>

#include "lha/encoder/Parser.h"

namespace kavrel::lha::encoder {

namespace {

constexpr int kHashBits = 16;

struct Found {
    int length = 0;
    std::uint32_t distance = 0;
};

class LazyParser : public Parser {
public:
    LazyParser(int windowBits, const LevelSettings& s)
        : settings_(s),
          mask_((1u << windowBits) - 1),
          maxDistance_(static_cast<std::int32_t>((1u << windowBits) - 1)),
          head_(std::size_t{1} << kHashBits, -1),
          prev_(std::size_t{1} << windowBits, -1) {}

    std::size_t Parse(const std::uint8_t* buffer, std::size_t pos, std::size_t end, std::size_t avail,
                      std::vector<Symbol>& out) override;
    void Rebase(std::size_t shift) override {
        ShiftPositions(head_, shift);
        ShiftPositions(prev_, shift);
    }

private:
    void Insert(const std::uint8_t* buffer, std::size_t p) {
        std::int32_t& head = head_[Hash3(buffer + p, kHashBits)];
        prev_[p & mask_] = head;
        head = static_cast<std::int32_t>(p);
    }
    // Inserts `p` and returns the longest match there.
    Found Find(const std::uint8_t* buffer, std::size_t p, std::size_t avail);

    LevelSettings settings_;
    std::uint32_t mask_;
    std::int32_t maxDistance_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
};

Found LazyParser::Find(const std::uint8_t* buffer, std::size_t p, std::size_t avail) {
    Found best;
    if (avail - p < static_cast<std::size_t>(kMinMatch)) return best;
    const int maxLength = static_cast<int>(std::min<std::size_t>(avail - p, kMaxMatch));
    const std::int32_t here = static_cast<std::int32_t>(p);
    std::int32_t& head = head_[Hash3(buffer + p, kHashBits)];
    std::int32_t candidate = head;
    prev_[p & mask_] = candidate;
    head = here;
    const std::int32_t limit = here - maxDistance_;
    const std::uint8_t* const s = buffer + p;
    int bestLength = kMinMatch - 1;
    int chain = settings_.chain;
    const int nice = std::min(settings_.nice, maxLength);
    while (candidate >= 0 && candidate >= limit && chain-- > 0) {
        const std::uint8_t* const c = buffer + candidate;
        if (c[bestLength] == s[bestLength] && c[0] == s[0] && c[1] == s[1]) {
            const int length = MatchLength(c, s, maxLength);
            if (length > bestLength) {
                bestLength = length;
                best.length = length;
                best.distance = static_cast<std::uint32_t>(here - candidate);
                if (length >= nice) break;
            }
        }
        candidate = prev_[static_cast<std::uint32_t>(candidate) & mask_];
    }
    if (best.length == kMinMatch && best.distance > static_cast<std::uint32_t>(settings_.tooFar)) best.length = 0;
    return best;
}

std::size_t LazyParser::Parse(const std::uint8_t* buffer, std::size_t pos, std::size_t end, std::size_t avail,
                              std::vector<Symbol>& out) {
    std::size_t p = pos;
    Found current;
    bool haveCurrent = false;
    auto takeMatch = [&](const Found& m, std::size_t insertFrom) {
        out.push_back(Match(m.length, m.distance));
        const std::size_t stop = std::min(p + static_cast<std::size_t>(m.length), avail - (kMinMatch - 1));
        for (std::size_t q = insertFrom; q < stop; ++q) Insert(buffer, q);
        p += static_cast<std::size_t>(m.length);
    };
    while (p < end) {
        if (!haveCurrent) current = Find(buffer, p, avail);
        haveCurrent = false;
        if (current.length < kMinMatch) {
            out.push_back(Literal(buffer[p]));
            ++p;
            continue;
        }
        if (settings_.lazy && current.length < settings_.lazyLimit && p + 1 < end) {
            const Found next = Find(buffer, p + 1, avail);
            if (next.length > current.length) {
                out.push_back(Literal(buffer[p]));
                ++p;
                current = next;
                haveCurrent = true;
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
