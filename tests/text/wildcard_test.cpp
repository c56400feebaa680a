#include "text/wildcard.h"

#include "tests/text/recursive_wildcard.h"

#include "tests/support/row_label.h"
#include "tests/text/utf16_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testtext::MatchRow;
using testtext::Shown;
using testtext::Text;

class WildcardMatchTest : public testing::TestWithParam<MatchRow> {};

TEST_P(WildcardMatchTest, MatchesAsDefined) {
    const MatchRow& c = GetParam();
    EXPECT_EQ(WildcardMatch(c.pattern.c_str(), c.name.c_str()), c.expected)
        << "pattern " << Shown(c.pattern) << ", name " << Shown(c.name);
    // The table itself is checked against the definition, so a wrong row shows too.
    EXPECT_EQ(reference::RecursiveWildcardMatch(c.pattern.c_str(), c.name.c_str()), c.expected);
}

// 😀 is the pair D83D DE00, 😁 D83D DE01.
const MatchRow kMatchRows[] = {
    {"EmptyPatternEmptyName", U16(""), U16(""), 1},
    {"StarEmptyName", U16("*"), U16(""), 1},
    {"QuestionEmptyName", U16("?"), U16(""), 0},
    {"EmptyPatternNonEmptyName", U16(""), U16("a"), 0},
    {"LowerPatternUpperName", U16("a*"), U16("A"), 1},
    {"StarsSpanToTheLastB", U16("*a*b"), U16("aXXbYYb"), 1},
    {"QuestionIsOneKanji", U16("?"), U16("表"), 1},
    {"TwoQuestionsAreNoKanji", U16("??"), U16("表"), 0},
    {"KatakanaADoesNotFoldToDi", U16("ア"), U16("ヂ"), 0},
    {"KatakanaDiDoesNotFoldToA", U16("ヂ"), U16("ア"), 0},
    {"UpperPatternLowerName", U16("*.TXT"), U16("memo.txt"), 1},
    {"WholeNameMustBeCovered", U16("*.txt"), U16("memo.txt.bak"), 0},
    {"StarCoversEverything", U16("*"), U16("anything at all"), 1},
    {"StarsOnlyEmptyName", U16("***"), U16(""), 1},
    {"TrailingStarsAfterFullMatch", U16("a**"), U16("a"), 1},
    {"StarThenQuestionNeedsACharacter", U16("*?"), U16(""), 0},
    {"StarThenQuestionOneCharacter", U16("*?"), U16("a"), 1},
    {"QuestionThenStar", U16("?*"), U16(""), 0},
    {"PatternLongerThanName", U16("abc"), U16("ab"), 0},
    {"NameLongerThanPattern", U16("ab"), U16("abc"), 0},
    {"LiteralMismatch", U16("abd"), U16("abc"), 0},
    {"BracketIsALiteral", U16("[a]"), U16("[A]"), 1},
    {"BracketIsNoClass", U16("[ab]"), U16("a"), 0},
    {"BackslashIsNoEscape", U16("\\*"), U16("\\abc"), 1},
    {"AtSignAndBacktickStayApart", U16("@"), U16("`"), 0},
    {"BracketAndBraceStayApart", U16("["), U16("{"), 0},
    {"LatinOneLettersFold", U16("Á"), U16("á"), 1},
    {"KanjiCompareExactly", U16("表"), U16("表"), 1},
    {"NoBackslashInsideHyou", U16("*\\"), U16("表"), 0},
    {"QuestionIsHyou", U16("?.txt"), U16("表.txt"), 1},
    {"TwoQuestionsAreNotHyou", U16("??.txt"), U16("表.txt"), 0},
    {"QuestionTakesAPairWhole", U16("?.txt"), U16("😀.txt"), 1},
    {"TwoQuestionsAreNoPair", U16("??"), U16("😀"), 0},
    {"PairMatchesItself", U16("*😀*"), U16("a😀b"), 1},
    {"PairsDifferInTheirLowUnit", U16("*😀"), U16("😁"), 0},
    {"StarCannotEndInsideAPair", U16("*\xDE00"), U16("😀"), 0},
    {"StarCannotStartInsideAPair", U16("\xD83D*"), U16("😀"), 0},
    {"LoneSurrogateIsOneCharacter", U16("?x"), U16("\xD83Dx"), 1},
    {"LoneSurrogateMatchesItself", U16("*\xDE00"), U16("a\xDE00"), 1},
    {"LoneSurrogateIsNoHalfOfAPair", U16("\xD83D?"), U16("😀"), 0},
    {"LastStarMustRetry", U16("*ab*ab"), U16("abab"), 1},
    {"RetryAfterPartialMatch", U16("*aab"), U16("aaab"), 1},
    {"RetryAfterPartialMatchOfPairs", U16("*😀😀😁"), U16("😀😀😀😁"), 1},
    {"ManyStarsSucceed", U16("*a*a*a*b"), U16("aaaaab"), 1},
    {"ManyStarsFail", U16("*a*a*a*b"), U16("aaaaa"), 0},
    {"QuestionsAfterStarCountCharacters", U16("*???"), U16("a😀"), 0},
    {"QuestionsAfterStarExact", U16("*???"), U16("a😀c"), 1},
    {"DotStarNeedsDot", U16("*.*"), U16("Makefile"), 0},
    {"DotStarWithDot", U16("*.*"), U16("a."), 1},
    {"DigitsAreNotFolded", U16("1"), U16("1"), 1},
};

