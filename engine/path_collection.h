// Adding a matched item's full path to a run's SelectedPaths, for either selection pass.
#pragma once

#include "engine/run_record.h"

// Appends fullPath to SelectedPaths and adds its bytes, terminator included, to
// PathBytesTotal. A path of MAX_PATH characters or more is left out, as the file operations
// could not take it. False when nothing was added: a path left out, or a copy that could not
// be stored (the list then keeps what it had and the total still describes it).
bool CollectPath(RunRecord& run, const wchar_t* fullPath);
