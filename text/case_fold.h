// Letters compare as Windows compares file names: a lower-case letter and its upper-case
// partner are the same letter, for the case pairs of the Basic Multilingual Plane that map
// one to one (text/case_fold_table.h). Nothing else is equated: no accents are stripped, no
// widths or kana folded, and a surrogate stays as it is.
#pragma once

#include <cstdint>

// A unit of 0x80 or above as FoldUnit gives it.
std::uint16_t FoldWideUnit(std::uint16_t unit);

// The unit as the matcher compares it: the lower-case letter of a pair becomes its upper-case
// partner; every other unit stays as it is.
inline std::uint16_t FoldUnit(std::uint16_t unit) {
    if (unit < 0x80)
        return static_cast<std::uint16_t>(unit >= 'a' && unit <= 'z' ? unit - ('a' - 'A') : unit);
    return FoldWideUnit(unit);
}

// The other unit that folds to the same value as unit, or unit itself when there is none.
std::uint16_t CasePartner(std::uint16_t unit);
