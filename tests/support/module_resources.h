// A built program's or DLL's icon and version block, read back as Windows reads them and
// checked once per file against what the user is to see.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// A resource's bytes; empty when it is missing.
std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type);

// One image of an icon group as the group's directory lists it.
struct IconImage {
    int Width, Height, ColorCount, Planes, BitCount;
    // The image's resource: its size and id.
    DWORD Bytes;
    WORD Id;
};
// The images of icon group `id`; empty when the group is missing or malformed.
std::vector<IconImage> IconGroupImages(HMODULE module, int id);

// Icon group `id` holds one 32 x 32 image in 16 colours, stored with its mask.
void ExpectOne32By32IconIn16Colours(HMODULE module, int id);

// The file's version block: version 0.0.0.2 of the given file type (VFT_APP, VFT_DLL), one
// translation, Japanese in code page 932, and exactly these strings under it.
void ExpectJapaneseVersionBlock(const std::string& file, DWORD fileType,
                                const std::vector<std::pair<const char*, const char*>>& strings);
