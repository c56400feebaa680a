#include "engine/pattern_line.h"

#include "engine/compiled_pattern_line.h"
#include "tests/engine/reference_pattern_line.h"
#include "text/case_fold.h"

#include "tests/support/row_label.h"
#include "tests/text/utf16_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <ostream>
#include <string>
#include <vector>

namespace {

using testtext::Shown;
using testtext::Text;

// A line, a name and the answer; for an item shown under another name, its file name too.
struct MatchRow {
    const char* label;
    Text pattern;
    Text name;
    int expected;
    Text fileName = {};
};

class MatchPatternLineTest : public testing::TestWithParam<MatchRow> {};

TEST_P(MatchPatternLineTest, DecidesTheName) {
    const MatchRow& c = GetParam();
    const Text line = c.pattern;
    const Text name = c.name;
    const Text file = c.fileName.empty() ? name : c.fileName;
    EXPECT_EQ(MatchPatternLine(line.c_str(), name.c_str(), file.c_str()), c.expected)
        << "line \"" << Shown(c.pattern) << "\", name \"" << Shown(c.name) << "\"";
    if (c.fileName.empty()) {
        EXPECT_EQ(MatchPatternLine(line.c_str(), name.c_str()), c.expected) << "one name";
    }
    EXPECT_EQ(line, c.pattern) << "the line is not changed";
    EXPECT_EQ(name, c.name) << "the name is not changed";

    CompiledPatternLine compiled;
    ASSERT_TRUE(compiled.Compile(line.c_str()));
    EXPECT_EQ(compiled.MatchesItem(name.c_str(), name.size(),
                                   c.fileName.empty() ? nullptr : file.c_str(), file.size()),
              c.expected == 1)
        << "compiled once";
    if (c.fileName.empty()) {
        EXPECT_EQ(compiled.Matches(name.c_str()), c.expected == 1) << "compiled once, one name";
    }
    EXPECT_EQ(name, c.name) << "the name is not changed by the compiled line";
}

// What the user is promised, one row per example.
const MatchRow kWorkedExamples[] = {
    {"StarTxt_memo", U16("*.txt"), U16("memo.txt"), 1},
    {"StarTxt_UpperCaseName", U16("*.txt"), U16("MEMO.TXT"), 1},
    {"UpperCasePattern_memo", U16("*.TXT"), U16("memo.txt"), 1},
    {"StarTxt_WholeNameMustBeCovered", U16("*.txt"), U16("memo.txt.bak"), 0},
    {"DotTxt_TriedAsStarTxt", U16(".txt"), U16("memo.txt"), 1},
    {"BareTxt_IsNoExtension", U16("txt"), U16("memo.txt"), 0},
    {"Readme_FirstTryUnchanged", U16("readme"), U16("README"), 1},
    {"Readme_SecondTryWithAnyExtension", U16("readme"), U16("readme.txt"), 1},
    {"Readme_StarSpansTheRest", U16("readme"), U16("readme.first.txt"), 1},
    {"Readme_OtherName", U16("readme"), U16("readme1.txt"), 0},
    {"ReadmeDot_NameWithoutDot", U16("readme."), U16("readme"), 1},
    {"Dot_NameWithoutDot", U16("."), U16("Makefile"), 1},
    {"Dot_NameWithDot", U16("."), U16("a.txt"), 0},
    {"StarDot_NameWithoutDot", U16("*."), U16("Makefile"), 1},
    {"ADot_abc", U16("a*."), U16("abc"), 1},
    {"ADot_NameWithDot", U16("a*."), U16("abc.txt"), 0},
    {"StarTxtDot_MatchesNoName", U16("*.txt."), U16("memo.txt"), 0},
    {"DotDot_Makefile", U16(".."), U16("Makefile"), 0},
    {"DotDot_aTxt", U16(".."), U16("a.txt"), 0},
    {"DotDot_NameEndingInDot", U16(".."), U16("a."), 0},
    {"DotDot_Dots", U16(".."), U16(".."), 0},
    {"DotDot_EmptyName", U16(".."), U16(""), 0},
    {"Star_DotProfile", U16("*"), U16(".profile"), 1},
    {"StarDotStar_Makefile", U16("*.*"), U16("Makefile"), 0},
    {"DotStar_Makefile", U16(".*"), U16("Makefile"), 0},
    {"Question_OneByte", U16("?"), U16("a"), 1},
    {"Question_SecondTry", U16("?"), U16("a.c"), 1},
    {"QuestionDotC_IsOneByte", U16("?.c"), U16("ab.c"), 0},
    {"Line_SecondToken", U16("*.txt .doc readme"), U16("report.doc"), 1},
    {"Line_ThirdToken", U16("*.txt .doc readme"), U16("readme.md"), 1},
    {"Line_NoToken", U16("*.txt .doc readme"), U16("memo.xls"), 0},
    {"TabSeparates", U16("*.c\t*.h"), U16("util.h"), 1},
    {"LeadingBlanksBeforeDotToken", U16("  .txt"), U16("memo.txt"), 1},
    {"CommaDoesNotSeparate", U16("*.txt,*.doc"), U16("a.doc"), 0},
    {"EmptyLine_memo", U16(""), U16("memo.txt"), 0},
    {"EmptyLine_EmptyName", U16(""), U16(""), 0},
    {"EmptyLine_Makefile", U16(""), U16("Makefile"), 0},
    {"BlanksOnly_memo", U16("   "), U16("memo.txt"), 0},
    {"BlanksOnly_EmptyName", U16("   "), U16(""), 0},
    {"BlanksAndTabsOnly_Makefile", U16(" \t \t"), U16("Makefile"), 0},
    {"QuestionTxt_HyouIsOneCharacter", U16("?.txt"), U16("表.txt"), 1},
    {"TwoQuestionsTxt_HyouIsOnlyOne", U16("??.txt"), U16("表.txt"), 0},
    {"ATxt_DiTxt_KanaDoNotFold", U16("ア.txt"), U16("ヂ.txt"), 0},
    // Explorer hiding known extensions: the file name is where the extension is.
    {"HiddenExtension_StarTxt", U16("*.txt"), U16("notes"), 1, U16("notes.txt")},
    {"HiddenExtension_NothingInFrontButTxt", U16("| *.txt"), U16("notes"), 0, U16("notes.txt")},
    {"HiddenExtension_StarButTxt", U16("*|*.txt"), U16("notes"), 0, U16("notes.txt")},
    {"HiddenExtension_StarButTxt_Jpg", U16("*|*.txt"), U16("photo"), 1, U16("photo.jpg")},
    {"HiddenExtension_StarDot", U16("*."), U16("notes"), 0, U16("notes.txt")},
    {"HiddenExtension_NameDot", U16("notes."), U16("notes"), 0, U16("notes.txt")},
    {"HiddenExtension_ReadmeDot_NoExtension", U16("readme."), U16("readme"), 1, U16("readme")},
    {"LocalizedFolderName", U16("ドキュメント"), U16("ドキュメント"), 1, U16("Documents")},
};

INSTANTIATE_TEST_SUITE_P(WorkedExamples, MatchPatternLineTest, testing::ValuesIn(kWorkedExamples),
                         RowLabel());

const MatchRow kMoreCases[] = {
    {"TrailingBlank", U16("*.txt "), U16("memo.txt"), 1},
    {"TrailingTab", U16("*.txt\t"), U16("memo.txt"), 1},
    {"TrailingBlanksAndTabs", U16("*.txt \t \t"), U16("memo.txt"), 1},
    {"LeadingTab", U16("\t*.txt"), U16("memo.txt"), 1},
    {"LeadingTabBeforeDotToken", U16("\t .txt"), U16("memo.txt"), 1},
    {"LeadingBlanksBeforeDotToken_OtherName", U16("  .txt"), U16("memo.doc"), 0},
    {"RepeatedSeparatorsBetweenTokens", U16("*.c \t\t  *.h"), U16("util.h"), 1},
    {"FullWidthBlankDoesNotSeparate", U16("a　b"), U16("a"), 0},
    {"FullWidthBlankIsPartOfTheToken", U16("a　b"), U16("a　B"), 1},
    {"SemicolonDoesNotSeparate", U16("*.txt;*.doc"), U16("a.doc"), 0},
    {"DotTokenNeedsTheExtensionAtTheEnd", U16(".txt"), U16("memo.txt.bak"), 0},
    {"DotTokenMatchesDotName", U16(".txt"), U16(".txt"), 1},
    {"NoDotTokenDoesNotMatchOtherExtensionPrefix", U16("memo"), U16("memorandum.txt"), 0},
    {"StarMatchesEveryName", U16("*"), U16("Makefile"), 1},
    {"StarMatchesEmptyName", U16("*"), U16(""), 1},
    {"DotTokenNotTriedWithDotStar", U16("a.b"), U16("a.b.c"), 0},
    {"DotEndedTokenNeverTriedWithItsDot", U16("memo."), U16("memo."), 0},
    {"DotRuleLooksAtTheWholeName", U16("*c."), U16("a.bc"), 0},
    {"JapaneseBareNameWithExtension", U16("表"), U16("表.txt"), 1},
    {"JapaneseDotExtension", U16(".表"), U16("memo.表"), 1},
    {"FirstMatchingTokenWins", U16("nomatch *"), U16("x.y"), 1},
    {"BracketIsLiteral", U16("[ab].txt"), U16("a.txt"), 0},
};

INSTANTIATE_TEST_SUITE_P(EdgeCases, MatchPatternLineTest, testing::ValuesIn(kMoreCases),
                         RowLabel());

// Typed lines and names beyond ASCII: a letter equals its case partner and nothing else, and
// "?" takes one character whatever its size (ア, ヂ and 表 are worked examples above).
const MatchRow kCharacterRows[] = {
    {"AcuteFoldsWithItsCapital", U16("CAFÉ.TXT"), U16("café.txt"), 1},
    {"CafeAcuteSelectsNoPlainE", U16("café.txt"), U16("cafe.txt"), 0},
    {"CafeAcuteSelectsNoDiaeresis", U16("café.txt"), U16("cafï.txt"), 0},
    {"CafeSelectsNoAcute", U16("cafe"), U16("café"), 0},
    {"UmlautFoldsWithItsCapital", U16("über*"), U16("Übersicht.pdf"), 1},
    {"UmlautIsNoPlainA", U16("Über*"), U16("Aber.txt"), 0},
    {"CyrillicFolds", U16("отчёт*"), U16("ОТЧЁТ 2024.doc"), 1},
    {"GreekFoldsWithTonos", U16("σχέδιο"), U16("ΣΧΈΔΙΟ.TXT"), 1},
    {"HangulIsTwoCharacters", U16("??.txt"), U16("한글.txt"), 1},
    {"EmojiIsOneCharacter", U16("?.txt"), U16("😀.txt"), 1},
    {"EmojiIsNoTwoCharacters", U16("??.txt"), U16("😀.txt"), 0},
    {"EmojiIsNoOtherEmoji", U16("😀*"), U16("😁 party.jpg"), 0},
    {"HalfWidthKatakanaIsNoFullWidth", U16("ｱ*"), U16("ア.txt"), 0},
    {"FullWidthLettersFold", U16("ＡＢＣ*"), U16("ａｂｃ.txt"), 1},
    {"FullWidthLettersAreNoAscii", U16("abc"), U16("ａｂｃ"), 0},
    {"NoAsciiLetterInsideKatakanaA", U16("*a*"), U16("ア.txt"), 0},
};

INSTANTIATE_TEST_SUITE_P(Characters, MatchPatternLineTest, testing::ValuesIn(kCharacterRows),
                         RowLabel());

// Patterns behind the first "|" leave names out; a line without one reads as it always did.
const MatchRow kExclusionRows[] = {
    {"TxtButNotOld_memo", U16("*.txt|old*"), U16("memo.txt"), 1},
    {"TxtButNotOld_OldTxt", U16("*.txt|old*"), U16("old memo.txt"), 0},
    {"BlanksAroundTheBar_Old", U16("*.txt | old* *.bak"), U16("OLD.TXT"), 0},
    {"SecondExclusion", U16("*.txt | old* *.bak"), U16("memo.txt.bak"), 0},
    {"ExtensionsWithoutThumbnails_Photo", U16(".jpg .png | *_thumb*"), U16("cat.png"), 1},
    {"ExtensionsWithoutThumbnails_Thumbnail", U16(".jpg .png | *_thumb*"), U16("cat_thumb.png"), 0},
    {"FurtherBarSeparates", U16("*.txt|old*|new*"), U16("new.txt"), 0},
    {"BarEndsAToken", U16("memo|"), U16("memo.txt"), 1},
    {"BarEndsATokenOnBothSides", U16("*.txt|*.txt"), U16("a.txt"), 0},
    {"NothingInFront_SelectsTheRest", U16("| *.tmp"), U16("memo.txt"), 1},
    {"NothingInFront_LeavesOutItsNames", U16("| *.tmp"), U16("x.tmp"), 0},
    {"OnlyABar_EveryName", U16("|"), U16("memo.txt"), 1},
    {"OnlyABar_EmptyName", U16("|"), U16(""), 1},
    {"BlanksAndABar_EveryName", U16(" \t| "), U16("Makefile"), 1},
    {"TokenMatchingNothingInFrontSelectsNothing", U16("..|x"), U16("Makefile"), 0},
    {"LeadingDotBehindTheBar", U16("*|.tmp"), U16("a.tmp"), 0},
    {"SecondTryBehindTheBar", U16("*|readme"), U16("README.md"), 0},
    {"TrailingDotBehindTheBar", U16("*|a*."), U16("abc"), 0},
    {"QuestionBehindTheBarTakesAPair", U16("*|?.txt"), U16("😀.txt"), 0},
    {"FullWidthBarIsNoBar", U16("*.txt｜old*"), U16("old.txt"), 0},
    {"NoBar_LineAsBefore", U16("*.txt .doc readme"), U16("readme.md"), 1},
    {"NoBar_EmptyLineSelectsNothing", U16(""), U16("memo.txt"), 0},
};

INSTANTIATE_TEST_SUITE_P(Exclusions, MatchPatternLineTest, testing::ValuesIn(kExclusionRows),
                         RowLabel());

// Double quotes, which no file name holds, make one pattern of what they enclose.
const MatchRow kQuoteRows[] = {
    {"BlankInQuotes", U16("\"my file.txt\""), U16("my file.txt"), 1},
    {"BlankInQuotes_NoFirstWord", U16("\"my file.txt\""), U16("my"), 0},
    {"BlankInQuotes_NoSecondWord", U16("\"my file.txt\""), U16("file.txt"), 0},
    {"QuotedStarBesideAToken", U16("\"my *\" *.doc"), U16("my file.txt"), 1},
    {"QuotedStarBesideAToken_Doc", U16("\"my *\" *.doc"), U16("report.doc"), 1},
    {"QuotedStarBesideAToken_Other", U16("\"my *\" *.doc"), U16("myfile.txt"), 0},
    {"QuotedLeadingDot", U16("\".tar gz\""), U16("a.TAR GZ"), 1},
    {"QuotedSecondTry", U16("\"read me\""), U16("read me.txt"), 1},
    {"QuotedTrailingDot", U16("\"read me.\""), U16("read me"), 1},
    {"QuotedTrailingDot_NameWithDot", U16("\"read me.\""), U16("read me.txt"), 0},
    {"QuotedTrailingDot_HiddenExtension", U16("\"my notes.\""), U16("my notes"), 0,
     U16("my notes.txt")},
    {"UnpairedQuoteReadsToTheEnd", U16("*.doc \"my file"), U16("my file.txt"), 1},
    {"UnpairedQuoteReadsToTheEnd_NoWord", U16("*.doc \"my file"), U16("my"), 0},
    {"QuotesJoinTheToken", U16("ab\"c d\"e"), U16("abc de"), 1},
    {"QuotesJoinTheToken_Tab", U16("a\"\t\"b"), U16("a\tb"), 1},
    {"EmptyPairInsideAToken", U16("memo\"\".txt"), U16("memo.txt"), 1},
    {"EmptyPairIsNoPattern", U16("\"\""), U16(""), 0},
    {"EmptyPairIsNoPatternInFront", U16("\"\" | *.tmp"), U16("memo.txt"), 1},
    {"BarInQuotesSplitsNothing", U16("\"x|y\" *.txt"), U16("y.txt"), 1},
    {"BarInQuotesSplitsNothing_NoX", U16("\"x|y\" *.txt"), U16("x"), 0},
    {"BarBehindQuotes", U16("\"my *\" | \"my old*\""), U16("my file"), 1},
    {"BarBehindQuotes_LeftOut", U16("\"my *\" | \"my old*\""), U16("my old file"), 0},
    {"BarInUnpairedQuote", U16("*.txt \"a | *.txt"), U16("memo.txt"), 1},
};

INSTANTIATE_TEST_SUITE_P(Quotes, MatchPatternLineTest, testing::ValuesIn(kQuoteRows), RowLabel());

// Each row compiles a line once; reused, a compiled line matches by the newest one only.
TEST(CompiledPatternLine, ANewLineReplacesTheOldOne) {
    const Text emojiName = U16("a😀");
    CompiledPatternLine compiled;
    compiled.Compile(U16("*.txt .doc readme ?😀"));
    EXPECT_TRUE(compiled.Matches(U16("a.txt")));
    EXPECT_TRUE(compiled.Matches(emojiName.c_str()));
    compiled.Compile(U16("|*.xls"));
    EXPECT_TRUE(compiled.Matches(U16("a.txt")));
    EXPECT_FALSE(compiled.Matches(U16("c.xls")));
    compiled.Compile(U16("*.xls"));
    EXPECT_FALSE(compiled.Matches(U16("a.txt")));
    EXPECT_FALSE(compiled.Matches(emojiName.c_str()));
    EXPECT_TRUE(compiled.Matches(U16("c.xls")));
}

// MatchPatternLine's answer, after checking that the compiled line gives the same one.
int BothForms(const Text& line, const Text& name) {
    const int answer = MatchPatternLine(line.c_str(), name.c_str());
    CompiledPatternLine compiled;
    compiled.Compile(line.c_str());
    EXPECT_EQ(compiled.Matches(name.c_str()), answer == 1) << Shown(line) << " / " << Shown(name);
    return answer;
}

// The dialog delivers at most 259 units, so the longest token is 259 units long; with
// the star in front or ".*" behind it must still be tried whole.
TEST(MatchPatternLine, LongestTokensAreTriedWhole) {
    const Text dotToken = U16(".") + Text(258, 'x');
    EXPECT_EQ(BothForms(dotToken, U16("a") + dotToken), 1);
    EXPECT_EQ(BothForms(dotToken, dotToken), 1);

    const Text bare(259, 'n');
    EXPECT_EQ(BothForms(bare, bare), 1);
    EXPECT_EQ(BothForms(bare, bare + U16(".txt")), 1);
    EXPECT_EQ(BothForms(bare, bare + U16("n")), 0);

    const Text dotEnded = Text(258, 'd') + U16(".");
    EXPECT_EQ(BothForms(dotEnded, Text(258, 'D')), 1);

    // The record's longest line: a star token cut by the cap, its last unit read alone.
    const Text longest = U16(".") + Text(CompiledPatternLine::kMaxLineUnits - 1, 'e');
    EXPECT_EQ(BothForms(longest, U16("E")), 1);
    EXPECT_EQ(BothForms(longest, U16("a") + longest), 0);
    EXPECT_EQ(BothForms(longest, U16("a") + longest.substr(0, longest.size() - 1)), 1);

    // The cap counts units: a pair across it is cut into two lone surrogates.
    const Text cutPair = U16(".") + Text(257, 'e') + U16("😀");
    EXPECT_EQ(BothForms(cutPair, U16("a") + cutPair.substr(0, 259)), 1);
    EXPECT_EQ(BothForms(cutPair, cutPair.substr(259)), 1);
    EXPECT_EQ(BothForms(cutPair, U16("a") + cutPair), 0);
}

// Only lines that did not come from the record are longer: the compiled form reads the
// units that the record would hold, cutting a token there.
TEST(CompiledPatternLine, LongerLineIsReadOnTheUnitsTheRecordHolds) {
    const Text line = Text(CompiledPatternLine::kMaxLineUnits - 4, 'h') + U16(" abcdef");
    CompiledPatternLine compiled;
    EXPECT_FALSE(compiled.Compile(line.c_str()));
    EXPECT_TRUE(compiled.Matches(U16("abc.txt")));
    EXPECT_FALSE(compiled.Matches(U16("abcdef")));
    EXPECT_TRUE(compiled.Compile(line.substr(0, CompiledPatternLine::kMaxLineUnits).c_str()));
    EXPECT_TRUE(compiled.Matches(U16("ABC")));
}

// Pieces found at the ends of names around the word boundaries of the position sets, and
// in names longer than the list view's, which take a plain search; names with pairs are
// read by characters in place up to the same length, and by the line's rules beyond it.
TEST(CompiledPatternLine, LongNamesGetTheSameAnswers) {
    for (const std::size_t size : {62, 63, 64, 126, 127, 318, 319, 320, 400}) {
        Text pairs = Text(size / 2, 'x');
        while (pairs.size() < size)
            pairs += U16("😀");
        for (const Text& filler : {Text(size, 'x'), pairs}) {
            for (const Text& name :
                 {filler + U16("ab"), filler + U16("ba"), U16("a") + filler + U16("b")}) {
                for (const Utf16Char* line :
                     {U16("*a*b"), U16("*a?*"), U16("*b*"), U16("*?b*b *x?a")})
                    BothForms(line, name);
            }
        }
    }
}

TEST(CompiledPatternLine, MatchesNothingBeforeItIsCompiled) {
    CompiledPatternLine compiled;
    EXPECT_FALSE(compiled.Matches(U16("")));
    EXPECT_FALSE(compiled.Matches(U16("memo.txt")));
}

// A token longer than the cap (only possible for lines that did not come from the
// dialog) is cut, and its rest is read as the next token.
TEST(MatchPatternLine, OverlongTokenIsCutAndItsRestIsTheNextToken) {
    const Text head(260, 'h');
    const Text line = head + U16("tail");
    EXPECT_EQ(MatchPatternLine(line.c_str(), head.c_str()), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), U16("tail")), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), U16("tail.txt")), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), line.c_str()), 0);

    // With the star in front the cap is one unit less.
    const Text dotHead = U16(".") + Text(258, 'e');
    const Text dotLine = dotHead + U16("rest");
    EXPECT_EQ(MatchPatternLine(dotLine.c_str(), (U16("memo") + dotHead).c_str()), 1);
    EXPECT_EQ(MatchPatternLine(dotLine.c_str(), U16("rest")), 1);

    // Quotes do not count, and a token cut inside them goes on inside them.
    const Text quotedLine = U16("\"") + head + U16(" tail\" x");
    EXPECT_EQ(MatchPatternLine(quotedLine.c_str(), head.c_str()), 1);
    EXPECT_EQ(MatchPatternLine(quotedLine.c_str(), U16(" tail.txt")), 1);
    EXPECT_EQ(MatchPatternLine(quotedLine.c_str(), U16("x")), 1);
}

