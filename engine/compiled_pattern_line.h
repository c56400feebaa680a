// A typed pattern line read once and then applied to every name of a pass. It answers
// exactly as MatchPatternLine, but a name costs time linear in its length instead of a
// new reading of the line and a backtracking match for every pattern. The object is about
// 34 KB of fixed tables (one per pass, not per name); a name whose answer needs a search
// takes about 22 KB of stack.
#pragma once

#include "text/utf16.h"

#include <cstddef>
#include <cstdint>

class CompiledPatternLine {
public:
    // The longest line taken whole: the 260 characters that the record's 261-character field
    // holds.
    static constexpr int kMaxLineUnits = 260;

    // Reads the line's patterns, replacing what was compiled before. A longer line is read
    // on its first kMaxLineUnits units only (a token running past them is cut there, as
    // the token cap cuts) and false is returned; the line then matches as that shorter
    // line does.
    bool Compile(const Utf16Char* patternLine);

    // True exactly when MatchPatternLine(line, name) is 1; a line never compiled matches
    // nothing. Nothing is allocated, and one compiled line may serve several threads.
    bool Matches(const Utf16Char* name) const;
    // The same for a name whose length is known: the units before its terminator.
    bool Matches(const Utf16Char* name, std::size_t length) const;
    // True exactly when MatchPatternLine(line, shown, file) is 1: an item that Explorer shows
    // under another name than its file's, each name given with its length as above. A null file
    // stands for the shown name itself and costs what Matches(shown, shownLength) costs.
    bool MatchesItem(const Utf16Char* shown, std::size_t shownLength, const Utf16Char* file,
                     std::size_t fileLength) const;

private:
    // Each token gives its units to its first try and, without a dot, its units and the
    // dot of ".*" to its second; a token other than the last ends at a separator, and its
    // quotes only add units to the line. The selecting and the leaving-out tokens together
    // are no more.
    static constexpr int kMaxTokens = (kMaxLineUnits + 1) / 2;
    static constexpr int kMaxTries = 2 * kMaxTokens;
    static constexpr int kMaxPieceUnits = 2 * kMaxLineUnits + kMaxTokens;
    // Distinct values in the pieces, once folded: no more than the line has units.
    static constexpr int kMaxSearchClasses = kMaxLineUnits;
    // Open addressing for the units of 0x100 and above that the searched pieces hold: each
    // class has at most two units, so the table stays under half full.
    static constexpr int kWideClassSlots = 1024;

    // One working pattern, cut at its stars into pieces that hold no star. A piece at
    // the start of a pattern must start the name and one at its end (behind a star) must
    // end it; the pieces between are searched.
    struct Try {
        std::size_t minLength;   // the units that the pieces cover together
        std::size_t extraLength; // the units that the stars may add: none or any number
        // The first four units of the start piece and the last four of the end piece, each
        // as one word: a word of name units fits where ((word ^ value) & mask) is 0.
        std::uint64_t startValue;
        std::uint64_t startMask;
        std::uint64_t endValue;
        std::uint64_t endMask;
        std::uint16_t startLength; // 0 when no piece is anchored at the start
        std::uint16_t endLength;   // 0 when no piece is anchored at the end
        std::uint16_t firstPiece;
        std::uint16_t pieceCount;
        std::uint16_t searchedPieces;
        bool hasStar;
        bool nameWithoutDot;
        bool wordsDecide; // the words alone decide whether the anchored pieces fit
        // "?" or a surrogate in the pattern: a name holding a surrogate is read by
        // characters for it. Without either, units and characters give the same answer.
        bool readsCharacters;
    };
    // Folded units; "?" stands for any character, a surrogate character for its symbol.
    struct Piece {
        std::uint16_t firstUnit;
        std::uint16_t length;
        std::uint16_t firstLiteral; // searched pieces only: their units other than "?"
        std::uint16_t literalCount;
    };
    struct Literal {
        std::uint8_t word;  // offset in the piece / 64
        std::uint8_t shift; // offset in the piece % 64
        std::uint16_t unitClass;
    };
    // A surrogate character of the line (a pair as its code point, a lone surrogate as
    // itself) and the unit that stands for it in the pieces and in a name read by characters.
    struct SurrogateSymbol {
        std::uint32_t key;
        Utf16Char symbol;
    };
    struct Name;
    class PositionSets;
    class PieceFinder;

    int AddTokens(const Utf16Char* position, const Utf16Char* end);
    void SearchlessFirst(int firstTry, int endTry);
    void AddTry(const Utf16Char* pattern, std::size_t length, bool nameWithoutDot);
    std::size_t AddPieces(const Utf16Char* pattern, std::size_t length, bool& readsCharacters);
    Utf16Char SymbolFor(std::uint32_t key);
    void AnchorPieces(Try& attempt, bool startPiece, bool endPiece);
    void AddLiterals(Piece& piece);
    void SetClass(Utf16Char unit, std::uint16_t unitClass);
    std::uint16_t ClassOf(Utf16Char unit) const;
    bool FitsAnchors(const Try& attempt, Name& name) const;
    bool FitsAnchoredPieces(const Try& attempt, const Name& name) const;
    int TriesFrom(int firstTry, int endTry, Name& name) const;
    int SearchFrom(int firstTry, int endTry, Name& name) const;
    bool SideMatches(int firstTry, int endTry, Name& name) const;
    bool MatchesByCharacters(int firstTry, int endTry, const Name& name) const;
    std::size_t Decode(const Name& name, Utf16Char* symbols) const;
    bool FindSearchedPieces(const Try& attempt, const Name& name, PieceFinder& finder) const;
    bool PieceAt(const Piece& piece, const Utf16Char* at) const;

    int tryCount_ = 0;
    // The tries of the patterns behind the line's first "|", which leave names out, start
    // here; the ones before select.
    int exclusionsFrom_ = 0;
    bool selectsEveryName_ = false; // a "|" with no pattern in front of it
    int pieceCount_ = 0;
    int pieceUnitCount_ = 0;
    int literalCount_ = 0;
    int searchClassCount_ = 0;
    int literalWords_ = 0; // the words that the searched literals' offsets span
    int surrogateCount_ = 0;
    bool readsCharacters_ = false;  // some try does
    bool readsDots_ = false;        // some try is for names without a dot
    Utf16Char unmatchedSymbol_ = 0; // a surrogate character of a name that the line lacks
    Try tries_[kMaxTries];
    Piece pieces_[kMaxPieceUnits];
    Literal literals_[kMaxPieceUnits];
    Utf16Char pieceUnits_[kMaxPieceUnits];
    // The other unit that matches each piece unit: its case partner, or itself.
    Utf16Char pieceAlternatives_[kMaxPieceUnits];
    SurrogateSymbol surrogates_[kMaxLineUnits]; // by key
    // Unit of a name -> 1 + index of its folded value among the searched pieces' units,
    // 0 for units that no searched piece holds: directly below 0x100, else hashed as
    // (unit << 16 | class).
    std::uint16_t unitClass_[256] = {};
    std::uint32_t wideClass_[kWideClassSlots] = {};
    // The line as taken, for the rare name too long to be read by characters in place.
    Utf16Char line_[kMaxLineUnits + 1] = {};
};
