#include "text/wildcard.h"

int WildcardMatch(const char* pattern, const char* name) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(pattern);
    const unsigned char* n = reinterpret_cast<const unsigned char*>(name);
    // Only the most recent star needs to be revisited: whatever an earlier star could
    // still absorb, the later star can absorb just as well, so growing the latest star
    // one byte at a time finds a match whenever the exhaustive search would. Each name
    // position is resumed at most once per star, which bounds the work by |p| * |n|.
    const unsigned char* afterStar = nullptr;
    const unsigned char* starCoversUpTo = nullptr;
    while (*n != '\0') {
        const unsigned char c = *p;
        if (c == '*') {
            afterStar = ++p;
            starCoversUpTo = n;
        } else if (c != '\0' && (c == '?' || kFold.folded[c] == kFold.folded[*n])) {
            ++p;
            ++n;
        } else if (afterStar != nullptr) {
            // The star takes one more byte. When a literal follows the star, a retry can
            // only succeed at a name byte equal to it, so the star takes the others at once.
            ++starCoversUpTo;
            const unsigned char literal = *afterStar;
            if (literal != '?' && literal != '\0') {
                const unsigned char wanted = kFold.folded[literal];
                while (*starCoversUpTo != '\0' && kFold.folded[*starCoversUpTo] != wanted)
                    ++starCoversUpTo;
            }
            p = afterStar;
            n = starCoversUpTo;
        } else {
            return 0;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0' ? 1 : 0;
}
