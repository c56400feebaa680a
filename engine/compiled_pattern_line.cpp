#include "engine/compiled_pattern_line.h"

#include "engine/pattern_line.h"
#include "text/case_fold.h"

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstring>

static_assert(sizeof(Utf16Char) == 2, "four units make one word of the anchored pieces");

namespace {

// Names up to this many units are searched through bit sets of their positions, and read
// by characters in place; the list view never hands over longer ones.
constexpr int kNameWords = 5;
constexpr std::size_t kBitSetNameUnits = 64 * kNameWords;
// A piece holds at most a token, its star and ".*"'s dot.
constexpr int kMaxPieceWords = (kPatternTokenCap + 2 + 63) / 64;
constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
constexpr int kMatched = -1;
constexpr int kNoMatch = -2;
// A surrogate character's symbol lies in the surrogate range, where no unit of a name read
// by characters can stand for itself.
constexpr unsigned kFirstSymbol = 0xD800;

bool HoldsUnit(const Utf16Char* text, std::size_t length, Utf16Char unit) {
    return std::find(text, text + length, unit) != text + length;
}

std::uint32_t PairKey(unsigned high, unsigned low) {
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Piece units placed at the given offset of a four-unit window: the value and mask that a
// word of name units is compared with. "?" and the window's other units are ignored; a
// letter whose partner differs only in the case bit ignores that bit. Returns false when a
// letter with another partner had to be ignored as well, so that the word alone cannot
// decide.
bool WordOfPiece(const Utf16Char* units, const Utf16Char* alternatives, int count, int offset,
                 std::uint64_t* value, std::uint64_t* mask) {
    std::uint16_t values[4] = {};
    std::uint16_t masks[4] = {};
    bool decides = true;
    for (int i = 0; i < count; ++i) {
        const auto unit = static_cast<std::uint16_t>(units[i]);
        const auto alternative = static_cast<std::uint16_t>(alternatives[i]);
        if (unit == '?') {
            continue;
        } else if (alternative == unit) {
            values[offset + i] = unit;
            masks[offset + i] = 0xFFFF;
        } else if ((alternative ^ unit) == 0x20) {
            values[offset + i] = static_cast<std::uint16_t>(unit & 0xFFDF);
            masks[offset + i] = 0xFFDF;
        } else {
            decides = false;
        }
    }
    std::memcpy(value, values, 8);
    std::memcpy(mask, masks, 8);
    return decides;
}

} // namespace

struct CompiledPatternLine::Name {
    const Utf16Char* units;
    std::size_t length;
    int holdsDot;       // -1 until asked
    int holdsSurrogate; // -1 until asked; 0 for a name already read by characters

    bool HoldsDot() {
        if (holdsDot < 0)
            holdsDot = HoldsUnit(units, length, '.') ? 1 : 0;
        return holdsDot == 1;
    }
    bool HoldsSurrogate() {
        if (holdsSurrogate < 0) {
            holdsSurrogate =
                std::any_of(units, units + length, [](Utf16Char unit) { return IsSurrogate(unit); })
                    ? 1
                    : 0;
        }
        return holdsSurrogate == 1;
    }
};

// For each unit class of the searched pieces, the set of name positions that hold it.
// A piece then occurs at the positions where every one of its literals, shifted by its
// offset, finds its class: a few word operations per literal, whatever the name holds.
class CompiledPatternLine::PositionSets {
public:
    void Build(const Name& name, const CompiledPatternLine& line) {
        const int words = static_cast<int>((name.length + 63) / 64) + line.literalWords_;
        for (int c = 1; c <= line.searchClassCount_; ++c) {
            for (int w = 0; w < words; ++w)
                rows_[c][w] = 0;
        }
        for (std::size_t i = 0; i < name.length; ++i) {
            const int c = line.ClassOf(name.units[i]);
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
        const std::uint64_t* row = rows_[literal.unitClass] + w + literal.word;
        return (row[0] >> literal.shift) | ((row[1] << 1) << (63 - literal.shift));
    }

    // Behind the name's words, room for the words that a literal's offset reaches past them.
    std::uint64_t rows_[kMaxSearchClasses + 1][kNameWords + kMaxPieceWords];
};

// Finds the searched pieces in one name: by plain comparison while that stays cheap, as
// it does for ordinary lines and names, and through the position sets once it has cost a
// few comparisons per name unit. Names longer than the sets cover are only compared.
class CompiledPatternLine::PieceFinder {
public:
    PieceFinder(const CompiledPatternLine& line, const Name& name)
        : line_(line), name_(name), budget_(name.length <= kBitSetNameUnits
                                                ? 2 * static_cast<std::ptrdiff_t>(name.length) + 16
                                                : PTRDIFF_MAX) {}

