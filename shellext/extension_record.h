// The record of one context-menu command run, and the DLL's module-wide values.
// The selection dialog, the settings store, the selection pass and the two transfer
// actions exchange their data only through this record.
#pragma once

#include <windows.h>
#include <objidl.h>

#include "text/string_list.h"

// Action codes, shared with the setup program and stored in the registry.
enum ActionMode : DWORD {
    SelectOnly = 0,
    ClipboardCopy = 1,
    ClipboardCut = 2,
    UsePrevious = 3, // only as the configured default: the action of the last run
    CopyToFolder = 4,
    MoveToFolder = 5,
};

// Room of the record's text fields: MAX_PATH and one byte more.
constexpr int kRecordTextSize = 261;

// The data half of SelectExtension. It follows the two interface tables in the object,
// so the fields stand in the object in this order.
struct ExtensionRecord {
    ULONG RefCount = 0;
    IDataObject* HeldDataObject = nullptr;
    // "*" and the first selected file's extension, or empty. Set by Initialize.
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

class SelectExtension;

// The DLL's instance handle, saved at process attach; resources are loaded from it.
extern HINSTANCE ModuleInstance;
// Live ExtensionFactory and SelectExtension objects. Objects live on several Explorer
// threads, so it changes only through Interlocked operations.
extern LONG ModuleObjectCount;
// The most recently created SelectExtension. Never cleared, so it may name a destroyed
// object: only code that knows no better reaches the record through it.
extern SelectExtension* CurrentExtension;
