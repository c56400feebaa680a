// Where the two programs' dialogs open: near the mouse cursor, wholly on the monitor the
// cursor is on. Windows numbers the screens of all monitors in one plane, so a monitor left
// of or above the primary one has negative coordinates, and the primary monitor's work area
// says nothing about the others.
#pragma once

#include <windows.h>

// The place of a dialog of the given size for the cursor: centred across on the cursor, with
// the cursor cursorFromTop below its top edge; where that would pass the right or bottom
// edge of the work area, moved back by half its size; then moved into the work area where it
// still sticks out, its left and top edges kept inside when it is larger than the area.
POINT PlaceNearCursor(POINT cursor, SIZE dialog, LONG cursorFromTop, const RECT& workArea);

// The work area (the monitor without its task bars) of the monitor under the point, or of
// the nearest monitor when the point is on none.
RECT WorkAreaAt(POINT point);

// Moves the dialog to PlaceNearCursor for the cursor's position now and the work area of the
// monitor under it, with the cursor (height / parts) * part below the dialog's top edge.
void MoveNearCursor(HWND dialog, int part, int parts);
