#include "engine/name_list.h"

#include "tests/support/row_label.h"
#include "tests/text/utf16_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using testtext::Text;

// A text and the patterns read from it, with the lines left out behind the most taken.
struct ReadRow {
    const char* label;
    Text text;
    std::vector<Text> patterns;
    std::size_t leftOut = 0;
};

class NameListReadTest : public testing::TestWithParam<ReadRow> {};

TEST_P(NameListReadTest, TakesOnePatternALine) {
    const ReadRow& row = GetParam();
    NameList list;
    ASSERT_TRUE(list.Read(row.text.c_str(), row.text.size()));
    std::vector<Text> patterns;
    for (std::size_t i = 0; i < list.Count(); ++i)
        patterns.push_back(list.Pattern(i));
    EXPECT_EQ(patterns, row.patterns);
    EXPECT_EQ(list.LeftOut(), row.leftOut);
}

const ReadRow kReadRows[] = {
    {"LineBreaks", U16("a\r\nb\nc\rd\r\r\n"), {U16("a"), U16("b"), U16("c"), U16("d")}},
    {"FirstCellOfARow", U16("memo.txt\t12 KB\tText\r\nb\tx"), {U16("memo.txt"), U16("b")}},
    {"BlanksTrimmed", U16("  my file.txt \t1\n　memo　"), {U16("my file.txt"), U16("memo")}},
    {"OnePairOfQuotes", U16(" \" a b \" \n\"c\"\"\n\"d"), {U16("a b"), U16("c\""), U16("\"d")}},
    {"EmptyLinesSkipped", U16("\r\n\n  \n\"\"\n \" \" \n\tcell\nx"), {U16("x")}},
    {"ZeroUnitEndsTheText", Text(U16("a\nb")) + Text(1, 0) + U16("c"), {U16("a"), U16("b")}},
    {"MostPatternsTaken",
     [] {
         Text text;
         for (std::size_t i = 0; i <= NameList::kMaxPatterns; ++i)
             text += U16("n\n");
         return text;
     }(),
     std::vector<Text>(NameList::kMaxPatterns, U16("n")), 1},
};

INSTANTIATE_TEST_SUITE_P(Texts, NameListReadTest, testing::ValuesIn(kReadRows), RowLabel());

// A list, an item (its shown name and, where it differs, its file name), whether the list
// selects it, and how many of its names then matched no item.
struct MatchRow {
    const char* label;
    Text names;
    Text shown;
    Text file;
    bool selected;
    std::size_t notFound;
};

class NameListMatchTest : public testing::TestWithParam<MatchRow> {};

TEST_P(NameListMatchTest, SelectsTheItemsItNames) {
    const MatchRow& row = GetParam();
    NameList list;
    ASSERT_TRUE(list.Read(row.names.c_str(), row.names.size()));
    const Utf16Char* file = row.file.empty() ? nullptr : row.file.c_str();
    EXPECT_EQ(list.MatchesItem(row.shown.c_str(), row.shown.size(), file, row.file.size()),
              row.selected);
    EXPECT_EQ(list.NotFound(), row.notFound);
}

const MatchRow kMatchRows[] = {
    {"ExactBlankAndBarAreUnits", U16("My File.TXT\na|b"), U16("my file.txt"), {}, true, 1},
    {"ExactWithAnyExtension", U16("readme\nREADME"), U16("README.first.md"), {}, true, 0},
    {"Wildcard", U16("IMG_????.png\nnone*"), U16("img_0001.PNG"), {}, true, 1},
    {"LeadingDot", U16(".pdf"), U16("a.pdf"), {}, true, 0},
    {"TrailingDot", U16("readme.\nreadme"), U16("readme"), {}, true, 0},
    {"TrailingDot_OnTheFileName", U16("notes.\n*."), U16("notes"), U16("notes.txt"), false, 2},
    {"HiddenExtension", U16("notes.txt"), U16("notes"), U16("notes.txt"), true, 0},
    {"LocalizedShownName", U16("ドキュメント"), U16("ドキュメント"), U16("Documents"), true, 0},
    {"EveryMatchingNameNoted", U16("memo.txt\nmemo*\nx\nx"), U16("memo.txt"), {}, true, 2},
    {"CharactersAsTheLine", U16("😀.txt\nCAFÉ\nア"), U16("😀.TXT"), {}, true, 2},
};

INSTANTIATE_TEST_SUITE_P(Lists, NameListMatchTest, testing::ValuesIn(kMatchRows), RowLabel());

} // namespace
