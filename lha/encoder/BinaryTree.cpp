#include "lha/encoder/BinaryTree.h"

#include "lha/encoder/Parser.h"

namespace kavrel::lha::encoder {

namespace {
constexpr int kHashBits = 16;
}

BinaryTree::BinaryTree(int windowBits)
    : mask_((1u << windowBits) - 1),
      maxDistance_(static_cast<std::int32_t>((1u << windowBits) - 1)),
      head_(std::size_t{1} << kHashBits, -1),
      children_(std::size_t{2} << windowBits, -1) {}

void BinaryTree::Rebase(std::size_t shift) {
    ShiftPositions(head_, shift);
    ShiftPositions(children_, shift);
}

int BinaryTree::Find(const std::uint8_t* buffer, std::size_t p, int maxLength, int cut, MatchPair* out) {
    const auto here = static_cast<std::int32_t>(p);
    std::int32_t& head = head_[Hash3(buffer + p, kHashBits)];
    std::int32_t candidate = head;
    head = here;
    // Where the next candidate smaller (larger) than the new string gets linked.
    std::int32_t* smaller = &children_[2 * (p & mask_)];
    std::int32_t* larger = smaller + 1;
    int smallerLength = 0;  // common prefix with everything on the smaller side
    int largerLength = 0;
    int best = kMinMatch - 1;
    int count = 0;
    const std::int32_t limit = here - maxDistance_;
    const std::uint8_t* const s = buffer + p;
    for (;;) {
        if (candidate < 0 || candidate < limit || cut-- == 0) {
            *smaller = -1;
            *larger = -1;
            break;
        }
        const std::uint8_t* const c = buffer + candidate;
        int length = smallerLength < largerLength ? smallerLength : largerLength;
        length += MatchLength(c + length, s + length, maxLength - length);
        std::int32_t* const pair = &children_[2 * (static_cast<std::uint32_t>(candidate) & mask_)];
        if (length > best) {
            best = length;
            out[count++] = MatchPair{static_cast<std::uint16_t>(length),
                                     static_cast<std::uint16_t>(here - candidate - 1)};
        }
        if (length >= maxLength) {
            // The same string as far as we look: the new node takes the old one's place.
            *smaller = pair[0];
            *larger = pair[1];
            break;
        }
        if (c[length] < s[length]) {
            *smaller = candidate;
            smaller = pair + 1;
            candidate = *smaller;
            smallerLength = length;
        } else {
            *larger = candidate;
            larger = pair;
            candidate = *larger;
            largerLength = length;
        }
    }
    return count;
}

}  // namespace kavrel::lha::encoder