INSTANTIATE_TEST_SUITE_P(Pairs, WildcardMatchTest, testing::ValuesIn(kMatchRows), RowLabel());

TEST(WildcardMatch, ArgumentsAreNotChanged) {
    Text pattern = U16("*a?b*");
    Text name = U16("xxaYbzz");
    EXPECT_EQ(WildcardMatch(pattern.c_str(), name.c_str()), 1);
    EXPECT_EQ(pattern, U16("*a?b*"));
    EXPECT_EQ(name, U16("xxaYbzz"));
}

// The shapes that make the recursive definition explode, at the longest sizes the
// system hands the matcher (patterns and names of 259 units). The answers are known.
TEST(WildcardMatch, LongestBacktrackingShapesGiveTheRightAnswer) {
    const Text runOfA(259, 'a');
    Text starA;
    for (int k = 0; k < 129; ++k)
        starA += U16("*a");
    EXPECT_EQ(WildcardMatch((starA + U16("b")).c_str(), runOfA.c_str()), 0);
    EXPECT_EQ(WildcardMatch((starA + U16("b")).c_str(), (Text(258, 'a') + U16("b")).c_str()), 1);
    EXPECT_EQ(WildcardMatch((starA + U16("*")).c_str(), runOfA.c_str()), 1);
    // One more "*a" than the name has characters of "a" can never match.
    EXPECT_EQ(WildcardMatch((starA + U16("*a")).c_str(), Text(129, 'a').c_str()), 0);
    EXPECT_EQ(WildcardMatch((starA + U16("*a")).c_str(), Text(130, 'A').c_str()), 1);

    const Text stars(129, '*');
    EXPECT_EQ(WildcardMatch((stars + U16("X") + stars).c_str(), runOfA.c_str()), 0);
    EXPECT_EQ(
        WildcardMatch((stars + U16("X") + stars).c_str(), (runOfA.substr(1) + U16("x")).c_str()),
        1);

    const Text longLiteral = U16("*") + Text(257, 'a') + U16("b");
    EXPECT_EQ(WildcardMatch(longLiteral.c_str(), runOfA.c_str()), 0);
    EXPECT_EQ(WildcardMatch(longLiteral.c_str(), (Text(258, 'a') + U16("B")).c_str()), 1);
}

// ----------------------------------------------------------------------------------------
// Property: on random pairs, the matcher answers exactly as the recursive definition.

// Characters the matcher must tell apart or equate, each with the other characters it
// equals once folded: ASCII, Latin-1 and Latin Extended, Greek and Cyrillic letters (and
// the final sigma and sharp s, which fold with nothing), kana, a kanji, full-width letters,
// surrogate pairs and lone surrogates.
const std::vector<std::vector<Text>> kCharacterGroups = {
    {U16("a"), U16("A")}, {U16("b"), U16("B")},
    {U16("é"), U16("É")}, {U16("ā"), U16("Ā")},
    {U16("ÿ"), U16("Ÿ")}, {U16("σ"), U16("Σ")},
    {U16("ς")},           {U16("д"), U16("Д")},
    {U16("ß")},           {U16("ア")},
    {U16("ヂ")},          {U16("ｱ")},
    {U16("表")},          {U16("ａ"), U16("Ａ")},
    {U16("😀")},           {U16("😁")},
    {U16("\xD83D")},      {U16("\xDE00")},
    {U16(".")},           {U16("\\")},
};

class PairGenerator {
public:
    explicit PairGenerator(std::uint32_t seed) : random_(seed) {}

