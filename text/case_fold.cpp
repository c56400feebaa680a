#include "text/case_fold.h"

#include "text/case_fold_table.h"

#include <cstddef>

namespace {

constexpr std::size_t kRangeCount = sizeof kCaseFoldRanges / sizeof kCaseFoldRanges[0];

// The widest stretch without a pair (it holds kana and the CJK ideographs): a name of
// Japanese letters is folded without a search.
struct Gap {
    std::uint16_t after;
    std::uint16_t before;
};
constexpr Gap WidestGap() {
    Gap widest{kCaseFoldRanges[0].last, kCaseFoldRanges[1].first};
    for (std::size_t r = 1; r + 1 < kRangeCount; ++r) {
        if (kCaseFoldRanges[r + 1].first - kCaseFoldRanges[r].last > widest.before - widest.after)
            widest = {kCaseFoldRanges[r].last, kCaseFoldRanges[r + 1].first};
    }
    return widest;
}
constexpr Gap kWidestGap = WidestGap();
constexpr std::uint16_t kLastLower = kCaseFoldRanges[kRangeCount - 1].last;

bool InRange(const CaseFoldRange& range, unsigned unit) {
    return unit >= range.first && unit <= range.last && (unit - range.first) % range.step == 0;
}

std::uint16_t Shifted(unsigned unit, int delta) {
    return static_cast<std::uint16_t>(unit + static_cast<unsigned>(delta));
}

} // namespace

std::uint16_t FoldWideUnit(std::uint16_t unit) {
    if (unit > kLastLower || (unit > kWidestGap.after && unit < kWidestGap.before))
        return unit;
    // The first range that ends at or after the unit is the only one that can hold it.
    std::size_t low = 0;
    std::size_t high = kRangeCount;
    while (low < high) {
        const std::size_t middle = (low + high) / 2;
        if (kCaseFoldRanges[middle].last < unit)
            low = middle + 1;
        else
            high = middle;
    }
    if (low < kRangeCount && InRange(kCaseFoldRanges[low], unit))
        return Shifted(unit, kCaseFoldRanges[low].delta);
    return unit;
}

std::uint16_t CasePartner(std::uint16_t unit) {
    if (unit < 0x80) {
        const bool letter = (unit | 0x20) >= 'a' && (unit | 0x20) <= 'z';
        return static_cast<std::uint16_t>(letter ? unit ^ 0x20 : unit);
    }
    const std::uint16_t folded = FoldWideUnit(unit);
    if (folded != unit)
        return folded;
    // Read once per letter of a compiled line: a plain walk over the ranges will do.
    for (const CaseFoldRange& range : kCaseFoldRanges) {
        const std::uint16_t lower = Shifted(unit, -range.delta);
        if (InRange(range, lower))
            return lower;
    }
    return unit;
}
