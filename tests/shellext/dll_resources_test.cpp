// The resources of the built Vestrane.dll, read back from the file as Windows reads them:
// the selection dialog's template, the icon and the Japanese version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shellext/resource.h"
#include "tests/shellext/built_dll.h"
#include "tests/support/dialog_layout.h"

namespace {

const WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);

class DllResourcesTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExA(BuiltDllPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module != nullptr)
            FreeLibrary(module);
        module = nullptr;
    }
    void SetUp() override { ASSERT_NE(module, nullptr) << BuiltDllPath(); }

    static HMODULE module;
};
HMODULE DllResourcesTest::module = nullptr;

// ---------------------------------------------------------------- dialog 101

TEST_F(DllResourcesTest, DialogIsJapanese) {
    EXPECT_NE(
        FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(IDD_SELECTION), kJapanese),
        nullptr);
}

TEST_F(DllResourcesTest, SelectionDialogAsDesigned) {
    ExpectDialogAsDesigned(
        module, IDD_SELECTION,
        {WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
         "ワイルドカードで一括選択",
         "ＭＳ Ｐゴシック",
         9,
         {
             {IDC_PATTERN_COMBO, "ComboBox", CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, ""},
             {IDOK, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, "OK"},
             {IDCANCEL, "Button", BS_PUSHBUTTON | WS_TABSTOP, "ｷｬﾝｾﾙ"},
             {-1, "Button", BS_GROUPBOX, ""},
             {IDC_CLIPBOARD_COPY, "Button", BS_AUTORADIOBUTTON, "クリップボードにコピー(&C)"},
             {IDC_CLIPBOARD_CUT, "Button", BS_AUTORADIOBUTTON, "クリップボードに切り取り(&T)"},
             {IDC_SELECT_ONLY, "Button", BS_AUTORADIOBUTTON, "選択のみ(&N)"},
             {IDC_COPY_TO_FOLDER, "Button", BS_AUTORADIOBUTTON, "場所を指定してコピー(&P)"},
             {IDC_MOVE_TO_FOLDER, "Button", BS_AUTORADIOBUTTON, "場所を指定して移動(&M)"},
         }});
}

// ---------------------------------------------------------------- icon 102

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

TEST_F(DllResourcesTest, IconGroupHoldsOne32By32ImageIn16Colours) {
    HRSRC group =
        FindResourceExA(module, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_VESTRANE), kJapanese);
    ASSERT_NE(group, nullptr);
    ASSERT_EQ(SizeofResource(module, group), sizeof(IconGroupHeader) + sizeof(IconGroupEntry));
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(data, nullptr);
    IconGroupHeader header;
    std::memcpy(&header, data, sizeof header);
    EXPECT_EQ(header.Type, 1);
    ASSERT_EQ(header.Count, 1);
    IconGroupEntry entry;
    std::memcpy(&entry, data + sizeof header, sizeof entry);
    EXPECT_EQ(entry.Width, 32);
    EXPECT_EQ(entry.Height, 32);
    EXPECT_EQ(entry.ColorCount, 16);
    EXPECT_EQ(entry.Planes, 1);
    EXPECT_EQ(entry.BitCount, 4);

    HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry.Id), MAKEINTRESOURCEA(3));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(SizeofResource(module, image), entry.BytesInRes);
    BITMAPINFOHEADER bitmap;
    std::memcpy(&bitmap, LockResource(LoadResource(module, image)), sizeof bitmap);
    EXPECT_EQ(bitmap.biWidth, 32);
    EXPECT_EQ(bitmap.biHeight, 64) << "colour image and mask";
    EXPECT_EQ(bitmap.biBitCount, 4);
    // 40-byte header, 16 palette entries, 4-bit image, 1-bit mask.
    EXPECT_EQ(entry.BytesInRes, 40u + 16 * 4 + 32 * 32 / 2 + 32 * 4);
}

TEST_F(DllResourcesTest, IconLoadsFromTheLoadedDll) {
    HMODULE loaded = LoadLibraryA(BuiltDllPath().c_str());
    ASSERT_NE(loaded, nullptr);
    HICON icon = static_cast<HICON>(
        LoadImageA(loaded, MAKEINTRESOURCEA(IDI_VESTRANE), IMAGE_ICON, 32, 32, 0));
    EXPECT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr)
        DeleteObject(info.hbmColor);
    DestroyIcon(icon);
    FreeLibrary(loaded);
}

// ---------------------------------------------------------------- version block

class VersionBlockTest : public testing::Test {
protected:
    void SetUp() override {
        DWORD handle = 0;
        const DWORD size = GetFileVersionInfoSizeA(BuiltDllPath().c_str(), &handle);
        ASSERT_GT(size, 0u);
        block.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(BuiltDllPath().c_str(), 0, size, block.data()));
    }
    // The string under \StringFileInfo\041103a4\, or "<missing>".
    std::string Text(const char* name) {
        const std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
        char* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value),
                            &length) ||
            value == nullptr)
            return "<missing>";
        return std::string(value);
    }
    std::vector<char> block;
};

TEST_F(VersionBlockTest, FixedVersionIs0002) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, 2u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0u);
    EXPECT_EQ(fixed->dwProductVersionLS, 2u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
}

TEST_F(VersionBlockTest, TranslationIsJapaneseInCodePage932) {
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 932);
}

TEST_F(VersionBlockTest, Strings) {
    EXPECT_EQ(Text("FileVersion"), "0.02");
    EXPECT_EQ(Text("ProductVersion"), "0.02");
    EXPECT_EQ(Text("FileDescription"), "Vestrane");
    EXPECT_EQ(Text("InternalName"), "Vestrane");
    EXPECT_EQ(Text("ProductName"), "Vestrane");
    EXPECT_EQ(Text("OriginalFilename"), "Vestrane.DLL");
    EXPECT_EQ(Text("CompanyName"), "");
    EXPECT_EQ(Text("LegalTrademarks"), " ");
    EXPECT_EQ(Text("LegalCopyright"), "<missing>");
}

} // namespace
