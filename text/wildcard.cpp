#include "text/wildcard.h"

namespace {

unsigned char FoldAsciiLetter(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

} // namespace

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
        if (*p == '*') {
            afterStar = ++p;
            starCoversUpTo = n;
        } else if (*p != '\0' && (*p == '?' || FoldAsciiLetter(*p) == FoldAsciiLetter(*n))) {
            ++p;
            ++n;
        } else if (afterStar != nullptr) {
            p = afterStar;
            n = ++starCoversUpTo;
        } else {
            return 0;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0' ? 1 : 0;
}
