// The programs' message boxes. Their texts are code page 932 literals, converted explicitly
// and shown through the wide API, so that a message reads the same whatever the system's ANSI
// code page is and a path in it keeps every character.
#pragma once

#include <windows.h>

// Room of a message's text in UTF-16, terminator included; a longer text is cut short.
constexpr int kMessageRoom = 1024;

// Shows the UTF-16 text under the code page 932 caption; returns the button that ended the
// box (0 when it could not be shown).
int ShowWideMessage(HWND owner, const wchar_t* text, const char* caption, UINT type);

// The same for a code page 932 text.
int ShowCp932Message(HWND owner, const char* text, const char* caption, UINT type);
