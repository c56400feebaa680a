#include "shellext/settings_store.h"

#include <cstring>

namespace {

// The stored type is not checked: whatever the value holds is taken as a 32-bit number.
// A value shorter than four bytes reads as if its missing high bytes were zero; a longer
// one does not fit and counts as missing, leaving number as it was.
bool ReadNumber(HKEY key, const char* name, DWORD& number) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    number = value;
    return true;
}

// Reads a history value into text (kHistoryValueSize bytes). RegQueryValueExA neither
// promises a terminator nor a string type, so the result is cut at the first zero byte or
// at the returned size. A value whose text and terminator do not fit in the buffer counts
// as unreadable, like one that is larger than the buffer.
bool ReadHistoryValue(HKEY key, const char* name, char* text) {
    DWORD size = kHistoryValueSize;
    if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) !=
        ERROR_SUCCESS)
        return false;
    if (size > static_cast<DWORD>(kHistoryValueSize))
        return false;
    const void* zero = std::memchr(text, 0, size);
    if (zero == nullptr) {
        if (size == static_cast<DWORD>(kHistoryValueSize))
            return false;
        text[size] = '\0';
    }
    return true;
}

// wsprintfA rather than the C library's formatting, which brings floating-point
// conversion into the DLL.
void HistoryValueName(char (&name)[8], int index) {
    wsprintfA(name, kHistoryValueFormat, index);
}

// Writes text as a string value. Text longer than a history value can hold is cut, so
// that the next load can read it back.
void WriteHistoryValue(HKEY key, const char* name, const char* text) {
    char value[kHistoryValueSize];
    std::size_t length = 0;
    while (length < sizeof value - 1 && text[length] != '\0')
        ++length;
    std::memcpy(value, text, length);
    value[length] = '\0';
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>(length + 1));
}

} // namespace

void LoadSettings(RunRecord& run) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        run.ConfiguredMode = SelectOnly;
        run.InitFromHistory = 0;
        return;
    }

    DWORD mode = SelectOnly;
    ReadNumber(key, kModeValue, mode);
    // UsePrevious stands for the action of the last run, when one was recorded.
    if (mode == UsePrevious) {
        DWORD previous = 0;
        if (ReadNumber(key, kFlagValue, previous))
            mode = previous;
    }
    run.ConfiguredMode = mode;

    DWORD select = 0;
    ReadNumber(key, kSelectValue, select);
    run.InitFromHistory = select;

    // The walk ends at the first value that cannot be read; empty values are passed over.
    if (run.History != nullptr) {
        for (int i = 0; i < kHistoryEntries; ++i) {
            char name[8];
            HistoryValueName(name, i);
            char text[kHistoryValueSize + 1];
            if (!ReadHistoryValue(key, name, text))
                break;
            if (text[0] != '\0')
                run.History->Append(text);
        }
    }

    RegCloseKey(key);
}

void SaveSettings(RunRecord& run) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;

    const DWORD action = run.Action;
    RegSetValueExA(key, kFlagValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&action),
                   sizeof action);

    // The record's field has one byte more than a history value; never read past it.
    char line[kRecordTextSize];
    std::memcpy(line, run.PatternLine, sizeof line);
    line[sizeof line - 1] = '\0';

    char name[8];
    HistoryValueName(name, 0);
    WriteHistoryValue(key, name, line);

    // The older entries follow the new line; a copy of the new line is dropped. With an
    // empty line nothing but "h0" is written, so "h1" onwards keep their contents.
    if (line[0] != '\0' && run.History != nullptr) {
        int n = 1;
        for (const char* entry = run.History->GetFirst(); entry != nullptr && n < kHistoryEntries;
             entry = run.History->GetNext()) {
            if (lstrcmpA(entry, line) == 0)
                continue;
            HistoryValueName(name, n);
            WriteHistoryValue(key, name, entry);
            ++n;
        }
    }

    RegCloseKey(key);
}
