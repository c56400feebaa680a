// The modal dialog in which the user types a pattern line (with the history at hand) and
// picks an action. It reads ConfiguredMode, InitFromHistory, DefaultPattern and History of
// one run's record and, on OK, writes its PatternLine and Action; nothing else.
#pragma once

#include <windows.h>

#include "engine/run_record.h"

// Dialog procedure of template IDD_SELECTION. The creation parameter is the record to
// work on; without one the dialog ends at once as cancelled.
INT_PTR CALLBACK SelectionDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Shows the dialog from ModuleInstance, owned by owner, working on run.
// Returns IDOK (1) when the user confirmed, IDCANCEL (2) otherwise (also for Esc and the
// close box), or -1 when the dialog could not be created.
INT_PTR ShowSelectionDialog(RunRecord& run, HWND owner);
