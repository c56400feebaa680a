// The pattern-line rules read independently of the production code: the line cut at its
// first "|", tokens split with std::basic_string, each tried with the recursive definition of
// the wildcard match. Slow, and only fit for short lines and names; tests and fuzzers hold
// MatchPatternLine against it. An item has a shown name and a file name, the same for most.
#pragma once

#include "tests/text/recursive_wildcard.h"
#include "tests/text/utf16_text.h"

#include <deque>

namespace reference {

using testtext::Text;

inline std::deque<Text> Tokens(const Text& side, const Text& separators) {
    std::deque<Text> tokens;
    Text current;
    for (Utf16Char c : side) {
        if (separators.find(c) != Text::npos) {
            if (!current.empty())
                tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        tokens.push_back(current);
    return tokens;
}

inline bool AnyTokenMatches(std::deque<Text> tokens, const Text& shown, const Text& file) {
    while (!tokens.empty()) {
        Text token = tokens.front();
        tokens.pop_front();
        // Counted in units: a pair across the cap is cut in two.
        const std::size_t cap = token[0] == '.' ? 259 : 260;
        if (token.size() > cap) {
            tokens.push_front(token.substr(cap));
            token.resize(cap);
        }
        Text pattern = token[0] == '.' ? U16("*") + token : token;
        const auto matches = [&shown, &file](const Text& p) {
            return RecursiveWildcardMatch(p.c_str(), shown.c_str()) == 1 ||
                   RecursiveWildcardMatch(p.c_str(), file.c_str()) == 1;
        };
        if (pattern.find('.') == Text::npos) {
            if (matches(pattern))
                return true;
            pattern += U16(".*");
        }
        if (pattern.back() == '.') {
            pattern.pop_back();
            if (matches(pattern) && file.find('.') == Text::npos)
                return true;
        } else if (matches(pattern)) {
            return true;
        }
    }
    return false;
}

inline int ReferenceMatchPatternLine(const Text& line, const Text& shown, const Text& file) {
    const std::size_t bar = line.find('|');
    const std::deque<Text> selecting = Tokens(line.substr(0, bar), U16(" \t"));
    if (bar == Text::npos)
        return AnyTokenMatches(selecting, shown, file) ? 1 : 0;
    const bool selected = selecting.empty() || AnyTokenMatches(selecting, shown, file);
    const bool leftOut = AnyTokenMatches(Tokens(line.substr(bar + 1), U16(" \t|")), shown, file);
    return selected && !leftOut ? 1 : 0;
}

} // namespace reference
