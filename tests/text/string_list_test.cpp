// Every test runs for both kinds of list: byte strings and UTF-16 strings. Leaks are caught
// by the sanitizer build (LeakSanitizer runs with every test there); the allocation
// failures of Append are forced through the replaced nothrow allocation functions that this
// program carries.
#include "text/string_list.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <type_traits>
#include <vector>

#include "tests/support/nothrow_failure.h"
#include "tests/support/string_list_entries.h"

namespace {

template <typename Char> using Text = std::basic_string<Char>;
template <typename Char> using Texts = std::vector<Text<Char>>;

// An ASCII text in the list's characters.
template <typename Char> Text<Char> T(const char* ascii) {
    Text<Char> text;
    for (const char* at = ascii; *at != '\0'; ++at)
        text += static_cast<Char>(*at);
    return text;
}

template <typename Char> Texts<Char> Ts(std::initializer_list<const char*> asciiTexts) {
    Texts<Char> texts;
    for (const char* ascii : asciiTexts)
        texts.push_back(T<Char>(ascii));
    return texts;
}

// The stored text as a string, or "(null)" for none, so that a missing text shows.
template <typename Char> Text<Char> Stored(const Char* text) {
    return text != nullptr ? Text<Char>(text) : T<Char>("(null)");
}

// A path with a Japanese name: 表 is 0x95 0x5C in code page 932, U+8868 in UTF-16.
template <typename Char> Text<Char> JapanesePath();
template <> std::string JapanesePath<char>() {
    return "C:\\Docs\\\x95\x5C.txt";
}
template <> std::wstring JapanesePath<wchar_t>() {
    return L"C:\\Docs\\\u8868.txt";
}

template <typename Char> class StringListTest : public testing::Test {};
template <typename Char> class StringListAllocation : public testing::Test {};
using CharTypes = testing::Types<char, wchar_t>;
// Names the instances after the kind of list, the same in every build.
struct CharTypeName {
    template <typename Char> static std::string GetName(int) {
        return std::is_same<Char, char>::value ? "Bytes" : "Utf16";
    }
};
TYPED_TEST_SUITE(StringListTest, CharTypes, CharTypeName);
TYPED_TEST_SUITE(StringListAllocation, CharTypes, CharTypeName);

TYPED_TEST(StringListTest, NewListIsEmptyAndClearKeepsItSo) {
    BasicStringList<TypeParam> list;
    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetNext(), nullptr) << "GetNext before any walk";
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
}

TYPED_TEST(StringListTest, WalkKeepsTheOrderOfAppendingWithDuplicates) {
    BasicStringList<TypeParam> list;
    for (const char* text : {"b", "a", "b", "c", "a"})
        list.Append(T<TypeParam>(text).c_str());
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"b", "a", "b", "c", "a"}));
    EXPECT_EQ(Stored(list.Head->Text), T<TypeParam>("b"));
    EXPECT_EQ(Stored(list.Tail->Text), T<TypeParam>("a"));
    EXPECT_EQ(list.Tail->Next, nullptr);
}

TYPED_TEST(StringListTest, EmptyStringIsAnEntryLikeAnyOther) {
    BasicStringList<TypeParam> list;
    for (const char* text : {"x", "", "y"})
        list.Append(T<TypeParam>(text).c_str());
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("x"));
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>(""))
        << "the empty entry is not the end of the walk";
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("y"));
    EXPECT_EQ(list.GetNext(), nullptr);
}

TYPED_TEST(StringListTest, StoresItsOwnCopies) {
    BasicStringList<TypeParam> list;
    Text<TypeParam> text = JapanesePath<TypeParam>();
    list.Append(text.c_str());
    text[0] = static_cast<TypeParam>('D');
    const TypeParam* stored = list.GetFirst();
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, text.c_str());
    EXPECT_EQ(Stored(stored), JapanesePath<TypeParam>());
}

TYPED_TEST(StringListTest, LongestPathIsCopiedWhole) {
    BasicStringList<TypeParam> list;
    const Text<TypeParam> path(259, static_cast<TypeParam>('p'));
    list.Append(path.c_str());
    EXPECT_EQ(Entries(list), Texts<TypeParam>{path});
}

TYPED_TEST(StringListTest, AppendDoesNotMoveTheCursor) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    list.Append(T<TypeParam>("b").c_str());
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a"));
    BasicStringListNode<TypeParam>* const onFirst = list.Cursor;
    list.Append(T<TypeParam>("c").c_str());
    EXPECT_EQ(list.Cursor, onFirst);
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("b"));
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("c"));
}

