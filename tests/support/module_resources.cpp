#include "tests/support/module_resources.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

#pragma pack(push, 2)
struct IconGroupHeader {
    WORD Reserved;
    WORD Type;
    WORD Count;
};
struct IconGroupEntry {
    BYTE Width;
    BYTE Height;
    BYTE ColorCount;
    BYTE Reserved;
    WORD Planes;
    WORD BitCount;
    DWORD BytesInRes;
    WORD Id;
};
#pragma pack(pop)

// The names of the strings a version block may hold; each one the expected strings do not
// name must be missing.
const char* const kVersionStringNames[] = {
    "CompanyName",     "FileDescription",  "FileVersion", "InternalName",   "LegalCopyright",
    "LegalTrademarks", "OriginalFilename", "ProductName", "ProductVersion", "Comments"};

} // namespace

std::string ResourceBytes(HMODULE module, LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(module, name, type);
    if (found == nullptr)
        return {};
    const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
    return bytes == nullptr ? std::string() : std::string(bytes, SizeofResource(module, found));
}

std::vector<IconImage> IconGroupImages(HMODULE module, int id) {
    std::vector<IconImage> images;
    const std::string group = ResourceBytes(module, MAKEINTRESOURCEA(id), RT_GROUP_ICON);
    if (group.size() < sizeof(IconGroupHeader))
        return images;
    IconGroupHeader header;
    std::memcpy(&header, group.data(), sizeof header);
    if (header.Type != 1 || group.size() != sizeof header + header.Count * sizeof(IconGroupEntry))
        return images;
    for (WORD i = 0; i < header.Count; ++i) {
        IconGroupEntry entry;
        std::memcpy(&entry, group.data() + sizeof header + i * sizeof entry, sizeof entry);
        images.push_back({entry.Width, entry.Height, entry.ColorCount, entry.Planes, entry.BitCount,
                          entry.BytesInRes, entry.Id});
    }
    return images;
}

void ExpectOne32By32IconIn16Colours(HMODULE module, int id) {
    const std::vector<IconImage> images = IconGroupImages(module, id);
    ASSERT_EQ(images.size(), 1u) << "icon group " << id;
    const IconImage& entry = images[0];
    EXPECT_EQ(entry.Width, 32);
    EXPECT_EQ(entry.Height, 32);
    EXPECT_EQ(entry.ColorCount, 16);
    EXPECT_EQ(entry.Planes, 1);
    EXPECT_EQ(entry.BitCount, 4);
    const std::string image = ResourceBytes(module, MAKEINTRESOURCEA(entry.Id), RT_ICON);
    ASSERT_EQ(image.size(), entry.Bytes);
    // A 40-byte header, 16 palette entries, the 4-bit image and its 1-bit mask.
    EXPECT_EQ(entry.Bytes, 40u + 16 * 4 + 32 * 32 / 2 + 32 * 4);
    BITMAPINFOHEADER bitmap;
    std::memcpy(&bitmap, image.data(), sizeof bitmap);
    EXPECT_EQ(bitmap.biWidth, 32);
    EXPECT_EQ(bitmap.biHeight, 64) << "the colour image and its mask";
    EXPECT_EQ(bitmap.biBitCount, 4);
}

void ExpectJapaneseVersionBlock(const std::string& file, DWORD fileType,
                                const std::vector<std::pair<const char*, const char*>>& strings) {
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), nullptr);
    ASSERT_GT(size, 0u) << file;
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, 2u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0u);
    EXPECT_EQ(fixed->dwProductVersionLS, 2u);
    EXPECT_EQ(fixed->dwFileType, fileType);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 932);

    for (const char* name : kVersionStringNames) {
        std::string expected = "<missing>";
        for (const auto& string : strings) {
            if (std::strcmp(string.first, name) == 0)
                expected = string.second;
        }
        const std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
        char* text = nullptr;
        const bool found =
            VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) &&
            text != nullptr;
        EXPECT_EQ(found ? std::string(text) : std::string("<missing>"), expected) << name;
    }
}
