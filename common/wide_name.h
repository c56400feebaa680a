// The programs keep their registry names in code page 932 (they are ASCII), while the wide
// API takes UTF-16.
#pragma once

#include <windows.h>

#include "common/code_page_932.h"

// A registry key or value name in UTF-16, for the calls of one statement. A null name (a
// key's default value) stays null.
class WideName {
public:
    explicit WideName(const char* name) : null_(name == nullptr) {
        text_[0] = L'\0';
        if (name != nullptr)
            Cp932ToWide(name, text_, MAX_PATH);
    }
    const wchar_t* Text() const { return null_ ? nullptr : text_; }

private:
    bool null_;
    wchar_t text_[MAX_PATH];
};
