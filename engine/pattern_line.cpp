#include "engine/pattern_line.h"

#include "text/wildcard.h"

namespace {

bool EndsToken(Utf16Char c) {
    return c == '\t' || c == ' ' || c == '|';
}

// One token's tries, as the line's rules form them from the pattern NextLinePattern read,
// on an item's two names (one name when both point to it).
bool PatternMatches(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* shownName,
                    const Utf16Char* fileName) {
    const auto matches = [&pattern, shownName, fileName] {
        return WildcardMatch(pattern, shownName) == 1 ||
               (fileName != shownName && WildcardMatch(pattern, fileName) == 1);
    };
    std::size_t length = Utf16Length(pattern);
    if (FindUnit(pattern, '.') == -1) {
        if (matches())
            return true;
        pattern[length++] = '.';
        pattern[length++] = '*';
        pattern[length] = 0;
    }
    if (pattern[length - 1] == '.') {
        pattern[length - 1] = 0;
        return FindUnit(fileName, '.') == -1 && matches();
    }
    return matches();
}

// Whether a token that starts between position and end matches the item.
bool AnyPatternMatches(const Utf16Char* position, const Utf16Char* end, const Utf16Char* shownName,
                       const Utf16Char* fileName) {
    Utf16Char pattern[kLinePatternRoom];
    while ((position = NextLinePattern(pattern, position, end)) != nullptr) {
        if (PatternMatches(pattern, shownName, fileName))
            return true;
    }
    return false;
}

} // namespace

const Utf16Char* NextLinePattern(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* position,
                                 const Utf16Char* end) {
    while (position != end && EndsToken(*position))
        ++position;
    if (position == end || *position == 0)
        return nullptr;
    int at = 0;
    int cap = kPatternTokenCap;
    if (*position == '.') {
        pattern[at++] = '*';
        --cap;
    }
    // A token cut by the cap goes on as the next token.
    for (; cap > 0 && *position != 0 && !EndsToken(*position); --cap)
        pattern[at++] = *position++;
    pattern[at] = 0;
    return position;
}

int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* name) {
    return MatchPatternLine(patternLine, name, name);
}

int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* shownName,
                     const Utf16Char* fileName) {
    const int bar = FindUnit(patternLine, '|');
    if (bar < 0)
        return AnyPatternMatches(patternLine, nullptr, shownName, fileName) ? 1 : 0;
    const Utf16Char* selectionEnd = patternLine + bar;
    Utf16Char pattern[kLinePatternRoom];
    const bool selected = NextLinePattern(pattern, patternLine, selectionEnd) == nullptr ||
                          AnyPatternMatches(patternLine, selectionEnd, shownName, fileName);
    return selected && !AnyPatternMatches(selectionEnd + 1, nullptr, shownName, fileName) ? 1 : 0;
}

void MakeExtensionPattern(Utf16Char* destination, const Utf16Char* path) {
    const Utf16Char* name = path;
    for (const Utf16Char* at = path; *at != 0; ++at) {
        if (*at == u'\\')
            name = at + 1;
    }
    const int dot = FindUnit(name, u'.');
    destination[0] = 0;
    if (dot < 0)
        return;
    destination[0] = u'*';
    const Utf16Char* extension = name + dot;
    std::size_t length = Utf16Length(extension);
    for (std::size_t at = 0; at <= length; ++at)
        destination[1 + at] = extension[at];
}
