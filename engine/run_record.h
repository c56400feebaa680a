// The data of one context-menu command run. The run owns it: InvokeCommand builds one on
// its stack from what Initialize derived, and the settings store, the selection dialog,
// the selection pass and the two transfer actions exchange their data only through it.
#pragma once

#include <windows.h>

#include "common/shared_facts.h"
#include "text/string_list.h"

// Room of the record's text fields: MAX_PATH and one byte more.
constexpr int kRecordTextSize = 261;

struct RunRecord {
    // "*" and the first selected file's extension, or empty.
    char DefaultPattern[kRecordTextSize] = {};
    // The line typed in the selection dialog.
    char PatternLine[kRecordTextSize] = {};
    // Folder of the first selected file without a trailing backslash ("C:" for a root).
    char SourceFolder[kRecordTextSize] = {};
    // Full paths of the matched items; exists only during one selection pass.
    StringList* SelectedPaths = nullptr;
    // Pattern-line history; exists only during one command run.
    StringList* History = nullptr;
    DWORD Action = SelectOnly;
    DWORD ConfiguredMode = SelectOnly;
    DWORD InitFromHistory = 0;
    // Sum of (length + 1) over SelectedPaths.
    DWORD PathBytesTotal = 0;
};
