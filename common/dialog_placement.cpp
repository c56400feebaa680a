#include "common/dialog_placement.h"

POINT PlaceNearCursor(POINT cursor, SIZE dialog, LONG cursorFromTop, const RECT& workArea) {
    POINT at = {cursor.x - dialog.cx / 2, cursor.y - cursorFromTop};
    if (at.x + dialog.cx > workArea.right)
        at.x -= dialog.cx / 2;
    if (at.y + dialog.cy > workArea.bottom)
        at.y -= dialog.cy / 2;
    if (at.x + dialog.cx > workArea.right)
        at.x = workArea.right - dialog.cx;
    if (at.y + dialog.cy > workArea.bottom)
        at.y = workArea.bottom - dialog.cy;
    if (at.x < workArea.left)
        at.x = workArea.left;
    if (at.y < workArea.top)
        at.y = workArea.top;
    return at;
}

RECT WorkAreaAt(POINT point) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor))
        return monitor.rcWork;
    RECT primary = {};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &primary, 0);
    return primary;
}

void MoveNearCursor(HWND dialog, int part, int parts) {
    POINT cursor = {};
    GetCursorPos(&cursor);
    RECT frame = {};
    GetWindowRect(dialog, &frame);
    const SIZE size = {frame.right - frame.left, frame.bottom - frame.top};
    const POINT at = PlaceNearCursor(cursor, size, (size.cy / parts) * part, WorkAreaAt(cursor));
    SetWindowPos(dialog, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
