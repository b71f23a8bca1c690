#include "lha/encoder/BlockSplitter.h"

#include <algorithm>

namespace kavrel::lha::encoder {

std::uint64_t BlockSplitter::Cost(const std::vector<Symbol>& symbols) {
    std::uint64_t bits = 0;
    for (std::size_t done = 0; done < symbols.size(); done += kGroup) {
        bits += PlanGroup(symbols.data() + done, std::min(kGroup, symbols.size() - done));
    }
    return bits;
}

void BlockSplitter::Write(const std::vector<Symbol>& symbols, BitWriter& out) {
    for (std::size_t done = 0; done < symbols.size(); done += kGroup) {
        const Symbol* group = symbols.data() + done;
        PlanGroup(group, std::min(kGroup, symbols.size() - done));
        for (std::size_t k = 0; k + 1 < starts_.size(); ++k) {
            Histogram h;
            std::size_t n = 0;
            for (int s = starts_[k]; s < starts_[k + 1]; ++s) {
                h.Add(segments_[static_cast<std::size_t>(s)].histogram);
                n += segments_[static_cast<std::size_t>(s)].count;
            }
            coder_.Write(group + segments_[static_cast<std::size_t>(starts_[k])].begin, n, h, out);
        }
    }
}

std::uint64_t BlockSplitter::PlanGroup(const Symbol* symbols, std::size_t count) {
    segments_.clear();
    for (std::size_t begin = 0; begin < count; begin += kSegment) {
        Segment seg{begin, std::min(kSegment, count - begin), Histogram{}};
        for (std::size_t i = 0; i < seg.count; ++i) seg.histogram.Add(symbols[begin + i]);
        segments_.push_back(seg);
    }
    starts_.clear();
    const std::uint64_t bits = Split(0, static_cast<int>(segments_.size()) - 1, starts_);
    starts_.push_back(static_cast<int>(segments_.size()));
    return bits;
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
