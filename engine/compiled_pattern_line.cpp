#include "engine/compiled_pattern_line.h"

#include "engine/pattern_line.h"
#include "text/dbcs.h"
#include "text/wildcard.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace {

const char kSeparators[] = "\t ";

struct FoldTable {
    unsigned char folded[256];
    constexpr FoldTable() : folded() {
        for (int c = 0; c < 256; ++c)
            folded[c] = FoldedByte(static_cast<unsigned char>(c));
    }
};
constexpr FoldTable kFold;

// Names up to this many bytes are searched through bit sets of their positions; the
// list view never hands over longer ones.
constexpr int kNameWords = 5;
constexpr std::size_t kBitSetNameBytes = 64 * kNameWords;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

} // namespace

struct CompiledPatternLine::Name {
    const unsigned char* bytes;
    std::size_t length;
    int holdsDot; // -1 until asked

    bool HoldsDot() {
        if (holdsDot < 0)
            holdsDot = std::memchr(bytes, '.', length) != nullptr ? 1 : 0;
        return holdsDot == 1;
    }
};

// For each byte class of the searched pieces, the set of name positions that hold it.
// A piece then occurs at the positions where every one of its literals, shifted by its
// offset, finds its class: a few word operations per literal, whatever the name holds.
class CompiledPatternLine::PositionSets {
public:
    void Build(const Name& name, const std::uint8_t* byteClass, int classCount) {
        words_ = static_cast<int>((name.length + 63) / 64);
        for (int c = 0; c <= classCount; ++c) {
            for (int w = 0; w < words_; ++w)
                rows_[c][w] = 0;
        }
        for (std::size_t i = 0; i < name.length; ++i)
            rows_[byteClass[name.bytes[i]]][i / 64] |= std::uint64_t{1} << (i % 64);
    }

    // The leftmost position p in [start, end - piece length] where the piece occurs.
    std::size_t Find(const Literal* literals, int literalCount, std::size_t length,
                     std::size_t start, std::size_t end) const {
        if (end - start < length)
            return kNotFound;
        const std::size_t last = end - length;
        for (std::size_t w = start / 64; w <= last / 64; ++w) {
            std::uint64_t candidates = ~std::uint64_t{0};
            if (w == start / 64)
                candidates &= ~std::uint64_t{0} << (start % 64);
            if (w == last / 64)
                candidates &= ~std::uint64_t{0} >> (63 - last % 64);
            for (int l = 0; l < literalCount && candidates != 0; ++l)
                candidates &= Shifted(literals[l], w);
            if (candidates != 0)
                return 64 * w + static_cast<std::size_t>(__builtin_ctzll(candidates));
        }
        return kNotFound;
    }

private:
    // Bit t tells whether position 64 * w + t + (the literal's offset) holds its class.
    std::uint64_t Shifted(const Literal& literal, std::size_t w) const {
        const std::size_t q = w + literal.word;
        if (q >= static_cast<std::size_t>(words_))
            return 0;
        const std::uint64_t* row = rows_[literal.byteClass];
        const std::uint64_t high = q + 1 < static_cast<std::size_t>(words_) ? row[q + 1] : 0;
        return (row[q] >> literal.shift) | ((high << 1) << (63 - literal.shift));
    }

    int words_ = 0;
    std::uint64_t rows_[kMaxSearchClasses + 1][kNameWords];
};

