// The programs' user-visible texts live in the string tables and dialog templates of their
// resources, in Japanese and in English; both programs show the ones of the user's UI language
// (GetUserDefaultUILanguage) the same way.
#pragma once

#include <windows.h>

// The language whose texts and dialogs the programs show: Japanese for a Japanese UI, English
// for every other.
LANGID UiLanguage();

// Dialog template id of module in UiLanguage, for DialogBoxIndirectParamW and
// CreateDialogIndirectParamW; null when there is none. (The functions that take a template's
// name would pick its language by the thread's own rules.)
const DLGTEMPLATE* DialogTemplate(HINSTANCE module, UINT id);

// Copies string id of module's table in UiLanguage into out (room characters, terminator
// included), cut short at a whole character when longer. Returns the characters written;
// with no such string, out is empty and the result 0.
int LoadText(HINSTANCE module, UINT id, wchar_t* out, int room);

// A string of the table, for the calls of one statement.
template <int Room> class ResourceText {
public:
    ResourceText(HINSTANCE module, UINT id) { LoadText(module, id, text_, Room); }
    const wchar_t* Get() const { return text_; }

private:
    wchar_t text_[Room];
};
