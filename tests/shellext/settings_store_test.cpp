// LoadSettings and SaveSettings against the registry of the test prefix. Every test owns
// HKCU\Software\Nembrok\Vestrane for its duration (RegistryKeyGuard): the key starts out
// missing and whatever was there before comes back afterwards.
#include "shellext/settings_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/registry_key_guard.h"

namespace {

const std::string kKey = "Software\\Nembrok\\Vestrane";
constexpr DWORD kPoison = 0xDEADBEEF;

std::string Dword(DWORD number) {
    return std::string(reinterpret_cast<const char*>(&number), sizeof number);
}
std::string Sz(const std::string& text) {
    return std::string(text.c_str(), text.size() + 1);
}

std::vector<std::string> Entries(StringList& list) {
    std::vector<std::string> entries;
    for (const char* entry = list.GetFirst(); entry != nullptr; entry = list.GetNext())
        entries.push_back(entry);
    return entries;
}

// A record as a run has it just before LoadSettings: History created empty, the other
// fields holding garbage that the load must overwrite.
class SettingsTest : public testing::Test {
protected:
    SettingsTest() {
        std::memset(extension.DefaultPattern, '#', sizeof extension.DefaultPattern);
        extension.DefaultPattern[kRecordTextSize - 1] = '\0';
        extension.ConfiguredMode = kPoison;
        extension.InitFromHistory = kPoison;
        extension.Action = SelectOnly;
        extension.History = &history;
    }
    ~SettingsTest() override { extension.History = nullptr; }

    void Put(const std::string& name, DWORD type, const std::string& data) {
        ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, kKey, name, type, data)) << name;
    }
    void PutText(const std::string& name, const std::string& text) { Put(name, REG_SZ, Sz(text)); }
    void PutNumber(const std::string& name, DWORD number) { Put(name, REG_DWORD, Dword(number)); }
    void PutHistory(const std::vector<std::string>& lines) {
        for (std::size_t i = 0; i < lines.size(); ++i)
            PutText("h" + std::to_string(i), lines[i]);
    }

    std::optional<RegistryValue> Get(const std::string& name) {
        return ReadRegistryValue(HKEY_CURRENT_USER, kKey, name);
    }
    std::vector<std::string> Names() { return RegistryValueNames(HKEY_CURRENT_USER, kKey); }

    // Saves with the given line and action after loading what the registry holds, as a
    // run does.
    void Run(const std::string& line, DWORD action) {
        history.Clear();
        LoadSettings(extension);
        ASSERT_LT(line.size(), sizeof extension.PatternLine);
        std::memcpy(extension.PatternLine, line.c_str(), line.size() + 1);
        extension.Action = action;
        SaveSettings(extension);
    }

    std::vector<std::string> LoadedHistory() {
        StringList fresh;
        ExtensionRecord record;
        record.History = &fresh;
        LoadSettings(record);
        auto entries = Entries(fresh);
        record.History = nullptr;
        return entries;
    }

    RegistryKeyGuard guard{HKEY_CURRENT_USER, kKey};
    StringList history;
    ExtensionRecord extension;
};

// ---------------------------------------------------------------- loading the defaults

TEST_F(SettingsTest, NoKeyGivesSelectOnlyTheDefaultPatternAndNoHistory) {
    ASSERT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kKey));
    LoadSettings(extension);
    EXPECT_EQ(extension.ConfiguredMode, static_cast<DWORD>(SelectOnly));
    EXPECT_EQ(extension.InitFromHistory, 0u);
    EXPECT_EQ(history.GetFirst(), nullptr);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kKey)) << "loading creates nothing";
}

TEST_F(SettingsTest, EmptyKeyGivesTheDefaults) {
    Put("unrelated", REG_SZ, Sz("x"));
    LoadSettings(extension);
    EXPECT_EQ(extension.ConfiguredMode, static_cast<DWORD>(SelectOnly));
    EXPECT_EQ(extension.InitFromHistory, 0u);
    EXPECT_EQ(history.GetFirst(), nullptr);
}

