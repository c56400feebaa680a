// The extension's side of the per-user settings record: the configured defaults that the
// setup program writes, and the last action and pattern-line history that each run
// writes back. Registry failures pass silently; a run goes on with the defaults.
#pragma once

#include "common/shared_facts.h"
#include "engine/run_record.h"

// Room of one history value, terminator included.
constexpr int kHistoryValueSize = MAX_PATH;

// Fills ConfiguredMode, InitFromHistory, Combine and History. A "mode" of UsePrevious is
// replaced by the stored "flag" when there is one; a "combine" other than 0, 1 or 2 reads as 0.
void LoadSettings(RunRecord& run);

// Writes Action as "flag", Combine as "combine", PatternLine as "h0" and the History entries
// that differ from PatternLine as "h1" onwards. An empty PatternLine rewrites "h0" alone; a run
// on the clipboard's names writes no history.
void SaveSettings(RunRecord& run);
