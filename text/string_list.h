// Ordered, append-only list of private copies of zero-terminated strings, with one read
// cursor built in: byte strings (StringList) for pattern lines and the history, UTF-16
// strings (WideStringList) for paths. A failed allocation never throws: the string is
// simply not stored (or is stored as a node without text, which ends every later walk).
#pragma once

template <typename Char> struct BasicStringListNode {
    BasicStringListNode* Next;
    Char* Text;
};

template <typename Char> class BasicStringList {
public:
    using Node = BasicStringListNode<Char>;

    BasicStringList() = default;
    ~BasicStringList() { Clear(); }
    BasicStringList(const BasicStringList&) = delete;
    BasicStringList& operator=(const BasicStringList&) = delete;
    // The entries change hands; the list moved from is empty.
    BasicStringList(BasicStringList&& other) noexcept
        : Head(other.Head), Tail(other.Tail), Cursor(other.Cursor) {
        other.Head = other.Tail = other.Cursor = nullptr;
    }
    BasicStringList& operator=(BasicStringList&& other) noexcept {
        if (this != &other) {
            Clear();
            Head = other.Head;
            Tail = other.Tail;
            Cursor = other.Cursor;
            other.Head = other.Tail = other.Cursor = nullptr;
        }
        return *this;
    }

    // Appends a copy of text at the tail; the cursor does not move.
    void Append(const Char* text);
    // Text of the first entry, or null; starts a walk.
    const Char* GetFirst();
    // Text of the entry after the cursor, or null once the walk has passed the end.
    const Char* GetNext();
    // Frees every entry; the list is then empty and can be used again.
    void Clear();

    Node* Head = nullptr;
    Node* Tail = nullptr;
    Node* Cursor = nullptr;
};

using StringList = BasicStringList<char>;
using StringListNode = BasicStringListNode<char>;
using WideStringList = BasicStringList<wchar_t>;
using WideStringListNode = BasicStringListNode<wchar_t>;

extern template class BasicStringList<char>;
extern template class BasicStringList<wchar_t>;
