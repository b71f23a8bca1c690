#include "lha/encoder/BlockCoder.h"

#include "lha/encoder/HuffmanBuilder.h"

namespace kavrel::lha::encoder {

namespace {

struct BitCounter {
    std::uint64_t bits = 0;
    void Put(std::uint32_t, int n) { bits += static_cast<std::uint64_t>(n); }
};

void PlanTree(const std::uint32_t* freq, int count, TreePlan& t) {
    t.used = BuildCodeLengths(freq, count, kMaxCodeBits, t.length);
    t.single = -1;
    if (t.used < 2) {
        t.single = 0;
        for (int i = 0; i < count; ++i) {
            if (freq[i]) t.single = i;
        }
        return;
    }
    MakeCanonicalCodes(t.length, count, t.code);
}

// Lengths up to the last nonzero one: what a table's count field says.
int Trimmed(const std::uint8_t* length, int count) {
    while (count > 0 && length[count - 1] == 0) --count;
    return count;
}

// The literal/length code lengths as pre-tree symbols: a length n as n + 2, runs of
// zeros as 0 (one), 1 with 4 bits (3..18) or 2 with 9 bits (20..531); 19 zeros are one
// and eighteen. `emit(symbol, extra, extraBits)`.
template <class Emit>
void ForEachCLengthItem(const TreePlan& c, Emit emit) {
    const int n = Trimmed(c.length, kNC);
    int i = 0;
    while (i < n) {
        const int k = c.length[i++];
        if (k != 0) {
            emit(k + 2, 0u, 0);
            continue;
        }
        int run = 1;
        while (i < n && c.length[i] == 0) {
            ++i;
            ++run;
        }
        if (run <= 2) {
            for (int r = 0; r < run; ++r) emit(0, 0u, 0);
        } else if (run <= 18) {
            emit(1, static_cast<std::uint32_t>(run - 3), 4);
        } else if (run == 19) {
            emit(0, 0u, 0);
            emit(1, 15u, 4);
        } else {
            emit(2, static_cast<std::uint32_t>(run - 20), kCBits);
        }
    }
}

// Pre-tree or position-code lengths: 3 bits each, 7 and more as that many ones less
// three and a zero; the pre-tree has, after its third, 2 bits of zeros that follow
// (at most 3).
template <class Out>
void WritePtLengths(const TreePlan& t, int count, int countBits, bool zeroRunAfterThird, Out& out) {
    if (t.single >= 0) {
        out.Put(0, countBits);
        out.Put(static_cast<std::uint32_t>(t.single), countBits);
        return;
    }
    const int n = Trimmed(t.length, count);
    out.Put(static_cast<std::uint32_t>(n), countBits);
    int i = 0;
    while (i < n) {
        const int len = t.length[i++];
        if (len <= 6) {
            out.Put(static_cast<std::uint32_t>(len), 3);
        } else {
            out.Put((1u << (len - 3)) - 2, len - 3);
        }
        if (zeroRunAfterThird && i == 3) {
            // Only zeros before the last length: some readers refuse a run past it.
            int zeros = 0;
            while (zeros < 3 && i + zeros < n && t.length[i + zeros] == 0) ++zeros;
            out.Put(static_cast<std::uint32_t>(zeros), 2);
            i += zeros;
        }
    }
}

template <class Out>
void WriteTables(const BlockPlan& plan, int np, int pbits, Out& out) {
    WritePtLengths(plan.t, kNT, kTBits, true, out);
    if (plan.c.single >= 0) {
        out.Put(0, kCBits);
        out.Put(static_cast<std::uint32_t>(plan.c.single), kCBits);
    } else {
        out.Put(static_cast<std::uint32_t>(Trimmed(plan.c.length, kNC)), kCBits);
        ForEachCLengthItem(plan.c, [&](int symbol, std::uint32_t extra, int extraBits) {
            out.Put(plan.t.code[symbol], plan.t.length[symbol]);
            if (extraBits) out.Put(extra, extraBits);
        });
    }
    WritePtLengths(plan.p, np, pbits, false, out);
}

}  // namespace

BlockCoder::BlockCoder(int np) : np_(np), pbits_(PositionCodeBits(np)) {}

void BlockCoder::Plan(const Histogram& h, BlockPlan& plan) const {
    PlanTree(h.c, kNC, plan.c);
    if (plan.c.single >= 0) {
        plan.t = TreePlan{};
        plan.t.single = 0;
    } else {
        std::uint32_t tFreq[kNT] = {};
        ForEachCLengthItem(plan.c, [&](int symbol, std::uint32_t, int) { ++tFreq[symbol]; });
        PlanTree(tFreq, kNT, plan.t);
    }
    PlanTree(h.p, np_, plan.p);
    BitCounter counter;
    counter.Put(0, 16);
    WriteTables(plan, np_, pbits_, counter);
    std::uint64_t bits = counter.bits;
    for (int i = 0; i < kNC; ++i) bits += static_cast<std::uint64_t>(h.c[i]) * plan.c.length[i];
    for (int i = 0; i < np_; ++i) {
        bits += static_cast<std::uint64_t>(h.p[i]) * (plan.p.length[i] + (i > 1 ? i - 1 : 0));
    }
    plan.bits = bits;
}

std::uint64_t BlockCoder::Cost(const Histogram& h) const {
    BlockPlan plan;
    Plan(h, plan);
    return plan.bits;
}

void BlockCoder::Write(const Symbol* symbols, std::size_t count, const Histogram& h, BitWriter& out) const {
    BlockPlan plan;
    Plan(h, plan);
    out.Put(static_cast<std::uint32_t>(count), 16);
    WriteTables(plan, np_, pbits_, out);
    const TreePlan& c = plan.c;
    const TreePlan& p = plan.p;
    for (std::size_t i = 0; i < count; ++i) {
        const Symbol s = symbols[i];
        out.Put(c.code[s.code], c.length[s.code]);
        if (s.code < 256) continue;
        const int pc = PositionCode(s.distanceMinus1);
        out.Put(p.code[pc], p.length[pc]);
        if (pc > 1) out.Put(s.distanceMinus1 & ((1u << (pc - 1)) - 1), pc - 1);
    }
}

}  // namespace kavrel::lha::encoder
