// Level 9: for each chunk of up to 32 KiB, every match the binary tree finds is kept,
// and a shortest-path search picks the cheapest literals and matches, priced by the
// code lengths the symbols of the previous parse really got (the chunk before, or the
// same chunk parsed again); the cheapest result is kept.
#include <algorithm>
#include <limits>

#include "lha/encoder/BinaryTree.h"
#include "lha/encoder/BlockCoder.h"
#include "lha/encoder/Parser.h"

namespace kavrel::lha::encoder {

namespace {

constexpr std::size_t kSubChunk = 32 * 1024;
constexpr std::uint32_t kInfinity = std::numeric_limits<std::uint32_t>::max();

class OptimalParser : public Parser {
public:
    OptimalParser(int windowBits, const BlockCoder& coder, const LevelSettings& s)
        : settings_(s), coder_(coder), tree_(windowBits), np_(coder.PositionCodes()) {
        // Before any block is planned: literals 8 bits, lengths about 6, positions 4.
        for (int i = 0; i < kNC; ++i) symbolPrice_[i] = i < 256 ? 8 : 6 + (i - 256) / 32;
        for (int i = 0; i < kMaxEncodedNP; ++i) positionPrice_[i] = 4 + (i > 1 ? i - 1 : 0);
    }

    std::size_t Parse(const std::uint8_t* buffer, std::size_t pos, std::size_t end, std::size_t avail,
                      std::vector<Symbol>& out) override {
        std::size_t p = pos;
        while (p < end) p = ParseChunk(buffer, p, std::min(end - p, kSubChunk), end, avail, out);
        return p;
    }
    void Rebase(std::size_t shift) override { tree_.Rebase(shift); }

private:
    std::size_t ParseChunk(const std::uint8_t* buffer, std::size_t p, std::size_t n, std::size_t end,
                           std::size_t avail, std::vector<Symbol>& out);
    void Gather(const std::uint8_t* buffer, std::size_t p, std::size_t n, std::size_t end, std::size_t avail);
    // A run of one byte is cheapest at distance 1, which the tree need not offer (it
    // leaves out the positions inside long matches): `found` (`count` matches, longer
    // each, room for one more) gets it in place of the ones no longer. Returns the count.
    static int AddRun(const std::uint8_t* buffer, std::size_t q, int maxLength, MatchPair* found, int count);
    // No match runs past the end of the parse: the matches cut to `room`. Returns the count.
    static int Clip(MatchPair* found, int count, int room);
    // One shortest-path parse of the chunk with the current prices; returns where it ended.
    std::size_t Search(const std::uint8_t* buffer, std::size_t p, std::size_t n, std::vector<Symbol>& out);
    void Backtrack(std::size_t from, std::size_t to, std::vector<Symbol>& out);
    void SetPrices(const BlockPlan& plan);
    std::uint32_t MatchPrice(int length, int distanceMinus1) const {
        const int pc = PositionCode(static_cast<std::uint32_t>(distanceMinus1));
        return symbolPrice_[kMatchOffset + length] + positionPrice_[pc];
    }

