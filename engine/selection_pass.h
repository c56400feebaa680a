// The selection pass: every item of a folder window's list view is selected when its
// label matches the record's PatternLine and deselected otherwise; the full paths of the
// matches are collected and handed to the chosen action.
#pragma once

#include "shellext/extension_record.h"

void RunSelection(ExtensionRecord& extension, HWND listView);
