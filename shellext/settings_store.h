// The extension's side of the per-user settings record: the configured defaults that the
// setup program writes, and the last action and pattern-line history that each run
// writes back. Registry failures pass silently; a run goes on with the defaults.
#pragma once

#include "shellext/extension_record.h"

// The record's key under HKEY_CURRENT_USER and its values.
constexpr const char kSettingsKey[] = "Software\\Nembrok\\Vestrane";
constexpr const char kModeValue[] = "mode";
constexpr const char kSelectValue[] = "select";
constexpr const char kFlagValue[] = "flag";
// History values are "h0" .. "h9", most recent first.
constexpr int kHistoryEntries = 10;
// Room of one history value, terminator included.
constexpr int kHistoryValueSize = MAX_PATH;

// Fills ConfiguredMode, InitFromHistory and History (which the caller has created
// empty). A "mode" of UsePrevious is replaced by the stored "flag" when there is one.
void LoadSettings(ExtensionRecord& extension);

// Writes Action as "flag", PatternLine as "h0" and the History entries that differ from
// PatternLine as "h1" onwards. An empty PatternLine rewrites "h0" alone.
void SaveSettings(ExtensionRecord& extension);
