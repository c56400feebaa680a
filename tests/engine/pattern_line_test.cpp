// Japanese text appears as code page 932 byte escapes: 表 95 5C, ア 83 41, ヂ 83 61.
#include "engine/pattern_line.h"

#include "engine/compiled_pattern_line.h"
#include "tests/engine/reference_pattern_line.h"

#include "tests/text/byte_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <random>
#include <ostream>
#include <string>

namespace {

using testtext::Hex;
using testtext::MatchRow;

class MatchPatternLineTest : public testing::TestWithParam<MatchRow> {};

TEST_P(MatchPatternLineTest, DecidesTheName) {
    const MatchRow& c = GetParam();
    const std::string line = c.pattern;
    const std::string name = c.name;
    EXPECT_EQ(MatchPatternLine(line.c_str(), name.c_str()), c.expected)
        << "line \"" << Hex(c.pattern) << "\", name \"" << Hex(c.name) << "\"";
    EXPECT_EQ(line, c.pattern) << "the line is not changed";
    EXPECT_EQ(name, c.name) << "the name is not changed";

    CompiledPatternLine compiled;
    ASSERT_TRUE(compiled.Compile(line.c_str()));
    EXPECT_EQ(compiled.Matches(name.c_str()), c.expected == 1) << "compiled once";
    EXPECT_EQ(name, c.name) << "the name is not changed by the compiled line";
}

// What the user is promised, one row per example.
const MatchRow kWorkedExamples[] = {
    {"StarTxt_memo", "*.txt", "memo.txt", 1},
    {"StarTxt_UpperCaseName", "*.txt", "MEMO.TXT", 1},
    {"UpperCasePattern_memo", "*.TXT", "memo.txt", 1},
    {"StarTxt_WholeNameMustBeCovered", "*.txt", "memo.txt.bak", 0},
    {"DotTxt_TriedAsStarTxt", ".txt", "memo.txt", 1},
    {"BareTxt_IsNoExtension", "txt", "memo.txt", 0},
    {"Readme_FirstTryUnchanged", "readme", "README", 1},
    {"Readme_SecondTryWithAnyExtension", "readme", "readme.txt", 1},
    {"Readme_StarSpansTheRest", "readme", "readme.first.txt", 1},
    {"Readme_OtherName", "readme", "readme1.txt", 0},
    {"ReadmeDot_NameWithoutDot", "readme.", "readme", 1},
    {"Dot_NameWithoutDot", ".", "Makefile", 1},
    {"Dot_NameWithDot", ".", "a.txt", 0},
    {"StarDot_NameWithoutDot", "*.", "Makefile", 1},
    {"ADot_abc", "a*.", "abc", 1},
    {"ADot_NameWithDot", "a*.", "abc.txt", 0},
    {"StarTxtDot_MatchesNoName", "*.txt.", "memo.txt", 0},
    {"DotDot_Makefile", "..", "Makefile", 0},
    {"DotDot_aTxt", "..", "a.txt", 0},
    {"DotDot_NameEndingInDot", "..", "a.", 0},
    {"DotDot_Dots", "..", "..", 0},
    {"DotDot_EmptyName", "..", "", 0},
    {"Star_DotProfile", "*", ".profile", 1},
    {"StarDotStar_Makefile", "*.*", "Makefile", 0},
    {"DotStar_Makefile", ".*", "Makefile", 0},
    {"Question_OneByte", "?", "a", 1},
    {"Question_SecondTry", "?", "a.c", 1},
    {"QuestionDotC_IsOneByte", "?.c", "ab.c", 0},
    {"Line_SecondToken", "*.txt .doc readme", "report.doc", 1},
    {"Line_ThirdToken", "*.txt .doc readme", "readme.md", 1},
    {"Line_NoToken", "*.txt .doc readme", "memo.xls", 0},
    {"TabSeparates", "*.c\t*.h", "util.h", 1},
    {"LeadingBlanksBeforeDotToken", "  .txt", "memo.txt", 1},
    {"CommaDoesNotSeparate", "*.txt,*.doc", "a.doc", 0},
    {"EmptyLine_memo", "", "memo.txt", 0},
    {"EmptyLine_EmptyName", "", "", 0},
    {"EmptyLine_Makefile", "", "Makefile", 0},
    {"BlanksOnly_memo", "   ", "memo.txt", 0},
    {"BlanksOnly_EmptyName", "   ", "", 0},
    {"BlanksAndTabsOnly_Makefile", " \t \t", "Makefile", 0},
    {"QuestionTxt_HyouIsTwoBytes", "?.txt", "\x95\x5C.txt", 0},
    {"TwoQuestionsTxt_Hyou", "??.txt", "\x95\x5C.txt", 1},
    {"ATxt_DiTxt_SecondBytesFold", "\x83\x41.txt", "\x83\x61.txt", 1},
};

INSTANTIATE_TEST_SUITE_P(WorkedExamples, MatchPatternLineTest, testing::ValuesIn(kWorkedExamples),
                         testtext::RowLabel());

const MatchRow kMoreCases[] = {
    {"TrailingBlank", "*.txt ", "memo.txt", 1},
    {"TrailingTab", "*.txt\t", "memo.txt", 1},
    {"TrailingBlanksAndTabs", "*.txt \t \t", "memo.txt", 1},
    {"LeadingTab", "\t*.txt", "memo.txt", 1},
    {"LeadingTabBeforeDotToken", "\t .txt", "memo.txt", 1},
    {"LeadingBlanksBeforeDotToken_OtherName", "  .txt", "memo.doc", 0},
    {"RepeatedSeparatorsBetweenTokens", "*.c \t\t  *.h", "util.h", 1},
    {"FullWidthBlankDoesNotSeparate",
     "a\x81\x40"
     "b",
     "a", 0},
    {"FullWidthBlankIsPartOfTheToken",
     "a\x81\x40"
     "b",
     "a\x81\x40"
     "B",
     1},
    {"SemicolonDoesNotSeparate", "*.txt;*.doc", "a.doc", 0},
    {"DotTokenNeedsTheExtensionAtTheEnd", ".txt", "memo.txt.bak", 0},
    {"DotTokenMatchesDotName", ".txt", ".txt", 1},
    {"NoDotTokenDoesNotMatchOtherExtensionPrefix", "memo", "memorandum.txt", 0},
    {"StarMatchesEveryName", "*", "Makefile", 1},
    {"StarMatchesEmptyName", "*", "", 1},
    {"DotTokenNotTriedWithDotStar", "a.b", "a.b.c", 0},
    {"DotEndedTokenNeverTriedWithItsDot", "memo.", "memo.", 0},
    {"DotRuleLooksAtTheWholeName", "*c.", "a.bc", 0},
    {"JapaneseBareNameWithExtension", "\x95\x5C", "\x95\x5C.txt", 1},
    {"JapaneseDotExtension", ".\x95\x5C", "memo.\x95\x5C", 1},
    {"FirstMatchingTokenWins", "nomatch *", "x.y", 1},
    {"BracketIsLiteral", "[ab].txt", "a.txt", 0},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, MatchPatternLineTest, testing::ValuesIn(kMoreCases),
                         testtext::RowLabel());

// Each row compiles a line once; reused, a compiled line matches by the newest one only.
TEST(CompiledPatternLine, ANewLineReplacesTheOldOne) {
    CompiledPatternLine compiled;
    compiled.Compile("*.txt .doc readme");
    EXPECT_TRUE(compiled.Matches("a.txt"));
    compiled.Compile("*.xls");
    EXPECT_FALSE(compiled.Matches("a.txt"));
    EXPECT_TRUE(compiled.Matches("c.xls"));
}

// MatchPatternLine's answer, after checking that the compiled line gives the same one.
int BothForms(const std::string& line, const std::string& name) {
    const int answer = MatchPatternLine(line.c_str(), name.c_str());
    CompiledPatternLine compiled;
    compiled.Compile(line.c_str());
    EXPECT_EQ(compiled.Matches(name.c_str()), answer == 1) << Hex(line) << " / " << Hex(name);
    return answer;
}

// The dialog delivers at most 259 bytes, so the longest token is 259 bytes long; with
// the star in front or ".*" behind it must still be tried whole.
TEST(MatchPatternLine, LongestTokensAreTriedWhole) {
    const std::string dotToken = "." + std::string(258, 'x');
    EXPECT_EQ(BothForms(dotToken, "a" + dotToken), 1);
    EXPECT_EQ(BothForms(dotToken, dotToken), 1);

    const std::string bare(259, 'n');
    EXPECT_EQ(BothForms(bare, bare), 1);
    EXPECT_EQ(BothForms(bare, bare + ".txt"), 1);
    EXPECT_EQ(BothForms(bare, bare + "n"), 0);

    const std::string dotEnded = std::string(258, 'd') + ".";
    EXPECT_EQ(BothForms(dotEnded, std::string(258, 'D')), 1);

    // The record's longest line: a star token cut by the cap, its last byte read alone.
    const std::string longest = "." + std::string(CompiledPatternLine::kMaxLineBytes - 1, 'e');
    EXPECT_EQ(BothForms(longest, "E"), 1);
    EXPECT_EQ(BothForms(longest, "a" + longest), 0);
    EXPECT_EQ(BothForms(longest, "a" + longest.substr(0, longest.size() - 1)), 1);
}

// Only lines that did not come from the record are longer: the compiled form reads the
// bytes that the record would hold, cutting a token there.
TEST(CompiledPatternLine, LongerLineIsReadOnTheBytesTheRecordHolds) {
    const std::string line = std::string(CompiledPatternLine::kMaxLineBytes - 4, 'h') + " abcdef";
    CompiledPatternLine compiled;
    EXPECT_FALSE(compiled.Compile(line.c_str()));
    EXPECT_TRUE(compiled.Matches("abc.txt"));
    EXPECT_FALSE(compiled.Matches("abcdef"));
    EXPECT_TRUE(compiled.Compile(line.substr(0, CompiledPatternLine::kMaxLineBytes).c_str()));
    EXPECT_TRUE(compiled.Matches("ABC"));
}

// Pieces found at the ends of names around the word boundaries of the position sets, and
// in names longer than the list view's, which take a plain search.
TEST(CompiledPatternLine, LongNamesGetTheSameAnswers) {
    for (const std::size_t size : {62, 63, 64, 126, 127, 318, 319, 320, 400}) {
        const std::string filler(size, 'x');
        for (const std::string& name : {filler + "ab", filler + "ba", "a" + filler + "b"}) {
            for (const char* line : {"*a*b", "*a?*", "*b*", "*?b*b *x?a"})
                BothForms(line, name);
        }
    }
}

TEST(CompiledPatternLine, MatchesNothingBeforeItIsCompiled) {
    CompiledPatternLine compiled;
    EXPECT_FALSE(compiled.Matches(""));
    EXPECT_FALSE(compiled.Matches("memo.txt"));
}

// A token longer than the cap (only possible for lines that did not come from the
// dialog) is cut, and its rest is read as the next token.
TEST(MatchPatternLine, OverlongTokenIsCutAndItsRestIsTheNextToken) {
    const std::string head(260, 'h');
    const std::string line = head + "tail";
    EXPECT_EQ(MatchPatternLine(line.c_str(), head.c_str()), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), "tail"), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), "tail.txt"), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), line.c_str()), 0);

    // With the star in front the cap is one byte less.
    const std::string dotHead = "." + std::string(258, 'e');
    const std::string dotLine = dotHead + "rest";
    EXPECT_EQ(MatchPatternLine(dotLine.c_str(), ("memo" + dotHead).c_str()), 1);
    EXPECT_EQ(MatchPatternLine(dotLine.c_str(), "rest"), 1);
}

