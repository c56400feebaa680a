// The family name of a Windows package, worked out at compile time from the package's name and
// publisher as Windows works it out: the name, "_", and the publisher's id, the first 64 bits
// of the SHA-256 of the publisher in UTF-16LE in Crockford's base 32 (13 characters, the last
// padded with a zero bit). The publisher is a build fact (a certificate's subject when the
// release is signed), so the family cannot be written down once; the checker of the built
// package works it out again on its own.
#pragma once

#include <cstddef>
#include <cstdint>

namespace package_identity {

constexpr size_t kPublisherIdLength = 13;
// Windows allows publishers of up to 8192 characters; ours are a certificate's subject.
constexpr size_t kMaxPublisherUnits = 1024;
constexpr size_t kMaxFamilyLength = 64 + 1 + kPublisherIdLength;

struct Utf16Text {
    char16_t Units[kMaxPublisherUnits] = {};
    size_t Length = 0;
    bool Valid = true;
};

// UTF-8 (as a u8 literal is stored whatever the execution character set) to UTF-16.
constexpr Utf16Text Utf16FromUtf8(const char* text) {
    Utf16Text out;
    for (size_t at = 0; text[at] != '\0';) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const size_t trail = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : 1;
        uint32_t point = trail == 0 ? lead : lead & (0x3Fu >> trail);
        for (size_t next = 1; next <= trail; ++next) {
            const auto unit = static_cast<unsigned char>(text[at + next]);
            if ((unit & 0xC0) != 0x80) {
                out.Valid = false;
                return out;
            }
            point = point << 6 | (unit & 0x3Fu);
        }
        at += trail + 1;
        const size_t needed = point >= 0x10000 ? 2 : 1;
        if (out.Length + needed > kMaxPublisherUnits) {
            out.Valid = false;
            return out;
        }
        if (needed == 2) {
            out.Units[out.Length++] = static_cast<char16_t>(0xD800 + ((point - 0x10000) >> 10));
            out.Units[out.Length++] = static_cast<char16_t>(0xDC00 + (point & 0x3FF));
        } else {
            out.Units[out.Length++] = static_cast<char16_t>(point);
        }
    }
    return out;
}

constexpr size_t LengthOf(const char* text) {
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    return length;
}

constexpr uint32_t RotateRight(uint32_t value, int by) {
    return value >> by | value << (32 - by);
}

// The first 64 bits of the SHA-256 of the text's UTF-16LE bytes.
constexpr uint64_t Sha256Prefix(const Utf16Text& text) {
    constexpr uint32_t kRounds[64] = {
        0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4,
        0xab1c5ed5, 0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe,
        0x9bdc06a7, 0xc19bf174, 0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f,
        0x4a7484aa, 0x5cb0a9dc, 0x76f988da, 0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7,
        0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967, 0x27b70a85, 0x2e1b2138, 0x4d2c6dfc,
        0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85, 0xa2bfe8a1, 0xa81a664b,
        0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070, 0x19a4c116,
        0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7,
        0xc67178f2};
    uint32_t state[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                         0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    const size_t bytes = text.Length * 2;
    // The message, a 0x80 byte, zeros up to 56 bytes into a block, then its length in bits.
    const size_t blocks = (bytes + 1 + 8 + 63) / 64;
    for (size_t block = 0; block < blocks; ++block) {
        uint32_t words[64] = {};
        for (size_t index = 0; index < 64; ++index) {
            const size_t at = block * 64 + index;
            uint32_t byte = 0;
            if (at < bytes)
                byte = (text.Units[at / 2] >> (at % 2 * 8)) & 0xFF;
            else if (at == bytes)
                byte = 0x80;
            else if (at >= blocks * 64 - 8)
                byte = static_cast<uint32_t>(static_cast<uint64_t>(bytes) * 8 >>
                                             ((blocks * 64 - 1 - at) * 8)) &
                       0xFF;
            words[index / 4] |= byte << (24 - index % 4 * 8);
        }
        for (size_t index = 16; index < 64; ++index) {
            const uint32_t low = words[index - 15];
            const uint32_t high = words[index - 2];
            words[index] =
                words[index - 16] + (RotateRight(low, 7) ^ RotateRight(low, 18) ^ (low >> 3)) +
                words[index - 7] + (RotateRight(high, 17) ^ RotateRight(high, 19) ^ (high >> 10));
        }
        uint32_t v[8] = {};
        for (size_t index = 0; index < 8; ++index)
            v[index] = state[index];
        for (size_t index = 0; index < 64; ++index) {
            const uint32_t first =
                v[7] + (RotateRight(v[4], 6) ^ RotateRight(v[4], 11) ^ RotateRight(v[4], 25)) +
                ((v[4] & v[5]) ^ (~v[4] & v[6])) + kRounds[index] + words[index];
            const uint32_t second =
                (RotateRight(v[0], 2) ^ RotateRight(v[0], 13) ^ RotateRight(v[0], 22)) +
                ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            for (size_t shift = 7; shift > 0; --shift)
                v[shift] = v[shift - 1];
            v[4] += first;
            v[0] = first + second;
        }
        for (size_t index = 0; index < 8; ++index)
            state[index] += v[index];
    }
    return static_cast<uint64_t>(state[0]) << 32 | state[1];
}

struct FamilyName {
    char Text[kMaxFamilyLength + 1] = {};
    bool Valid = false;
};

constexpr FamilyName FamilyOf(const char* name, const char* publisherUtf8) {
    FamilyName family;
    const Utf16Text publisher = Utf16FromUtf8(publisherUtf8);
    const size_t length = LengthOf(name);
    if (!publisher.Valid || publisher.Length == 0 || length == 0 || length > 64)
        return family;
    for (size_t at = 0; at < length; ++at)
        family.Text[at] = name[at];
    family.Text[length] = '_';
    constexpr char kAlphabet[] = "0123456789abcdefghjkmnpqrstvwxyz";
    const uint64_t id = Sha256Prefix(publisher);
    for (size_t digit = 0; digit < kPublisherIdLength; ++digit) {
        // 65 bits in 13 digits of 5: the 64 bits of the id and a zero bit after them.
        const int shift = 64 - 5 * static_cast<int>(digit + 1);
        const uint64_t value = shift >= 0 ? id >> shift : id << -shift;
        family.Text[length + 1 + digit] = kAlphabet[value & 31];
    }
    family.Valid = true;
    return family;
}

// An ASCII text widened at compile time, in an array of its own size.
template <size_t Room> struct WideText {
    wchar_t Text[Room] = {};
};

template <size_t Room> constexpr WideText<Room> Widened(const char* ascii) {
    WideText<Room> wide;
    for (size_t at = 0; at + 1 < Room && ascii[at] != '\0'; ++at)
        wide.Text[at] = static_cast<wchar_t>(ascii[at]);
    return wide;
}

} // namespace package_identity
