// LoadSettings and SaveSettings against the registry of the test prefix. Every test owns
// HKCU\Software\Nembrok\Vestrane for its duration (RegistryKeyGuard): the key starts out
// missing and whatever was there before comes back afterwards.
#include "shellext/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/registry_key_guard.h"
#include "tests/support/row_label.h"
#include "tests/support/string_list_entries.h"
#include "tests/support/wide_text.h"

namespace {

constexpr DWORD kPoison = 0xDEADBEEF;

// "line0" .. "line9": a full run.History.
std::vector<std::string> TenLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < kHistoryEntries; ++i)
        lines.push_back("line" + std::to_string(i));
    return lines;
}

// The name of history value n.
std::wstring H(int n) {
    wchar_t name[8];
    std::swprintf(name, 8, kHistoryValueFormat, n);
    return name;
}

// The lines of a history as the tables write them.
std::vector<std::string> Narrow(WideStringList& history) {
    std::vector<std::string> lines;
    for (const std::wstring& line : Entries(history))
        lines.push_back(Utf8(line));
    return lines;
}

// History value n holding the text as a string value, terminator included.
RegistryKeyGuard::Value Line(int n, const std::string& text) {
    return {H(n), REG_SZ, WithTerminator(text)};
}

// A record as a run has it just before LoadSettings: History created empty, the other
// fields holding garbage that the load must overwrite.
class SettingsTest : public testing::Test {
protected:
    SettingsTest() {
        std::memset(run.DefaultPattern, '#', sizeof run.DefaultPattern);
        run.DefaultPattern[kRecordTextSize - 1] = '\0';
        run.ConfiguredMode = kPoison;
        run.InitFromHistory = kPoison;
        run.Action = SelectOnly;
    }

    void Put(const std::wstring& name, DWORD type, const std::string& data) {
        ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), type, data))
            << name;
    }
    void PutText(const std::wstring& name, const std::string& text) {
        Put(name, REG_SZ, WithTerminator(text));
    }
    void PutNumber(const std::wstring& name, DWORD number) {
        Put(name, REG_DWORD, DwordBytes(number));
    }
    void PutHistory(const std::vector<std::string>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            PutText(H(static_cast<int>(i)), lines[i]);
    }

    // A string value as Windows stores it, in UTF-16, whatever the ANSI code page.
    void PutWideText(const std::wstring& name, const std::wstring& text) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, name.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The UTF-16 bytes of a stored value, terminator included.
    std::wstring GetWideText(const std::wstring& name) {
        wchar_t text[512] = {};
        DWORD size = sizeof text;
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(),
                         RRF_RT_REG_SZ | RRF_NOEXPAND, nullptr, text, &size) != ERROR_SUCCESS)
            return L"(unreadable)";
        return std::wstring(text, size / sizeof(wchar_t));
    }

    StoredValue Get(const std::wstring& name) {
        return ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, name.c_str());
    }
    std::vector<std::wstring> Names() {
        return RegistryValueNames(HKEY_CURRENT_USER, kSettingsKey);
    }

    // Saves with the given line and action after loading what the registry holds, as a
    // run does.
    void Run(const std::string& line, DWORD action) {
        LoadSettings(run);
        lstrcpynW(run.PatternLine, Wide(line).c_str(), kRecordTextSize);
        run.Action = action;
        SaveSettings(run);
    }

    std::vector<std::string> LoadedHistory() {
        RunRecord record;
        LoadSettings(record);
        return Narrow(record.History);
    }

    RegistryKeyGuard guard{HKEY_CURRENT_USER, kSettingsKey};
    RunRecord run;
};

// ---------------------------------------------------------------- loading the defaults

TEST_F(SettingsTest, NoKeyGivesSelectOnlyTheDefaultPatternAndNoHistory) {
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey));
    LoadSettings(run);
    EXPECT_EQ(run.ConfiguredMode, static_cast<DWORD>(SelectOnly));
    EXPECT_EQ(run.InitFromHistory, 0u);
    EXPECT_EQ(run.History.GetFirst(), nullptr);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kSettingsKey)) << "loading creates nothing";
}

