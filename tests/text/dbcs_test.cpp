// Japanese text appears as code page 932 byte escapes: these tests are also built by
// compilers that store literals in UTF-8. Escapes are split ("\x95\x5C" "a") where a hex
// digit follows, so that the escape does not swallow it.
//   表 95 5C   ソ 83 5C   フ 83 74   ト 83 67   ア 83 41   ヂ 83 61
#include "text/dbcs.h"

#include "tests/text/byte_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using testtext::Hex;

// ---------------------------------------------------------------- IsLeadByte

TEST(IsLeadByte, EveryByteValue) {
    for (int value = 0; value < 256; ++value) {
        const int expected = (value >= 0x81 && value <= 0x9F) || (value >= 0xE0 && value <= 0xFC);
        EXPECT_EQ(IsLeadByte(static_cast<char>(value)), expected) << "byte " << value;
    }
}

// ---------------------------------------------------------------- CutAtLastBackslash

struct CutCase {
    const char* label;
    std::string path;
    std::string expected;
};

// Runs an in-place cut on the row's path.
void ExpectCutInPlace(void (*cut)(char*), const CutCase& c) {
    // The path sits in a larger buffer whose tail must stay untouched.
    std::vector<char> buffer(c.path.size() + 8, '#');
    std::memcpy(buffer.data(), c.path.c_str(), c.path.size() + 1);
    cut(buffer.data());
    EXPECT_EQ(std::string(buffer.data()), c.expected)
        << Hex(c.path) << " gave " << Hex(buffer.data());
    for (std::size_t i = c.path.size() + 1; i < buffer.size(); ++i)
        EXPECT_EQ(buffer[i], '#');
    // Only the cut byte may change; everything before it stays as it was.
    EXPECT_EQ(std::memcmp(buffer.data(), c.path.data(), c.expected.size()), 0);
}

class CutAtLastBackslashTest : public testing::TestWithParam<CutCase> {};

TEST_P(CutAtLastBackslashTest, CutsInPlace) {
    ExpectCutInPlace(CutAtLastBackslash, GetParam());
}

const CutCase kCutCases[] = {
    {"FileInFolder", "C:\\Docs\\memo.txt", "C:\\Docs"},
    {"FileInDriveRootLeavesDriveOnly", "C:\\memo.txt", "C:"},
    {"UncPath", "\\\\server\\share\\a.txt", "\\\\server\\share"},
    {"TrailingBackslash", "C:\\Docs\\", "C:\\Docs"},
    {"NoBackslashUnchanged", "memo.txt", "memo.txt"},
    {"ColonDoesNotCount", "C:memo.txt", "C:memo.txt"},
    {"EmptyPathUnchanged", "", ""},
    {"SecondBytesOfSoAndHyouSkipped", "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C",
     "C:\\\x83\x5C\x83\x74\x83\x67"},
    {"FolderEndingInHyou", "C:\\\x95\x5C\\memo.txt", "C:\\\x95\x5C"},
    {"OnlySecondByteBackslashesUnchanged", "\x95\x5C\x83\x5C", "\x95\x5C\x83\x5C"},
    {"LeadByteBeforeTerminatorStops", "C:\\Docs\\\x95", "C:\\Docs"},
    {"LeadByteAloneUnchanged", "\x95", "\x95"},
    {"HalfWidthKatakanaIsNoLeadByte", "\xB1\\x", "\xB1"},
    {"BackslashRightAfterLeadByteIsSkipped", "ab\x95\\cd", "ab\x95\\cd"},
    {"LeadByteAfterSecondByteStartsNewCharacter", "a\\\x95\x95\\b", "a\\\x95\x95"},
};

INSTANTIATE_TEST_SUITE_P(Paths, CutAtLastBackslashTest, testing::ValuesIn(kCutCases),
                         testtext::RowLabel());

// ---------------------------------------------------------------- RemoveTrailingBackslash

class RemoveTrailingBackslashTest : public testing::TestWithParam<CutCase> {};

TEST_P(RemoveTrailingBackslashTest, CutsInPlace) {
    ExpectCutInPlace(RemoveTrailingBackslash, GetParam());
}

