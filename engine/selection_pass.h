// The selection pass: every item of a folder window's list view is selected when its
// label matches the run's PatternLine and deselected otherwise; the full paths of the
// matches are collected and handed to the chosen action.
#pragma once

#include "engine/run_record.h"

// Labels are read and selections written through one LVITEMW record and one 260-character
// text buffer in a 4096-byte page-file-backed mapping named "MyMap" that lives for one pass.
// Every item is read and written once, in index order; only LVIS_SELECTED changes. A label
// is matched in its code page 932 form.
//
// Collected paths are SourceFolder + "\" + the UTF-16 label; a path of MAX_PATH characters
// or more is left out (its item is still selected). PathBytesTotal counts the bytes of the
// paths actually collected. When SelectedPaths cannot be allocated the items are still
// selected, but nothing is collected and no action runs. When no page can be created or
// mapped, nothing is touched at all.
void RunSelection(RunRecord& run, HWND listView);

// The name of the page; a pass that finds it taken by another pass uses a page of its own.
extern const char kSelectionPageName[];
