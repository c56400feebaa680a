// Japanese text appears as code page 932 byte escapes (表 95 5C, ア 83 41, ヂ 83 61).
#include "text/wildcard.h"

#include "tests/text/recursive_wildcard.h"

#include "tests/text/byte_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <ostream>
#include <string>

namespace {

using testtext::Hex;
using testtext::MatchRow;

class WildcardMatchTest : public testing::TestWithParam<MatchRow> {};

TEST_P(WildcardMatchTest, MatchesAsDefined) {
    const MatchRow& c = GetParam();
    EXPECT_EQ(WildcardMatch(c.pattern.c_str(), c.name.c_str()), c.expected)
        << "pattern " << Hex(c.pattern) << ", name " << Hex(c.name);
    // The table itself is checked against the definition, so a wrong row shows too.
    EXPECT_EQ(reference::RecursiveWildcardMatch(c.pattern.c_str(), c.name.c_str()), c.expected);
}

const MatchRow kMatchRows[] = {
    {"EmptyPatternEmptyName", "", "", 1},
    {"StarEmptyName", "*", "", 1},
    {"QuestionEmptyName", "?", "", 0},
    {"EmptyPatternNonEmptyName", "", "a", 0},
    {"LowerPatternUpperName", "a*", "A", 1},
    {"StarsSpanToTheLastB", "*a*b", "aXXbYYb", 1},
    {"QuestionIsOneByteOfHyou", "?", "\x95\x5C", 0},
    {"TwoQuestionsCoverHyou", "??", "\x95\x5C", 1},
    {"SecondBytesFoldAEqualsDi", "\x83\x41", "\x83\x61", 1},
    {"SecondBytesFoldDiEqualsA", "\x83\x61", "\x83\x41", 1},
    {"UpperPatternLowerName", "*.TXT", "memo.txt", 1},
    {"WholeNameMustBeCovered", "*.txt", "memo.txt.bak", 0},
    {"StarCoversEverything", "*", "anything at all", 1},
    {"StarsOnlyEmptyName", "***", "", 1},
    {"TrailingStarsAfterFullMatch", "a**", "a", 1},
    {"StarThenQuestionNeedsAByte", "*?", "", 0},
    {"StarThenQuestionOneByte", "*?", "a", 1},
    {"QuestionThenStar", "?*", "", 0},
    {"PatternLongerThanName", "abc", "ab", 0},
    {"NameLongerThanPattern", "ab", "abc", 0},
    {"LiteralMismatch", "abd", "abc", 0},
    {"BracketIsALiteral", "[a]", "[A]", 1},
    {"BracketIsNoClass", "[ab]", "a", 0},
    {"BackslashIsNoEscape", "\\*", "\\abc", 1},
    {"AtSignAndBacktickStayApart", "@", "`", 0},
    {"BracketAndBraceStayApart", "[", "{", 0},
    {"LatinOneLettersAreNotFolded", "\xC1", "\xE1", 0},
    {"HighBytesCompareExactly", "\xE0\x80", "\xE0\x80", 1},
    {"StarEndsBetweenTheBytesOfHyou", "*\x5C", "\x95\x5C", 1},
    {"StarEndsBetweenTheBytesOfHyouPlusExtension", "*\x5C.txt", "\x95\x5C.txt", 1},
    {"QuestionIsHalfOfHyou", "?.txt", "\x95\x5C.txt", 0},
    {"TwoQuestionsAreHyou", "??.txt", "\x95\x5C.txt", 1},
    {"LastStarMustRetry", "*ab*ab", "abab", 1},
    {"RetryAfterPartialMatch", "*aab", "aaab", 1},
    {"ManyStarsSucceed", "*a*a*a*b", "aaaaab", 1},
    {"ManyStarsFail", "*a*a*a*b", "aaaaa", 0},
    {"QuestionsAfterStarCountBytes", "*???", "ab", 0},
    {"QuestionsAfterStarExact", "*???", "abc", 1},
    {"DotStarNeedsDot", "*.*", "Makefile", 0},
    {"DotStarWithDot", "*.*", "a.", 1},
    {"DigitsAreNotFolded", "1", "1", 1},
};

INSTANTIATE_TEST_SUITE_P(Pairs, WildcardMatchTest, testing::ValuesIn(kMatchRows),
                         testtext::RowLabel());

TEST(WildcardMatch, EveryAsciiLetterFoldsBothWays) {
    for (char lower = 'a'; lower <= 'z'; ++lower) {
        const char upper = static_cast<char>(lower - 'a' + 'A');
        const char l[] = {lower, '\0'};
        const char u[] = {upper, '\0'};
        EXPECT_EQ(WildcardMatch(l, u), 1) << l;
        EXPECT_EQ(WildcardMatch(u, l), 1) << l;
    }
}

TEST(WildcardMatch, NoOtherByteFolds) {
    for (int a = 1; a < 256; ++a) {
        for (int b = 1; b < 256; ++b) {
            if (a == b || a == '*' || a == '?')
                continue;
            const bool letters = (a | 0x20) == (b | 0x20) && (a | 0x20) >= 'a' && (a | 0x20) <= 'z';
            const char p[] = {static_cast<char>(a), '\0'};
            const char n[] = {static_cast<char>(b), '\0'};
            ASSERT_EQ(WildcardMatch(p, n), letters ? 1 : 0) << a << " vs " << b;
        }
    }
}

TEST(WildcardMatch, ArgumentsAreNotChanged) {
    std::string pattern = "*a?b*";
    std::string name = "xxaYbzz";
    EXPECT_EQ(WildcardMatch(pattern.c_str(), name.c_str()), 1);
    EXPECT_EQ(pattern, "*a?b*");
    EXPECT_EQ(name, "xxaYbzz");
}

// The shapes that make the recursive definition explode, at the longest sizes the
// system hands the matcher (patterns and names of 259 bytes). The answers are known.
TEST(WildcardMatch, LongestBacktrackingShapesGiveTheRightAnswer) {
    const std::string runOfA(259, 'a');
    std::string starA;
    for (int k = 0; k < 129; ++k)
        starA += "*a";
    EXPECT_EQ(WildcardMatch((starA + "b").c_str(), runOfA.c_str()), 0);
    EXPECT_EQ(WildcardMatch((starA + "b").c_str(), (std::string(258, 'a') + "b").c_str()), 1);
    EXPECT_EQ(WildcardMatch((starA + "*").c_str(), runOfA.c_str()), 1);
    // One more "*a" than the name has bytes of "a" can never match.
    EXPECT_EQ(WildcardMatch((starA + "*a").c_str(), std::string(129, 'a').c_str()), 0);
    EXPECT_EQ(WildcardMatch((starA + "*a").c_str(), std::string(130, 'A').c_str()), 1);

    const std::string stars(129, '*');
    EXPECT_EQ(WildcardMatch((stars + "X" + stars).c_str(), runOfA.c_str()), 0);
    EXPECT_EQ(WildcardMatch((stars + "X" + stars).c_str(), (runOfA.substr(1) + "x").c_str()), 1);

    const std::string longLiteral = "*" + std::string(257, 'a') + "b";
    EXPECT_EQ(WildcardMatch(longLiteral.c_str(), runOfA.c_str()), 0);
    EXPECT_EQ(WildcardMatch(longLiteral.c_str(), (std::string(258, 'a') + "B").c_str()), 1);
}

// ----------------------------------------------------------------------------------------
// Property: on random pairs, the matcher answers exactly as the recursive definition.

// Bytes from the alphabet the matcher distinguishes: both wildcards, ASCII letters of
// both cases (so that folding is exercised), 0x5C and bytes from 0x80 to 0xFF. A few
// letters and high bytes are favoured so that literal comparisons often agree.
class PairGenerator {
public:
    explicit PairGenerator(std::uint32_t seed) : random_(seed) {}