TEST(MatchPatternLine, VeryLongLinesAreReadToTheEnd) {
    Text line;
    for (int i = 0; i < 500; ++i) {
        const std::string digits = std::to_string(i);
        line += U16("*.n") + Text(digits.begin(), digits.end()) + U16(" \t");
    }
    line += U16("  .last");
    EXPECT_EQ(MatchPatternLine(line.c_str(), U16("memo.last")), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), U16("memo.n499")), 1);
    EXPECT_EQ(MatchPatternLine(line.c_str(), U16("memo.other")), 0);
}

// ----------------------------------------------------------------------------------------
// Property: the line rule agrees with an independent reading of the rules, built on the
// recursive definition of the wildcard match.

Text Pick(std::mt19937& random, const std::vector<Text>& from) {
    return from[random() % from.size()];
}

TEST(MatchPatternLineProperty, AgreesWithTheRulesOnRandomLines) {
    std::mt19937 random(1969);
    const std::vector<Text> lineCharacters = {
        U16("*"), U16("?"), U16("."), U16("."), U16(" "),  U16("|"), U16("\t"),    U16("\""),
        U16("a"), U16("A"), U16("b"), U16("é"), U16("表"), U16("😀"), U16("\xD83D")};
    const std::vector<Text> nameCharacters = {U16("."), U16("."),     U16(" "), U16("a"),
                                              U16("A"), U16("b"),     U16("É"), U16("表"),
                                              U16("😀"), U16("\xDE00")};
    int matches = 0;
    constexpr int kPairs = 100000;
    for (int i = 0; i < kPairs; ++i) {
        Text line;
        for (int n = static_cast<int>(random() % 12); n > 0; --n)
            line += Pick(random, lineCharacters);
        Text name;
        for (int n = static_cast<int>(random() % 8); n > 0; --n)
            name += Pick(random, nameCharacters);
        // The item's file name: the shown name, that with a hidden extension, or another.
        const unsigned kind = random() % 3;
        Text file = kind == 0 ? name : kind == 1 ? name + U16(".") : Text();
        for (int n = kind == 0 ? 0 : static_cast<int>(random() % 4); n > 0; --n)
            file += Pick(random, nameCharacters);
        const int expected = reference::ReferenceMatchPatternLine(line, name, file);
        matches += expected;
        ASSERT_EQ(MatchPatternLine(line.c_str(), name.c_str(), file.c_str()), expected)
            << "line \"" << Shown(line) << "\", name \"" << Shown(name) << "\", file \""
            << Shown(file) << "\"";
    }
    EXPECT_GT(matches, kPairs / 10);
    EXPECT_LT(matches, kPairs * 9 / 10);
}

