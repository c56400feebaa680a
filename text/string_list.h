// Ordered, append-only list of private copies of zero-terminated byte strings, with one
// read cursor built in. A failed allocation never throws: the string is simply not
// stored (or is stored as a node without text, which ends every later walk).
#pragma once

struct StringListNode {
    StringListNode* Next;
    char* Text;
};

class StringList {
public:
    StringList() = default;
    ~StringList() { Clear(); }
    StringList(const StringList&) = delete;
    StringList& operator=(const StringList&) = delete;

    // Appends a copy of text at the tail; the cursor does not move.
    void Append(const char* text);
    // Text of the first entry, or null; starts a walk.
    const char* GetFirst();
    // Text of the entry after the cursor, or null once the walk has passed the end.
    const char* GetNext();
    // Frees every entry; the list is then empty and can be used again.
    void Clear();

    StringListNode* Head = nullptr;
    StringListNode* Tail = nullptr;
    StringListNode* Cursor = nullptr;
};
