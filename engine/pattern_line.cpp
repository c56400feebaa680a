#include "engine/pattern_line.h"

#include "text/dbcs.h"
#include "text/wildcard.h"

#include <cstring>

namespace {

const char kSeparators[] = "\t ";

bool IsSeparator(char c) {
    return c == '\t' || c == ' ';
}

} // namespace

const char* NextLinePattern(char (&pattern)[kLinePatternRoom], const char* position) {
    while (IsSeparator(*position))
        ++position;
    if (*position == '.') {
        pattern[0] = '*';
        return NextToken(pattern + 1, position, kSeparators, kPatternTokenCap - 1);
    }
    return NextToken(pattern, position, kSeparators, kPatternTokenCap);
}

int MatchPatternLine(const char* patternLine, const char* name) {
    char pattern[kLinePatternRoom];
    const char* position = patternLine;
    for (;;) {
        position = NextLinePattern(pattern, position);
        if (position == nullptr)
            return 0;

        std::size_t length = std::strlen(pattern);
        if (FindChar(pattern, '.') == -1) {
            if (WildcardMatch(pattern, name))
                return 1;
            pattern[length++] = '.';
            pattern[length++] = '*';
            pattern[length] = '\0';
        }
        if (pattern[length - 1] == '.') {
            pattern[length - 1] = '\0';
            if (WildcardMatch(pattern, name) && FindChar(name, '.') == -1)
                return 1;
        } else if (WildcardMatch(pattern, name)) {
            return 1;
        }
    }
}
