// A typed pattern line read once and then applied to every name of a pass. It answers
// exactly as MatchPatternLine, but a name costs time linear in its length instead of a
// new reading of the line and a backtracking match for every pattern. The object is about
// 27 KB of fixed tables (one per pass, not per name); a name whose answer needs a search
// takes about 18 KB of stack.
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
    // The same for a name whose length is known: length is strlen(name).
    bool Matches(const char* name, std::size_t length) const;

private:
    // Each token gives its bytes to its first try and, without a dot, its bytes and the
    // dot of ".*" to its second; a token other than the last ends at a separator.
    static constexpr int kMaxTokens = (kMaxLineBytes + 1) / 2;
    static constexpr int kMaxTries = 2 * kMaxTokens;
    static constexpr int kMaxPieceBytes = 2 * kMaxLineBytes + kMaxTokens;
    // Distinct bytes that can stand in a piece once folded: all but the lower-case
    // letters, the terminator, tab, blank, "*" and "?".
    static constexpr int kMaxSearchClasses = 256 - 26 - 5;

    // One working pattern, cut at its stars into pieces that hold no star. A piece at
    // the start of a pattern must start the name and one at its end (behind a star) must
    // end it; the pieces between are searched.
    struct Try {
        std::size_t minLength;   // the bytes that the pieces cover together
        std::size_t extraLength; // the bytes that the stars may add: none or any number
        std::size_t wordsFrom;   // names this long compare the words below: 8, or never
        // The first eight bytes of the start piece and the last eight of the end piece,
        // each as one word: a word of name bytes fits where ((word ^ value) & mask) is 0.
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
    class PieceFinder;

    void AddTry(const char* pattern, std::size_t length, bool nameWithoutDot);
    std::size_t AddPieces(const char* pattern, std::size_t length);
    void AnchorPieces(Try& attempt, bool startPiece, bool endPiece);
    void AddLiterals(Piece& piece);
    bool FitsAnchors(const Try& attempt, Name& name) const;
    bool FitsAnchoredPieces(const Try& attempt, const Name& name) const;
    bool MatchesWithSearch(int firstTry, Name& name) const;
    bool FindSearchedPieces(const Try& attempt, const Name& name, PieceFinder& finder) const;
    bool PieceAt(const Piece& piece, const unsigned char* at) const;

    int tryCount_ = 0;
    int pieceCount_ = 0;
    int pieceByteCount_ = 0;
    int literalCount_ = 0;
    int searchClassCount_ = 0;
    int literalWords_ = 0; // the words that the searched literals' offsets span
    Try tries_[kMaxTries];
    Piece pieces_[kMaxPieceBytes];
    Literal literals_[kMaxPieceBytes];
    unsigned char pieceBytes_[kMaxPieceBytes];
    // Byte of a name -> 1 + index of its folded value among the searched pieces' bytes,
    // 0 for bytes that no searched piece holds.
    std::uint8_t byteClass_[256] = {};
};
