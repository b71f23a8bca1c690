#include "lha/encoder/HuffmanBuilder.h"

#include <algorithm>
#include <cstring>

namespace kavrel::lha::encoder {

namespace {
constexpr int kMaxSymbols = 512;
}

int BuildCodeLengths(const std::uint32_t* freq, int count, int maxLength, std::uint8_t* lengths) {
    std::memset(lengths, 0, static_cast<std::size_t>(count));
    // Used symbols, least frequent first (ties by symbol, so the result is deterministic).
    std::uint16_t order[kMaxSymbols];
    int used = 0;
    for (int i = 0; i < count; ++i) {
        if (freq[i]) order[used++] = static_cast<std::uint16_t>(i);
    }
    if (used < 2) return used;
    std::stable_sort(order, order + used, [freq](std::uint16_t a, std::uint16_t b) { return freq[a] < freq[b]; });

    // Two-queue Huffman: leaves in order, internal nodes are made in non-decreasing weight.
    std::uint64_t weight[2 * kMaxSymbols];
    std::uint16_t parent[2 * kMaxSymbols];
    for (int i = 0; i < used; ++i) weight[i] = freq[order[i]];
    int nextLeaf = 0;
    int nextNode = used;
    int made = used;
    auto takeSmallest = [&]() {
        if (nextLeaf < used && (nextNode == made || weight[nextLeaf] <= weight[nextNode])) return nextLeaf++;
        return nextNode++;
    };
    for (int k = 0; k < used - 1; ++k) {
        const int a = takeSmallest();
        const int b = takeSmallest();
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<std::uint16_t>(made);
        ++made;
    }
    // Depths from the root (the last node made) down.
    std::uint8_t depth[2 * kMaxSymbols];
    const int root = made - 1;
    depth[root] = 0;
    for (int i = root - 1; i >= 0; --i) {
        const int d = depth[parent[i]] + 1;
        depth[i] = static_cast<std::uint8_t>(d > 255 ? 255 : d);
    }
    // Count the leaves per length, longer ones at the limit, then mend the Kraft sum:
    // take one leaf off the deepest level and push a shorter leaf one level down, so
    // the code stays complete.
    int perLength[kMaxCodeBits + 2] = {};
    for (int i = 0; i < used; ++i) ++perLength[std::min<int>(depth[i], maxLength)];
    std::uint64_t kraft = 0;
    for (int len = 1; len <= maxLength; ++len) kraft += static_cast<std::uint64_t>(perLength[len]) << (maxLength - len);
    while (kraft > (std::uint64_t{1} << maxLength)) {
        --perLength[maxLength];
        for (int len = maxLength - 1; len >= 1; --len) {
            if (perLength[len]) {
                --perLength[len];
                perLength[len + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // The least frequent symbols get the longest codes.
    int next = 0;
    for (int len = maxLength; len >= 1; --len) {
        for (int k = 0; k < perLength[len]; ++k) lengths[order[next++]] = static_cast<std::uint8_t>(len);
    }
    return used;
}

void MakeCanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes) {
    int perLength[kMaxCodeBits + 1] = {};
    for (int i = 0; i < count; ++i) ++perLength[lengths[i]];
    std::uint32_t next[kMaxCodeBits + 1] = {};
    std::uint32_t code = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        next[len] = code;
        code += static_cast<std::uint32_t>(perLength[len]) << (kMaxCodeBits - len);
    }
    for (int i = 0; i < count; ++i) {
        const int len = lengths[i];
        if (len == 0) {
            codes[i] = 0;
            continue;
        }
        codes[i] = static_cast<std::uint16_t>(next[len] >> (kMaxCodeBits - len));
        next[len] += 1u << (kMaxCodeBits - len);
    }
}

}  // namespace kavrel::lha::encoder
