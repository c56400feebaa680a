// The selection pass through the shell's folder view (IFolderView), for every Explorer that
// offers one, whatever windows show its items: every item of the view is selected when its
// name matches the run's PatternLine and deselected otherwise; the real full paths of the
// matches are collected for the chosen action.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "engine/item_names.h"
#include "engine/run_record.h"

// An item matches when the line matches the name the view shows (SHGDN_INFOLDER) or, for an
// item of the file system whose shown name differs (a hidden extension, a localized folder
// name), its file name (SHGDN_INFOLDER | SHGDN_FORPARSING); names are matched in UTF-16, as
// labels are, against the line compiled once for the pass, by the names read for the run
// (names: read again first when the view's count has changed since, and read to the end when
// the dialog did not get that far). Every item is
// selected or deselected by its index (a search by item id is linear in the shell), with
// repaint held off where the view offers IFolderView2::SetRedraw. When the focused item ends
// deselected and something matched, the focus moves to the first match.
//
// When the action needs files, a match's full parsing name (SHGDN_FORPARSING), never folder +
// shown name, goes to SelectedPaths; an item outside the file system (a virtual item) is
// selected but not collected, and so is one whose path has MAX_PATH characters or more.
// Returns the view's window, which owns what the action shows and takes the focus after it;
// null, with nothing touched, when the view's folder or the pass's memory cannot be had.
HWND RunViewSelection(RunRecord& run, IFolderView* view, ItemNames& names);
