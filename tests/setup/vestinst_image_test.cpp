// The built Vestinst.exe read as a file: a windowed program whose resources hold the
// settings dialog as designed, its own 16-colour icon, the Japanese version block
// and the manifest.
#include <gtest/gtest.h>

#include <cstring>

#include "setup/resource.h"
#include "tests/support/dialog_layout.h"
#include "tests/support/module_resources.h"
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
             {IDC_WINDOWS11_MENU, "Button", BS_AUTOCHECKBOX | BS_MULTILINE | WS_GROUP | WS_TABSTOP,
              "Windows 11 のメニューにも表示する(&W)"},
         }});
}

TEST_F(VestinstImageTest, IconIsOne32By32ImageIn16Colours) {
    ExpectOne32By32IconIn16Colours(module_, IDI_SETUP);
}

TEST_F(VestinstImageTest, IconPictureIsNotTheExtensionsOwn) {
    const std::string extensionIcon = BuiltFilePath(EXTENSION_ICON);
    const std::string file = ReadWholeFile(extensionIcon);
    ASSERT_GE(file.size(), 6u) << extensionIcon;
    const std::vector<IconImage> images = IconGroupImages(module_, IDI_SETUP);
    ASSERT_EQ(images.size(), 1u);
    const std::string ours = ResourceBytes(module_, MAKEINTRESOURCEA(images[0].Id), RT_ICON);
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

TEST(VestinstVersionBlock, IsJapaneseWithTheProgramsStrings) {
    ExpectJapaneseVersionBlock(BuiltProgram(), VFT_APP,
                               {{"CompanyName", ""},
                                {"FileDescription", "Vestinst"},
                                {"FileVersion", "0.02"},
                                {"InternalName", "Vestinst"},
                                {"LegalTrademarks", " "},
                                {"OriginalFilename", "Vestinst.exe"},
                                {"ProductName", "Vestinst"},
                                {"ProductVersion", "0.02"}});
}

TEST_F(VestinstImageTest, ManifestAsksForCommonControls6DpiAwarenessAndAdministrator) {
    const std::string manifest =
        ResourceBytes(module_, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24 /* RT_MANIFEST */));
    ASSERT_FALSE(manifest.empty());
    EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<dpiAware"), std::string::npos);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
}

} // namespace
