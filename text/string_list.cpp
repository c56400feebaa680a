#include "text/string_list.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace {

template <typename Char> std::size_t Length(const Char* text) {
    std::size_t length = 0;
    while (text[length] != Char(0))
        ++length;
    return length;
}

} // namespace

template <typename Char> void BasicStringList<Char>::Append(const Char* text) {
    Node* node = new (std::nothrow) Node{nullptr, nullptr};
    if (node == nullptr)
        return;
    if (Tail == nullptr) {
        Head = node;
    } else {
        Tail->Next = node;
    }
    Tail = node;

    const std::size_t size = Length(text) + 1;
    Char* copy = new (std::nothrow) Char[size];
    if (copy == nullptr)
        return;
    std::memcpy(copy, text, size * sizeof(Char));
    node->Text = copy;
}

template <typename Char> const Char* BasicStringList<Char>::GetFirst() {
    Cursor = Head;
    return Cursor != nullptr ? Cursor->Text : nullptr;
}

template <typename Char> const Char* BasicStringList<Char>::GetNext() {
    if (Cursor == nullptr)
        return nullptr;
    Cursor = Cursor->Next;
    return Cursor != nullptr ? Cursor->Text : nullptr;
}

template <typename Char> void BasicStringList<Char>::Clear() {
    while (Head != nullptr) {
        Node* node = Head;
        Head = node->Next;
        delete[] node->Text;
        delete node;
    }
    Head = nullptr;
    Tail = nullptr;
    Cursor = nullptr;
}

template class BasicStringList<char>;
template class BasicStringList<wchar_t>;
