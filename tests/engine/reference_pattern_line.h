// The pattern-line rules read independently of the production code: the line split at its
// first unquoted "|" into tokens with std::basic_string, each tried with the recursive
// definition of the wildcard match. Slow, and only fit for short lines and names; tests and
// fuzzers hold MatchPatternLine against it. An item has a shown name and a file name, the
// same for most.
#pragma once

#include "tests/text/recursive_wildcard.h"
#include "tests/text/utf16_text.h"

#include <deque>

namespace reference {

using testtext::Text;

// The line's tokens, their quotes taken away, before its first "|" outside quotes and behind
// it; hasBar tells whether there is one.
struct Sides {
    std::deque<Text> selecting;
    std::deque<Text> leavingOut;
    bool hasBar = false;
};

inline Sides Tokens(const Text& line) {
    Sides sides;
    Text current;
    bool quoted = false;
    const auto end = [&sides, &current] {
        if (!current.empty())
            (sides.hasBar ? sides.leavingOut : sides.selecting).push_back(current);
        current.clear();
    };
    for (Utf16Char c : line) {
        if (c == '"') {
            quoted = !quoted;
        } else if (quoted || (c != ' ' && c != '\t' && c != '|')) {
            current += c;
        } else {
            end();
            sides.hasBar = sides.hasBar || c == '|';
        }
    }
    end();
    return sides;
}

// Where the line's selecting patterns end: its first "|" outside quotes, or npos.
inline std::size_t Bar(const Text& line) {
    bool quoted = false;
    for (std::size_t at = 0; at < line.size(); ++at) {
        if (line[at] == '"')
            quoted = !quoted;
        else if (line[at] == '|' && !quoted)
            return at;
    }
    return Text::npos;
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
    const Sides sides = Tokens(line);
    const bool selected =
        (sides.hasBar && sides.selecting.empty()) || AnyTokenMatches(sides.selecting, shown, file);
    return selected && !AnyTokenMatches(sides.leavingOut, shown, file) ? 1 : 0;
}

} // namespace reference
