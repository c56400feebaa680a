#include "common/resource_text.h"

// Japanese for a Japanese UI, English for every other: the resources hold these two.
LANGID UiLanguage() {
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE
               ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
               : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

const DLGTEMPLATE* DialogTemplate(HINSTANCE module, UINT id) {
    HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(5), MAKEINTRESOURCEW(id), UiLanguage());
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    return static_cast<const DLGTEMPLATE*>(loaded != nullptr ? LockResource(loaded) : nullptr);
}

// LoadStringW would choose the table's language by the thread's own rules; the table of the
// language the programs decided on is read here instead. A table is stored in blocks of 16
// strings, each a length in characters followed by that many characters, no terminator.
int LoadText(HINSTANCE module, UINT id, wchar_t* out, int room) {
    if (room <= 0)
        return 0;
    out[0] = L'\0';
    HRSRC found =
        FindResourceExW(module, MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(id / 16 + 1), UiLanguage());
    if (found == nullptr)
        return 0;
    const DWORD size = SizeofResource(module, found);
    HGLOBAL loaded = LoadResource(module, found);
    const auto* at = static_cast<const WCHAR*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (at == nullptr)
        return 0;
    const WCHAR* const end = at + size / sizeof(WCHAR);
    for (UINT index = 0; index < id % 16; ++index) {
        if (at >= end)
            return 0;
        at += 1 + *at;
    }
    if (at >= end || at + 1 + *at > end)
        return 0;
    int length = *at;
    const WCHAR* text = at + 1;
    if (length > room - 1) {
        length = room - 1;
        // A surrogate pair is not cut in two.
        if (length > 0 && IS_HIGH_SURROGATE(text[length - 1]))
            --length;
    }
    CopyMemory(out, text, length * sizeof(WCHAR));
    out[length] = L'\0';
    return length;
}