const CutCase kTrailingCases[] = {
    {"DriveRoot", "C:\\", "C:"},
    {"FolderWithBackslash", "C:\\Docs\\", "C:\\Docs"},
    {"OnlyOneIsDropped", "C:\\Docs\\\\", "C:\\Docs\\"},
    {"NoTrailingBackslashUnchanged", "C:\\Docs", "C:\\Docs"},
    {"EmptyPathUnchanged", "", ""},
    {"FolderEndingInHyouKeepsIt", "C:\\\x95\x5C", "C:\\\x95\x5C"},
    {"FolderEndingInSoKeepsIt", "C:\\\x83\x5C", "C:\\\x83\x5C"},
    {"HyouThenBackslash", "C:\\\x95\x5C\\", "C:\\\x95\x5C"},
    {"LeadByteBeforeTerminatorStops", "C:\\\x95", "C:\\\x95"},
    {"HalfWidthKatakanaIsNoLeadByte", "C:\\\xB1\\", "C:\\\xB1"},
};

INSTANTIATE_TEST_SUITE_P(Paths, RemoveTrailingBackslashTest, testing::ValuesIn(kTrailingCases),
                         testtext::RowLabel());

// ---------------------------------------------------------------- FileNamePart

struct NamePartCase {
    const char* label;
    std::string path;
    std::size_t expectedOffset;
};

class FileNamePartTest : public testing::TestWithParam<NamePartCase> {};

TEST_P(FileNamePartTest, PointsIntoThePath) {
    const NamePartCase& c = GetParam();
    const std::string before = c.path;
    const char* result = FileNamePart(c.path.c_str());
    EXPECT_EQ(result, c.path.c_str() + c.expectedOffset) << Hex(c.path) << " gave " << Hex(result);
    EXPECT_EQ(c.path, before);
}

const NamePartCase kNamePartCases[] = {
    {"FileInFolder", "C:\\Docs\\memo.txt", 8},
    {"DriveRelative", "C:memo.txt", 2},
    {"TrailingBackslashGivesEmptyName", "C:\\Docs\\", 8},
    {"BareName", "memo.txt", 0},
    {"EmptyPath", "", 0},
    {"NameHyou", "C:\\Docs\\\x95\x5C", 8},
    {"NameSoftoKeepsItsSecondByteBackslash", "C:\\Docs\\\x83\x5C\x83\x74\x83\x67", 8},
    {"FolderHyou", "C:\\\x95\x5C\\memo.txt", 6},
    {"ColonAfterLeadByteIsSkipped", "ab\x95:cd", 0},
    {"LeadByteBeforeTerminatorStops", "C:\\a\\\x95", 5},
    {"UncPath", "\\\\server\\share\\a.txt", 15},
};

INSTANTIATE_TEST_SUITE_P(Paths, FileNamePartTest, testing::ValuesIn(kNamePartCases),
                         testtext::RowLabel());

// ---------------------------------------------------------------- FindChar

TEST(FindChar, NullTextGivesMinusOne) {
    EXPECT_EQ(FindChar(nullptr, '.'), -1);
    EXPECT_EQ(FindChar(nullptr, 0), -1);
}

TEST(FindChar, TerminatorIsNeverFound) {
    EXPECT_EQ(FindChar("abc", 0), -1);
    EXPECT_EQ(FindChar("", 0), -1);
}

TEST(FindChar, FindsTheFirstOccurrence) {
    EXPECT_EQ(FindChar("a.b.c", '.'), 1);
    EXPECT_EQ(FindChar(".a", '.'), 0);
    EXPECT_EQ(FindChar("abc.", '.'), 3);
    EXPECT_EQ(FindChar("abc", '.'), -1);
    EXPECT_EQ(FindChar("", '.'), -1);
}

TEST(FindChar, DoesNotStepOverSecondBytes) {
    EXPECT_EQ(FindChar("\x95\x5C", '\\'), 1);
    EXPECT_EQ(FindChar("\x83\x61"
                       "a",
                       'a'),
              1);
}

TEST(FindChar, HighBytesMatchWhetherGivenAsCharOrAsUnsignedValue) {
    EXPECT_EQ(FindChar("x\x95\x5C", '\x95'), 1);
    EXPECT_EQ(FindChar("x\x95\x5C", 0x95), 1);
    EXPECT_EQ(FindChar("x\xFF", 0xFF), 1);
}

TEST(FindChar, IsCaseSensitive) {
    EXPECT_EQ(FindChar("ABC", 'b'), -1);
}

// ---------------------------------------------------------------- NextToken

const char kBlankAndTab[] = "\t ";