    LevelSettings settings_;
    const BlockCoder& coder_;
    BinaryTree tree_;
    int np_;
    std::uint32_t symbolPrice_[kNC];
    std::uint32_t positionPrice_[kMaxEncodedNP];
    // Matches of the chunk's positions: pairs_[first_[i] .. first_[i + 1]).
    std::vector<MatchPair> pairs_;
    std::vector<std::uint32_t> first_;
    // Shortest paths: cost to reach each position and the step that got there.
    std::vector<std::uint32_t> price_;
    std::vector<MatchPair> step_;
    std::vector<Symbol> trial_;
    std::vector<Symbol> best_;
    BlockPlan plan_;
    std::uint32_t misses_ = 0;  // positions since one had a match
    bool primed_ = false;       // prices come from a parse of the data
};

int OptimalParser::AddRun(const std::uint8_t* buffer, std::size_t q, int maxLength, MatchPair* found, int count) {
    if (q == 0 || buffer[q - 1] != buffer[q]) return count;
    const int run = MatchLength(buffer + q - 1, buffer + q, maxLength);
    if (run < kMinMatch) return count;
    int shorter = 0;
    while (shorter < count && found[shorter].length <= run) ++shorter;
    // The run takes the place of the matches it covers (one slot is spare for it).
    std::copy(found + shorter, found + count, found + 1);
    found[0] = MatchPair{static_cast<std::uint16_t>(run), 0};
    return count - shorter + 1;
}

int OptimalParser::Clip(MatchPair* found, int count, int room) {
    if (room < kMinMatch) return 0;
    int n = 0;
    while (n < count && found[n].length < room) ++n;
    if (n == count) return count;
    found[n].length = static_cast<std::uint16_t>(room);
    return n + 1;
}

void OptimalParser::Gather(const std::uint8_t* buffer, std::size_t p, std::size_t n, std::size_t end,
                           std::size_t avail) {
    pairs_.clear();
    first_.assign(n + 1, 0);
    std::vector<MatchPair> found(static_cast<std::size_t>(settings_.cut) + 2);  // and a run
    std::size_t skipUntil = 0;
    for (std::size_t i = 0; i < n; ++i) {
        first_[i] = static_cast<std::uint32_t>(pairs_.size());
        const std::size_t q = p + i;
        // Inside a long match the search takes as it is: no matches needed there, and
        // leaving those positions out of the tree keeps runs of one byte fast.
        if (q < skipUntil) continue;
        // Where nothing has matched for a while (packed or random data), search only
        // every eighth position: the shortest path there is literals anyway.
        if (misses_ > 256 && (misses_++ & 7) != 0) continue;
        const int maxLength = static_cast<int>(std::min<std::size_t>(avail - q, kMaxMatch));
        if (maxLength < kMinMatch) continue;
        const int look = std::min(maxLength, settings_.nice);
        int count = tree_.Find(buffer, q, look, settings_.cut, found.data());
        if (count > 0) {
            MatchPair& longest = found[static_cast<std::size_t>(count - 1)];
            if (longest.length == look && look < maxLength) {
                // The tree looks no further than `nice`; the match itself may go on.
                const std::uint8_t* s = buffer + q;
                const int extra = MatchLength(s - longest.distanceMinus1 - 1 + look, s + look, maxLength - look);
                longest.length = static_cast<std::uint16_t>(look + extra);
            }
        }
        count = AddRun(buffer, q, maxLength, found.data(), count);
        count = Clip(found.data(), count, static_cast<int>(std::min<std::size_t>(end - q, kMaxMatch)));
        if (count == 0) {
            ++misses_;
            continue;
        }
        misses_ = 0;
        const MatchPair& longest = found[static_cast<std::size_t>(count - 1)];
        if (longest.length >= settings_.nice) {
            skipUntil = q + longest.length;
        } else if (longest.distanceMinus1 == 0 && longest.length >= 32) {
            // A run of one byte: inside it every search finds the run again, slowly. Its
            // last positions are searched, for matches that go on past it.
            skipUntil = q + longest.length - 16;
        }
        pairs_.insert(pairs_.end(), found.begin(), found.begin() + count);
    }
    first_[n] = static_cast<std::uint32_t>(pairs_.size());
}

void OptimalParser::Backtrack(std::size_t from, std::size_t to, std::vector<Symbol>& out) {
    // Steps are recorded at their end: walk back from `to`, then emit in order.
    const std::size_t mark = out.size();
    for (std::size_t i = to; i > from;) {
        const MatchPair s = step_[i];
        if (s.length == 1) {
            out.push_back(Symbol{s.distanceMinus1, 0});  // a literal keeps its byte there
        } else {
            out.push_back(Symbol{static_cast<std::uint16_t>(kMatchOffset + s.length), s.distanceMinus1});
        }
        i -= s.length;
    }
    std::reverse(out.begin() + static_cast<std::ptrdiff_t>(mark), out.end());
}

std::size_t OptimalParser::Search(const std::uint8_t* buffer, std::size_t p, std::size_t n, std::vector<Symbol>& out) {
    price_.assign(n + 1, kInfinity);
    step_.resize(n + 1);
    std::size_t origin = 0;  // where the current path starts (after a long match)
    price_[0] = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t base = price_[i];
        const std::uint8_t byte = buffer[p + i];
        if (base + symbolPrice_[byte] < price_[i + 1]) {
            price_[i + 1] = base + symbolPrice_[byte];
            step_[i + 1] = MatchPair{1, byte};
        }
        const MatchPair* m = pairs_.data() + first_[i];
        const MatchPair* const mEnd = pairs_.data() + first_[i + 1];
        if (m == mEnd) continue;
        const MatchPair longest = mEnd[-1];
        if (longest.length >= settings_.nice) {
            // A long match is taken as it is: end the path here and go on after it.
            Backtrack(origin, i, out);
            out.push_back(Symbol{static_cast<std::uint16_t>(kMatchOffset + longest.length), longest.distanceMinus1});
            const std::size_t next = i + longest.length;
            if (next >= n) return p + next;
            for (std::size_t k = i + 1; k <= next; ++k) price_[k] = kInfinity;
            price_[next] = 0;
            origin = next;
            i = next - 1;
            continue;
        }
        int shorter = kMinMatch - 1;
        for (; m != mEnd; ++m) {
            const int length = static_cast<int>(std::min<std::size_t>(m->length, n - i));
            const std::uint32_t position = positionPrice_[PositionCode(m->distanceMinus1)];
            for (int len = shorter + 1; len <= length; ++len) {
                const std::uint32_t cost = base + symbolPrice_[kMatchOffset + len] + position;
                if (cost < price_[i + static_cast<std::size_t>(len)]) {
                    price_[i + static_cast<std::size_t>(len)] = cost;
                    step_[i + static_cast<std::size_t>(len)] =
                        MatchPair{static_cast<std::uint16_t>(len), m->distanceMinus1};
                }
            }
            if (length > shorter) shorter = length;
        }
    }
    Backtrack(origin, n, out);
    return p + n;
}

void OptimalParser::SetPrices(const BlockPlan& plan) {
    // Symbols the block did not use get a length a little over its longest.
    auto fill = [](const TreePlan& t, int count, std::uint32_t* price, auto extra) {
        int longest = 0;
        for (int i = 0; i < count; ++i) longest = std::max<int>(longest, t.length[i]);
        const int unused = t.used < 2 ? 4 : std::min(longest + 2, 18);
        for (int i = 0; i < count; ++i) {
            const bool used = t.length[i] != 0 || (t.used == 1 && t.single == i);
            price[i] = static_cast<std::uint32_t>((used ? t.length[i] : unused) + extra(i));
        }
    };
    fill(plan.c, kNC, symbolPrice_, [](int) { return 0; });
    fill(plan.p, np_, positionPrice_, [](int i) { return i > 1 ? i - 1 : 0; });
}

std::size_t OptimalParser::ParseChunk(const std::uint8_t* buffer, std::size_t p, std::size_t n, std::size_t end,
                                      std::size_t avail, std::vector<Symbol>& out) {
    Gather(buffer, p, n, end, avail);
    std::uint64_t bestBits = std::numeric_limits<std::uint64_t>::max();
    std::size_t bestEnd = p;
    // The first chunk starts from guessed prices: one more parse for it.
    const int passes = std::max(1, settings_.passes) + (primed_ ? 0 : 1);
    primed_ = true;
    for (int pass = 0; pass < passes; ++pass) {
        trial_.clear();
        const std::size_t stop = Search(buffer, p, n, trial_);
        Histogram h;
        for (const Symbol& s : trial_) h.Add(s);
        coder_.Plan(h, plan_);
        if (plan_.bits < bestBits) {
            bestBits = plan_.bits;
            best_.swap(trial_);
            bestEnd = stop;
        }
        SetPrices(plan_);
    }
    out.insert(out.end(), best_.begin(), best_.end());
    return bestEnd;
}

}  // namespace

std::unique_ptr<Parser> MakeOptimalParser(int windowBits, const BlockCoder& coder, const LevelSettings& settings) {
    return std::make_unique<OptimalParser>(windowBits, coder, settings);
}

}  // namespace kavrel::lha::encoder
