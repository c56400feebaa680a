// Serializes tests that share one machine-wide resource (a registry key, the mouse
// cursor) across the test processes that ctest runs side by side in one Wine prefix.
#pragma once

#include <windows.h>

#include <string>

#include "tests/support/uncopyable.h"

class ProcessLock : private Uncopyable {
public:
    // Waits until no other process holds the lock of this name. Names are free text;
    // backslashes are replaced, as kernel object names may not contain them.
    explicit ProcessLock(const std::string& name);
    ~ProcessLock();

private:
    HANDLE mutex_ = nullptr;
};
