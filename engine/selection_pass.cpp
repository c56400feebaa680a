#include "engine/selection_pass.h"

// Placeholder until the selection pass is written.
void RunSelection(ExtensionRecord&, HWND) {}
