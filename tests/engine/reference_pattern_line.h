// The pattern-line rules read independently of the production code: tokens split with
// std::basic_string, each tried with the recursive definition of the wildcard match. Slow,
// and only fit for short lines and names; tests and fuzzers hold MatchPatternLine against it.
#pragma once

#include "tests/text/recursive_wildcard.h"
#include "tests/text/utf16_text.h"

#include <deque>

namespace reference {

inline int ReferenceMatchPatternLine(const testtext::Text& line, const testtext::Text& name) {
    using testtext::Text;
    std::deque<Text> tokens;
    Text current;
    for (Utf16Char c : line) {
        if (c == ' ' || c == '\t') {
            if (!current.empty())
                tokens.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        tokens.push_back(current);

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
        const auto matches = [&name](const Text& p) {
            return RecursiveWildcardMatch(p.c_str(), name.c_str()) == 1;
        };
        if (pattern.find('.') == Text::npos) {
            if (matches(pattern))
                return 1;
            pattern += U16(".*");
        }
        if (pattern.back() == '.') {
            pattern.pop_back();
            if (matches(pattern) && name.find('.') == Text::npos)
                return 1;
        } else if (matches(pattern)) {
            return 1;
        }
    }
    return 0;
}

} // namespace reference