TEST(MatchPatternLine, VeryLongLinesAreReadToTheEnd) {
    std::string line;
    for (int i = 0; i < 500; ++i)
        line += "*.n" + std::to_string(i) + " \t";
    line += "  .last";
    EXPECT_EQ(MatchPatternLine(line.c_str(), "memo.last"), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), "memo.n499"), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), "memo.other"), 0);
}

// ----------------------------------------------------------------------------------------
// Property: the line rule agrees with an independent reading of the rules, built on the
// recursive definition of the wildcard match.

TEST(MatchPatternLineProperty, AgreesWithTheRulesOnRandomLines) {
    std::mt19937 random(1969);
    const char lineBytes[] = "*?.. \taAbB\x95\x5C";
    const char nameBytes[] = "..aAbBc\x95\x5C";
    int matches = 0;
    constexpr int kPairs = 100000;
    for (int i = 0; i < kPairs; ++i) {
        std::string line(random() % 12, ' ');
        for (char& c : line)
            c = lineBytes[random() % (sizeof lineBytes - 1)];
        std::string name(random() % 8, ' ');
        for (char& c : name)
            c = nameBytes[random() % (sizeof nameBytes - 1)];
        const int expected = reference::ReferenceMatchPatternLine(line, name);
        matches += expected;
        ASSERT_EQ(MatchPatternLine(line.c_str(), name.c_str()), expected)
            << "line \"" << Hex(line) << "\", name \"" << Hex(name) << "\"";
    }
    EXPECT_GT(matches, kPairs / 10);
    EXPECT_LT(matches, kPairs * 9 / 10);
}

