// Puts the collected paths on the clipboard as a CF_HDROP file list together with a
// "Preferred DropEffect" of copy (ClipboardCopy) or move (ClipboardCut).
#pragma once

#include "shellext/extension_record.h"

void PutFilesOnClipboard(ExtensionRecord& extension, HWND owner);
