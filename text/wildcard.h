// Whole-name wildcard match on byte strings: "*" covers any run of bytes, "?" one byte,
// every other byte is a literal compared with the ASCII letters folded to upper case.
// No escapes, no character classes, no locale.
#pragma once

// 1 when the whole name matches the whole pattern, else 0.
// Worst case O(strlen(pattern) * strlen(name)) steps; no recursion, no allocation.
int WildcardMatch(const char* pattern, const char* name);
