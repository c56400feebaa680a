// The one piece of window code both programs share: a dialog shows its program's icon in
// its caption and in the task switcher.
#pragma once

#include <windows.h>

// Sets icon iconId of module as the dialog's small and large icon; without that icon the
// dialog keeps the system's.
inline void ShowDialogIcon(HWND dialog, HINSTANCE module, int iconId) {
    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(iconId));
    if (icon == nullptr)
        return;
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
}
