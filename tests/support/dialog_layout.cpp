#include "tests/support/dialog_layout.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/dialog_template.h"
#include "tests/support/modal_driver.h"

namespace {

INT_PTR CALLBACK PlainDialog(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

std::string ControlText(HWND control) {
    return WindowText(control);
}

bool IsGroupBox(HWND control) {
    char name[16] = {};
    GetClassNameA(control, name, sizeof name);
    return lstrcmpiA(name, "Button") == 0 &&
           (GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

bool Contains(const RECT& outer, const RECT& inner) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The control's place in the dialog's client area, as shown.
RECT PlaceOf(HWND dialog, HWND control) {
    RECT place = {};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

std::string Name(HWND control) {
    return std::to_string(GetDlgCtrlID(control)) + " \"" + ControlText(control) + "\"";
}

// Every control lies inside the client area, and two controls meet only where a group box
// holds the other one whole.
void ExpectNoOverlap(HWND dialog) {
    std::vector<HWND> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        controls.push_back(child);
    RECT client = {};
    GetClientRect(dialog, &client);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const RECT place = PlaceOf(dialog, controls[i]);
        EXPECT_TRUE(Contains(client, place)) << Name(controls[i]) << " reaches out of the dialog";
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const RECT other = PlaceOf(dialog, controls[j]);
            RECT common = {};
            if (!IntersectRect(&common, &place, &other))
                continue;
            const bool held = (IsGroupBox(controls[i]) && Contains(place, other)) ||
                              (IsGroupBox(controls[j]) && Contains(other, place));
            EXPECT_TRUE(held) << Name(controls[i]) << " overlaps " << Name(controls[j]);
        }
    }
}

} // namespace

void ExpectDialogAsDesigned(HMODULE module, int id, const DialogDesign& design) {
    const auto stored = ReadDialogTemplate(module, id);
    ASSERT_TRUE(stored.has_value()) << "no dialog template " << id;
    EXPECT_EQ(stored->Style, design.Style | DS_SETFONT);
    EXPECT_EQ(stored->FontName, design.FontName);
    EXPECT_EQ(stored->FontSize, design.FontSize);
    ASSERT_EQ(stored->Items.size(), design.Controls.size());
    for (std::size_t i = 0; i < design.Controls.size(); ++i) {
        const DialogItemTemplate& item = stored->Items[i];
        const DesignedControl& want = design.Controls[i];
        SCOPED_TRACE(std::string("control ") + std::to_string(want.Id) + " " + want.Text);
        EXPECT_EQ(item.Id, static_cast<WORD>(want.Id));
        EXPECT_EQ(item.ClassName, want.ClassName);
        EXPECT_EQ(item.Style, WS_CHILD | WS_VISIBLE | want.Style);
        EXPECT_EQ(item.ExStyle, 0u);
    }

    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    ASSERT_NE(resource, nullptr);
    const auto* bytes =
        static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(module, resource)));
    ASSERT_NE(bytes, nullptr);
    HWND dialog =
        CreateDialogIndirectParamA(GetModuleHandleA(nullptr), bytes, nullptr, PlainDialog, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog), design.Caption);
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const DesignedControl& want : design.Controls) {
        ASSERT_NE(control, nullptr) << "the dialog lacks control " << want.Id;
        EXPECT_EQ(ControlText(control), want.Text) << "control " << want.Id;
        control = GetWindow(control, GW_HWNDNEXT);
    }
    ExpectNoOverlap(dialog);
    DestroyWindow(dialog);
}
