// The selection pass through the shell's folder view (IFolderView), for every Explorer that
// offers one, whatever windows show its items: the items that the run's PatternLine (or the
// clipboard's names standing in for it) matches are selected, and the others deselected, or the
// matches are added to the selection or taken from it (Combine); the real full paths of the
// items selected at the end are collected for the chosen action.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "engine/item_names.h"
#include "engine/run_record.h"

// Each item is read as it stands when the pass runs, its shown name (SHGDN_INFOLDER), its file
// name (SHGDN_INFOLDER | SHGDN_FORPARSING) and its path all from one item id, so that a folder
// that changed while the dialog was open never has one item's name decide for another. The item
// is selected when the line selects it by either name (Selects); names are matched in
// UTF-16 against the line compiled once for the pass. Every item is selected or deselected by
// its index (a search by item id is linear in the shell), with repaint held off where the view
// offers IFolderView2::SetRedraw. Adding or taking away, only the matches change, and an item's
// state before is the view's (IFolderView2::GetSelectionState) or, where the view cannot tell, its
// list view's. When the focused item ends deselected and something is selected, the focus
// moves to the first item selected.
//
// When the action needs files, the full parsing name (SHGDN_FORPARSING), never folder + shown
// name, of each item selected at the end goes to SelectedPaths. An item left out (an item
// outside the file system, a path of MAX_PATH characters or more, one that could not be stored)
// is named in UncollectedMatches. Returns the view's window, which owns what the action shows and
// takes the focus after it; null, with nothing touched, when the view's folder or the pass's
// memory cannot be had.
HWND RunViewSelection(RunRecord& run, IFolderView* view);