// Property: the compiled line answers as MatchPatternLine on random lines up to beyond
// the record's length and names up to beyond the list view's; every other name is spelled
// after a token of the line (stars filled, cases flipped), so that searches run deep.
TEST(CompiledPatternLineProperty, AnswersAsMatchPatternLine) {
    std::mt19937 random(1975);
    // Besides letters, bytes that differ from a line's byte only in the case bit.
    const std::string lineBytes = "**??.. \t\taAbBzZ@[\x5C\x95\x80\xFF\xE0";
    const std::string nameBytes = "..aAbBzZ@`[{\x5C\x7C\x95\xB5\x80\xA0\xFF\xDF";
    const auto pick = [&random](const std::string& from) { return from[random() % from.size()]; };
    const auto length = [&random](std::size_t usual, std::size_t rare) {
        return random() % 6 == 0 ? random() % rare : random() % usual;
    };
    int matches = 0;
    constexpr int kLines = 20000;
    constexpr int kNamesPerLine = 8;
    for (int i = 0; i < kLines; ++i) {
        std::string line(length(24, 300), ' ');
        for (char& c : line)
            c = pick(lineBytes);
        CompiledPatternLine compiled;
        ASSERT_EQ(compiled.Compile(line.c_str()),
                  line.size() <= CompiledPatternLine::kMaxLineBytes);
        const std::string taken = line.substr(0, CompiledPatternLine::kMaxLineBytes);
        for (int n = 0; n < kNamesPerLine; ++n) {
            std::string name;
            for (std::size_t at = random() % (line.size() + 1);
                 n % 2 == 0 && at < line.size() && line[at] != ' ' && line[at] != '\t'; ++at) {
                if (line[at] == '*') {
                    for (std::size_t fill = length(4, 240); fill > 0; --fill)
                        name += pick(nameBytes);
                } else if (line[at] == '?' || random() % 16 == 0) {
                    name += pick(nameBytes);
                } else {
                    const bool flip =
                        std::isalpha(static_cast<unsigned char>(line[at])) && random() % 2 == 0;
                    name += static_cast<char>(flip ? line[at] ^ 0x20 : line[at]);
                }
            }
            if (n % 2 == 1) {
                name.resize(length(12, 340));
                for (char& c : name)
                    c = pick(nameBytes);
            }
            const int expected = MatchPatternLine(taken.c_str(), name.c_str());
            matches += expected;
            ASSERT_EQ(compiled.Matches(name.c_str()), expected == 1)
                << "line \"" << Hex(line) << "\", name \"" << Hex(name) << "\"";
            ASSERT_EQ(compiled.Matches(name.c_str(), name.size()), expected == 1);
        }
    }
    EXPECT_GT(matches, kLines * kNamesPerLine / 10);
    EXPECT_LT(matches, kLines * kNamesPerLine * 9 / 10);
}

} // namespace
