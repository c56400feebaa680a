// The programs hold their pattern lines, the names they match and the texts they show in
// UTF-16, as Windows names files and the wide APIs take text. Their narrow string literals are
// stored in code page 932 (the build's execution character set): the registry's key and value
// names and texts, and the menu verb; so are the history values that an early version of the
// extension wrote. These conversions use code page 932 itself, whatever the system's ANSI code
// page is, so a text reads the same on a Japanese system, an English one or one set to UTF-8.
#pragma once

#include <windows.h>

// Converts the zero-terminated code page 932 text to UTF-16 in out, which holds room
// characters, terminator included. A text that does not fit is cut at a whole character.
// Returns the characters written, terminator not counted; with room 0 nothing is written.
int Cp932ToWide(const char* text, wchar_t* out, int room);

// Converts length UTF-16 units of text (-1: up to its terminator) to code page 932 bytes in
// out, which holds room bytes, terminator included. A character with a code page 932 form
// gives exactly that form: no "best fit", so "é" does not become "e" and "¥" (U+00A5) does
// not become the path separator 0x5C. Every other character, a surrogate pair or a lone
// surrogate included, gives one "?" byte. A text that does not fit is cut at a whole
// character. Returns the bytes written, terminator not counted; with room 0 nothing is
// written.
int WideToCp932(const wchar_t* text, int length, char* out, int room);
