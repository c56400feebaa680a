#include "shellext/settings_store.h"

#include <cstring>
#include <cwchar>

#include "common/owned.h"

namespace {

// The stored type is not checked: whatever the value holds is taken as a 32-bit number.
// A value shorter than four bytes reads as if its missing high bytes were zero; a longer
// one does not fit and counts as missing, leaving number as it was.
bool ReadNumber(HKEY key, const wchar_t* name, DWORD& number) {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return false;
    number = value;
    return true;
}

bool IsTextType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Reads a history value into text (kHistoryValueSize characters). A string value is the
// line as it was typed, in UTF-16; a value of another type, as an early version could leave,
// holds code page 932 bytes, read as such whatever the system's ANSI code page. Neither promises a
// terminator, so the result is cut at the first zero or at the value's size. A value whose text and
// terminator do not fit in kHistoryValueSize characters counts as unreadable.
bool ReadHistoryValue(HKEY key, const wchar_t* name, wchar_t* text) {
    wchar_t data[kHistoryValueSize] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
        ERROR_SUCCESS)
        return false;
    if (!IsTextType(type)) {
        const char* bytes = reinterpret_cast<const char*>(data);
        const void* zero = std::memchr(bytes, 0, size);
        const DWORD length =
            zero != nullptr ? static_cast<DWORD>(static_cast<const char*>(zero) - bytes) : size;
        if (length + 1 > static_cast<DWORD>(kHistoryValueSize))
            return false;
        // Each byte gives one UTF-16 unit at the most: the text fits.
        const int units = MultiByteToWideChar(932, 0, bytes, static_cast<int>(length), text,
                                              kHistoryValueSize - 1);
        text[units > 0 ? units : 0] = L'\0';
        return true;
    }
    const DWORD units = size / sizeof(wchar_t);
    DWORD length = 0;
    while (length < units && data[length] != L'\0')
        ++length;
    if (length + 1 > static_cast<DWORD>(kHistoryValueSize))
        return false;
    std::memcpy(text, data, length * sizeof(wchar_t));
    text[length] = L'\0';
    return true;
}

// wsprintfW rather than the C library's formatting, which brings floating-point
// conversion into the DLL.
void HistoryValueName(wchar_t (&name)[8], int index) {
    wsprintfW(name, kHistoryValueFormat, index);
}

// Writes the text as a UTF-16 string value. Text longer than a history value can hold is
// cut (never inside a surrogate pair), so that the next load can read it back.
void WriteHistoryValue(HKEY key, const wchar_t* name, const wchar_t* text) {
    std::size_t length = 0;
    while (length < kHistoryValueSize - 1 && text[length] != L'\0')
        ++length;
    if (text[length] != L'\0' && length > 0 && IS_HIGH_SURROGATE(text[length - 1]))
        --length;
    wchar_t value[kHistoryValueSize];
    std::memcpy(value, text, length * sizeof(wchar_t));
    value[length] = L'\0';
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                   static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
}

} // namespace

void LoadSettings(RunRecord& run) {
    RegistryKey opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, opened.Put()) !=
        ERROR_SUCCESS) {
        run.ConfiguredMode = SelectOnly;
        run.InitFromHistory = 0;
        return;
    }
    const HKEY key = opened.Get();

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

    DWORD combine = ReplaceSelection;
    ReadNumber(key, kCombineValue, combine);
    run.Combine = combine <= RemoveFromSelection ? combine : DWORD{ReplaceSelection};

    // The walk ends at the first value that cannot be read; empty values are passed over.
    run.History.Clear();
    for (int i = 0; i < kHistoryEntries; ++i) {
        wchar_t name[8];
        HistoryValueName(name, i);
        wchar_t text[kHistoryValueSize];
        if (!ReadHistoryValue(key, name, text))
            break;
        if (text[0] != L'\0')
            run.History.Append(text);
    }
}

void SaveSettings(RunRecord& run) {
    RegistryKey created;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, created.Put(), nullptr) != ERROR_SUCCESS)
        return;
    const HKEY key = created.Get();

    const DWORD action = run.Action;
    RegSetValueExW(key, kFlagValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&action),
                   sizeof action);
    const DWORD combine = run.Combine;
    RegSetValueExW(key, kCombineValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&combine),
                   sizeof combine);

    // Names from the clipboard stood in for the line: they are no line to offer again.
    if (run.ClipboardNames)
        return;

    // The record's field has one character more than a history value; never read past it.
    wchar_t line[kRecordTextSize];
    std::memcpy(line, run.PatternLine, sizeof line);
    line[kRecordTextSize - 1] = L'\0';

    wchar_t name[8];
    HistoryValueName(name, 0);
    WriteHistoryValue(key, name, line);

    // The older entries follow the new line; a copy of the new line (the same characters,
    // whatever the system's collation says) is dropped. With an empty line nothing but "h0"
    // is written, so "h1" onwards keep their contents.
    if (line[0] != L'\0') {
        int n = 1;
        for (const wchar_t* entry = run.History.GetFirst(); entry != nullptr && n < kHistoryEntries;
             entry = run.History.GetNext()) {
            if (std::wcscmp(entry, line) == 0)
                continue;
            HistoryValueName(name, n);
            WriteHistoryValue(key, name, entry);
            ++n;
        }
    }
}