TEST_F(SettingsTest, EmptyKeyGivesTheDefaults) {
    Put(L"unrelated", REG_SZ, WithTerminator("x"));
    LoadSettings(run);
    EXPECT_EQ(run.ConfiguredMode, static_cast<DWORD>(SelectOnly));
    EXPECT_EQ(run.InitFromHistory, 0u);
    EXPECT_EQ(run.History.GetFirst(), nullptr);
}

TEST_F(SettingsTest, SelectIsReadAsStored) {
    for (DWORD select : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        PutNumber(kSelectValue, select);
        run.InitFromHistory = kPoison;
        LoadSettings(run);
        EXPECT_EQ(run.InitFromHistory, select);
    }
}

// ---------------------------------------------------------------- mode and flag

struct ModeCase {
    const char* label;
    // Values present in the key, as (name, type, bytes).
    std::vector<RegistryKeyGuard::Value> Values;
    DWORD ExpectedMode;
    DWORD ExpectedCombine = ReplaceSelection;
};

class ModeTest : public SettingsTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(ModeTest, ConfiguredModeFollowsModeAndFlag) {
    for (const auto& value : GetParam().Values)
        Put(value.Name, value.Type, value.Data);
    LoadSettings(run);
    EXPECT_EQ(run.ConfiguredMode, GetParam().ExpectedMode);
    EXPECT_EQ(run.Combine, GetParam().ExpectedCombine);
}

const ModeCase kModeCases[] = {
    {"SelectOnly", {{kModeValue, REG_DWORD, DwordBytes(0)}}, SelectOnly},
    {"ClipboardCopy", {{kModeValue, REG_DWORD, DwordBytes(1)}}, ClipboardCopy},
    {"ClipboardCut", {{kModeValue, REG_DWORD, DwordBytes(2)}}, ClipboardCut},
    {"CopyToFolder", {{kModeValue, REG_DWORD, DwordBytes(4)}}, CopyToFolder},
    {"MoveToFolder", {{kModeValue, REG_DWORD, DwordBytes(5)}}, MoveToFolder},
    {"UnknownModeKept", {{kModeValue, REG_DWORD, DwordBytes(7)}}, 7},
    {"UsePreviousTakesFlag",
     {{kModeValue, REG_DWORD, DwordBytes(3)}, {kFlagValue, REG_DWORD, DwordBytes(5)}},
     MoveToFolder},
    {"UsePreviousTakesFlagZero",
     {{kModeValue, REG_DWORD, DwordBytes(3)}, {kFlagValue, REG_DWORD, DwordBytes(0)}},
     SelectOnly},
    {"UsePreviousWithoutFlagStaysUsePrevious",
     {{kModeValue, REG_DWORD, DwordBytes(3)}},
     UsePrevious},
    {"FlagIgnoredUnlessUsePrevious",
     {{kModeValue, REG_DWORD, DwordBytes(1)}, {kFlagValue, REG_DWORD, DwordBytes(5)}},
     ClipboardCopy},
    {"FlagAloneIgnored", {{kFlagValue, REG_DWORD, DwordBytes(4)}}, SelectOnly},
    // The stored type is not checked: four bytes of any type are a number.
    {"BinaryOfFourBytes", {{kModeValue, REG_BINARY, DwordBytes(4)}}, CopyToFolder},
    {"FlagAsBinary",
     {{kModeValue, REG_DWORD, DwordBytes(3)}, {kFlagValue, REG_BINARY, DwordBytes(2)}},
     ClipboardCut},
    // Shorter values leave the missing high bytes zero, never stale.
    {"BinaryOfOneByte", {{kModeValue, REG_BINARY, std::string(1, '\x02')}}, ClipboardCut},
    {"ShortString", {{kModeValue, REG_SZ, WithTerminator("1")}}, 0x31},
    {"EmptyBinary", {{kModeValue, REG_BINARY, std::string()}}, SelectOnly},
    // Longer values do not fit the four bytes and count as missing.
    {"QwordDoesNotFit", {{kModeValue, REG_QWORD, DwordBytes(2) + DwordBytes(0)}}, SelectOnly},
    {"LongStringDoesNotFit", {{kModeValue, REG_SZ, WithTerminator("12345678")}}, SelectOnly},
    {"CombineAdd", {{kCombineValue, REG_DWORD, DwordBytes(1)}}, SelectOnly, AddToSelection},
    {"CombineRemove", {{kCombineValue, REG_DWORD, DwordBytes(2)}}, SelectOnly, RemoveFromSelection},
    {"CombineUnknownReadsAsReplace", {{kCombineValue, REG_DWORD, DwordBytes(3)}}, SelectOnly},
    {"FlagThatDoesNotFitKeepsUsePrevious",
     {{kModeValue, REG_DWORD, DwordBytes(3)}, {kFlagValue, REG_SZ, WithTerminator("5555")}},
     UsePrevious},
};

