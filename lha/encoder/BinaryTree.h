// Match finder of the maximum level: every position of the window in a binary search
// tree of the strings that start there (one tree per 3-byte hash), so one descent
// yields the matches of every length, each longer one with its nearest-found distance.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kavrel::lha::encoder {

struct MatchPair {
    std::uint16_t length;
    std::uint16_t distanceMinus1;
};

class BinaryTree {
public:
    explicit BinaryTree(int windowBits);

    // Inserts position `p` (at least 3 bytes must follow) and appends the matches found
    // there, each longer than the one before, none longer than `maxLength`. Visits at
    // most `cut` nodes. Returns how many were appended.
    int Find(const std::uint8_t* buffer, std::size_t p, int maxLength, int cut, MatchPair* out);
    void Rebase(std::size_t shift);

private:
    std::uint32_t mask_;
    std::int32_t maxDistance_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> children_;  // two per window slot: smaller, larger
};

}  // namespace kavrel::lha::encoder
