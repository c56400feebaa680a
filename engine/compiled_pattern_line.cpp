#include "engine/compiled_pattern_line.h"

#include "engine/pattern_line.h"
#include "text/wildcard.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

// Names up to this many bytes are searched through bit sets of their positions; the
// list view never hands over longer ones.
constexpr int kNameWords = 5;
constexpr std::size_t kBitSetNameBytes = 64 * kNameWords;
// A piece holds at most a token, its star and ".*"'s dot.
constexpr int kMaxPieceWords = (kPatternTokenCap + 2 + 63) / 64;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

// Folded piece bytes placed at the given offset of an eight-byte window: the value and
// mask that a word of name bytes is compared with. A letter ignores the case bit
// (the folded letter is upper case, and only a letter differs from a letter by that bit
// alone); "?" ignores the byte; the window's other bytes are ignored as well.
void WordOfPiece(const unsigned char* folded, int count, int offset, std::uint64_t* value,
                 std::uint64_t* mask) {
    unsigned char values[8] = {};
    unsigned char masks[8] = {};
    for (int i = 0; i < count; ++i) {
        const unsigned char c = folded[i];
        if (c == '?')
            continue;
        values[offset + i] = c;
        masks[offset + i] = c >= 'A' && c <= 'Z' ? 0xDF : 0xFF;
    }
    std::memcpy(value, values, 8);
    std::memcpy(mask, masks, 8);
}

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
    void Build(const Name& name, const std::uint8_t* byteClass, int classCount, int literalWords) {
        const int words = static_cast<int>((name.length + 63) / 64) + literalWords;
        for (int c = 1; c <= classCount; ++c) {
            for (int w = 0; w < words; ++w)
                rows_[c][w] = 0;
        }
        for (std::size_t i = 0; i < name.length; ++i) {
            const int c = byteClass[name.bytes[i]];
            if (c != 0)
                rows_[c][i / 64] |= std::uint64_t{1} << (i % 64);
        }
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
        const std::uint64_t* row = rows_[literal.byteClass] + w + literal.word;
        return (row[0] >> literal.shift) | ((row[1] << 1) << (63 - literal.shift));
    }

    // Behind the name's words, room for the words that a literal's offset reaches past them.
    std::uint64_t rows_[kMaxSearchClasses + 1][kNameWords + kMaxPieceWords];
};

// Finds the searched pieces in one name: by plain comparison while that stays cheap, as
// it does for ordinary lines and names, and through the position sets once it has cost a
// few comparisons per name byte. Names longer than the sets cover are only compared.
class CompiledPatternLine::PieceFinder {
public:
    PieceFinder(const CompiledPatternLine& line, const Name& name)
        : line_(line), name_(name), budget_(name.length <= kBitSetNameBytes
                                                ? 2 * static_cast<std::ptrdiff_t>(name.length) + 16
                                                : PTRDIFF_MAX) {}

    // The leftmost position p in [start, end - piece length] where the piece occurs.
    std::size_t Find(const Piece& piece, std::size_t start, std::size_t end) {
        if (!setsBuilt_) {
            const std::size_t found = Compare(piece, start, end);
            if (found != kGaveUp)
                return found;
            sets_.Build(name_, line_.byteClass_, line_.searchClassCount_, line_.literalWords_);
            setsBuilt_ = true;
        }
        return sets_.Find(line_.literals_ + piece.firstLiteral, piece.literalCount, piece.length,
                          start, end);
    }

private:
    static constexpr std::size_t kGaveUp = kNotFound - 1;