bool CompiledPatternLine::Compile(const char* patternLine) {
    tryCount_ = 0;
    pieceCount_ = 0;
    pieceByteCount_ = 0;
    literalCount_ = 0;
    searchClassCount_ = 0;
    std::memset(byteClass_, 0, sizeof byteClass_);

    char line[kMaxLineBytes + 1];
    int lineLength = 0;
    while (lineLength < kMaxLineBytes && patternLine[lineLength] != '\0') {
        line[lineLength] = patternLine[lineLength];
        ++lineLength;
    }
    line[lineLength] = '\0';

    // The tokens and working patterns exactly as MatchPatternLine forms them.
    char pattern[kPatternTokenCap + 3];
    const char* position = line;
    for (;;) {
        while (*position == '\t' || *position == ' ')
            ++position;
        if (*position == '.') {
            pattern[0] = '*';
            position = NextToken(pattern + 1, position, kSeparators, kPatternTokenCap - 1);
        } else {
            position = NextToken(pattern, position, kSeparators, kPatternTokenCap);
        }
        if (position == nullptr)
            break;
        std::size_t length = std::strlen(pattern);
        if (std::memchr(pattern, '.', length) == nullptr) {
            AddTry(pattern, length, false);
            // Behind a star, ".*" narrows the try it extends: the second try adds nothing.
            if (pattern[length - 1] == '*')
                continue;
            pattern[length++] = '.';
            pattern[length++] = '*';
        }
        if (pattern[length - 1] == '.')
            AddTry(pattern, length - 1, true);
        else
            AddTry(pattern, length, false);
    }
    // The answer is the same in any order; tries that need no search go first, so that
    // a name they decide never pays for the position sets.
    Try ordered[kMaxTries];
    int orderedCount = 0;
    for (const bool searched : {false, true}) {
        for (int t = 0; t < tryCount_; ++t) {
            if ((tries_[t].searchedPieces != 0) == searched)
                ordered[orderedCount++] = tries_[t];
        }
    }
    std::copy(ordered, ordered + orderedCount, tries_);
    return patternLine[lineLength] == '\0';
}

void CompiledPatternLine::AddTry(const char* pattern, std::size_t length, bool nameWithoutDot) {
    // A dot that the pattern needs and the dot rule forbids: the try never matches.
    if (nameWithoutDot && std::memchr(pattern, '.', length) != nullptr)
        return;
    assert(tryCount_ < kMaxTries);
    Try& attempt = tries_[tryCount_++];
    attempt.firstPiece = static_cast<std::uint16_t>(pieceCount_);
    attempt.hasStar = std::memchr(pattern, '*', length) != nullptr;
    attempt.anchoredStart = length == 0 || pattern[0] != '*';
    attempt.anchoredEnd = length == 0 || pattern[length - 1] != '*';
    attempt.nameWithoutDot = nameWithoutDot;
    int minLength = 0;
    for (std::size_t at = 0; at < length;) {
        if (pattern[at] == '*') {
            ++at;
            continue;
        }
        assert(pieceCount_ < kMaxPieceBytes);
        Piece& piece = pieces_[pieceCount_++];
        piece.firstByte = static_cast<std::uint16_t>(pieceByteCount_);
        for (; at < length && pattern[at] != '*'; ++at) {
            assert(pieceByteCount_ < kMaxPieceBytes);
            pieceBytes_[pieceByteCount_++] = kFold.folded[static_cast<unsigned char>(pattern[at])];
        }
        piece.length = static_cast<std::uint16_t>(pieceByteCount_ - piece.firstByte);
        piece.firstLiteral = 0;
        piece.literalCount = 0;
        minLength += piece.length;
    }
    attempt.pieceCount = static_cast<std::uint16_t>(pieceCount_ - attempt.firstPiece);
    attempt.minLength = static_cast<std::uint16_t>(minLength);
    attempt.searchedPieces = 0;
    if (!attempt.hasStar)
        return;
    // With a star, an anchored first and an anchored last piece are two different pieces.
    const int first = attempt.firstPiece + (attempt.anchoredStart ? 1 : 0);
    const int end = attempt.firstPiece + attempt.pieceCount - (attempt.anchoredEnd ? 1 : 0);
    for (int p = first; p < end; ++p)
        AddLiterals(pieces_[p]);
    attempt.searchedPieces = static_cast<std::uint16_t>(std::max(0, end - first));
}

void CompiledPatternLine::AddLiterals(Piece& piece) {
    piece.firstLiteral = static_cast<std::uint16_t>(literalCount_);
    for (int offset = 0; offset < piece.length; ++offset) {
        const unsigned char folded = pieceBytes_[piece.firstByte + offset];
        if (folded == '?')
            continue;
        if (byteClass_[folded] == 0) {
            assert(searchClassCount_ < kMaxSearchClasses);
            const auto byteClass = static_cast<std::uint8_t>(++searchClassCount_);
            for (int c = 0; c < 256; ++c) {
                if (kFold.folded[c] == folded)
                    byteClass_[c] = byteClass;
            }
        }
        assert(literalCount_ < kMaxPieceBytes);
        Literal& literal = literals_[literalCount_++];
        literal.word = static_cast<std::uint16_t>(offset / 64);
        literal.shift = static_cast<std::uint8_t>(offset % 64);
        literal.byteClass = byteClass_[folded];
    }
    piece.literalCount = static_cast<std::uint16_t>(literalCount_ - piece.firstLiteral);
}

