// The programs' message boxes: texts and captions from the string tables, shown through the
// wide API, so that a message reads the same whatever the system's ANSI code page is and a
// path in it keeps every character.
#pragma once

#include <windows.h>

#include <initializer_list>

// Room of a message's text in UTF-16, terminator included; a longer text is cut short.
constexpr int kMessageRoom = 1024;

// format with its first "%s" replaced by the first argument, the second by the second, and
// so on (a null or missing argument counts as empty); an argument is put in as it stands, so a
// "%" in a path is only a character. Cut short at kMessageRoom.
void FormText(wchar_t (&out)[kMessageRoom], const wchar_t* format,
              std::initializer_list<const wchar_t*> arguments = {});

// Shows text under the caption of string captionId of module; returns the button that ended
// the box (0 when it could not be shown).
int ShowText(HWND owner, const wchar_t* text, HINSTANCE module, UINT captionId, UINT type);

// While set, receives every message in place of its box and returns the button that answers
// it: a run without a user answers its questions and keeps an account of its messages, from
// code that knows nothing of either. textId is the string of the text, 0 for a text formed
// elsewhere. The extension never sets one: a sink is the setup program's, and one thread's.
using MessageSink = int (*)(HWND owner, UINT textId, const wchar_t* text, const wchar_t* caption,
                            UINT type);
void SetMessageSink(MessageSink sink);

// Shows string textId of module, formed with the arguments, under string captionId.
int ShowMessage(HWND owner, HINSTANCE module, UINT textId, UINT captionId, UINT type,
                std::initializer_list<const wchar_t*> arguments = {});