TEST_F(SettingsTest, SelectIsReadAsStored) {
    for (DWORD select : {0u, 1u, 2u, 0xFFFFFFFFu}) {
        PutNumber("select", select);
        extension.InitFromHistory = kPoison;
        LoadSettings(extension);
        EXPECT_EQ(extension.InitFromHistory, select);
    }
}

TEST_F(SettingsTest, LoadWithoutAHistoryListStillReadsTheNumbers) {
    PutNumber("mode", ClipboardCut);
    PutNumber("select", 1);
    PutHistory({"a"});
    extension.History = nullptr;
    LoadSettings(extension);
    EXPECT_EQ(extension.ConfiguredMode, static_cast<DWORD>(ClipboardCut));
    EXPECT_EQ(extension.InitFromHistory, 1u);
}

// ---------------------------------------------------------------- mode and flag

struct ModeCase {
    const char* Label;
    // Values present in the key, as (name, type, bytes).
    std::vector<RegistryKeyGuard::Value> Values;
    DWORD ExpectedMode;
};

void PrintTo(const ModeCase& row, std::ostream* out) {
    *out << row.Label;
}

class ModeTest : public SettingsTest, public testing::WithParamInterface<ModeCase> {};

TEST_P(ModeTest, ConfiguredModeFollowsModeAndFlag) {
    for (const auto& value : GetParam().Values)
        Put(value.Name, value.Type, value.Data);
    LoadSettings(extension);
    EXPECT_EQ(extension.ConfiguredMode, GetParam().ExpectedMode);
}

const ModeCase kModeCases[] = {
    {"SelectOnly", {{"mode", REG_DWORD, Dword(0)}}, SelectOnly},
    {"ClipboardCopy", {{"mode", REG_DWORD, Dword(1)}}, ClipboardCopy},
    {"ClipboardCut", {{"mode", REG_DWORD, Dword(2)}}, ClipboardCut},
    {"CopyToFolder", {{"mode", REG_DWORD, Dword(4)}}, CopyToFolder},
    {"MoveToFolder", {{"mode", REG_DWORD, Dword(5)}}, MoveToFolder},
    {"UnknownModeKept", {{"mode", REG_DWORD, Dword(7)}}, 7},
    {"UsePreviousTakesFlag",
     {{"mode", REG_DWORD, Dword(3)}, {"flag", REG_DWORD, Dword(5)}},
     MoveToFolder},
    {"UsePreviousTakesFlagZero",
     {{"mode", REG_DWORD, Dword(3)}, {"flag", REG_DWORD, Dword(0)}},
     SelectOnly},
    {"UsePreviousWithoutFlagStaysUsePrevious", {{"mode", REG_DWORD, Dword(3)}}, UsePrevious},
    {"FlagIgnoredUnlessUsePrevious",
     {{"mode", REG_DWORD, Dword(1)}, {"flag", REG_DWORD, Dword(5)}},
     ClipboardCopy},
    {"FlagAloneIgnored", {{"flag", REG_DWORD, Dword(4)}}, SelectOnly},
    // The stored type is not checked: four bytes of any type are a number.
    {"BinaryOfFourBytes", {{"mode", REG_BINARY, Dword(4)}}, CopyToFolder},
    {"FlagAsBinary", {{"mode", REG_DWORD, Dword(3)}, {"flag", REG_BINARY, Dword(2)}}, ClipboardCut},
    // Shorter values leave the missing high bytes zero, never stale.
    {"BinaryOfOneByte", {{"mode", REG_BINARY, std::string(1, '\x02')}}, ClipboardCut},
    {"ShortString", {{"mode", REG_SZ, Sz("1")}}, 0x31},
    {"EmptyBinary", {{"mode", REG_BINARY, std::string()}}, SelectOnly},
    // Longer values do not fit the four bytes and count as missing.
    {"QwordDoesNotFit", {{"mode", REG_QWORD, Dword(2) + Dword(0)}}, SelectOnly},
    {"LongStringDoesNotFit", {{"mode", REG_SZ, Sz("12345678")}}, SelectOnly},
    {"FlagThatDoesNotFitKeepsUsePrevious",
     {{"mode", REG_DWORD, Dword(3)}, {"flag", REG_SZ, Sz("5555")}},
     UsePrevious},
};