    std::size_t Compare(const Piece& piece, std::size_t start, std::size_t end) {
        const unsigned char* bytes = line_.pieceBytes_ + piece.firstByte;
        const int length = piece.length;
        if (end - start < static_cast<std::size_t>(length))
            return kNotFound;
        const std::size_t last = end - static_cast<std::size_t>(length);
        // A name byte b can start the piece where ((b ^ first) & firstMask) is 0.
        const unsigned char first = bytes[0];
        const unsigned char firstMask = first == '?'                   ? 0
                                        : first >= 'A' && first <= 'Z' ? 0xDF
                                                                       : 0xFF;
        const unsigned char* name = name_.bytes;
        std::ptrdiff_t budget = budget_;
        std::size_t found = kNotFound;
        std::size_t at = start;
        while (at <= last) {
            if (budget <= 0) {
                found = kGaveUp;
                break;
            }
            const std::size_t stop = std::min(last + 1, at + static_cast<std::size_t>(budget));
            const std::size_t from = at;
            while (at < stop && ((name[at] ^ first) & firstMask) != 0)
                ++at;
            budget -= static_cast<std::ptrdiff_t>(at - from);
            if (at == stop)
                continue;
            int i = 1;
            while (i < length && (bytes[i] == '?' || bytes[i] == kFold.folded[name[at + i]]))
                ++i;
            if (i == length) {
                found = at;
                break;
            }
            budget -= i;
            ++at;
        }
        budget_ = budget;
        return found;
    }

    const CompiledPatternLine& line_;
    const Name& name_;
    std::ptrdiff_t budget_; // comparisons left before the sets are built
    bool setsBuilt_ = false;
    PositionSets sets_;
};

bool CompiledPatternLine::Compile(const char* patternLine) {
    tryCount_ = 0;
    pieceCount_ = 0;
    pieceByteCount_ = 0;
    literalCount_ = 0;
    searchClassCount_ = 0;
    literalWords_ = 0;
    std::memset(byteClass_, 0, sizeof byteClass_);

    char line[kMaxLineBytes + 1];
    int lineLength = 0;
    while (lineLength < kMaxLineBytes && patternLine[lineLength] != '\0') {
        line[lineLength] = patternLine[lineLength];
        ++lineLength;
    }
    line[lineLength] = '\0';

    // The tokens and working patterns exactly as MatchPatternLine forms them.
    char pattern[kLinePatternRoom];
    const char* position = line;
    for (;;) {
        position = NextLinePattern(pattern, position);
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
    attempt.nameWithoutDot = nameWithoutDot;
    attempt.minLength = AddPieces(pattern, length);
    attempt.pieceCount = static_cast<std::uint16_t>(pieceCount_ - attempt.firstPiece);
    // So that length - minLength > extraLength also rejects a name shorter than minLength.
    attempt.extraLength = attempt.hasStar ? static_cast<std::size_t>(-1) - attempt.minLength : 0;
    // With a star, a start piece and an end piece are two different pieces; without one,
    // the only piece starts the name and the length check makes it end it too.
    AnchorPieces(attempt, attempt.pieceCount != 0 && pattern[0] != '*',
                 attempt.hasStar && pattern[length - 1] != '*');
}

// The pattern's pieces, folded, behind the pieces of the tries before; returns the bytes they
// cover together.
std::size_t CompiledPatternLine::AddPieces(const char* pattern, std::size_t length) {
    std::size_t minLength = 0;
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
    return minLength;
}

// Sets the words of the pieces anchored at either end of the name; the pieces between them
// are searched, and their literals indexed for the search.
void CompiledPatternLine::AnchorPieces(Try& attempt, bool startPiece, bool endPiece) {
    int first = attempt.firstPiece;
    int end = attempt.firstPiece + attempt.pieceCount;
    attempt.startLength = 0;
    attempt.endLength = 0;
    attempt.startValue = attempt.startMask = attempt.endValue = attempt.endMask = 0;
    if (startPiece) {
        const Piece& piece = pieces_[first++];
        attempt.startLength = piece.length;
        WordOfPiece(pieceBytes_ + piece.firstByte, std::min<int>(piece.length, 8), 0,
                    &attempt.startValue, &attempt.startMask);
    }
    if (endPiece) {
        const Piece& piece = pieces_[--end];
        const int tail = std::min<int>(piece.length, 8);
        attempt.endLength = piece.length;
        WordOfPiece(pieceBytes_ + piece.firstByte + piece.length - tail, tail, 8 - tail,
                    &attempt.endValue, &attempt.endMask);
    }
    attempt.wordsFrom = std::max(attempt.startLength, attempt.endLength) <= 8
                            ? 8
                            : std::numeric_limits<std::size_t>::max();
    for (int p = first; p < end; ++p)
        AddLiterals(pieces_[p]);
    attempt.searchedPieces = static_cast<std::uint16_t>(end - first);
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
        literalWords_ = std::max(literalWords_, offset / 64 + 1);
        literal.shift = static_cast<std::uint8_t>(offset % 64);
        literal.byteClass = byteClass_[folded];
    }
    piece.literalCount = static_cast<std::uint16_t>(literalCount_ - piece.firstLiteral);
}

