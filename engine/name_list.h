// A list of names, one a line, as a text file or a spreadsheet's column gives them on the
// clipboard, that selects the items it names. Each line is one pattern with the rules of one
// token of the pattern line (engine/pattern_line.h): "*" and "?" are wildcards, a pattern
// that begins with a dot stands for an extension (".txt" is tried as "*.txt"), one without a
// dot also matches the name with any extension ("readme" selects "readme.txt"), and one that
// ends with a dot matches only names without a dot. Blanks, "|" and quotes inside a pattern
// are units of it like any other, and no cap cuts a long one. Letters compare as the line's
// matching compares them (text/case_fold.h).
//
// Use: Read the clipboard's text once, put every item of the window to MatchesItem, then
// NotFound() tells how many of the names no item matched. Exact names (neither "*" nor "?"
// nor a leading dot) are looked up in a hash table, so that an item costs the same for ten
// names as for ten thousand; each wildcard pattern is tried on each item. One thread at a
// time: MatchesItem notes the names that matched.
#pragma once

#include "text/utf16.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class NameList {
public:
    // The most patterns a list takes.
    static constexpr std::size_t kMaxPatterns = 65536;

    NameList() = default;
    NameList(const NameList&) = delete;
    NameList& operator=(const NameList&) = delete;

    // Reads the patterns of text, such as the clipboard's CF_UNICODETEXT: its first length
    // units, or those before a zero unit among them. Lines end at CR LF, LF or CR. Of each
    // line the part before its first tab is taken (a spreadsheet row's first cell), blanks
    // (space, tab, U+3000) are trimmed from both its ends, then one pair of double quotes
    // around it and the blanks inside them; a line left empty holds no pattern. Replaces the
    // list read before. Nothing throws: false when memory ran out, the list then empty.
    bool Read(const Utf16Char* text, std::size_t length);

    // The patterns taken, in the text's order, each as read and zero-terminated.
    std::size_t Count() const { return count_; }
    const Utf16Char* Pattern(std::size_t index) const {
        return units_.get() + entries_[index].text;
    }
    // The lines with a pattern behind the first kMaxPatterns: not taken.
    std::size_t LeftOut() const { return leftOut_; }

    // Whether a pattern matches the item, as the pattern line decides it for an item that
    // Explorer shows under another name than its file's (CompiledPatternLine::MatchesItem):
    // when a pattern matches either name, the dot that a pattern ending with a dot forbids
    // looked for in the file name. Each name is given with its length, the units before its
    // terminator; a null file stands for the shown name itself. Notes every pattern that
    // matches, whether or not another pattern already selected the item.
    bool MatchesItem(const Utf16Char* shown, std::size_t shownLength, const Utf16Char* file,
                     std::size_t fileLength);
    // The patterns that matched none of the items given to MatchesItem since Read or
    // ForgetMatches.
    std::size_t NotFound() const;
    void ForgetMatches();

private:
    // An exact pattern's key is its folded units; a kind says which of an item's names it
    // is held against.
    enum Kind : std::uint8_t {
        kBare = 1,     // no dot: the whole name, or the part before its first dot
        kWhole = 2,    // a dot inside: the whole name
        kDotEnded = 4, // ending with a dot, which the key leaves out: a file name without a dot
        kWildcard = 8, // tried with WildcardMatch
    };
    struct Entry {
        std::size_t text;   // offset in units_ of the pattern as read
        std::size_t tries;  // wildcard: its first try, and the second behind it where it has one
        std::uint32_t slot; // exact: its key's slot
        std::uint8_t kind;
        bool secondTry; // a wildcard pattern without a dot: then tried with ".*" behind it
        bool dotRule;   // a wildcard pattern ending with a dot: its tries leave the dot out
        bool found;     // a wildcard pattern that matched an item
    };
    struct Slot {
        std::size_t key; // offset in units_ of the folded units
        std::size_t length;
        std::uint32_t hash;
        std::uint8_t kinds; // those of the patterns with this key; 0 for an empty slot
        std::uint8_t found; // of those, the kinds that matched an item
    };

    void Clear();
    void Add(const Utf16Char* begin, const Utf16Char* end, std::size_t& used);
    Slot* Find(const Utf16Char* units, std::size_t length, std::uint32_t hash) const;
    bool LookUp(const Utf16Char* name, std::size_t length, bool fileHoldsDot);
    bool WildcardMatches(const Entry& entry, const Utf16Char* shown, const Utf16Char* file,
                         bool fileHoldsDot) const;

    std::size_t count_ = 0;
    std::size_t leftOut_ = 0;
    std::size_t wildcardCount_ = 0;
    std::uint32_t slotMask_ = 0; // the table's size less one; 0 without exact patterns
    int slotShift_ = 0;
    std::unique_ptr<Entry[]> entries_;
    std::unique_ptr<Utf16Char[]> units_;
    std::unique_ptr<std::uint32_t[]> wildcards_; // the entries of the wildcard patterns
    std::unique_ptr<Slot[]> slots_;
};
