#include "engine/pattern_line.h"

#include "text/wildcard.h"

namespace {

bool EndsToken(Utf16Char c) {
    return c == '\t' || c == ' ' || c == '|';
}

// One token's tries on an item's two names (one name when both point to it).
bool PatternMatches(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* shownName,
                    const Utf16Char* fileName) {
    return ForEachTry(
        pattern, [shownName, fileName](const Utf16Char* attempt, std::size_t, bool nameWithoutDot) {
            return (!nameWithoutDot || FindUnit(fileName, '.') == -1) &&
                   (WildcardMatch(attempt, shownName) == 1 ||
                    (fileName != shownName && WildcardMatch(attempt, fileName) == 1));
        });
}

// Whether a token that starts between position and end matches the item.
bool AnyPatternMatches(const Utf16Char* position, const Utf16Char* end, const Utf16Char* shownName,
                       const Utf16Char* fileName) {
    Utf16Char pattern[kLinePatternRoom];
    bool quoted = false;
    while ((position = NextLinePattern(pattern, position, end, quoted)) != nullptr) {
        if (PatternMatches(pattern, shownName, fileName))
            return true;
    }
    return false;
}

} // namespace

int FindLineBar(const Utf16Char* patternLine) {
    bool quoted = false;
    for (int at = 0; patternLine[at] != 0; ++at) {
        if (patternLine[at] == '"')
            quoted = !quoted;
        else if (patternLine[at] == '|' && !quoted)
            return at;
    }
    return -1;
}

const Utf16Char* NextLinePattern(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* position,
                                 const Utf16Char* end, bool& quoted) {
    int at = 0;
    // A token of quotes alone gives no pattern: the next token is read.
    while (at == 0) {
        while (!quoted && position != end && EndsToken(*position))
            ++position;
        if (position == end || *position == 0)
            return nullptr;
        // A token cut by the cap goes on as the next token, inside its quotes if the cut is.
        for (int cap = kPatternTokenCap; position != end && *position != 0; ++position) {
            const Utf16Char unit = *position;
            if (unit == '"') {
                quoted = !quoted;
                continue;
            }
            if ((!quoted && EndsToken(unit)) || cap == 0)
                break;
            if (at == 0 && unit == '.') {
                pattern[at++] = '*';
                --cap;
            }
            pattern[at++] = unit;
            --cap;
        }
    }
    pattern[at] = 0;
    return position;
}

int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* name) {
    return MatchPatternLine(patternLine, name, name);
}

int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* shownName,
                     const Utf16Char* fileName) {
    const int bar = FindLineBar(patternLine);
    if (bar < 0)
        return AnyPatternMatches(patternLine, nullptr, shownName, fileName) ? 1 : 0;
    const Utf16Char* selectionEnd = patternLine + bar;
    Utf16Char pattern[kLinePatternRoom];
    bool quoted = false;
    const bool selected = NextLinePattern(pattern, patternLine, selectionEnd, quoted) == nullptr ||
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
