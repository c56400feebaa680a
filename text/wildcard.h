// Whole-name wildcard match on UTF-16 text: "*" covers any run of characters, "?" exactly one
// character, every other character is a literal compared after folding its case
// (text/case_fold.h). A surrogate pair is one character, and so is a surrogate without its
// partner. No escapes, no character classes, no locale.
#pragma once

#include "text/utf16.h"

// 1 when the whole name matches the whole pattern, else 0.
// Worst case O(length(pattern) * length(name)) steps; no recursion, no allocation.
int WildcardMatch(const Utf16Char* pattern, const Utf16Char* name);