    // The leftmost position p in [start, end - piece length] where the piece occurs.
    std::size_t Find(const Piece& piece, std::size_t start, std::size_t end) {
        if (!setsBuilt_) {
            const std::size_t found = Compare(piece, start, end);
            if (found != kGaveUp)
                return found;
            sets_.Build(name_, line_);
            setsBuilt_ = true;
        }
        return sets_.Find(line_.literals_ + piece.firstLiteral, piece.literalCount, piece.length,
                          start, end);
    }

private:
    static constexpr std::size_t kGaveUp = kNotFound - 1;

    std::size_t Compare(const Piece& piece, std::size_t start, std::size_t end) {
        const Utf16Char* units = line_.pieceUnits_ + piece.firstUnit;
        const Utf16Char* alternatives = line_.pieceAlternatives_ + piece.firstUnit;
        const int length = piece.length;
        if (end - start < static_cast<std::size_t>(length))
            return kNotFound;
        const std::size_t last = end - static_cast<std::size_t>(length);
        const Utf16Char first = units[0];
        const Utf16Char firstAlternative = alternatives[0];
        const Utf16Char* name = name_.units;
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
            if (first != '?') {
                while (at < stop && name[at] != first && name[at] != firstAlternative)
                    ++at;
            }
            budget -= static_cast<std::ptrdiff_t>(at - from);
            if (at == stop)
                continue;
            int i = 1;
            while (i < length &&
                   (units[i] == '?' || units[i] == name[at + i] || alternatives[i] == name[at + i]))
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

bool CompiledPatternLine::Compile(const Utf16Char* patternLine) {
    tryCount_ = 0;
    exclusionsFrom_ = 0;
    selectsEveryName_ = false;
    pieceCount_ = 0;
    pieceUnitCount_ = 0;
    literalCount_ = 0;
    searchClassCount_ = 0;
    literalWords_ = 0;
    surrogateCount_ = 0;
    std::memset(unitClass_, 0, sizeof unitClass_);
    std::memset(wideClass_, 0, sizeof wideClass_);

    int lineLength = 0;
    while (lineLength < kMaxLineUnits && patternLine[lineLength] != 0) {
        line_[lineLength] = patternLine[lineLength];
        ++lineLength;
    }
    line_[lineLength] = 0;

    const int bar = FindLineBar(line_);
    const int selectingTokens = AddTokens(line_, bar < 0 ? nullptr : line_ + bar);
    selectsEveryName_ = bar >= 0 && selectingTokens == 0;
    exclusionsFrom_ = tryCount_;
    if (bar >= 0)
        AddTokens(line_ + bar + 1, nullptr);
    SearchlessFirst(0, exclusionsFrom_);
    SearchlessFirst(exclusionsFrom_, tryCount_);
    readsCharacters_ = std::any_of(tries_, tries_ + tryCount_,
                                   [](const Try& attempt) { return attempt.readsCharacters; });
    readsDots_ = std::any_of(tries_, tries_ + tryCount_,
                             [](const Try& attempt) { return attempt.nameWithoutDot; });
    std::sort(surrogates_, surrogates_ + surrogateCount_,
              [](const SurrogateSymbol& a, const SurrogateSymbol& b) { return a.key < b.key; });
    unmatchedSymbol_ = static_cast<Utf16Char>(kFirstSymbol + surrogateCount_);
    return patternLine[lineLength] == 0;
}

// Within a side the answer is the same in any order; tries that need no search go first,
// so that a name they decide never pays for the position sets. Nothing is allocated.
void CompiledPatternLine::SearchlessFirst(int firstTry, int endTry) {
    int placed = firstTry;
    for (int t = firstTry; t < endTry; ++t) {
        if (tries_[t].searchedPieces == 0)
            std::rotate(tries_ + placed++, tries_ + t, tries_ + t + 1);
    }
}

// The tries (ForEachTry) of the tokens that start between position and end; returns how many
// tokens there were.
int CompiledPatternLine::AddTokens(const Utf16Char* position, const Utf16Char* end) {
    int tokens = 0;
    Utf16Char pattern[kLinePatternRoom];
    bool quoted = false;
    while ((position = NextLinePattern(pattern, position, end, quoted)) != nullptr) {
        ++tokens;
        ForEachTry(pattern,
                   [this](const Utf16Char* attempt, std::size_t length, bool nameWithoutDot) {
                       AddTry(attempt, length, nameWithoutDot);
                       return false;
                   });
    }
    return tokens;
}

void CompiledPatternLine::AddTry(const Utf16Char* pattern, std::size_t length,
                                 bool nameWithoutDot) {
    // A dot that the pattern needs and the dot rule forbids still matches a shown name with a
    // dot whose file name has none.
    assert(tryCount_ < kMaxTries);
    Try& attempt = tries_[tryCount_++];
    attempt.firstPiece = static_cast<std::uint16_t>(pieceCount_);
    attempt.hasStar = HoldsUnit(pattern, length, '*');
    attempt.nameWithoutDot = nameWithoutDot;
    attempt.readsCharacters = false;
    attempt.minLength = AddPieces(pattern, length, attempt.readsCharacters);
    attempt.pieceCount = static_cast<std::uint16_t>(pieceCount_ - attempt.firstPiece);
    // So that length - minLength > extraLength also rejects a name shorter than minLength.
    attempt.extraLength = attempt.hasStar ? static_cast<std::size_t>(-1) - attempt.minLength : 0;
    // With a star, a start piece and an end piece are two different pieces; without one,
    // the only piece starts the name and the length check makes it end it too.
    AnchorPieces(attempt, attempt.pieceCount != 0 && pattern[0] != '*',
                 attempt.hasStar && pattern[length - 1] != '*');
}

// The pattern's pieces, folded, behind the pieces of the tries before; returns the
// characters they cover together.
std::size_t CompiledPatternLine::AddPieces(const Utf16Char* pattern, std::size_t length,
                                           bool& readsCharacters) {
    std::size_t minLength = 0;
    for (std::size_t at = 0; at < length;) {
        if (pattern[at] == '*') {
            ++at;
            continue;
        }
        assert(pieceCount_ < kMaxPieceUnits);
        Piece& piece = pieces_[pieceCount_++];
        piece.firstUnit = static_cast<std::uint16_t>(pieceUnitCount_);
        while (at < length && pattern[at] != '*') {
            const auto unit = static_cast<std::uint16_t>(pattern[at++]);
            Utf16Char symbol = unit;
            Utf16Char alternative = unit;
            if (IsSurrogate(unit)) {
                std::uint32_t key = unit;
                if (IsHighSurrogate(unit) && at < length && IsLowSurrogate(pattern[at]))
                    key = PairKey(unit, static_cast<unsigned>(pattern[at++]));
                symbol = alternative = SymbolFor(key);
                readsCharacters = true;
            } else {
                symbol = FoldUnit(unit);
                alternative = CasePartner(static_cast<std::uint16_t>(symbol));
                readsCharacters = readsCharacters || unit == '?';
            }
            assert(pieceUnitCount_ < kMaxPieceUnits);
            pieceUnits_[pieceUnitCount_] = symbol;
            pieceAlternatives_[pieceUnitCount_++] = alternative;
        }
        piece.length = static_cast<std::uint16_t>(pieceUnitCount_ - piece.firstUnit);
        piece.firstLiteral = 0;
        piece.literalCount = 0;
        minLength += piece.length;
    }
    return minLength;
}

// The same surrogate character always gets the same symbol; the keys are sorted once the
// line is read.
Utf16Char CompiledPatternLine::SymbolFor(std::uint32_t key) {
    for (int s = 0; s < surrogateCount_; ++s) {
        if (surrogates_[s].key == key)
            return surrogates_[s].symbol;
    }
    assert(surrogateCount_ < kMaxLineUnits);
    const auto symbol = static_cast<Utf16Char>(kFirstSymbol + surrogateCount_);
    surrogates_[surrogateCount_++] = {key, symbol};
    return symbol;
}

// Sets the words of the pieces anchored at either end of the name; the pieces between them
// are searched, and their literals indexed for the search.
void CompiledPatternLine::AnchorPieces(Try& attempt, bool startPiece, bool endPiece) {
    int first = attempt.firstPiece;
    int end = attempt.firstPiece + attempt.pieceCount;
    attempt.startLength = 0;
    attempt.endLength = 0;
    attempt.startValue = attempt.startMask = attempt.endValue = attempt.endMask = 0;
    bool decides = true;
    if (startPiece) {
        const Piece& piece = pieces_[first++];
        attempt.startLength = piece.length;
        decides =
            WordOfPiece(pieceUnits_ + piece.firstUnit, pieceAlternatives_ + piece.firstUnit,
                        std::min<int>(piece.length, 4), 0, &attempt.startValue, &attempt.startMask);
    }
    if (endPiece) {
        const Piece& piece = pieces_[--end];
        const int tail = std::min<int>(piece.length, 4);
        const int from = piece.firstUnit + piece.length - tail;
        attempt.endLength = piece.length;
        decides = WordOfPiece(pieceUnits_ + from, pieceAlternatives_ + from, tail, 4 - tail,
                              &attempt.endValue, &attempt.endMask) &&
                  decides;
    }
    attempt.wordsDecide = decides && std::max(attempt.startLength, attempt.endLength) <= 4;
    for (int p = first; p < end; ++p)
        AddLiterals(pieces_[p]);
    attempt.searchedPieces = static_cast<std::uint16_t>(end - first);
}

void CompiledPatternLine::AddLiterals(Piece& piece) {
    piece.firstLiteral = static_cast<std::uint16_t>(literalCount_);
    for (int offset = 0; offset < piece.length; ++offset) {
        const Utf16Char unit = pieceUnits_[piece.firstUnit + offset];
        if (unit == '?')
            continue;
        std::uint16_t unitClass = ClassOf(unit);
        if (unitClass == 0) {
            assert(searchClassCount_ < kMaxSearchClasses);
            unitClass = static_cast<std::uint16_t>(++searchClassCount_);
            SetClass(unit, unitClass);
            const Utf16Char alternative = pieceAlternatives_[piece.firstUnit + offset];
            if (alternative != unit)
                SetClass(alternative, unitClass);
        }
        assert(literalCount_ < kMaxPieceUnits);
        Literal& literal = literals_[literalCount_++];
        literal.word = static_cast<std::uint8_t>(offset / 64);
        literalWords_ = std::max(literalWords_, offset / 64 + 1);
        literal.shift = static_cast<std::uint8_t>(offset % 64);
        literal.unitClass = unitClass;
    }
    piece.literalCount = static_cast<std::uint16_t>(literalCount_ - piece.firstLiteral);
}

void CompiledPatternLine::SetClass(Utf16Char unit, std::uint16_t unitClass) {
    const auto value = static_cast<std::uint32_t>(unit);
    if (value < 256) {
        unitClass_[value] = unitClass;
        return;
    }
    unsigned slot = value % kWideClassSlots;
    while (wideClass_[slot] != 0)
        slot = (slot + 1) % kWideClassSlots;
    wideClass_[slot] = value << 16 | unitClass;
}

std::uint16_t CompiledPatternLine::ClassOf(Utf16Char unit) const {
    const auto value = static_cast<std::uint32_t>(unit);
    if (value < 256)
        return unitClass_[value];
    for (unsigned slot = value % kWideClassSlots;; slot = (slot + 1) % kWideClassSlots) {
        const std::uint32_t entry = wideClass_[slot];
        if (entry == 0 || entry >> 16 == value)
            return static_cast<std::uint16_t>(entry & 0xFFFF);
    }
}

bool CompiledPatternLine::PieceAt(const Piece& piece, const Utf16Char* at) const {
    const Utf16Char* units = pieceUnits_ + piece.firstUnit;
    const Utf16Char* alternatives = pieceAlternatives_ + piece.firstUnit;
    for (int i = 0; i < piece.length; ++i) {
        if (units[i] != '?' && units[i] != at[i] && alternatives[i] != at[i])
            return false;
    }
    return true;
}

bool CompiledPatternLine::FitsAnchoredPieces(const Try& attempt, const Name& name) const {
    const Piece* pieces = pieces_ + attempt.firstPiece;
    return (attempt.startLength == 0 || PieceAt(pieces[0], name.units)) &&
           (attempt.endLength == 0 ||
            PieceAt(pieces[attempt.pieceCount - 1], name.units + name.length - attempt.endLength));
}

// The cheap necessary checks: the length, the pieces anchored at either end (for most
// names and pieces one word each, a word of nothing when there is no such piece), the
// dot rule.
inline bool CompiledPatternLine::FitsAnchors(const Try& attempt, Name& name) const {
    const std::size_t length = name.length;
    if (length - attempt.minLength > attempt.extraLength)
        return false;
    if (length >= 4) {
        std::uint64_t start;
        std::uint64_t end;
        std::memcpy(&start, name.units, 8);
        std::memcpy(&end, name.units + length - 4, 8);
        if ((((start ^ attempt.startValue) & attempt.startMask) |
             ((end ^ attempt.endValue) & attempt.endMask)) != 0)
            return false;
        if (!attempt.wordsDecide && !FitsAnchoredPieces(attempt, name))
            return false;
    } else if (!FitsAnchoredPieces(attempt, name)) {
        return false;
    }
    return !attempt.nameWithoutDot || !name.HoldsDot();
}

bool CompiledPatternLine::Matches(const Utf16Char* name) const {
    return Matches(name, Utf16Length(name));
}

bool CompiledPatternLine::Matches(const Utf16Char* name, std::size_t length) const {
    Name view{name, length, -1, -1};
    // Longer than any name Windows gives: read by the line's own rules.
    if (length > kBitSetNameUnits && readsCharacters_ && view.HoldsSurrogate())
        return MatchPatternLine(line_, name) == 1;
    return (selectsEveryName_ || SideMatches(0, exclusionsFrom_, view)) &&
           (exclusionsFrom_ == tryCount_ || !SideMatches(exclusionsFrom_, tryCount_, view));
}

bool CompiledPatternLine::MatchesItem(const Utf16Char* shown, std::size_t shownLength,
                                      const Utf16Char* file, std::size_t fileLength) const {
    if (file == nullptr ||
        (fileLength == shownLength && std::equal(shown, shown + shownLength, file)))
        return Matches(shown, shownLength);
    Name fileView{file, fileLength, -1, -1};
    // The dot rule reads the file name's dot for both names: the shown name lacks the hidden
    // extension's.
    Name shownView{shown, shownLength, readsDots_ && fileView.HoldsDot() ? 1 : 0, -1};
    if (readsCharacters_ && ((shownLength > kBitSetNameUnits && shownView.HoldsSurrogate()) ||
                             (fileLength > kBitSetNameUnits && fileView.HoldsSurrogate())))
        return MatchPatternLine(line_, shown, file) == 1;
    // The file name first: extensions, the most usual patterns, are in it.
    return (selectsEveryName_ || SideMatches(0, exclusionsFrom_, fileView) ||
            SideMatches(0, exclusionsFrom_, shownView)) &&
           (exclusionsFrom_ == tryCount_ || (!SideMatches(exclusionsFrom_, tryCount_, fileView) &&
                                             !SideMatches(exclusionsFrom_, tryCount_, shownView)));
}

// Whether one of the tries from firstTry to endTry matches.
bool CompiledPatternLine::SideMatches(int firstTry, int endTry, Name& name) const {
    const int outcome = TriesFrom(firstTry, endTry, name);
    return outcome >= 0 ? MatchesByCharacters(outcome, endTry, name) : outcome == kMatched;
}

// kMatched or kNoMatch for the tries from firstTry to endTry, or the try from which on the
// name has to be read by characters.
int CompiledPatternLine::TriesFrom(int firstTry, int endTry, Name& name) const {
    for (int t = firstTry; t < endTry; ++t) {
        const Try& attempt = tries_[t];
        if (attempt.readsCharacters && name.HoldsSurrogate())
            return t;
        if (FitsAnchors(attempt, name))
            return attempt.searchedPieces == 0 ? kMatched : SearchFrom(t, endTry, name);
    }
    return kNoMatch;
}

// Kept apart so that only names that reach a search pay for the position sets' stack.
__attribute__((noinline)) int CompiledPatternLine::SearchFrom(int firstTry, int endTry,
                                                              Name& name) const {
    PieceFinder finder(*this, name);
    for (int t = firstTry; t < endTry; ++t) {
        const Try& attempt = tries_[t];
        if (attempt.readsCharacters && name.HoldsSurrogate())
            return t;
        if (t != firstTry && !FitsAnchors(attempt, name))
            continue;
        if (FindSearchedPieces(attempt, name, finder))
            return kMatched;
    }
    return kNoMatch;
}

// The name with one unit per character, in which every try reads characters as units.
__attribute__((noinline)) bool CompiledPatternLine::MatchesByCharacters(int firstTry, int endTry,
                                                                        const Name& name) const {
    Utf16Char symbols[kBitSetNameUnits];
    Name characters{symbols, Decode(name, symbols), name.holdsDot, 0};
    return TriesFrom(firstTry, endTry, characters) == kMatched;
}

// A unit other than a surrogate stays itself; a surrogate character becomes the symbol
// that the line gave it, or one that no piece holds.
std::size_t CompiledPatternLine::Decode(const Name& name, Utf16Char* symbols) const {
    std::size_t count = 0;
    for (std::size_t i = 0; i < name.length; ++i) {
        const auto unit = static_cast<unsigned>(name.units[i]);
        if (!IsSurrogate(unit)) {
            symbols[count++] = name.units[i];
            continue;
        }
        std::uint32_t key = unit;
        if (IsHighSurrogate(unit) && i + 1 < name.length && IsLowSurrogate(name.units[i + 1]))
            key = PairKey(unit, static_cast<unsigned>(name.units[++i]));
        const SurrogateSymbol* found = std::lower_bound(
            surrogates_, surrogates_ + surrogateCount_, key,
            [](const SurrogateSymbol& entry, std::uint32_t wanted) { return entry.key < wanted; });
        symbols[count++] = found != surrogates_ + surrogateCount_ && found->key == key
                               ? found->symbol
                               : unmatchedSymbol_;
    }
    return count;
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
