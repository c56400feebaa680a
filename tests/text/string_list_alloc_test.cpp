// The allocation failures of StringList::Append, forced through the replaced nothrow
// allocation functions that this test program carries.
#include "text/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/nothrow_failure.h"

namespace {

std::vector<std::string> Walk(StringList& list) {
    std::vector<std::string> texts;
    for (const char* text = list.GetFirst(); text != nullptr; text = list.GetNext())
        texts.emplace_back(text);
    return texts;
}

using Texts = std::vector<std::string>;

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
    EXPECT_EQ(Walk(list), (Texts{"a", "b"}));
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
    EXPECT_EQ(Walk(list), (Texts{"a"}));
    EXPECT_STREQ(list.Tail->Text, "c");

    list.Clear();
    EXPECT_EQ(list.Head, nullptr);
    EXPECT_EQ(list.Tail, nullptr);
    list.Append("d");
    EXPECT_EQ(Walk(list), (Texts{"d"}));
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