    // Mostly a few ASCII letters, so that literal comparisons often agree.
    const std::vector<Text>& Group() {
        return kCharacterGroups[Below(3) == 0 ? Below(kCharacterGroups.size()) : Below(2)];
    }
    Text Character() {
        const std::vector<Text>& group = Group();
        return group[Below(group.size())];
    }

    // A pattern of up to 9 characters, with at most 5 stars so that the reference stays cheap.
    Text Pattern() {
        Text pattern;
        const std::uint32_t length = Below(10);
        int stars = 0;
        for (std::uint32_t i = 0; i < length; ++i) {
            const std::uint32_t kind = Below(6);
            if (kind == 0 && ++stars <= 5)
                pattern += '*';
            else if (kind <= 1)
                pattern += '?';
            else
                pattern += Character();
        }
        return pattern;
    }

    // Half of the names are drawn freely; the others are spelled after the pattern (a star
    // becomes a random run, a question mark a random character, a letter may change its
    // case) and then sometimes disturbed, so that both answers are frequent.
    Text Name(const Text& pattern) {
        Text name;
        if (Below(2) == 0) {
            for (std::uint32_t length = Below(13); length > 0; --length)
                name += Character();
            return name;
        }
        for (std::size_t at = 0; at < pattern.size(); ++at) {
            const Utf16Char unit = pattern[at];
            if (unit == '*') {
                for (std::uint32_t run = Below(4); run > 0; --run)
                    name += Character();
            } else if (unit == '?') {
                name += Character();
            } else {
                name += Spelled(pattern, at);
            }
        }
        if (Below(4) == 0 && !name.empty())
            name[Below(name.size())] = Character()[0];
        if (Below(8) == 0)
            name.insert(Below(name.size() + 1), Character());
        if (Below(8) == 0 && !name.empty())
            name.erase(Below(name.size()), 1);
        return name;
    }

private:
    // The character of the pattern at at, or another of its group; at moves to its last unit.
    Text Spelled(const Text& pattern, std::size_t& at) {
        for (const std::vector<Text>& group : kCharacterGroups) {
            for (const Text& member : group) {
                if (pattern.compare(at, member.size(), member) == 0) {
                    at += member.size() - 1;
                    return group[Below(group.size())];
                }
            }
        }
        return Text(1, pattern[at]);
    }

    // Plain modulo on the engine's output: the same sequence with every standard library.
    std::uint32_t Below(std::size_t bound) { return static_cast<std::uint32_t>(random_() % bound); }

    std::mt19937 random_;
};

TEST(WildcardMatchProperty, AgreesWithTheRecursiveDefinitionOnRandomPairs) {
    constexpr std::uint32_t kSeed = 20011026;
    constexpr int kPairs = 400000;
    PairGenerator generate(kSeed);
    int matches = 0;
    int failures = 0;
    for (int i = 0; i < kPairs; ++i) {
        const Text pattern = generate.Pattern();
        const Text name = generate.Name(pattern);
        const int expected = reference::RecursiveWildcardMatch(pattern.c_str(), name.c_str());
        const int actual = WildcardMatch(pattern.c_str(), name.c_str());
        matches += expected;
        if (actual != expected) {
            ADD_FAILURE() << "pair " << i << " (seed " << kSeed << "): pattern " << Shown(pattern)
                          << ", name " << Shown(name) << ": got " << actual << ", expected "
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
    const Text patternCharacters[] = {U16("a"), U16("A"), U16("?"), U16("😀")};
    const Text nameCharacters[] = {U16("a"), U16("A"), U16("b"), U16("😀")};
    int matches = 0;
    for (int i = 0; i < 20000; ++i) {
        Text pattern;
        const int length = static_cast<int>(random() % 16);
        int stars = 0;
        for (int j = 0; j < length; ++j) {
            if (random() % 4 == 0 && stars < 3) {
                pattern += '*';
                ++stars;
            } else {
                pattern += patternCharacters[random() % 4];
            }
        }
        Text name;
        for (int j = static_cast<int>(random() % 24); j > 0; --j)
            name += nameCharacters[random() % 4];
        const int expected = reference::RecursiveWildcardMatch(pattern.c_str(), name.c_str());
        matches += expected;
        ASSERT_EQ(WildcardMatch(pattern.c_str(), name.c_str()), expected)
            << "pattern " << Shown(pattern) << ", name " << Shown(name);
    }
    EXPECT_GT(matches, 100);
}

} // namespace
