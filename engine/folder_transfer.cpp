#include "engine/folder_transfer.h"

// Placeholder until the folder transfer is written.
void CopyOrMoveToFolder(ExtensionRecord&, HWND) {}

int CALLBACK FolderBrowseCallback(HWND, UINT, LPARAM, LPARAM) { return 0; }