bool CompiledPatternLine::Matches(const char* name) const {
    Name view{reinterpret_cast<const unsigned char*>(name), std::strlen(name), -1};
    for (int t = 0; t < tryCount_; ++t) {
        switch (CheckAnchors(tries_[t], view)) {
        case Outcome::kFails:
            break;
        case Outcome::kMatches:
            return true;
        case Outcome::kNeedsSearch:
            return MatchesWithSearch(t, view);
        }
    }
    return false;
}

bool CompiledPatternLine::PieceAt(const Piece& piece, const unsigned char* at) const {
    const unsigned char* bytes = pieceBytes_ + piece.firstByte;
    for (int i = 0; i < piece.length; ++i) {
        if (bytes[i] != '?' && bytes[i] != kFold.folded[at[i]])
            return false;
    }
    return true;
}

// The cheap necessary checks: the length, the pieces anchored at either end, the dot rule.
CompiledPatternLine::Outcome CompiledPatternLine::CheckAnchors(const Try& attempt,
                                                               Name& name) const {
    if (name.length < attempt.minLength)
        return Outcome::kFails;
    const Piece* pieces = pieces_ + attempt.firstPiece;
    if (!attempt.hasStar && name.length != attempt.minLength)
        return Outcome::kFails;
    if (attempt.pieceCount != 0) {
        if (attempt.anchoredStart && !PieceAt(pieces[0], name.bytes))
            return Outcome::kFails;
        const Piece& lastPiece = pieces[attempt.pieceCount - 1];
        if (attempt.anchoredEnd && attempt.hasStar &&
            !PieceAt(lastPiece, name.bytes + name.length - lastPiece.length))
            return Outcome::kFails;
    }
    if (attempt.nameWithoutDot && name.HoldsDot())
        return Outcome::kFails;
    return attempt.searchedPieces == 0 ? Outcome::kMatches : Outcome::kNeedsSearch;
}

// Kept apart so that only names that reach a search pay for the position sets' stack.
__attribute__((noinline)) bool CompiledPatternLine::MatchesWithSearch(int firstTry,
                                                                      Name& name) const {
    PositionSets sets;
    const bool useSets = name.length <= kBitSetNameBytes;
    if (useSets)
        sets.Build(name, byteClass_, searchClassCount_);
    for (int t = firstTry; t < tryCount_; ++t) {
        const Try& attempt = tries_[t];
        if (t != firstTry && CheckAnchors(attempt, name) == Outcome::kFails)
            continue;
        if (FindSearchedPieces(attempt, name, useSets ? &sets : nullptr))
            return true;
    }
    return false;
}

// Each searched piece at its leftmost place behind the one before: as every piece has a
// fixed length, the leftmost place leaves the most room to the pieces that follow.
bool CompiledPatternLine::FindSearchedPieces(const Try& attempt, const Name& name,
                                             PositionSets* sets) const {
    const Piece* pieces = pieces_ + attempt.firstPiece;
    std::size_t start = attempt.anchoredStart ? pieces[0].length : 0;
    const std::size_t end =
        name.length - (attempt.anchoredEnd ? pieces[attempt.pieceCount - 1].length : 0);
    const int first = attempt.anchoredStart ? 1 : 0;
    for (int p = first; p < first + attempt.searchedPieces; ++p) {
        const Piece& piece = pieces[p];
        std::size_t found = kNotFound;
        if (sets != nullptr) {
            found = sets->Find(literals_ + piece.firstLiteral, piece.literalCount, piece.length,
                               start, end);
        } else {
            // Longer names than the list view holds: a plain scan, the length times the
            // piece at worst.
            for (std::size_t at = start; at + piece.length <= end; ++at) {
                if (PieceAt(piece, name.bytes + at)) {
                    found = at;
                    break;
                }
            }
        }
        if (found == kNotFound)
            return false;
        start = found + piece.length;
    }
    return true;
}