// A destination buffer filled with a marker byte, so that every write shows.
struct PoisonedBuffer {
    explicit PoisonedBuffer(std::size_t size) : bytes(size, '#') {}
    char* data() { return bytes.data(); }
    std::size_t Written() const {
        std::size_t count = 0;
        for (char c : bytes)
            count += c != '#';
        return count;
    }
    std::vector<char> bytes;
};

TEST(NextToken, WalksTheTokensOfALine) {
    const char line[] = "  *.txt\t .doc";
    char token[32];
    const char* next = NextToken(token, line, kBlankAndTab, 31);
    EXPECT_STREQ(token, "*.txt");
    EXPECT_EQ(next, line + 9);

    next = NextToken(token, next, kBlankAndTab, 31);
    EXPECT_STREQ(token, ".doc");
    EXPECT_EQ(next, line + 13);
    EXPECT_EQ(*next, '\0');

    std::strcpy(token, "kept");
    EXPECT_EQ(NextToken(token, next, kBlankAndTab, 31), nullptr);
    EXPECT_STREQ(token, "kept");
}

TEST(NextToken, OnlySeparatorsGiveNoTokenAndNoWrite) {
    PoisonedBuffer buffer(16);
    EXPECT_EQ(NextToken(buffer.data(), "   \t  ", kBlankAndTab, 15), nullptr);
    EXPECT_EQ(buffer.Written(), 0u);
    EXPECT_EQ(NextToken(buffer.data(), "", kBlankAndTab, 15), nullptr);
    EXPECT_EQ(buffer.Written(), 0u);
}

TEST(NextToken, NullSourceGivesNoTokenAndNoWrite) {
    PoisonedBuffer buffer(16);
    EXPECT_EQ(NextToken(buffer.data(), nullptr, kBlankAndTab, 15), nullptr);
    EXPECT_EQ(buffer.Written(), 0u);
}

TEST(NextToken, CapCutsTheTokenAndTheRestIsTheNextToken) {
    const char line[] = "abcdef";
    PoisonedBuffer buffer(8);
    const char* next = NextToken(buffer.data(), line, kBlankAndTab, 4);
    EXPECT_STREQ(buffer.data(), "abcd");
    EXPECT_EQ(next, line + 4);
    EXPECT_EQ(buffer.Written(), 5u) << "at most cap bytes and the terminator";

    char rest[8];
    next = NextToken(rest, next, kBlankAndTab, 4);
    EXPECT_STREQ(rest, "ef");
    EXPECT_EQ(next, line + 6);
}

TEST(NextToken, TokenExactlyAsLongAsTheCap) {
    const char line[] = "abcd";
    PoisonedBuffer buffer(8);
    EXPECT_EQ(NextToken(buffer.data(), line, kBlankAndTab, 4), line + 4);
    EXPECT_STREQ(buffer.data(), "abcd");
    EXPECT_EQ(buffer.Written(), 5u);
}

TEST(NextToken, CapEndingAtASeparatorLeavesTheSeparatorsForTheNextCall) {
    const char line[] = "abcd  ef";
    char token[8];
    const char* next = NextToken(token, line, kBlankAndTab, 4);
    EXPECT_STREQ(token, "abcd");
    EXPECT_EQ(next, line + 4);
    next = NextToken(token, next, kBlankAndTab, 4);
    EXPECT_STREQ(token, "ef");
    EXPECT_EQ(next, line + 8);
}

TEST(NextToken, CapOfOneCopiesOneByteAtATime) {
    const char line[] = "ab";
    char token[2];
    const char* next = NextToken(token, line, kBlankAndTab, 1);
    EXPECT_STREQ(token, "a");
    next = NextToken(token, next, kBlankAndTab, 1);
    EXPECT_STREQ(token, "b");
    EXPECT_EQ(NextToken(token, next, kBlankAndTab, 1), nullptr);
}

TEST(NextToken, TrailingSeparatorsAreSkippedToTheTerminator) {
    const char line[] = "abc \t ";
    char token[8];
    const char* next = NextToken(token, line, kBlankAndTab, 7);
    EXPECT_STREQ(token, "abc");
    EXPECT_EQ(next, line + 6);
    EXPECT_EQ(NextToken(token, next, kBlankAndTab, 7), nullptr);
}

TEST(NextToken, OnlyTheGivenBytesSeparate) {
    // A comma, a semicolon and a full-width blank (81 40) belong to the token.
    const char line[] = "a,b;c\x81\x40"
                        "d e";
    char token[16];
    const char* next = NextToken(token, line, kBlankAndTab, 15);
    EXPECT_STREQ(token, "a,b;c\x81\x40"
                        "d");
    next = NextToken(token, next, kBlankAndTab, 15);
    EXPECT_STREQ(token, "e");

    next = NextToken(token, "x,,y", ",", 15);
    EXPECT_STREQ(token, "x");
    NextToken(token, next, ",", 15);
    EXPECT_STREQ(token, "y");
}