// Property: the compiled line answers as MatchPatternLine on random lines up to beyond
// the record's length and names up to beyond the list view's; every other name is spelled
// after a token of the line (quotes read, stars filled, cases flipped), so that searches run
// deep.
TEST(CompiledPatternLineProperty, AnswersAsMatchPatternLine) {
    std::mt19937 random(1975);
    // Besides ASCII letters, units that differ from a line's unit only in the case bit,
    // letters whose partner lies elsewhere (Ѐ ѐ, Ÿ ÿ), kana, a kanji, pairs and lone
    // surrogates.
    const std::vector<Text> lineCharacters = {
        U16("*"),  U16("*"),  U16("?"),  U16("?"), U16("."),      U16("."),     U16(" "), U16("\t"),
        U16("|"),  U16("\""), U16("a"),  U16("A"), U16("b"),      U16("B"),     U16("z"), U16("Z"),
        U16("@"),  U16("["),  U16("\\"), U16("é"), U16("Ѐ"),      U16("ÿ"),     U16("ς"), U16("表"),
        U16("ア"), U16("ａ"), U16("😀"),  U16("😁"), U16("\xD83D"), U16("\xDE00")};
    const std::vector<Text> nameCharacters = {
        U16("."), U16("."), U16("a"),      U16("A"),     U16("b"),  U16("B"),  U16("z"),
        U16("Z"), U16("@"), U16("`"),      U16("["),     U16("{"),  U16("\\"), U16("|"),
        U16("É"), U16("ѐ"), U16("Ÿ"),      U16("σ"),     U16("表"), U16("ヂ"), U16("Ａ"),
        U16("😀"), U16("😁"), U16("\xD83D"), U16("\xDE00")};
    const auto length = [&random](std::size_t usual, std::size_t rare) {
        return random() % 6 == 0 ? random() % rare : random() % usual;
    };
    int matches = 0;
    constexpr int kLines = 20000;
    constexpr int kNamesPerLine = 8;
    for (int i = 0; i < kLines; ++i) {
        Text line;
        for (std::size_t n = length(24, 300); line.size() < n;)
            line += Pick(random, lineCharacters);
        CompiledPatternLine compiled;
        ASSERT_EQ(compiled.Compile(line.c_str()),
                  line.size() <= CompiledPatternLine::kMaxLineUnits);
        const Text taken = line.substr(0, CompiledPatternLine::kMaxLineUnits);
        for (int n = 0; n < kNamesPerLine; ++n) {
            Text name;
            bool quoted = false;
            for (std::size_t at = random() % (line.size() + 1);
                 n % 2 == 0 && at < line.size() &&
                 (quoted || (line[at] != ' ' && line[at] != '\t' && line[at] != '|'));
                 ++at) {
                if (line[at] == '"') {
                    quoted = !quoted;
                } else if (line[at] == '*') {
                    for (std::size_t fill = length(4, 240); fill > 0; --fill)
                        name += Pick(random, nameCharacters);
                } else if (line[at] == '?' || random() % 16 == 0) {
                    name += Pick(random, nameCharacters);
                } else {
                    const bool flip = random() % 2 == 0;
                    name += flip ? static_cast<Utf16Char>(CasePartner(line[at])) : line[at];
                }
            }
            if (n % 2 == 1) {
                for (std::size_t units = length(12, 340); name.size() < units;)
                    name += Pick(random, nameCharacters);
            }
            const int expected = MatchPatternLine(taken.c_str(), name.c_str());
            matches += expected;
            ASSERT_EQ(compiled.Matches(name.c_str()), expected == 1)
                << "line \"" << Shown(line) << "\", name \"" << Shown(name) << "\"";
            ASSERT_EQ(compiled.Matches(name.c_str(), name.size()), expected == 1);
        }
    }
    EXPECT_GT(matches, kLines * kNamesPerLine / 10);
    EXPECT_LT(matches, kLines * kNamesPerLine * 9 / 10);
}