INSTANTIATE_TEST_SUITE_P(Settings, ModeTest, testing::ValuesIn(kModeCases),
                         [](const testing::TestParamInfo<ModeCase>& row) {
                             return std::string(row.param.Label);
                         });

// ---------------------------------------------------------------- loading the history

struct HistoryLoadCase {
    const char* Label;
    std::vector<RegistryKeyGuard::Value> Values;
    std::vector<std::string> Expected;
};

void PrintTo(const HistoryLoadCase& row, std::ostream* out) {
    *out << row.Label;
}

class HistoryLoadTest : public SettingsTest, public testing::WithParamInterface<HistoryLoadCase> {};

TEST_P(HistoryLoadTest, HistoryHoldsTheReadableEntriesInOrder) {
    for (const auto& value : GetParam().Values)
        Put(value.Name, value.Type, value.Data);
    LoadSettings(extension);
    EXPECT_EQ(Entries(history), GetParam().Expected);
}

const std::string k259(259, 'n');
const std::string k260(260, 'o');

const HistoryLoadCase kHistoryLoadCases[] = {
    {"ThreeEntries",
     {{"h0", REG_SZ, Sz("a")}, {"h1", REG_SZ, Sz("b")}, {"h2", REG_SZ, Sz("c")}},
     {"a", "b", "c"}},
    {"TenEntries",
     {{"h0", REG_SZ, Sz("0")},
      {"h1", REG_SZ, Sz("1")},
      {"h2", REG_SZ, Sz("2")},
      {"h3", REG_SZ, Sz("3")},
      {"h4", REG_SZ, Sz("4")},
      {"h5", REG_SZ, Sz("5")},
      {"h6", REG_SZ, Sz("6")},
      {"h7", REG_SZ, Sz("7")},
      {"h8", REG_SZ, Sz("8")},
      {"h9", REG_SZ, Sz("9")},
      {"h10", REG_SZ, Sz("10")}},
     {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}},
    {"EmptyFirstEntrySkipped", {{"h0", REG_SZ, Sz("")}, {"h1", REG_SZ, Sz("x")}}, {"x"}},
    {"RunOfEmptyEntriesSkipped",
     {{"h0", REG_SZ, Sz("")},
      {"h1", REG_SZ, Sz("")},
      {"h2", REG_SZ, Sz("")},
      {"h3", REG_SZ, Sz("y")},
      {"h4", REG_SZ, Sz("")},
      {"h5", REG_SZ, Sz("z")}},
     {"y", "z"}},
    {"GapEndsTheWalk",
     {{"h0", REG_SZ, Sz("a")},
      {"h1", REG_SZ, Sz("b")},
      {"h2", REG_SZ, Sz("c")},
      {"h4", REG_SZ, Sz("e")}},
     {"a", "b", "c"}},
    {"MissingFirstEntryGivesNoHistory", {{"h1", REG_SZ, Sz("b")}}, {}},
    {"LongestEntryFits", {{"h0", REG_SZ, Sz(k259)}, {"h1", REG_SZ, Sz("b")}}, {k259, "b"}},
    {"OverLongEntryEndsTheWalk",
     {{"h0", REG_SZ, Sz("a")}, {"h1", REG_SZ, Sz(k260)}, {"h2", REG_SZ, Sz("c")}},
     {"a"}},
    {"UnterminatedStringIsCutAtItsSize",
     {{"h0", REG_SZ, "abc"}, {"h1", REG_SZ, Sz("d")}},
     {"abc", "d"}},
    {"UnterminatedBinaryIsCutAtItsSize",
     {{"h0", REG_BINARY, "abc"}, {"h1", REG_SZ, Sz("d")}},
     {"abc", "d"}},
    {"UnterminatedEntryThatFillsTheBufferEndsTheWalk",
     {{"h0", REG_SZ, Sz("a")}, {"h1", REG_BINARY, k260}, {"h2", REG_SZ, Sz("c")}},
     {"a"}},
    {"UnterminatedLongestEntryFits", {{"h0", REG_BINARY, k259}}, {k259}},
    {"EmbeddedZeroEndsTheText", {{"h0", REG_BINARY, std::string("ab\0cd", 5)}}, {"ab"}},
    {"NumberAsText", {{"h0", REG_DWORD, Dword(0x00636261)}}, {"abc"}},
    {"NumberWithoutZeroByteIsCut", {{"h0", REG_DWORD, Dword(0x64636261)}}, {"abcd"}},
    {"ZeroNumberIsAnEmptyEntry", {{"h0", REG_DWORD, Dword(0)}, {"h1", REG_SZ, Sz("b")}}, {"b"}},
};

