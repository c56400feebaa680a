// A typed pattern line read once and then applied to every name of a pass. It answers
// exactly as MatchPatternLine, but a name costs time linear in its length instead of a
// new reading of the line and a backtracking match for every pattern.
#pragma once

#include <cstddef>
#include <cstdint>

class CompiledPatternLine {
public:
    // The longest line taken whole: the 260 bytes that the record's 261-byte field holds.
    static constexpr int kMaxLineBytes = 260;

    // Reads the line's patterns, replacing what was compiled before. A longer line is read
    // on its first kMaxLineBytes bytes only (a token running past them is cut there, as
    // the token cap cuts) and false is returned; the line then matches as that shorter
    // line does. The line is not kept.
    bool Compile(const char* patternLine);

    // True exactly when MatchPatternLine(line, name) is 1; a line never compiled matches
    // nothing. Nothing is allocated, and one compiled line may serve several threads.
    bool Matches(const char* name) const;

private:
    // Each token gives its bytes to its first try and, without a dot, its bytes and the
    // dot of ".*" to its second; a token other than the last ends at a separator.
    static constexpr int kMaxTokens = (kMaxLineBytes + 1) / 2;
    static constexpr int kMaxTries = 2 * kMaxTokens;
    static constexpr int kMaxPieceBytes = 2 * kMaxLineBytes + kMaxTokens;
    // Distinct bytes that can stand in a piece once folded: all but the lower-case
    // letters, the terminator, tab, blank, "*" and "?".
    static constexpr int kMaxSearchClasses = 256 - 26 - 5;

    // One working pattern, cut at its stars into pieces that hold no star.
    struct Try {
        std::uint16_t firstPiece;
        std::uint16_t pieceCount;
        std::uint16_t searchedPieces; // the pieces between the anchored ones
        std::uint16_t minLength;      // the bytes that the pieces cover together
        bool hasStar;
        bool anchoredStart; // the first piece starts the name
        bool anchoredEnd;   // the last piece ends the name
        bool nameWithoutDot;
    };
    // Folded bytes, "?" standing for any byte.
    struct Piece {
        std::uint16_t firstByte;
        std::uint16_t length;
        std::uint16_t firstLiteral; // searched pieces only: their bytes other than "?"
        std::uint16_t literalCount;
    };
    struct Literal {
        std::uint16_t word; // offset in the piece / 64
        std::uint8_t shift; // offset in the piece % 64
        std::uint8_t byteClass;
    };
    struct Name;
    class PositionSets;
    enum class Outcome { kFails, kMatches, kNeedsSearch };

    void AddTry(const char* pattern, std::size_t length, bool nameWithoutDot);
    void AddLiterals(Piece& piece);
    Outcome CheckAnchors(const Try& attempt, Name& name) const;
    bool MatchesWithSearch(int firstTry, Name& name) const;
    bool FindSearchedPieces(const Try& attempt, const Name& name, PositionSets* sets) const;
    bool PieceAt(const Piece& piece, const unsigned char* at) const;

    int tryCount_ = 0;
    int pieceCount_ = 0;
    int pieceByteCount_ = 0;
    int literalCount_ = 0;
    int searchClassCount_ = 0;
    Try tries_[kMaxTries];
    Piece pieces_[kMaxPieceBytes];
    Literal literals_[kMaxPieceBytes];
    unsigned char pieceBytes_[kMaxPieceBytes];
    // Byte of a name -> 1 + index of its folded value among the searched pieces' bytes,
    // 0 for bytes that no searched piece holds.
    std::uint8_t byteClass_[256] = {};
};
