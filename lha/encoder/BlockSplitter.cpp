#include "lha/encoder/BlockSplitter.h"

#include <algorithm>

namespace kavrel::lha::encoder {

void BlockSplitter::Flush(std::vector<Symbol>& symbols, bool final, BitWriter& out) {
    std::size_t done = 0;
    while (symbols.size() - done >= kGroup || (final && done < symbols.size())) {
        const std::size_t count = std::min(kGroup, symbols.size() - done);
        WriteGroup(symbols.data() + done, count, out);
        done += count;
    }
    symbols.erase(symbols.begin(), symbols.begin() + static_cast<std::ptrdiff_t>(done));
}

void BlockSplitter::WriteGroup(const Symbol* symbols, std::size_t count, BitWriter& out) {
    segments_.clear();
    for (std::size_t begin = 0; begin < count; begin += kSegment) {
        Segment seg{begin, std::min(kSegment, count - begin), Histogram{}};
        for (std::size_t i = 0; i < seg.count; ++i) seg.histogram.Add(symbols[begin + i]);
        segments_.push_back(seg);
    }
    std::vector<int> starts;
    Split(0, static_cast<int>(segments_.size()) - 1, starts);
    starts.push_back(static_cast<int>(segments_.size()));
    for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
        Histogram h;
        std::size_t n = 0;
        for (int s = starts[k]; s < starts[k + 1]; ++s) {
            h.Add(segments_[static_cast<std::size_t>(s)].histogram);
            n += segments_[static_cast<std::size_t>(s)].count;
        }
        coder_.Write(symbols + segments_[static_cast<std::size_t>(starts[k])].begin, n, h, out);
    }
}

std::uint64_t BlockSplitter::Split(int a, int b, std::vector<int>& starts) {
    Histogram whole;
    for (int s = a; s <= b; ++s) whole.Add(segments_[static_cast<std::size_t>(s)].histogram);
    const std::uint64_t wholeCost = coder_.Cost(whole);
    if (a == b) {
        starts.push_back(a);
        return wholeCost;
    }
    const int mid = (a + b) / 2;
    std::vector<int> halves;
    const std::uint64_t splitCost = Split(a, mid, halves) + Split(mid + 1, b, halves);
    if (splitCost < wholeCost) {
        starts.insert(starts.end(), halves.begin(), halves.end());
        return splitCost;
    }
    starts.push_back(a);
    return wholeCost;
}

}  // namespace kavrel::lha::encoder