TYPED_TEST(StringListTest, FinishedWalkStaysFinishedAfterAppendUntilGetFirst) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"a"}));
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    list.Append(T<TypeParam>("b").c_str());
    EXPECT_EQ(list.GetNext(), nullptr) << "an append does not revive a finished walk";
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"a", "b"}))
        << "GetFirst starts over and sees the new entry";
}

TYPED_TEST(StringListTest, AppendWhileOnTheLastEntryIsSeenByGetNext) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a"));
    list.Append(T<TypeParam>("b").c_str());
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("b"));
    EXPECT_EQ(list.GetNext(), nullptr);
}

TYPED_TEST(StringListTest, GetFirstRestartsFromAnyState) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    list.Append(T<TypeParam>("b").c_str());
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a"));
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("b"));
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a")) << "from the middle";
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("b"));
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a")) << "from past the end";
}

TYPED_TEST(StringListTest, TextsStayValidAcrossLaterAppends) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("first").c_str());
    const TypeParam* first = list.GetFirst();
    for (int i = 0; i < 100; ++i)
        list.Append(T<TypeParam>("more").c_str());
    EXPECT_EQ(Stored(first), T<TypeParam>("first"));
    EXPECT_EQ(list.GetFirst(), first);
}

TYPED_TEST(StringListTest, ClearEmptiesTheListForReuse) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    list.Append(T<TypeParam>("b").c_str());
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a"));
    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetFirst(), nullptr);
    list.Append(T<TypeParam>("c").c_str());
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"c"}));
    EXPECT_EQ(list.Head, list.Tail);
}

// ---------------------------------------------------------------- failed allocations
// Forced through the replaced nothrow allocation functions that this program carries.

// The node is the first of Append's two allocations.
TYPED_TEST(StringListAllocation, FailedNodeLeavesTheListAsItWas) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    list.Append(T<TypeParam>("b").c_str());
    EXPECT_EQ(Stored(list.GetFirst()), T<TypeParam>("a"));
    auto* const head = list.Head;
    auto* const tail = list.Tail;
    auto* const cursor = list.Cursor;

    const Text<TypeParam> lost = T<TypeParam>("lost");
    FailNothrowAllocation(1);
    list.Append(lost.c_str());
    EXPECT_EQ(NothrowAllocationsBeforeFailure(), 0) << "Append asked for the node";
    EXPECT_EQ(list.Head, head);
    EXPECT_EQ(list.Tail, tail);
    EXPECT_EQ(list.Cursor, cursor);
    EXPECT_EQ(list.Tail->Next, nullptr);
    EXPECT_EQ(Stored(list.GetNext()), T<TypeParam>("b"));
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"a", "b"}));
}

// The copy is the second: the node stays at the tail without text and ends every walk,
// also over entries appended after it; Clear frees it (a leak would show under ASan).
TYPED_TEST(StringListAllocation, FailedCopyLeavesANodeWithoutTextThatEndsEveryWalk) {
    BasicStringList<TypeParam> list;
    list.Append(T<TypeParam>("a").c_str());
    const Text<TypeParam> lost = T<TypeParam>("lost");
    FailNothrowAllocation(2);
    list.Append(lost.c_str());
    EXPECT_EQ(NothrowAllocationsBeforeFailure(), 0) << "Append asked for the node and the copy";
    ASSERT_NE(list.Tail, nullptr);
    EXPECT_EQ(list.Tail->Text, nullptr);
    EXPECT_EQ(list.Head->Next, list.Tail);

    list.Append(T<TypeParam>("c").c_str());
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"a"}));
    EXPECT_EQ(Stored(list.Tail->Text), T<TypeParam>("c"));

    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    list.Append(T<TypeParam>("d").c_str());
    EXPECT_EQ(Entries(list), Ts<TypeParam>({"d"}));
}

TYPED_TEST(StringListAllocation, FailedCopyOfTheFirstEntryGivesAnEmptyWalk) {
    BasicStringList<TypeParam> list;
    const Text<TypeParam> lost = T<TypeParam>("lost");
    FailNothrowAllocation(2);
    list.Append(lost.c_str());
    ASSERT_NE(list.Head, nullptr);
    EXPECT_EQ(list.Head, list.Tail);
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
}

} // namespace