    unsigned char NameByte() {
        switch (Below(8)) {
        case 0:
        case 1:
            return static_cast<unsigned char>("aAbB"[Below(4)]);
        case 2:
            return static_cast<unsigned char>(Below(2) ? 'a' + Below(26) : 'A' + Below(26));
        case 3:
            return 0x5C;
        case 4:
            return static_cast<unsigned char>(0x80 + Below(0x80));
        case 5:
            return static_cast<unsigned char>("\x95\x83\x41\x61"[Below(4)]);
        default:
            return static_cast<unsigned char>("abAB"[Below(4)]);
        }
    }

    unsigned char PatternByte() {
        switch (Below(6)) {
        case 0:
            return '*';
        case 1:
            return '?';
        default:
            return NameByte();
        }
    }

    // A pattern of up to 9 bytes, with at most 5 stars so that the reference stays cheap.
    std::string Pattern() {
        std::string pattern;
        const std::uint32_t length = Below(10);
        int stars = 0;
        while (pattern.size() < length) {
            unsigned char c = PatternByte();
            if (c == '*' && ++stars > 5)
                c = '?';
            pattern += static_cast<char>(c);
        }
        return pattern;
    }

    // Half of the names are drawn freely; the others are built from the pattern (a star
    // becomes a random run, a question mark a random byte, a letter may change its case)
    // and then sometimes disturbed, so that both answers are frequent.
    std::string Name(const std::string& pattern) {
        std::string name;
        if (Below(2) == 0) {
            const std::uint32_t length = Below(13);
            while (name.size() < length)
                name += static_cast<char>(NameByte());
            return name;
        }
        for (unsigned char c : pattern) {
            if (c == '*') {
                for (std::uint32_t run = Below(4); run > 0; --run)
                    name += static_cast<char>(NameByte());
            } else if (c == '?') {
                name += static_cast<char>(NameByte());
            } else if (((c | 0x20) >= 'a' && (c | 0x20) <= 'z') && Below(2)) {
                name += static_cast<char>(c ^ 0x20);
            } else {
                name += static_cast<char>(c);
            }
        }
        if (Below(4) == 0 && !name.empty())
            name[Below(static_cast<std::uint32_t>(name.size()))] = static_cast<char>(NameByte());
        if (Below(8) == 0)
            name.insert(Below(static_cast<std::uint32_t>(name.size() + 1)), 1,
                        static_cast<char>(NameByte()));
        if (Below(8) == 0 && !name.empty())
            name.erase(Below(static_cast<std::uint32_t>(name.size())), 1);
        return name;
    }

private:
    // Plain modulo on the engine's output: the same sequence with every standard library.
    std::uint32_t Below(std::uint32_t bound) {
        return static_cast<std::uint32_t>(random_() % bound);
    }

