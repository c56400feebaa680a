// The resources of the built Vestrane.dll, read back from the file as Windows reads them:
// the selection dialog, the icon and the Japanese version block.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "shellext/resource.h"
#include "tests/shellext/built_dll.h"
#include "tests/support/dialog_layout.h"
#include "tests/support/module_resources.h"

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
             {IDC_MATCH_COUNT, "Static", SS_LEFT | SS_NOPREFIX, ""},
             {IDC_NAMES_FROM_CLIPBOARD, "Button", BS_AUTOCHECKBOX | WS_TABSTOP, ""},
             {IDOK, "Button", BS_DEFPUSHBUTTON | WS_TABSTOP, "OK"},
             {IDCANCEL, "Button", BS_PUSHBUTTON | WS_TABSTOP, "ｷｬﾝｾﾙ"},
             {-1, "Button", BS_GROUPBOX, ""},
             {IDC_REPLACE_SELECTION, "Button", BS_AUTORADIOBUTTON | WS_GROUP, "選択し直す"},
             {IDC_ADD_TO_SELECTION, "Button", BS_AUTORADIOBUTTON, "選択に追加"},
             {IDC_REMOVE_FROM_SELECTION, "Button", BS_AUTORADIOBUTTON, "選択から外す"},
             {-1, "Button", BS_GROUPBOX | WS_GROUP, ""},
             {IDC_CLIPBOARD_COPY, "Button", BS_AUTORADIOBUTTON | WS_GROUP,
              "クリップボードにコピー(&C)"},
             {IDC_CLIPBOARD_CUT, "Button", BS_AUTORADIOBUTTON, "クリップボードに切り取り(&T)"},
             {IDC_SELECT_ONLY, "Button", BS_AUTORADIOBUTTON, "選択のみ(&N)"},
             {IDC_COPY_TO_FOLDER, "Button", BS_AUTORADIOBUTTON, "場所を指定してコピー(&P)"},
             {IDC_MOVE_TO_FOLDER, "Button", BS_AUTORADIOBUTTON, "場所を指定して移動(&M)"},
         }});
}

// ---------------------------------------------------------------- icon 102

TEST_F(DllResourcesTest, IconGroupHoldsOne32By32ImageIn16Colours) {
    EXPECT_NE(
        FindResourceExA(module, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDI_VESTRANE), kJapanese),
        nullptr);
    ExpectOne32By32IconIn16Colours(module, IDI_VESTRANE);
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

TEST(VersionBlock, IsJapaneseWithTheProductsStrings) {
    ExpectJapaneseVersionBlock(BuiltDllPath(), VFT_DLL,
                               {{"CompanyName", ""},
                                {"FileDescription", "Vestrane"},
                                {"FileVersion", "0.02"},
                                {"InternalName", "Vestrane"},
                                {"LegalTrademarks", " "},
                                {"OriginalFilename", "Vestrane.DLL"},
                                {"ProductName", "Vestrane"},
                                {"ProductVersion", "0.02"}});
}

} // namespace