bool CompiledPatternLine::PieceAt(const Piece& piece, const unsigned char* at) const {
    const unsigned char* bytes = pieceBytes_ + piece.firstByte;
    for (int i = 0; i < piece.length; ++i) {
        if (bytes[i] != '?' && bytes[i] != kFold.folded[at[i]])
            return false;
    }
    return true;
}

bool CompiledPatternLine::FitsAnchoredPieces(const Try& attempt, const Name& name) const {
    const Piece* pieces = pieces_ + attempt.firstPiece;
    return (attempt.startLength == 0 || PieceAt(pieces[0], name.bytes)) &&
           (attempt.endLength == 0 ||
            PieceAt(pieces[attempt.pieceCount - 1], name.bytes + name.length - attempt.endLength));
}

// The cheap necessary checks: the length, the pieces anchored at either end (for most
// names and pieces one word each, a word of nothing when there is no such piece), the
// dot rule.
inline bool CompiledPatternLine::FitsAnchors(const Try& attempt, Name& name) const {
    const std::size_t length = name.length;
    if (length - attempt.minLength > attempt.extraLength)
        return false;
    if (length >= attempt.wordsFrom) {
        std::uint64_t start;
        std::uint64_t end;
        std::memcpy(&start, name.bytes, 8);
        std::memcpy(&end, name.bytes + length - 8, 8);
        if ((((start ^ attempt.startValue) & attempt.startMask) |
             ((end ^ attempt.endValue) & attempt.endMask)) != 0)
            return false;
    } else if (!FitsAnchoredPieces(attempt, name)) {
        return false;
    }
    return !attempt.nameWithoutDot || !name.HoldsDot();
}

bool CompiledPatternLine::Matches(const char* name) const {
    return Matches(name, std::strlen(name));
}

bool CompiledPatternLine::Matches(const char* name, std::size_t length) const {
    Name view{reinterpret_cast<const unsigned char*>(name), length, -1};
    for (int t = 0; t < tryCount_; ++t) {
        if (FitsAnchors(tries_[t], view))
            return tries_[t].searchedPieces == 0 || MatchesWithSearch(t, view);
    }
    return false;
}

// Kept apart so that only names that reach a search pay for the position sets' stack.
__attribute__((noinline)) bool CompiledPatternLine::MatchesWithSearch(int firstTry,
                                                                      Name& name) const {
    PieceFinder finder(*this, name);
    for (int t = firstTry; t < tryCount_; ++t) {
        const Try& attempt = tries_[t];
        if (t != firstTry && !FitsAnchors(attempt, name))
            continue;
        if (FindSearchedPieces(attempt, name, finder))
            return true;
    }
    return false;
}

// Each searched piece at its leftmost place behind the one before: as every piece has a
// fixed length, the leftmost place leaves the most room to the pieces that follow.
bool CompiledPatternLine::FindSearchedPieces(const Try& attempt, const Name& name,
                                             PieceFinder& finder) const {
    std::size_t start = attempt.startLength;
    const std::size_t end = name.length - attempt.endLength;
    const int first = attempt.firstPiece + (attempt.startLength != 0 ? 1 : 0);
    for (int p = first; p < first + attempt.searchedPieces; ++p) {
        const std::size_t found = finder.Find(pieces_[p], start, end);
        if (found == kNotFound)
            return false;
        start = found + pieces_[p].length;
    }
    return true;
}