INSTANTIATE_TEST_SUITE_P(Settings, HistoryLoadTest, testing::ValuesIn(kHistoryLoadCases),
                         [](const testing::TestParamInfo<HistoryLoadCase>& row) {
                             return std::string(row.param.Label);
                         });

TEST_F(SettingsTest, JapaneseEntriesComeBackByteForByte) {
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    // 表 and ソ end in the byte 0x5C.
    const std::string line = "表.txt ソフト*.doc";
    PutHistory({line, "ｱｲｳ"});
    LoadSettings(extension);
    EXPECT_EQ(Entries(history), (std::vector<std::string>{line, "ｱｲｳ"}));
}

// ---------------------------------------------------------------- saving

TEST_F(SettingsTest, SaveCreatesTheKeyWithFlagAndLine) {
    Run("*.txt", CopyToFolder);
    const auto flag = Get("flag");
    ASSERT_TRUE(flag);
    EXPECT_EQ(flag->Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(flag->Data, Dword(CopyToFolder));
    const auto h0 = Get("h0");
    ASSERT_TRUE(h0);
    EXPECT_EQ(h0->Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(h0->Data, Sz("*.txt")) << "the text and its terminator";
    EXPECT_EQ(Names(), (std::vector<std::string>{"flag", "h0"}));
}

TEST_F(SettingsTest, SaveNeverWritesModeOrSelect) {
    PutNumber("mode", UsePrevious);
    PutNumber("select", 1);
    Run("a", ClipboardCopy);
    EXPECT_EQ(Get("mode")->Data, Dword(UsePrevious));
    EXPECT_EQ(Get("select")->Data, Dword(1));
    // The next run's UsePrevious now means the action just saved.
    LoadSettings(extension);
    EXPECT_EQ(extension.ConfiguredMode, static_cast<DWORD>(ClipboardCopy));
}

TEST_F(SettingsTest, RepeatedLineMovesToTheFront) {
    PutHistory({"a", "b", "c"});
    Run("b", SelectOnly);
    EXPECT_EQ(Get("h0")->Data, Sz("b"));
    EXPECT_EQ(Get("h1")->Data, Sz("a"));
    EXPECT_EQ(Get("h2")->Data, Sz("c"));
    EXPECT_FALSE(Get("h3"));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"b", "a", "c"}));
}

TEST_F(SettingsTest, NewLineGoesFirstAndTheTenthEntryDrops) {
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("line" + std::to_string(i));
    PutHistory(ten);
    Run("new", SelectOnly);
    std::vector<std::string> expected = {"new"};
    expected.insert(expected.end(), ten.begin(), ten.begin() + 9);
    EXPECT_EQ(LoadedHistory(), expected);
    EXPECT_FALSE(Get("h10")) << "no eleventh value";
}

TEST_F(SettingsTest, LineAlreadyInAFullHistoryKeepsTheOtherNine) {
    std::vector<std::string> ten;
    for (int i = 0; i < 10; ++i)
        ten.push_back("line" + std::to_string(i));
    PutHistory(ten);
    Run("line6", SelectOnly);
    std::vector<std::string> expected = {"line6"};
    for (int i = 0; i < 10; ++i) {
        if (i != 6)
            expected.push_back(ten[i]);
    }
    EXPECT_EQ(LoadedHistory(), expected);
}

