// UTF-16 text as Windows holds file names and the typed line. The matcher works on its units
// and reads a surrogate pair as one character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(_WIN32)
// Windows' own wide character, so that its callers hand over their text as it is.
using Utf16Char = wchar_t;
#else
using Utf16Char = char16_t;
#endif
static_assert(sizeof(Utf16Char) == 2, "a UTF-16 unit is two bytes");

constexpr bool IsSurrogate(unsigned unit) {
    return (unit & 0xF800) == 0xD800;
}
constexpr bool IsHighSurrogate(unsigned unit) {
    return (unit & 0xFC00) == 0xD800;
}
constexpr bool IsLowSurrogate(unsigned unit) {
    return (unit & 0xFC00) == 0xDC00;
}

// The units before the terminator. Inline: the matcher's cheapest answers cost little more
// than finding the name's end.
// Sixteen (SSE2) or eight bytes a round from an aligned address, as the C library's strlen
// does: the branch that ends the loop is the costly one, as names differ in length, so the
// fewer rounds the better; and a block found by its aligned address never reaches into
// another page than the terminator's. The block holding the terminator may hold units before
// the text or behind the terminator, which are read but never used; the address sanitizer,
// which counts such a read as one outside the text, is told not to look.
#if defined(__clang__) || defined(__GNUC__)
__attribute__((no_sanitize_address))
#endif
inline std::size_t
Utf16Length(const Utf16Char* text) {
    const auto address = reinterpret_cast<std::uintptr_t>(text);
    if ((address & 1) != 0) {
        // Not where a UTF-16 text lies; read unit by unit.
        const Utf16Char* at = text;
        while (*at != 0)
            ++at;
        return static_cast<std::size_t>(at - text);
    }
#if defined(__SSE2__)
    const std::uintptr_t skipped = address & 15;
    const auto* block = reinterpret_cast<const __m128i*>(address - skipped);
    const __m128i zero = _mm_setzero_si128();
    // Two bits for each unit that is zero, the bytes before the text left out.
    const unsigned first =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero))) >>
        skipped;
    if (first != 0)
        return static_cast<std::size_t>(__builtin_ctz(first) / 2);
    for (std::size_t before = (16 - skipped) / 2;; before += 8) {
        ++block;
        const auto zeros =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_load_si128(block), zero)));
        if (zeros != 0)
            return before + static_cast<std::size_t>(__builtin_ctz(zeros) / 2);
    }
#else
    const Utf16Char* at = text;
    while ((reinterpret_cast<std::uintptr_t>(at) & 7) != 0) {
        if (*at == 0)
            return static_cast<std::size_t>(at - text);
        ++at;
    }
    constexpr std::uint64_t kOnes = 0x0001000100010001;
    constexpr std::uint64_t kHighs = 0x8000800080008000;
    for (;; at += 4) {
        std::uint64_t word;
        std::memcpy(&word, at, sizeof word);
        const std::uint64_t zeros = (word - kOnes) & ~word & kHighs;
        if (zeros != 0)
            return static_cast<std::size_t>(at - text) +
                   static_cast<std::size_t>(__builtin_ctzll(zeros) / 16);
    }
#endif
}

// Index of the first unit equal to unit, or -1; unit 0 gives -1.
int FindUnit(const Utf16Char* text, Utf16Char unit);
