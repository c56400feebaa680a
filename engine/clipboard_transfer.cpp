#include "engine/clipboard_transfer.h"

// Placeholder until the clipboard transfer is written.
void PutFilesOnClipboard(ExtensionRecord&, HWND) {}