TEST_F(SettingsTest, EmptyLineRewritesOnlyTheFirstEntry) {
    PutHistory({"a", "b"});
    Run("", ClipboardCut);
    EXPECT_EQ(Get("h0")->Data, Sz("")) << "one byte: the terminator";
    EXPECT_EQ(Get("h1")->Data, Sz("b"));
    EXPECT_FALSE(Get("h2"));
    EXPECT_EQ(Get("flag")->Data, Dword(ClipboardCut));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"b"}));
}

TEST_F(SettingsTest, LinesDifferingInLetterCaseStaySeparate) {
    PutHistory({"*.TXT", "*.Txt"});
    Run("*.txt", SelectOnly);
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"*.txt", "*.TXT", "*.Txt"}));
}

TEST_F(SettingsTest, LinesDifferingInPunctuationOrWidthStaySeparate) {
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    PutHistory({"a-b", "ab", "ｱ", "'x'", "x"});
    Run("ア", SelectOnly);
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"ア", "a-b", "ab", "ｱ", "'x'", "x"}));
}

TEST_F(SettingsTest, ValuesAboveTheLastWrittenOneStay) {
    // "h2" is empty, so the load gives three entries but four values exist.
    Put("h0", REG_SZ, Sz("a"));
    Put("h1", REG_SZ, Sz("b"));
    Put("h2", REG_SZ, Sz(""));
    Put("h3", REG_SZ, Sz("c"));
    Put("h4", REG_SZ, Sz("d"));
    Run("d", SelectOnly);
    EXPECT_EQ(Get("h0")->Data, Sz("d"));
    EXPECT_EQ(Get("h1")->Data, Sz("a"));
    EXPECT_EQ(Get("h2")->Data, Sz("b"));
    EXPECT_EQ(Get("h3")->Data, Sz("c"));
    EXPECT_EQ(Get("h4")->Data, Sz("d")) << "left as it was";
}

TEST_F(SettingsTest, HistoryIsWalkedFromItsFirstEntry) {
    PutHistory({"a", "b", "c"});
    LoadSettings(extension);
    // A walk left half-way (as the dialog might) does not shorten what is saved.
    history.GetFirst();
    history.GetNext();
    std::strcpy(extension.PatternLine, "z");
    SaveSettings(extension);
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"z", "a", "b", "c"}));
}

TEST_F(SettingsTest, SaveWithoutAHistoryListWritesFlagAndLine) {
    PutHistory({"a", "b"});
    extension.History = nullptr;
    std::strcpy(extension.PatternLine, "z");
    extension.Action = MoveToFolder;
    SaveSettings(extension);
    EXPECT_EQ(Get("h0")->Data, Sz("z"));
    EXPECT_EQ(Get("h1")->Data, Sz("b"));
    EXPECT_EQ(Get("flag")->Data, Dword(MoveToFolder));
}

TEST_F(SettingsTest, LongestLineIsSavedWhole) {
    Run(k259, SelectOnly);
    EXPECT_EQ(Get("h0")->Data, Sz(k259));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{k259}));
}

TEST_F(SettingsTest, OverLongLineIsCutSoThatItLoadsAgain) {
    PutHistory({"a", "b"});
    LoadSettings(extension);
    // Every byte of the field set, no terminator anywhere.
    std::memset(extension.PatternLine, 'x', sizeof extension.PatternLine);
    SaveSettings(extension);
    const std::string cut(259, 'x');
    EXPECT_EQ(Get("h0")->Data, Sz(cut));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{cut, "a", "b"}));
}

TEST_F(SettingsTest, JapaneseLineIsSavedByteForByte) {
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the ANSI code page 932";
    const std::string line = "表*.txt ソ";
    PutHistory({"a"});
    Run(line, SelectOnly);
    EXPECT_EQ(Get("h0")->Data, Sz(line));
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{line, "a"}));
}

TEST_F(SettingsTest, SeveralRunsBuildAMostRecentFirstList) {
    for (const char* line : {"a", "b", "c", "a", "", "d"})
        Run(line, SelectOnly);
    // "" replaced the "a" of the fourth run at the front; the rest survived behind it.
    EXPECT_EQ(LoadedHistory(), (std::vector<std::string>{"d", "c", "b"}));
}

} // namespace
