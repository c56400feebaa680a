// The built Vestinst.exe read as a file: a windowed program whose resources hold the
// settings dialog as designed, its own 16-colour icon, the Japanese version block
// and the manifest.
#include <gtest/gtest.h>

#include <cstring>

#include "setup/resource.h"
#include "tests/support/dialog_layout.h"
#include "tests/support/scratch_folder.h"

namespace {

std::string BuiltProgram() {
    return BuiltFilePath(VESTINST_EXE);
}

class VestinstImageTest : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(BuiltProgram().c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module_, nullptr) << BuiltProgram();
    }
    void TearDown() override {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    std::string Resource(LPCSTR name, LPCSTR type) const {
        HRSRC found = FindResourceA(module_, name, type);
        if (found == nullptr)
            return {};
        HGLOBAL loaded = LoadResource(module_, found);
        const char* bytes = static_cast<const char*>(LockResource(loaded));
        return bytes == nullptr ? std::string()
                                : std::string(bytes, SizeofResource(module_, found));
    }

    HMODULE module_ = nullptr;
};

TEST_F(VestinstImageTest, IsAWindowedProgram) {
    const std::string file = ReadWholeFile(BuiltProgram());
    ASSERT_GT(file.size(), 0x200u);
    LONG headerAt = 0;
    std::memcpy(&headerAt, file.data() + 0x3C, sizeof headerAt);
    // The optional header's Subsystem field sits at the same place in PE32 and PE32+.
    const size_t subsystemAt = static_cast<size_t>(headerAt) + 4 + 20 + 68;
    ASSERT_LT(subsystemAt + 2, file.size());
    WORD subsystem = 0;
    std::memcpy(&subsystem, file.data() + subsystemAt, sizeof subsystem);
    EXPECT_EQ(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST_F(VestinstImageTest, SettingsDialogAsDesigned) {
    ExpectDialogAsDesigned(
        module_, IDD_SETTINGS,
        {WS_POPUP | WS_CAPTION | WS_SYSMENU,
         "Vestrane 設定",
         "ＭＳ Ｐゴシック",
         9,
         {
             {IDOK, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, "OK"},
             {IDCANCEL, "Button", BS_PUSHBUTTON | WS_TABSTOP, "ｷｬﾝｾﾙ"},
             {-1, "Button", BS_GROUPBOX, "呼び出し時のモード設定"},
             {IDC_MODE_COPY_TO_FOLDER, "Button", BS_AUTORADIOBUTTON | WS_GROUP,
              "場所を指定してコピー(&P)"},
             {IDC_MODE_MOVE_TO_FOLDER, "Button", BS_AUTORADIOBUTTON, "場所を指定して移動(&M)"},
             {IDC_MODE_CLIPBOARD_COPY, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP,
              "クリップボードにコピー(&C)"},
             {IDC_MODE_CLIPBOARD_CUT, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP,
              "クリップボードに切り取り(&T)"},
             {IDC_MODE_SELECT_ONLY, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP, "選択のみ(&N)"},
             {IDC_MODE_PREVIOUS, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP, "前回の設定(&L)"},
             {-1, "Button", BS_GROUPBOX, "ワイルドカード初期値"},
             {IDC_START_EXTENSION, "Button", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP,
              "選択しているファイルの拡張子(&E)"},
             {IDC_START_HISTORY, "Button", BS_AUTORADIOBUTTON | WS_TABSTOP, "履歴の先頭(&T)"},
         }});
}

#pragma pack(push, 2)
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

TEST_F(VestinstImageTest, IconIsOne32By32ImageIn16Colours) {
    const std::string group = Resource(MAKEINTRESOURCEA(IDI_SETUP), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6 + sizeof(IconGroupEntry));
    WORD count = 0;
    std::memcpy(&count, group.data() + 4, sizeof count);
    EXPECT_EQ(count, 1);
    IconGroupEntry entry;
    std::memcpy(&entry, group.data() + 6, sizeof entry);
    EXPECT_EQ(entry.Width, 32);
    EXPECT_EQ(entry.Height, 32);
    EXPECT_EQ(entry.ColorCount, 16);
    EXPECT_EQ(entry.BitCount, 4);

    const std::string image = Resource(MAKEINTRESOURCEA(entry.Id), RT_ICON);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64); // the colour image and its mask
    EXPECT_EQ(header.biBitCount, 4);
}

TEST_F(VestinstImageTest, IconPictureIsNotTheExtensionsOwn) {
    const std::string extensionIcon = BuiltFilePath(EXTENSION_ICON);
    const std::string file = ReadWholeFile(extensionIcon);
    ASSERT_GE(file.size(), 6u) << extensionIcon;
    const std::string group = Resource(MAKEINTRESOURCEA(IDI_SETUP), RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6 + sizeof(IconGroupEntry));
    IconGroupEntry entry;
    std::memcpy(&entry, group.data() + 6, sizeof entry);
    const std::string ours = Resource(MAKEINTRESOURCEA(entry.Id), RT_ICON);
    ASSERT_FALSE(ours.empty());
    // An .ico file: a 6-byte header, 16-byte entries, then the images as RT_ICON holds them.
    WORD count = 0;
    std::memcpy(&count, file.data() + 4, sizeof count);
    for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= file.size(); ++i) {
        DWORD size = 0;
        DWORD offset = 0;
        std::memcpy(&size, file.data() + 6 + 16 * i + 8, sizeof size);
        std::memcpy(&offset, file.data() + 6 + 16 * i + 12, sizeof offset);
        if (offset + static_cast<size_t>(size) <= file.size()) {
            EXPECT_NE(file.substr(offset, size), ours) << "image " << i;
        }
    }
}

std::string VersionString(const std::string& block, const char* name) {
    char* text = nullptr;
    UINT length = 0;
    const std::string path = std::string("\\StringFileInfo\\041103a4\\") + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) ||
        text == nullptr)
        return "<missing>";
    return std::string(text);
}

TEST_F(VestinstImageTest, JapaneseVersionBlock) {
    const DWORD size = GetFileVersionInfoSizeA(BuiltProgram().c_str(), nullptr);
    ASSERT_GT(size, 0u);
    std::string block(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(BuiltProgram().c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0u);
    EXPECT_EQ(fixed->dwFileVersionLS, 2u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0u);
    EXPECT_EQ(fixed->dwProductVersionLS, 2u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0411);
    EXPECT_EQ(translation[1], 932);

    EXPECT_EQ(VersionString(block, "FileVersion"), "0.02");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "0.02");
    EXPECT_EQ(VersionString(block, "FileDescription"), "Vestinst");
    EXPECT_EQ(VersionString(block, "InternalName"), "Vestinst");
    EXPECT_EQ(VersionString(block, "ProductName"), "Vestinst");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "Vestinst.exe");
    EXPECT_EQ(VersionString(block, "CompanyName"), "");
    EXPECT_EQ(VersionString(block, "LegalTrademarks"), " ");
}

TEST_F(VestinstImageTest, ManifestAsksForCommonControls6DpiAwarenessAndAdministrator) {
    const std::string manifest =
        Resource(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24 /* RT_MANIFEST */));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
}

} // namespace