TEST(NextToken, DoubleByteCharactersAreCopiedWhole) {
    const char line[] = "\x95\x5C.txt \x83\x5C";
    char token[16];
    const char* next = NextToken(token, line, kBlankAndTab, 15);
    EXPECT_STREQ(token, "\x95\x5C.txt");
    NextToken(token, next, kBlankAndTab, 15);
    EXPECT_STREQ(token, "\x83\x5C");
}

TEST(NextToken, ALoopOfCallsEndsOnEveryLine) {
    const char line[] = " a  bb\tccc \t dddd  eeeee ";
    char token[4];
    std::vector<std::string> tokens;
    for (const char* at = NextToken(token, line, kBlankAndTab, 3); at != nullptr;
         at = NextToken(token, at, kBlankAndTab, 3)) {
        tokens.push_back(token);
        ASSERT_LT(tokens.size(), 20u);
    }
    const std::vector<std::string> expected = {"a", "bb", "ccc", "ddd", "d", "eee", "ee"};
    EXPECT_EQ(tokens, expected);
}

// ---------------------------------------------------------------- MakeExtensionPattern

struct ExtensionCase {
    const char* label;
    std::string path;
    std::string expected;
};

class MakeExtensionPatternTest : public testing::TestWithParam<ExtensionCase> {};

TEST_P(MakeExtensionPatternTest, BuildsStarAndExtension) {
    const ExtensionCase& c = GetParam();
    // Exactly the documented room: the length of the path + 2, on the heap so that the
    // sanitizers see a write past it.
    std::vector<char> destination(c.path.size() + 2, '#');
    MakeExtensionPattern(destination.data(), c.path.c_str());
    EXPECT_EQ(std::string(destination.data()), c.expected)
        << Hex(c.path) << " gave " << Hex(destination.data());
}

const ExtensionCase kExtensionCases[] = {
    {"Txt", "C:\\Docs\\memo.txt", "*.txt"},
    {"FirstDotOfTheName", "C:\\Docs\\archive.tar.gz", "*.tar.gz"},
    {"NoDot", "C:\\Docs\\Makefile", ""},
    {"DotInFolderOnly", "C:\\Docs.old\\readme", ""},
    {"NameBeginsWithDot", "C:\\Docs\\.profile", "*.profile"},
    {"JapaneseNameEndingInBackslashByte", "C:\\Docs\\\x95\x5C.txt", "*.txt"},
    {"SecondByteBackslashAfterDotDisqualifies", "C:\\Docs\\memo.\x95\x5C", ""},
    {"DotInFolderAndName", "C:\\a.b\\c.d", "*.d"},
    {"BareName", "memo.txt", "*.txt"},
    {"BareDotName", ".profile", "*.profile"},
    {"TrailingDot", "C:\\memo.", "*."},
    {"EmptyPath", "", ""},
    {"TrailingBackslash", "C:\\Docs.old\\", ""},
    {"UpperCaseKept", "C:\\MEMO.TXT", "*.TXT"},
    {"JapaneseExtension", "C:\\a.\x83\x41", "*.\x83\x41"},
};

INSTANTIATE_TEST_SUITE_P(Paths, MakeExtensionPatternTest, testing::ValuesIn(kExtensionCases),
                         testtext::RowLabel());

TEST(MakeExtensionPattern, WritesTheEmptyStringOverOldContents) {
    char destination[32];
    std::strcpy(destination, "old contents");
    MakeExtensionPattern(destination, "C:\\Docs\\Makefile");
    EXPECT_STREQ(destination, "");
}

TEST(MakeExtensionPattern, LongestPathFitsItsBuffer) {
    // A 259-byte path whose name is a single dot followed by the rest: the pattern takes
    // all of the documented length + 2 bytes.
    std::string path = "C:\\" + std::string(1, '.') + std::string(255, 'x');
    ASSERT_EQ(path.size(), 259u);
    std::vector<char> destination(path.size() + 2, '#');
    MakeExtensionPattern(destination.data(), path.c_str());
    EXPECT_EQ(std::strlen(destination.data()), 257u);
    EXPECT_EQ(destination[0], '*');
}

} // namespace
