#include "text/case_fold.h"
#include "text/case_fold_table.h"

#include "tests/support/row_label.h"
#include "tests/text/utf16_text.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A unit and its case partner (itself when it has none): the lower-case letter of a pair
// first, which folds to the upper-case one.
struct FoldRow {
    const char* label;
    Utf16Char unit;
    Utf16Char partner;
};

class FoldUnitTest : public testing::TestWithParam<FoldRow> {};

TEST_P(FoldUnitTest, FoldsOnlyOneToOnePairs) {
    const FoldRow& row = GetParam();
    EXPECT_EQ(FoldUnit(row.unit), row.partner);
    EXPECT_EQ(FoldUnit(row.partner), row.partner);
    EXPECT_EQ(CasePartner(row.unit), row.partner);
    EXPECT_EQ(CasePartner(row.partner), row.unit);
}

const FoldRow kFoldRows[] = {
    {"AsciiLetter", U16('a'), U16('A')},
    {"LatinOneAcute", U16('é'), U16('É')},
    {"LatinOneUmlaut", U16('ü'), U16('Ü')},
    {"LatinExtendedA", U16('ā'), U16('Ā')},
    {"YWithDiaeresisPairsOutsideLatinOne", U16('ÿ'), U16('Ÿ')},
    {"Greek", U16('σ'), U16('Σ')},
    {"GreekWithTonos", U16('ά'), U16('Ά')},
    {"Cyrillic", U16('д'), U16('Д')},
    {"CyrillicFarFromItsPartner", U16('ѐ'), U16('Ѐ')},
    {"FullWidthLetter", U16('ａ'), U16('Ａ')},
    {"FinalSigmaFoldsWithNothing", U16('ς'), U16('ς')},
    {"SharpSFoldsWithNothing", U16('ß'), U16('ß')},
    {"DotlessIFoldsWithNothing", U16('ı'), U16('ı')},
    {"LongSFoldsWithNothing", U16('ſ'), U16('ſ')},
    {"MicroSignFoldsWithNothing", U16('µ'), U16('µ')},
    {"KelvinSignFoldsWithNothing", U16('\x212A'), U16('\x212A')},
    {"TitleCaseDzFoldsWithNothing", U16('ǅ'), U16('ǅ')},
    {"Katakana", U16('ア'), U16('ア')},
    {"HalfWidthKatakana", U16('ｱ'), U16('ｱ')},
    {"Kanji", U16('表'), U16('表')},
    {"Digit", U16('1'), U16('1')},
    {"AtSign", U16('@'), U16('@')},
    {"Surrogate", static_cast<Utf16Char>(0xD83D), static_cast<Utf16Char>(0xD83D)},
};

INSTANTIATE_TEST_SUITE_P(Units, FoldUnitTest, testing::ValuesIn(kFoldRows), RowLabel());

// The lookup (an ASCII shortcut, a skipped gap, a binary search) gives what a plain walk
// over the table gives, for every unit; and every folded value stands for at most two
// units, each the other's partner.
TEST(FoldUnit, EveryUnitFoldsAsTheTableSays) {
    std::vector<int> unitsPerValue(0x10000);
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        unsigned expected = unit;
        for (const CaseFoldRange& range : kCaseFoldRanges) {
            if (unit >= range.first && unit <= range.last && (unit - range.first) % range.step == 0)
                expected = (unit + static_cast<unsigned>(range.delta)) & 0xFFFF;
        }
        const auto u = static_cast<std::uint16_t>(unit);
        ASSERT_EQ(FoldUnit(u), expected) << std::hex << unit;
        ASSERT_EQ(FoldUnit(CasePartner(u)), FoldUnit(u)) << std::hex << unit;
        ASSERT_EQ(CasePartner(CasePartner(u)), u) << std::hex << unit;
        ++unitsPerValue[FoldUnit(u)];
    }
    for (unsigned value = 0; value < 0x10000; ++value)
        ASSERT_LE(unitsPerValue[value], 2) << std::hex << value;
}

} // namespace