// ---------------------------------------------------------------- MakeExtensionPattern

// The line a right-clicked file starts with, from its path.
struct ExtensionRow {
    const char* label;
    const Utf16Char* Path;
    const Utf16Char* Expected;
};

class MakeExtensionPatternTest : public testing::TestWithParam<ExtensionRow> {};

TEST_P(MakeExtensionPatternTest, BuildsStarAndExtension) {
    const ExtensionRow& row = GetParam();
    const testtext::Text path = row.Path;
    // Exactly the documented room: the path's length + 2, on the heap so that the sanitizers
    // see a write past it; filled, so that a missing terminator shows.
    std::vector<Utf16Char> destination(path.size() + 2, u'#');
    MakeExtensionPattern(destination.data(), path.c_str());
    EXPECT_EQ(testtext::Text(destination.data()), testtext::Text(row.Expected))
        << testtext::Shown(path);
}

const ExtensionRow kExtensionRows[] = {
    {"Txt", U16("C:\\Docs\\memo.txt"), U16("*.txt")},
    {"FirstDotOfTheName", U16("C:\\Docs\\archive.tar.gz"), U16("*.tar.gz")},
    {"NoDot", U16("C:\\Docs\\Makefile"), U16("")},
    {"DotInFolderOnly", U16("C:\\Docs.old\\readme"), U16("")},
    {"NameBeginsWithDot", U16("C:\\Docs\\.profile"), U16("*.profile")},
    {"BareName", U16("memo.txt"), U16("*.txt")},
    {"TrailingDot", U16("C:\\memo."), U16("*.")},
    {"EmptyPath", U16(""), U16("")},
    {"TrailingBackslash", U16("C:\\Docs.old\\"), U16("")},
    {"UpperCaseKept", U16("C:\\MEMO.TXT"), U16("*.TXT")},
    // Characters of every kind, those without a code page 932 form included.
    {"JapaneseAndAccents", U16("C:\\\x8868\\a.\x30BD\x00E9"), U16("*.\x30BD\x00E9")},
    {"SurrogatePair", U16("C:\\a.\xD83D\xDE00"), U16("*.\xD83D\xDE00")},
};

INSTANTIATE_TEST_SUITE_P(Paths, MakeExtensionPatternTest, testing::ValuesIn(kExtensionRows),
                         RowLabel());

} // namespace
