// The data of one context-menu command run. The run owns it: InvokeCommand builds one on
// its stack from what Initialize derived, and the settings store, the selection dialog,
// the selection pass and the two transfer actions exchange their data only through it.
// Every text is UTF-16, as Windows gives it: the typed line and the history as the user
// typed them, the paths from where they are read to the file operations.
#pragma once

#include <windows.h>

#include <memory>

#include "common/shared_facts.h"
#include "engine/name_list.h"
#include "text/string_list.h"

class ItemNames;

// Room of the record's line fields in characters: MAX_PATH and one more.
constexpr int kRecordTextSize = 261;

struct RunRecord {
    // "*" and the first selected file's extension, "*" for the empty area of a folder, or
    // empty.
    wchar_t DefaultPattern[kRecordTextSize] = {};
    // The line typed in the selection dialog.
    wchar_t PatternLine[kRecordTextSize] = {};
    // Folder of the first selected item, or the folder whose empty area was right-clicked,
    // without a trailing backslash ("C:" for a root).
    wchar_t SourceFolder[MAX_PATH] = {};
    // Full paths of the matched items, collected by the selection pass for the action.
    WideStringList SelectedPaths;
    // The names of matched items that the pass selected but that no action can take (a path of
    // MAX_PATH characters or more, an item outside the file system, a copy that could not be
    // stored, a path that no longer names an item of SourceFolder), and how many there are:
    // the action's result names them.
    WideStringList UncollectedMatches;
    int UncollectedCount = 0;
    // The names from the clipboard, one a line, when the user chose them to stand in for the
    // line; null otherwise. They note which names matched, for the result's count of those
    // that did not.
    std::unique_ptr<NameList> ClipboardNames;
    // Pattern-line history, most recent first, as the settings store read it.
    WideStringList History;
    // The names of the window's items, read for the dialog's count of matches and for the
    // pass; null when there are none to count.
    ItemNames* Names = nullptr;
    DWORD Action = SelectOnly;
    // What the pass does with the window's selection (a SelectionCombine): as chosen in the
    // dialog, starting from the last run's choice.
    DWORD Combine = ReplaceSelection;
    DWORD ConfiguredMode = SelectOnly;
    DWORD InitFromHistory = 0;
    // Bytes of SelectedPaths: the sum of (length + 1) * sizeof(wchar_t) over its paths.
    DWORD PathBytesTotal = 0;
};
