// The expected bytes are written as escapes, the wide text as UTF-16 units, so that each row
// says exactly what crosses the conversion.
#include "common/code_page_932.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/row_label.h"

namespace {

struct WideRow {
    const char* label;
    std::wstring wide;
    std::string cp932;
};

class WideToCp932Rows : public testing::TestWithParam<WideRow> {};

TEST_P(WideToCp932Rows, GiveTheExactFormOrOneQuestionMark) {
    const WideRow& row = GetParam();
    char out[64];
    std::memset(out, 'X', sizeof out);
    const int written = WideToCp932(row.wide.c_str(), -1, out, sizeof out);
    EXPECT_EQ(std::string(out), row.cp932);
    EXPECT_EQ(written, static_cast<int>(row.cp932.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Names, WideToCp932Rows,
    testing::Values(WideRow{"Ascii", L"memo.txt", "memo.txt"},
                    WideRow{"KanjiEndingIn5C", L"\u4E00\u89A7\u8868.txt",
                            "\x88\xEA\x97\x97\x95\x5C.txt"},
                    WideRow{"HalfWidthKatakana", L"\uFF71.txt", "\xB1.txt"},
                    WideRow{"AccentWithoutBestFit", L"caf\u00E9.txt", "caf?.txt"},
                    WideRow{"YenSignIsNotASeparator", L"x\u00A5..\u00A5t.pdf", "x?..?t.pdf"},
                    WideRow{"Hangul", L"\uD55C\uAE00.txt", "??.txt"},
                    WideRow{"SurrogatePairIsOneCharacter", L"\U0001F600.txt", "?.txt"},
                    WideRow{"LoneSurrogates", std::wstring{L'a', 0xDC00, L'b', 0xD800}, "a?b?"}),
    RowLabel());

TEST(WideToCp932, CutsAtAWholeCharacter) {
    char out[4];
    // Room for 3 bytes: "a" and 表 fit, the next 表 would need two more.
    EXPECT_EQ(WideToCp932(L"a\u8868\u8868", -1, out, sizeof out), 3);
    EXPECT_EQ(std::string(out), "a\x95\x5C");
}

TEST(WideToCp932, CountedTextNeedsNoTerminator) {
    const wchar_t text[] = {L'a', L'b', 0xD83D};
    char out[8];
    EXPECT_EQ(WideToCp932(text, 2, out, sizeof out), 2);
    EXPECT_EQ(std::string(out), "ab");
}

TEST(Cp932ToWide, RoundTripsJapaneseTextAndCutsWhole) {
    wchar_t out[8];
    EXPECT_EQ(Cp932ToWide("\x83\x5C\x83t\x83g\\\x95\x5C", out, 8), 5);
    EXPECT_EQ(std::wstring(out), L"\u30BD\u30D5\u30C8\\\u8868");
    // Room for two characters and the terminator.
    EXPECT_EQ(Cp932ToWide("\x95\x5C\x95\x5C\x95\x5C", out, 3), 2);
    EXPECT_EQ(std::wstring(out), L"\u8868\u8868");
}

TEST(Conversions, WriteNothingWithoutRoom) {
    char bytes[1] = {'X'};
    wchar_t wide[1] = {L'X'};
    EXPECT_EQ(WideToCp932(L"abc", -1, bytes, 0), 0);
    EXPECT_EQ(bytes[0], 'X');
    EXPECT_EQ(Cp932ToWide("abc", wide, 0), 0);
    EXPECT_EQ(wide[0], L'X');
}

} // namespace
