// Byte-string routines for code page 932 (Shift_JIS) paths and pattern lines.
// No routine allocates; results are positions inside arguments, indexes, or text
// written into a buffer that the caller sizes.
#pragma once

// 1 when c (taken as an 8-bit value) is a Shift_JIS lead byte: 0x81-0x9F or 0xE0-0xFC.
// The ranges are fixed; the system code page is not consulted.
int IsLeadByte(char c);

// Cuts path at its last backslash that is not the second byte of a double-byte
// character. "C:\memo.txt" becomes "C:". A path without a backslash is unchanged.
void CutAtLastBackslash(char* path);

// Drops a trailing backslash that is a character of its own ("C:\" becomes "C:"); a path
// that ends in the second byte of a double-byte character, such as 表 (0x95 0x5C), keeps it.
void RemoveTrailingBackslash(char* path);

// The first byte after the last single-byte backslash or colon; the whole path when
// there is neither.
const char* FileNamePart(const char* path);

// Index of the first byte equal to (char)c, or -1. text may be null; c == 0 gives -1.
// Looks at every byte alike, so it finds the 0x5C inside a double-byte character.
int FindChar(const char* text, int c);

// Skips separators, then copies at most cap bytes of the next token plus a terminator
// into destination (which must hold cap + 1 bytes; cap is at least 1, so that every call
// that finds a token moves forward). Returns where the next call starts, or null when
// only separators (or nothing) were left; destination is then untouched. A token longer
// than cap is cut, and its rest is the next call's token.
const char* NextToken(char* destination, const char* source, const char* separators, int cap);

// "*" followed by the path's extension, starting at the first dot of the part behind the
// last 0x5C byte; empty when there is no such dot. destination needs strlen(path) + 2.
void MakeExtensionPattern(char* destination, const char* path);