    std::mt19937 random_;
};

TEST(WildcardMatchProperty, AgreesWithTheRecursiveDefinitionOnRandomPairs) {
    constexpr std::uint32_t kSeed = 20011026;
    constexpr int kPairs = 400000;
    PairGenerator generate(kSeed);
    int matches = 0;
    int failures = 0;
    for (int i = 0; i < kPairs; ++i) {
        const std::string pattern = generate.Pattern();
        const std::string name = generate.Name(pattern);
        const int expected = reference::RecursiveWildcardMatch(pattern.c_str(), name.c_str());
        const int actual = WildcardMatch(pattern.c_str(), name.c_str());
        matches += expected;
        if (actual != expected) {
            ADD_FAILURE() << "pair " << i << " (seed " << kSeed << "): pattern " << Hex(pattern)
                          << ", name " << Hex(name) << ": got " << actual << ", expected "
                          << expected;
            if (++failures == 10)
                return;
        }
    }
    // A generator that produced nearly all yes or all no would prove little.
    EXPECT_GT(matches, kPairs / 5);
    EXPECT_LT(matches, kPairs * 4 / 5);
}

// Longer strings over a tiny alphabet reach deep backtracking in the reference; the
// number of stars is kept small so that it stays affordable.
TEST(WildcardMatchProperty, AgreesOnLongerStringsWithFewStars) {
    std::mt19937 random(7);
    const char alphabet[] = "aA?";
    int matches = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string pattern;
        const int length = static_cast<int>(random() % 16);
        int stars = 0;
        for (int j = 0; j < length; ++j) {
            if (random() % 4 == 0 && stars < 3) {
                pattern += '*';
                ++stars;
            } else {
                pattern += alphabet[random() % 3];
            }
        }
        std::string name(random() % 24, 'a');
        for (char& c : name)
            c = "aAb"[random() % 3];
        const int expected = reference::RecursiveWildcardMatch(pattern.c_str(), name.c_str());
        matches += expected;
        ASSERT_EQ(WildcardMatch(pattern.c_str(), name.c_str()), expected)
            << "pattern " << pattern << ", name " << name;
    }
    EXPECT_GT(matches, 100);
}

} // namespace