INSTANTIATE_TEST_SUITE_P(Settings, ModeTest, testing::ValuesIn(kModeCases), RowLabel());

// ---------------------------------------------------------------- loading the history

struct HistoryLoadCase {
    const char* label;
    std::vector<RegistryKeyGuard::Value> Values;
    std::vector<std::string> Expected;
};

class HistoryLoadTest : public SettingsTest, public testing::WithParamInterface<HistoryLoadCase> {};

TEST_P(HistoryLoadTest, HistoryHoldsTheReadableEntriesInOrder) {
    for (const auto& value : GetParam().Values)
        Put(value.Name, value.Type, value.Data);
    LoadSettings(run);
    EXPECT_EQ(Narrow(run.History), GetParam().Expected);
}

const std::string k259(259, 'n');
const std::string k260(260, 'o');

const HistoryLoadCase kHistoryLoadCases[] = {
    {"ThreeEntries", {Line(0, "a"), Line(1, "b"), Line(2, "c")}, {"a", "b", "c"}},
    {"TenEntries",
     {Line(0, "0"), Line(1, "1"), Line(2, "2"), Line(3, "3"), Line(4, "4"), Line(5, "5"),
      Line(6, "6"), Line(7, "7"), Line(8, "8"), Line(9, "9"), Line(10, "10")},
     {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
    {"EmptyFirstEntrySkipped", {Line(0, ""), Line(1, "x")}, {"x"}},
    {"RunOfEmptyEntriesSkipped",
     {Line(0, ""), Line(1, ""), Line(2, ""), Line(3, "y"), Line(4, ""), Line(5, "z")},
     {"y", "z"}},
    {"GapEndsTheWalk", {Line(0, "a"), Line(1, "b"), Line(2, "c"), Line(4, "e")}, {"a", "b", "c"}},
    {"MissingFirstEntryGivesNoHistory", {Line(1, "b")}, {}},
    {"LongestEntryFits", {Line(0, k259), Line(1, "b")}, {k259, "b"}},
    {"OverLongEntryEndsTheWalk", {Line(0, "a"), Line(1, k260), Line(2, "c")}, {"a"}},
    {"UnterminatedStringIsCutAtItsSize", {{H(0), REG_SZ, "abc"}, Line(1, "d")}, {"abc", "d"}},
    {"UnterminatedBinaryIsCutAtItsSize", {{H(0), REG_BINARY, "abc"}, Line(1, "d")}, {"abc", "d"}},
    {"UnterminatedEntryThatFillsTheBufferEndsTheWalk",
     {Line(0, "a"), {H(1), REG_BINARY, k260}, Line(2, "c")},
     {"a"}},
    {"UnterminatedLongestEntryFits", {{H(0), REG_BINARY, k259}}, {k259}},
    {"EmbeddedZeroEndsTheText", {{H(0), REG_BINARY, std::string("ab\0cd", 5)}}, {"ab"}},
    // An early version wrote its lines as code page 932 bytes.
    {"CodePage932Bytes", {{H(0), REG_BINARY, "\x83\x5C\x83t\x83g\\\x95\x5C"}}, {"ソフト\\表"}},
    {"NumberAsText", {{H(0), REG_DWORD, DwordBytes(0x00636261)}}, {"abc"}},
    {"NumberWithoutZeroByteIsCut", {{H(0), REG_DWORD, DwordBytes(0x64636261)}}, {"abcd"}},
    {"ZeroNumberIsAnEmptyEntry", {{H(0), REG_DWORD, DwordBytes(0)}, Line(1, "b")}, {"b"}},
};

INSTANTIATE_TEST_SUITE_P(Settings, HistoryLoadTest, testing::ValuesIn(kHistoryLoadCases),
                         RowLabel());

// Windows keeps string values in UTF-16: a line reads back as it was typed, on any system,
// a character without a code page 932 form included (it became a "?", which selected names
// the user never typed).
TEST_F(SettingsTest, EntriesComeBackAsTyped) {
    const std::vector<std::wstring> lines = {L"表.txt ソフト*.doc", L"ｱｲｳ",
                                             L"café*.txt \U0001F600"};
    for (std::size_t i = 0; i < lines.size(); ++i)
        PutWideText(H(static_cast<int>(i)), lines[i]);
    LoadSettings(run);
    EXPECT_EQ(Entries(run.History), lines);
}

// ---------------------------------------------------------------- saving

TEST_F(SettingsTest, SaveCreatesTheKeyWithFlagCombineAndLine) {
    run.Combine = RemoveFromSelection;
    SaveSettings(run);
    EXPECT_EQ(Get(kCombineValue).Data, DwordBytes(RemoveFromSelection));
    Run("*.txt", CopyToFolder);
    const auto flag = Get(kFlagValue);
    ASSERT_TRUE(flag.Exists);
    EXPECT_EQ(flag.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(flag.Data, DwordBytes(CopyToFolder));
    const auto h0 = Get(H(0));
    ASSERT_TRUE(h0.Exists);
    EXPECT_EQ(h0.Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(h0.Data, WithTerminator("*.txt")) << "the text and its terminator";
    EXPECT_EQ(Names(), (std::vector<std::wstring>{kCombineValue, kFlagValue, H(0)}));

    // Names from the clipboard stood in for the line: no history is written.
    run.ClipboardNames.reset(new NameList);
    Run("other", CopyToFolder);
    EXPECT_EQ(Get(H(0)).Data, WithTerminator("*.txt"));
}

TEST_F(SettingsTest, SaveNeverWritesModeOrSelect) {
    PutNumber(kModeValue, UsePrevious);
    PutNumber(kSelectValue, 1);
    Run("a", ClipboardCopy);
    EXPECT_EQ(Get(kModeValue).Data, DwordBytes(UsePrevious));
    EXPECT_EQ(Get(kSelectValue).Data, DwordBytes(1));
    // The next run's UsePrevious now means the action just saved.
    LoadSettings(run);
    EXPECT_EQ(run.ConfiguredMode, static_cast<DWORD>(ClipboardCopy));
}

// The saved line goes first, once; the other entries follow in their order, ten at the most.
// Lines are told apart byte for byte.
struct HistorySaveCase {
    const char* label;
    std::vector<std::string> Stored;
    std::string Line;
    std::vector<std::string> Expected;
};

class HistorySaveTest : public SettingsTest, public testing::WithParamInterface<HistorySaveCase> {};

TEST_P(HistorySaveTest, TheLineGoesFirstAndTheOthersFollow) {
    const HistorySaveCase& row = GetParam();
    PutHistory(row.Stored);
    Run(row.Line, SelectOnly);
    for (std::size_t i = 0; i < row.Expected.size(); ++i)
        EXPECT_EQ(Get(H(static_cast<int>(i))).Data, WithTerminator(row.Expected[i])) << i;
    EXPECT_FALSE(Get(H(static_cast<int>(row.Expected.size()))).Exists);
    EXPECT_EQ(LoadedHistory(), row.Expected);
}

const HistorySaveCase kHistorySaveCases[] = {
    {"RepeatedLineMovesToTheFront", {"a", "b", "c"}, "b", {"b", "a", "c"}},
    {"NewLineGoesFirstAndTheTenthEntryDrops",
     TenLines(),
     "new",
     {"new", "line0", "line1", "line2", "line3", "line4", "line5", "line6", "line7", "line8"}},
    {"LineAlreadyInAFullHistoryKeepsTheOtherNine",
     TenLines(),
     "line6",
     {"line6", "line0", "line1", "line2", "line3", "line4", "line5", "line7", "line8", "line9"}},
    {"LetterCaseCounts", {"*.TXT", "*.Txt"}, "*.txt", {"*.txt", "*.TXT", "*.Txt"}},
    {"PunctuationAndWidthCount",
     {"a-b", "ab", "ｱ", "'x'", "x"},
     "ア",
     {"ア", "a-b", "ab", "ｱ", "'x'", "x"}},
    {"LongestLineIsSavedWhole", {}, k259, {k259}},
};

INSTANTIATE_TEST_SUITE_P(Settings, HistorySaveTest, testing::ValuesIn(kHistorySaveCases),
                         RowLabel());

TEST_F(SettingsTest, EmptyLineRewritesOnlyTheFirstEntry) {
    PutHistory({"a", "b"});
    Run("", ClipboardCut);
    EXPECT_EQ(Get(H(0)).Data, WithTerminator("")) << "one byte: the terminator";
    EXPECT_EQ(Get(H(1)).Data, WithTerminator("b"));
    EXPECT_FALSE(Get(H(2)).Exists);
    EXPECT_EQ(Get(kFlagValue).Data, DwordBytes(ClipboardCut));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"b"}));
}

TEST_F(SettingsTest, ValuesAboveTheLastWrittenOneStay) {
    // H(2) is empty, so the load gives three entries but four values exist.
    Put(H(0), REG_SZ, WithTerminator("a"));
    Put(H(1), REG_SZ, WithTerminator("b"));
    Put(H(2), REG_SZ, WithTerminator(""));
    Put(H(3), REG_SZ, WithTerminator("c"));
    Put(H(4), REG_SZ, WithTerminator("d"));
    Run("d", SelectOnly);
    EXPECT_EQ(Get(H(0)).Data, WithTerminator("d"));
    EXPECT_EQ(Get(H(1)).Data, WithTerminator("a"));
    EXPECT_EQ(Get(H(2)).Data, WithTerminator("b"));
    EXPECT_EQ(Get(H(3)).Data, WithTerminator("c"));
    EXPECT_EQ(Get(H(4)).Data, WithTerminator("d")) << "left as it was";
}

TEST_F(SettingsTest, HistoryIsWalkedFromItsFirstEntry) {
    PutHistory({"a", "b", "c"});
    LoadSettings(run);
    // A walk left half-way (as the dialog might) does not shorten what is saved.
    run.History.GetFirst();
    run.History.GetNext();
    lstrcpyW(run.PatternLine, L"z");
    SaveSettings(run);
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"z", "a", "b", "c"}));
}

TEST_F(SettingsTest, OverLongLineIsCutSoThatItLoadsAgain) {
    PutHistory({"a", "b"});
    LoadSettings(run);
    // Every character of the field set, no terminator anywhere.
    std::fill(run.PatternLine, run.PatternLine + kRecordTextSize, L'x');
    SaveSettings(run);
    const std::string cut(259, 'x');
    EXPECT_EQ(Get(H(0)).Data, WithTerminator(cut));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{cut, "a", "b"}));
}

TEST_F(SettingsTest, TheLineIsSavedAsTyped) {
    PutHistory({"a"});
    LoadSettings(run);
    const std::wstring line = L"表*.txt café \U0001F600";
    lstrcpyW(run.PatternLine, line.c_str());
    SaveSettings(run);
    EXPECT_EQ(GetWideText(H(0)), line + L'\0');
    EXPECT_EQ(GetWideText(H(1)), std::wstring(L"a") + L'\0');
}

TEST_F(SettingsTest, SeveralRunsBuildAMostRecentFirstList) {
    for (const char* line : {"a", "b", "c", "a", "", "d"})
        Run(line, SelectOnly);
    // "" replaced the "a" of the fourth run at the front; the rest survived behind it.
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"d", "c", "b"}));
}

} // namespace
