// Leaks are caught by the sanitizer build (LeakSanitizer runs with every test there); the
// allocation failures of Append are forced through the replaced nothrow allocation
// functions that this program carries.
#include "text/string_list.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/nothrow_failure.h"
#include "tests/support/string_list_entries.h"

namespace {

using Texts = std::vector<std::string>;

TEST(StringList, NewListIsEmpty) {
    StringList list;
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetNext(), nullptr) << "GetNext before any walk";
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
}

TEST(StringList, WalkKeepsTheOrderOfAppendingWithDuplicates) {
    StringList list;
    for (const char* text : {"b", "a", "b", "c", "a"})
        list.Append(text);
    EXPECT_EQ(Entries(list), (Texts{"b", "a", "b", "c", "a"}));
    EXPECT_EQ(list.Head->Text, std::string("b"));
    EXPECT_EQ(list.Tail->Text, std::string("a"));
    EXPECT_EQ(list.Tail->Next, nullptr);
}

TEST(StringList, EmptyStringIsAnEntryLikeAnyOther) {
    StringList list;
    list.Append("x");
    list.Append("");
    list.Append("y");
    const char* first = list.GetFirst();
    ASSERT_NE(first, nullptr);
    const char* second = list.GetNext();
    ASSERT_NE(second, nullptr) << "the empty entry is not the end of the walk";
    EXPECT_STREQ(second, "");
    const char* third = list.GetNext();
    ASSERT_NE(third, nullptr);
    EXPECT_STREQ(third, "y");
    EXPECT_EQ(list.GetNext(), nullptr);
}

TEST(StringList, StoresItsOwnCopies) {
    StringList list;
    char text[] = "C:\\Docs\\\x95\x5C.txt";
    list.Append(text);
    text[0] = 'D';
    const char* stored = list.GetFirst();
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, text);
    EXPECT_STREQ(stored, "C:\\Docs\\\x95\x5C.txt");
}

TEST(StringList, LongestPathIsCopiedWhole) {
    StringList list;
    const std::string path(259, 'p');
    list.Append(path.c_str());
    EXPECT_EQ(Entries(list), (Texts{path}));
}

TEST(StringList, AppendDoesNotMoveTheCursor) {
    StringList list;
    list.Append("a");
    list.Append("b");
    EXPECT_STREQ(list.GetFirst(), "a");
    StringListNode* const onFirst = list.Cursor;
    list.Append("c");
    EXPECT_EQ(list.Cursor, onFirst);
    EXPECT_STREQ(list.GetNext(), "b");
    EXPECT_STREQ(list.GetNext(), "c");
}

TEST(StringList, FinishedWalkStaysFinishedAfterAppendUntilGetFirst) {
    StringList list;
    list.Append("a");
    EXPECT_EQ(Entries(list), (Texts{"a"}));
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    list.Append("b");
    EXPECT_EQ(list.GetNext(), nullptr) << "an append does not revive a finished walk";
    EXPECT_EQ(Entries(list), (Texts{"a", "b"})) << "GetFirst starts over and sees the new entry";
}

TEST(StringList, AppendWhileOnTheLastEntryIsSeenByGetNext) {
    StringList list;
    list.Append("a");
    EXPECT_STREQ(list.GetFirst(), "a");
    list.Append("b");
    EXPECT_STREQ(list.GetNext(), "b");
    EXPECT_EQ(list.GetNext(), nullptr);
}

TEST(StringList, GetFirstRestartsFromAnyState) {
    StringList list;
    list.Append("a");
    list.Append("b");
    EXPECT_STREQ(list.GetFirst(), "a");
    EXPECT_STREQ(list.GetNext(), "b");
    EXPECT_STREQ(list.GetFirst(), "a") << "from the middle";
    EXPECT_STREQ(list.GetNext(), "b");
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_STREQ(list.GetFirst(), "a") << "from past the end";
}

TEST(StringList, TextsStayValidAcrossLaterAppends) {
    StringList list;
    list.Append("first");
    const char* first = list.GetFirst();
    for (int i = 0; i < 100; ++i)
        list.Append("more");
    EXPECT_STREQ(first, "first");
    EXPECT_EQ(list.GetFirst(), first);
}

TEST(StringList, ClearOnAnEmptyListChangesNothing) {
    StringList list;
    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetFirst(), nullptr);
}

TEST(StringList, ClearEmptiesTheListForReuse) {
    StringList list;
    list.Append("a");
    list.Append("b");
    EXPECT_STREQ(list.GetFirst(), "a");
    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    EXPECT_EQ(list.Cursor, nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
    EXPECT_EQ(list.GetFirst(), nullptr);
    list.Append("c");
    EXPECT_EQ(Entries(list), (Texts{"c"}));
    EXPECT_EQ(list.Head, list.Tail);
}

// ---------------------------------------------------------------- failed allocations
// Forced through the replaced nothrow allocation functions that this program carries.

// The node is the first of Append's two allocations.
TEST(StringListAllocation, FailedNodeLeavesTheListAsItWas) {
    StringList list;
    list.Append("a");
    list.Append("b");
    EXPECT_STREQ(list.GetFirst(), "a");
    StringListNode* const head = list.Head;
    StringListNode* const tail = list.Tail;
    StringListNode* const cursor = list.Cursor;

    FailNothrowAllocation(1);
    list.Append("lost");
    EXPECT_EQ(NothrowAllocationsBeforeFailure(), 0) << "Append asked for the node";
    EXPECT_EQ(list.Head, head);
    EXPECT_EQ(list.Tail, tail);
    EXPECT_EQ(list.Cursor, cursor);
    EXPECT_EQ(list.Tail->Next, nullptr);
    EXPECT_STREQ(list.GetNext(), "b");
    EXPECT_EQ(Entries(list), (Texts{"a", "b"}));
}

// The copy is the second: the node stays at the tail without text and ends every walk,
// also over entries appended after it; Clear frees it (a leak would show under ASan).
TEST(StringListAllocation, FailedCopyLeavesANodeWithoutTextThatEndsEveryWalk) {
    StringList list;
    list.Append("a");
    FailNothrowAllocation(2);
    list.Append("lost");
    EXPECT_EQ(NothrowAllocationsBeforeFailure(), 0) << "Append asked for the node and the copy";
    ASSERT_NE(list.Tail, nullptr);
    EXPECT_EQ(list.Tail->Text, nullptr);
    EXPECT_EQ(list.Head->Next, list.Tail);

    list.Append("c");
    EXPECT_EQ(Entries(list), (Texts{"a"}));
    EXPECT_STREQ(list.Tail->Text, "c");

    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    list.Append("d");
    EXPECT_EQ(Entries(list), (Texts{"d"}));
}

TEST(StringListAllocation, FailedCopyOfTheFirstEntryGivesAnEmptyWalk) {
    StringList list;
    FailNothrowAllocation(2);
    list.Append("lost");
    ASSERT_NE(list.Head, nullptr);
    EXPECT_EQ(list.Head, list.Tail);
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetNext(), nullptr);
}

} // namespace
