// Decides whether one name is selected by a typed pattern line such as "*.txt .doc readme".
#pragma once

#include "text/utf16.h"

// A token is read with at most this many UTF-16 units, one less when a star goes in front of
// it; the rest of a longer token is read as the next token.
constexpr int kPatternTokenCap = 260;
// Room for the longest token, ".*" behind it and the terminator.
constexpr int kLinePatternRoom = kPatternTokenCap + 3;

// 1 when the line selects name, else 0. The line's tokens are patterns separated by blanks
// and tabs; a name is selected when it matches one of them. A pattern that begins with a dot
// stands for an extension (".txt" is tried as "*.txt"); one without a dot also matches the
// same name with any extension ("readme" is tried as "readme", then "readme.*"); one that
// ends with a dot matches only names without a dot. The patterns behind the line's first
// "|" leave out the names they match ("*.txt | old*"), a further "|" separating as a blank
// does; with no pattern in front of that "|", every name is selected but those ("| *.tmp").
// Neither string is changed and nothing is allocated.
int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* name);
// The same for an item that Explorer shows under another name than its file's (a hidden
// extension: "notes" for "notes.txt"; a localized folder name): selected when a selecting
// pattern matches either name and no leaving-out pattern matches either. The dot that a
// pattern ending with a dot forbids is looked for in the file name, where the extension is,
// so "notes." does not select "notes" shown for "notes.txt". With fileName equal to
// shownName, the answer is the one-name form's.
int MatchPatternLine(const Utf16Char* patternLine, const Utf16Char* shownName,
                     const Utf16Char* fileName);

// Reads the token at or behind position into pattern, with a star in front of a token that
// begins with a dot (".txt" gives "*.txt"); blanks, tabs and "|" end a token. Only a token
// that starts before end is read: the line's first "|", where its selecting patterns end,
// or null for the line's end. Returns where the next token is looked for, or null when no
// token starts there.
const Utf16Char* NextLinePattern(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* position,
                                 const Utf16Char* end);

// The line that a right-clicked file starts the dialog with: "*" followed by the extension of
// the path's name, from the first dot of the part behind its last backslash on ("*.tar.gz"
// for "C:\\a\\archive.tar.gz"); empty when that part holds no dot. destination needs
// room for the path's length + 2 units.
void MakeExtensionPattern(Utf16Char* destination, const Utf16Char* path);
