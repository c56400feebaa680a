// What a user notices of a dialog, checked once per dialog against its design: caption,
// font and frame, and every control with its id, class, style and text, in tab order, each
// inside the dialog and none overlapping another. Coordinates are not restated: the dialog
// is created from its template and measured as it is shown.
#pragma once

#include <windows.h>

#include <vector>

struct DesignedControl {
    int Id; // -1 for a control the code never addresses (a group box)
    const char* ClassName;
    // The control's kind and flags besides WS_CHILD | WS_VISIBLE.
    DWORD Style;
    // UTF-8.
    const char* Text;
};

struct DialogDesign {
    // The dialog's own style (WS_POPUP, WS_CAPTION...) besides DS_SETFONT.
    DWORD Style;
    const char* Caption;
    const char* FontName;
    WORD FontSize;
    // In tab order.
    std::vector<DesignedControl> Controls;
};

// Reads dialog template `id` of `module` (a module loaded as a data file will do) and
// checks it, created and measured, against `design`.
void ExpectDialogAsDesigned(HMODULE module, int id, const DialogDesign& design);
