// Decides whether one name is selected by a typed pattern line such as "*.txt .doc readme".
#pragma once

#include "text/utf16.h"

// A token is read with at most this many UTF-16 units, one less when a star goes in front of
// it; the rest of a longer token is read as the next token. Quotes are not counted.
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
// A double quote, which no file name holds, opens a quoted stretch that the next one closes
// or the line's end: blanks, tabs and "|" inside it are units of the token, so that
// "my file.txt" in quotes is one pattern and "a|b" in quotes splits nothing. The quotes are
// never part of the pattern, and a quoted stretch joins the units around it as a shell's
// does (ab"c d" is the pattern "abc d"); the pattern then follows the rules above, read on
// its units (".tar gz" in quotes is tried as "*.tar gz"). A token of quotes alone ("") is
// no pattern. A line without a quote reads as it would without this rule.
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

// Index of the line's first "|" outside quotes, where its selecting patterns end; -1 when
// there is none.
int FindLineBar(const Utf16Char* patternLine);

// Reads the token at or behind position into pattern, its quotes taken away, with a star in
// front of a token that begins with a dot (".txt" gives "*.txt"); blanks, tabs and "|"
// outside quotes end a token. Only a token that starts before end is read: the line's bar
// (FindLineBar), where its selecting patterns end, or null for the line's end. quoted tells
// whether position lies inside a quoted stretch: false at the line's start and at its bar,
// and as this call leaves it for the next, which goes on with a token that the cap cut.
// Returns where the next token is looked for, or null when no token starts there.
const Utf16Char* NextLinePattern(Utf16Char (&pattern)[kLinePatternRoom], const Utf16Char* position,
                                 const Utf16Char* end, bool& quoted);

// The tries that the line's rules form from a pattern NextLinePattern read: a pattern without
// a dot is tried as it is and then, unless it ends in a star (which takes every name the second
// try would), with ".*" added ("readme" takes "readme.txt"); a pattern that ends in a dot
// stands for names without a dot and is tried without it. Calls
// tryPattern(pattern, length, nameWithoutDot) for each try until one returns true and returns
// whether one did. Changes pattern.
template <typename TryPattern>
bool ForEachTry(Utf16Char (&pattern)[kLinePatternRoom], TryPattern tryPattern) {
    std::size_t length = Utf16Length(pattern);
    if (FindUnit(pattern, '.') == -1) {
        if (tryPattern(pattern, length, false))
            return true;
        if (pattern[length - 1] == '*')
            return false;
        pattern[length++] = '.';
        pattern[length++] = '*';
        pattern[length] = 0;
    }
    if (pattern[length - 1] == '.') {
        pattern[--length] = 0;
        return tryPattern(pattern, length, true);
    }
    return tryPattern(pattern, length, false);
}

// The line that a right-clicked file starts the dialog with: "*" followed by the extension of
// the path's name, from the first dot of the part behind its last backslash on ("*.tar.gz"
// for "C:\\a\\archive.tar.gz"); empty when that part holds no dot. destination needs
// room for the path's length + 2 units.
void MakeExtensionPattern(Utf16Char* destination, const Utf16Char* path);
