#include "engine/name_list.h"

#include "text/case_fold.h"
#include "text/wildcard.h"

#include <algorithm>
#include <cstdint>
#include <new>

namespace {

bool IsBlank(Utf16Char unit) {
    return unit == ' ' || unit == '\t' || unit == 0x3000;
}

void Trim(const Utf16Char*& begin, const Utf16Char*& end) {
    while (begin != end && IsBlank(*begin))
        ++begin;
    while (end != begin && IsBlank(end[-1]))
        --end;
}

// The pattern of the line at at, as Read takes it; moves at behind the line's end.
void NextCell(const Utf16Char*& at, const Utf16Char* textEnd, const Utf16Char*& begin,
              const Utf16Char*& end) {
    begin = at;
    end = nullptr;
    for (; at != textEnd && *at != '\r' && *at != '\n'; ++at) {
        if (*at == '\t' && end == nullptr)
            end = at;
    }
    if (end == nullptr)
        end = at;
    if (at != textEnd && *at++ == '\r' && at != textEnd && *at == '\n')
        ++at;
    Trim(begin, end);
    if (end - begin >= 2 && *begin == '"' && end[-1] == '"') {
        ++begin;
        --end;
        Trim(begin, end);
    }
}

bool IsWildcardPattern(const Utf16Char* begin, const Utf16Char* end) {
    return *begin == '.' ||
           std::any_of(begin, end, [](Utf16Char unit) { return unit == '*' || unit == '?'; });
}

} // namespace

void NameList::Clear() {
    count_ = leftOut_ = wildcardCount_ = 0;
    slotMask_ = 0;
    entries_.reset();
    units_.reset();
    wildcards_.reset();
    slots_.reset();
}

bool NameList::Read(const Utf16Char* text, std::size_t length) {
    Clear();
    const Utf16Char* const textEnd = std::find(text, text + length, Utf16Char{0});
    // The patterns taken and the room they need: each as read, and its key or its tries.
    std::size_t taken = 0;
    std::size_t exact = 0;
    std::size_t units = 0;
    const Utf16Char* begin = nullptr;
    const Utf16Char* end = nullptr;
    for (const Utf16Char* at = text; at != textEnd;) {
        NextCell(at, textEnd, begin, end);
        if (begin == end)
            continue;
        if (taken == kMaxPatterns) {
            ++leftOut_;
            continue;
        }
        const auto size = static_cast<std::size_t>(end - begin);
        if (size > (SIZE_MAX - units) / 4) {
            Clear();
            return false;
        }
        units += 3 * size + 6;
        exact += IsWildcardPattern(begin, end) ? 0 : 1;
        ++taken;
    }
    if (taken == 0)
        return true;
    entries_.reset(new (std::nothrow) Entry[taken]);
    units_.reset(new (std::nothrow) Utf16Char[units]);
    wildcards_.reset(new (std::nothrow) std::uint32_t[taken - exact + 1]);
    int bits = 4;
    while ((std::size_t{1} << bits) < 2 * exact)
        ++bits;
    slots_.reset(new (std::nothrow) Slot[std::size_t{1} << bits]());
    if (!entries_ || !units_ || !wildcards_ || !slots_) {
        Clear();
        return false;
    }
    slotMask_ = exact != 0 ? (std::uint32_t{1} << bits) - 1 : 0;
    slotShift_ = 32 - bits;
    std::size_t used = 0;
    for (const Utf16Char* at = text; count_ != taken;) {
        NextCell(at, textEnd, begin, end);
        if (begin != end)
            Add(begin, end, used);
    }
    return true;
}

void NameList::Add(const Utf16Char* begin, const Utf16Char* end, std::size_t& used) {
    Entry& entry = entries_[count_];
    const auto size = static_cast<std::size_t>(end - begin);
    entry.text = used;
    Utf16Char* const text = units_.get() + used;
    std::copy(begin, end, text);
    text[size] = 0;
    used += size + 1;
    const bool holdsDot = std::find(begin, end, '.') != end;
    entry.secondTry = entry.dotRule = entry.found = false;
    if (IsWildcardPattern(begin, end)) {
        // The tries of the line's token: pattern_line.cpp's PatternMatches.
        entry.kind = kWildcard;
        entry.tries = used;
        Utf16Char* const first = units_.get() + used;
        std::size_t at = 0;
        if (*begin == '.')
            first[at++] = '*';
        std::copy(begin, end, first + at);
        at += size;
        entry.dotRule = holdsDot && first[at - 1] == '.';
        at -= entry.dotRule ? 1 : 0;
        first[at++] = 0;
        if (!holdsDot) {
            entry.secondTry = true;
            std::copy(first, first + at - 1, first + at);
            at += at - 1;
            first[at++] = '.';
            first[at++] = '*';
            first[at++] = 0;
        }
        used += at;
        wildcards_[wildcardCount_++] = static_cast<std::uint32_t>(count_++);
        return;
    }
    entry.kind = !holdsDot ? kBare : end[-1] == '.' ? kDotEnded : kWhole;
    const std::size_t keyLength = size - (entry.kind == kDotEnded ? 1 : 0);
    std::uint32_t hash = kFoldedHashStart;
    for (std::size_t i = 0; i < keyLength; ++i)
        hash = MixFolded(hash, Folded(begin[i]));
    Slot* slot = Find(begin, keyLength, hash);
    if (slot == nullptr) {
        std::uint32_t s = (hash * 0x9E3779B1u) >> slotShift_;
        while (slots_[s].kinds != 0)
            s = (s + 1) & slotMask_;
        slot = &slots_[s];
        slot->key = used;
        slot->length = keyLength;
        slot->hash = hash;
        std::transform(begin, begin + keyLength, units_.get() + used, Folded);
        used += keyLength;
    }
    slot->kinds |= entry.kind;
    entry.slot = static_cast<std::uint32_t>(slot - slots_.get());
    ++count_;
}

