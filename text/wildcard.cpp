#include "text/wildcard.h"

#include "text/case_fold.h"

namespace {

// Units below the surrogates stand for a character each, which compares folded.
constexpr std::uint16_t kFirstSurrogate = 0xD800;

// The units of the character at at (whose first unit is no terminator, so at[1] can be
// read): two for a surrogate pair, else one.
inline int UnitsAt(const Utf16Char* at) {
    return IsHighSurrogate(static_cast<unsigned>(at[0])) &&
                   IsLowSurrogate(static_cast<unsigned>(at[1]))
               ? 2
               : 1;
}

// Whether the pattern's character at p equals the name's at n (neither a terminator), and
// how many units each covers. Units other than surrogates compare folded; a surrogate pair
// equals only the same pair, a surrogate without its partner only itself.
bool SameCharacter(const Utf16Char* p, const Utf16Char* n, int& patternUnits, int& nameUnits) {
    const auto pc = static_cast<std::uint16_t>(*p);
    const auto nc = static_cast<std::uint16_t>(*n);
    patternUnits = UnitsAt(p);
    nameUnits = UnitsAt(n);
    if (!IsSurrogate(pc) && !IsSurrogate(nc))
        return FoldUnit(pc) == FoldUnit(nc);
    return patternUnits == nameUnits && pc == nc && (patternUnits == 1 || p[1] == n[1]);
}

// Moves at over the characters that cannot start a match of the pattern's character at
// literal (no star, no "?", no terminator), stopping at the first that can or at the end.
const Utf16Char* SkipToCandidate(const Utf16Char* at, const Utf16Char* literal) {
    const auto wanted = static_cast<std::uint16_t>(*literal);
    if (IsSurrogate(wanted)) {
        int literalUnits = 0;
        int nameUnits = 0;
        while (*at != 0 && !SameCharacter(literal, at, literalUnits, nameUnits))
            at += nameUnits;
        return at;
    }
    // Only a unit other than a surrogate can stop the walk, so it never stops inside a pair
    // and may go unit by unit.
    if (wanted < 0x80) {
        const bool letter = (wanted | 0x20) >= 'a' && (wanted | 0x20) <= 'z';
        const std::uint16_t other = letter ? wanted ^ 0x20 : wanted;
        while (*at != 0 && *at != wanted && *at != other)
            ++at;
        return at;
    }
    const std::uint16_t folded = FoldUnit(wanted);
    while (*at != 0 && *at != wanted && FoldUnit(static_cast<std::uint16_t>(*at)) != folded)
        ++at;
    return at;
}

} // namespace

int WildcardMatch(const Utf16Char* pattern, const Utf16Char* name) {
    const Utf16Char* p = pattern;
    const Utf16Char* n = name;
    // Only the most recent star needs to be revisited: whatever an earlier star could
    // still absorb, the later star can absorb just as well, so growing the latest star
    // one character at a time finds a match whenever the exhaustive search would. Each name
    // position is resumed at most once per star, which bounds the work by |p| * |n|.
    const Utf16Char* afterStar = nullptr;
    const Utf16Char* starCoversUpTo = nullptr;
    while (*n != 0) {
        const auto pc = static_cast<std::uint16_t>(*p);
        const auto nc = static_cast<std::uint16_t>(*n);
        if (pc == '*') {
            afterStar = ++p;
            starCoversUpTo = n;
            continue;
        }
        if (pc < kFirstSurrogate && nc < kFirstSurrogate) {
            // The pattern's terminator equals no unit of the name, even folded.
            if (pc == nc || pc == '?' || FoldUnit(pc) == FoldUnit(nc)) {
                ++p;
                ++n;
                continue;
            }
        } else if (pc == '?') {
            ++p;
            n += UnitsAt(n);
            continue;
        } else {
            int patternUnits = 0;
            int nameUnits = 0;
            if (SameCharacter(p, n, patternUnits, nameUnits)) {
                p += patternUnits;
                n += nameUnits;
                continue;
            }
        }
        if (afterStar == nullptr)
            return 0;
        // The star takes one more character. When a literal follows the star, a retry can
        // only succeed at a name character equal to it, so the star takes the others at once.
        starCoversUpTo += UnitsAt(starCoversUpTo);
        if (*afterStar != '?' && *afterStar != 0)
            starCoversUpTo = SkipToCandidate(starCoversUpTo, afterStar);
        p = afterStar;
        n = starCoversUpTo;
    }
    while (*p == '*')
        ++p;
    return *p == 0 ? 1 : 0;
}
