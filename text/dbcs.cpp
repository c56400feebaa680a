#include "text/dbcs.h"

#include <cstring>

int IsLeadByte(char c) {
    const unsigned char byte = static_cast<unsigned char>(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 1 : 0;
}

namespace {

// Calls visit(position) for every byte that is a character of its own, skipping the
// second byte of each double-byte character. Stops at the terminator even when a lead
// byte stands right before it.
template <typename Visit> void ScanSingleBytes(const char* path, Visit visit) {
    bool secondBytePending = false;
    for (const char* at = path; *at != '\0'; ++at) {
        if (secondBytePending) {
            secondBytePending = false;
        } else if (IsLeadByte(*at)) {
            secondBytePending = true;
        } else {
            visit(at);
        }
    }
}

} // namespace

void CutAtLastBackslash(char* path) {
    const char* lastBackslash = nullptr;
    ScanSingleBytes(path, [&](const char* at) {
        if (*at == '\\')
            lastBackslash = at;
    });
    if (lastBackslash != nullptr)
        path[lastBackslash - path] = '\0';
}

void RemoveTrailingBackslash(char* path) {
    const char* lastSingleByte = nullptr;
    ScanSingleBytes(path, [&](const char* at) { lastSingleByte = at; });
    // A double-byte character behind the last single byte leaves it followed by more bytes.
    if (lastSingleByte != nullptr && *lastSingleByte == '\\' && lastSingleByte[1] == '\0')
        path[lastSingleByte - path] = '\0';
}

const char* FileNamePart(const char* path) {
    const char* name = path;
    ScanSingleBytes(path, [&](const char* at) {
        if (*at == '\\' || *at == ':')
            name = at + 1;
    });
    return name;
}

int FindChar(const char* text, int c) {
    if (text == nullptr)
        return -1;
    const char wanted = static_cast<char>(c);
    for (int index = 0; text[index] != '\0'; ++index) {
        if (text[index] == wanted)
            return index;
    }
    return -1;
}

const char* NextToken(char* destination, const char* source, const char* separators, int cap) {
    if (source == nullptr)
        return nullptr;
    const auto isSeparator = [separators](char c) {
        for (const char* separator = separators; *separator != '\0'; ++separator) {
            if (*separator == c)
                return true;
        }
        return false;
    };
    while (isSeparator(*source))
        ++source;
    if (*source == '\0')
        return nullptr;
    while (cap > 0 && *source != '\0') {
        if (isSeparator(*source)) {
            *destination = '\0';
            while (isSeparator(*source))
                ++source;
            return source;
        }
        *destination++ = *source++;
        --cap;
    }
    *destination = '\0';
    return source;
}

void MakeExtensionPattern(char* destination, const char* path) {
    destination[0] = '\0';
    // A dot qualifies when no 0x5C byte follows it; the first such dot is the first dot
    // behind the last 0x5C byte of the path.
    const char* lastBackslash = std::strrchr(path, '\\');
    const char* afterBackslash = lastBackslash != nullptr ? lastBackslash + 1 : path;
    const char* dot = std::strchr(afterBackslash, '.');
    if (dot == nullptr)
        return;
    destination[0] = '*';
    std::strcpy(destination + 1, dot);
}
