// The setup program's message boxes. Its texts are code page 932 literals (setup_texts.h);
// they are converted explicitly and shown through the wide API, so they read the same
// whatever the system's ANSI code page is, and a path in a message keeps every character.
#pragma once

#include <windows.h>

#include "common/message_box.h"

// The text in UTF-16 with its first "%s" replaced by first and its second by second (a null
// argument counts as empty). A text longer than kMessageRoom is cut short.
void FormMessageText(wchar_t (&out)[kMessageRoom], const char* text, const wchar_t* first = nullptr,
                     const wchar_t* second = nullptr);

// Shows the formed text with the caption; returns the button that ended the box.
int ShowMessage(HWND owner, const char* text, const char* caption, UINT type,
                const wchar_t* first = nullptr, const wchar_t* second = nullptr);
