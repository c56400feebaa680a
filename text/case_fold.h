// Letters compare as Windows compares file names: a lower-case letter and its upper-case
// partner are the same letter, for the case pairs of the Basic Multilingual Plane that map
// one to one (text/case_fold_table.h). Nothing else is equated: no accents are stripped, no
// widths or kana folded, and a surrogate stays as it is.
#pragma once

#include <cstdint>

#include "text/utf16.h"

// A unit of 0x80 or above as FoldUnit gives it.
std::uint16_t FoldWideUnit(std::uint16_t unit);

// The unit as the matcher compares it: the lower-case letter of a pair becomes its upper-case
// partner; every other unit stays as it is.
inline std::uint16_t FoldUnit(std::uint16_t unit) {
    if (unit < 0x80)
        return static_cast<std::uint16_t>(unit >= 'a' && unit <= 'z' ? unit - ('a' - 'A') : unit);
    return FoldWideUnit(unit);
}

// A unit as WildcardMatch compares it: a surrogate as it is, every other unit folded.
inline Utf16Char Folded(Utf16Char unit) {
    const auto value = static_cast<std::uint16_t>(unit);
    return static_cast<Utf16Char>(IsSurrogate(value) ? value : FoldUnit(value));
}

// A hash of units that compare the same (FNV-1a over Folded units): start with kFoldedHashStart
// and mix in each unit's Folded value.
inline constexpr std::uint32_t kFoldedHashStart = 2166136261u;
inline std::uint32_t MixFolded(std::uint32_t hash, Utf16Char folded) {
    return (hash ^ static_cast<std::uint16_t>(folded)) * 16777619u;
}

// The other unit that folds to the same value as unit, or unit itself when there is none.
std::uint16_t CasePartner(std::uint16_t unit);
