// The selection pass through the shell's folder view (IFolderView), for every Explorer that
// offers one, whatever windows show its items: every item of the view is selected when its
// name matches the run's PatternLine and deselected otherwise; the real full paths of the
// matches are collected for the chosen action.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "engine/item_names.h"
#include "engine/run_record.h"

// Each item is read as it stands when the pass runs, its shown name (SHGDN_INFOLDER), its file
// name (SHGDN_INFOLDER | SHGDN_FORPARSING) and its path all from one item id, so that a folder
// that changed while the dialog was open never has one item's name decide for another. The item
// is selected when the line selects it by either name (LineSelects); names are matched in
// UTF-16 against the line compiled once for the pass. Every item is selected or deselected by
// its index (a search by item id is linear in the shell), with repaint held off where the view
// offers IFolderView2::SetRedraw. When the focused item ends deselected and something matched,
// the focus moves to the first match.
//
// When the action needs files, the full parsing name (SHGDN_FORPARSING), never folder + shown
// name, of each match that the view selected goes to SelectedPaths. A match left out (an item
// outside the file system, a path of MAX_PATH characters or more, one that could not be stored)
// is named in UncollectedMatches. Returns the view's window, which owns what the action shows and
// takes the focus after it; null, with nothing touched, when the view's folder or the pass's
// memory cannot be had.
HWND RunViewSelection(RunRecord& run, IFolderView* view);