NameList::Slot* NameList::Find(const Utf16Char* units, std::size_t length,
                               std::uint32_t hash) const {
    for (std::uint32_t s = (hash * 0x9E3779B1u) >> slotShift_;; s = (s + 1) & slotMask_) {
        Slot& slot = slots_[s];
        if (slot.kinds == 0)
            return nullptr;
        const Utf16Char* key = units_.get() + slot.key;
        if (slot.hash == hash && slot.length == length &&
            std::equal(key, key + length, units,
                       [](Utf16Char k, Utf16Char unit) { return k == Folded(unit); }))
            return &slot;
    }
}

// The exact patterns that match the name, noted: its whole units, and for a pattern without
// a dot the part before its first dot (the line's second try, with ".*").
bool NameList::LookUp(const Utf16Char* name, std::size_t length, bool fileHoldsDot) {
    if (slotMask_ == 0)
        return false;
    std::uint32_t hash = kFoldedHashStart;
    std::uint32_t beforeDot = 0;
    std::size_t dot = length;
    for (std::size_t i = 0; i < length; ++i) {
        if (name[i] == '.' && dot == length) {
            dot = i;
            beforeDot = hash;
        }
        hash = MixFolded(hash, Folded(name[i]));
    }
    bool matched = false;
    if (Slot* whole = Find(name, length, hash)) {
        const auto kinds = static_cast<std::uint8_t>(
            whole->kinds & (fileHoldsDot ? kBare | kWhole : kBare | kWhole | kDotEnded));
        whole->found |= kinds;
        matched = kinds != 0;
    }
    if (dot != length) {
        Slot* prefix = Find(name, dot, beforeDot);
        if (prefix != nullptr && (prefix->kinds & kBare) != 0) {
            prefix->found |= kBare;
            matched = true;
        }
    }
    return matched;
}

bool NameList::WildcardMatches(const Entry& entry, const Utf16Char* shown, const Utf16Char* file,
                               bool fileHoldsDot) const {
    if (entry.dotRule && fileHoldsDot)
        return false;
    const Utf16Char* pattern = units_.get() + entry.tries;
    for (int round = entry.secondTry ? 2 : 1; round > 0; --round) {
        if (WildcardMatch(pattern, file) == 1 ||
            (shown != file && WildcardMatch(pattern, shown) == 1))
            return true;
        pattern += Utf16Length(pattern) + 1;
    }
    return false;
}

bool NameList::MatchesItem(const Utf16Char* shown, std::size_t shownLength, const Utf16Char* file,
                           std::size_t fileLength) {
    if (file == nullptr ||
        (fileLength == shownLength && std::equal(shown, shown + shownLength, file))) {
        file = shown;
        fileLength = shownLength;
    }
    const bool fileHoldsDot = std::find(file, file + fileLength, '.') != file + fileLength;
    bool selected = LookUp(file, fileLength, fileHoldsDot);
    if (shown != file)
        selected = LookUp(shown, shownLength, fileHoldsDot) || selected;
    for (std::size_t w = 0; w < wildcardCount_; ++w) {
        Entry& entry = entries_[wildcards_[w]];
        if ((!entry.found || !selected) && WildcardMatches(entry, shown, file, fileHoldsDot))
            entry.found = selected = true;
    }
    return selected;
}

std::size_t NameList::NotFound() const {
    std::size_t notFound = 0;
    for (std::size_t i = 0; i < count_; ++i) {
        const Entry& entry = entries_[i];
        notFound +=
            (entry.kind == kWildcard ? entry.found : (slots_[entry.slot].found & entry.kind) != 0)
                ? 0
                : 1;
    }
    return notFound;
}

void NameList::ForgetMatches() {
    for (std::size_t i = 0; i < count_; ++i) {
        entries_[i].found = false;
        if (entries_[i].kind != kWildcard)
            slots_[entries_[i].slot].found = 0;
    }
}
