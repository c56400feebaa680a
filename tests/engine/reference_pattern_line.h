// The pattern-line rules read independently of the production code: tokens split with
// std::string, each tried with the recursive definition of the wildcard match. Slow, and
// only fit for short lines and names; tests and fuzzers hold MatchPatternLine against it.
#pragma once

#include "tests/text/recursive_wildcard.h"

#include <deque>
#include <string>

namespace reference {

inline int ReferenceMatchPatternLine(const std::string& line, const std::string& name) {
    std::deque<std::string> tokens;
    std::string current;
    for (char c : line) {
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
        std::string token = tokens.front();
        tokens.pop_front();
        const std::size_t cap = token[0] == '.' ? 259 : 260;
        if (token.size() > cap) {
            tokens.push_front(token.substr(cap));
            token.resize(cap);
        }
        std::string pattern = token[0] == '.' ? "*" + token : token;
        const auto matches = [&name](const std::string& p) {
            return RecursiveWildcardMatch(p.c_str(), name.c_str()) == 1;
        };
        if (pattern.find('.') == std::string::npos) {
            if (matches(pattern))
                return 1;
            pattern += ".*";
        }
        if (pattern.back() == '.') {
            pattern.pop_back();
            if (matches(pattern) && name.find('.') == std::string::npos)
                return 1;
        } else if (matches(pattern)) {
            return 1;
        }
    }
    return 0;
}

} // namespace reference
