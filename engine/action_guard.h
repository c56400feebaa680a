// The last check of the collected paths before an action takes them: whatever the pass that
// collected them, the clipboard and the file operations receive only items of the folder the
// command was run in, as they stand now.
#pragma once

#include "engine/run_record.h"

// Keeps in run.SelectedPaths only the paths that name an existing item standing directly in
// run.SourceFolder (its parent compared ordinal, ignoring case); the name of every other path
// goes to run.UncollectedMatches, for the action's result to name, and PathBytesTotal follows.
void GuardSelectedPaths(RunRecord& run);
