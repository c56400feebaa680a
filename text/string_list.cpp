#include "text/string_list.h"

#include <cstring>
#include <new>

void StringList::Append(const char* text) {
    StringListNode* node = new (std::nothrow) StringListNode{nullptr, nullptr};
    if (node == nullptr)
        return;
    if (Tail == nullptr) {
        Head = node;
    } else {
        Tail->Next = node;
    }
    Tail = node;

    const std::size_t size = std::strlen(text) + 1;
    char* copy = new (std::nothrow) char[size];
    if (copy == nullptr)
        return;
    std::memcpy(copy, text, size);
    node->Text = copy;
}

const char* StringList::GetFirst() {
    Cursor = Head;
    return Cursor != nullptr ? Cursor->Text : nullptr;
}

const char* StringList::GetNext() {
    if (Cursor == nullptr)
        return nullptr;
    Cursor = Cursor->Next;
    return Cursor != nullptr ? Cursor->Text : nullptr;
}

void StringList::Clear() {
    while (Head != nullptr) {
        StringListNode* node = Head;
        Head = node->Next;
        delete[] node->Text;
        delete node;
    }
    Head = nullptr;
    Tail = nullptr;
    Cursor = nullptr;
}
