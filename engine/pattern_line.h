// Decides whether one name is selected by a typed pattern line such as "*.txt .doc readme".
#pragma once

#include "text/utf16.h"

// A token is read with at most this many UTF-16 units, one less when a star goes in front of
// it; the rest of a longer token is read as the next token.
constexpr int kPatternTokenCap = 260;
// Room for the longest token, ".*" behind it and the terminator.
constexpr int kLinePatternRoom = kPatternTokenCap + 3;

// 1 when name matches at least one blank- or tab-separated pattern of the line, else 0.
// A pattern that begins with a dot stands for an extension (".txt" is tried as "*.txt");
// one without a dot also matches the same name with any extension ("readme" is tried as
// "readme", then "readme.*"); one that ends with a dot matches only names without a dot.
// Neither string is changed and nothing is allocated.
int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* name);

// Reads the line's next token at position into pattern, with a star in front of a token that
// begins with a dot (".txt" gives "*.txt"). Returns where the token after it starts, or null
// when the line holds no more tokens.
const Utf16Char* NextLinePattern(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* position);
