#include "engine/pattern_line.h"

#include "text/wildcard.h"

namespace {

bool IsSeparator(Utf16Char c) {
    return c == '\t' || c == ' ';
}

// One token's tries, as the line's rules form them from the pattern NextLinePattern read.
bool PatternMatches(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* name) {
    std::size_t length = Utf16Length(pattern);
    if (FindUnit(pattern, '.') == -1) {
        if (WildcardMatch(pattern, name))
            return true;
        pattern[length++] = '.';
        pattern[length++] = '*';
        pattern[length] = 0;
    }
    if (pattern[length - 1] == '.') {
        pattern[length - 1] = 0;
        return WildcardMatch(pattern, name) && FindUnit(name, '.') == -1;
    }
    return WildcardMatch(pattern, name) == 1;
}

} // namespace

const Utf16Char* NextLinePattern(Utf16Char (&pattern)[kLinePatternRoom],
                                 const Utf16Char* position) {
    while (IsSeparator(*position))
        ++position;
    if (*position == 0)
        return nullptr;
    int at = 0;
    int cap = kPatternTokenCap;
    if (*position == '.') {
        pattern[at++] = '*';
        --cap;
    }
    // A token cut by the cap goes on as the next token.
    for (; cap > 0 && *position != 0 && !IsSeparator(*position); --cap)
        pattern[at++] = *position++;
    pattern[at] = 0;
    return position;
}

int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* name) {
    Utf16Char pattern[kLinePatternRoom];
    const Utf16Char* position = patternLine;
    while ((position = NextLinePattern(pattern, position)) != nullptr) {
        if (PatternMatches(pattern, name))
            return 1;
    }
    return 0;
}
