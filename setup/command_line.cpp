#include "setup/command_line.h"

namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

const wchar_t* SkipBlanks(const wchar_t* at) {
    while (IsBlank(*at))
        ++at;
    return at;
}

// Reads the argument at `at` into out and moves `at` past it; false when there is none left.
// One too long for out is cut short and marks the command not understood.
bool NextArgument(const wchar_t*& at, wchar_t (&out)[MAX_PATH], SetupCommand& command) {
    at = SkipBlanks(at);
    if (*at == L'\0')
        return false;
    int length = 0;
    bool quoted = false;
    for (; *at != L'\0' && (quoted || !IsBlank(*at)); ++at) {
        if (*at == L'"') {
            quoted = !quoted;
        } else if (length < MAX_PATH - 1) {
            out[length++] = *at;
        } else {
            command.Understood = false;
        }
    }
    out[length] = L'\0';
    return true;
}

bool IsSwitch(const wchar_t* argument, const wchar_t* name) {
    return (argument[0] == L'/' || argument[0] == L'-') &&
           CompareStringOrdinal(argument + 1, -1, name, -1, TRUE) == CSTR_EQUAL;
}

bool Is(const wchar_t* argument, const wchar_t* word) {
    return CompareStringOrdinal(argument, -1, word, -1, TRUE) == CSTR_EQUAL;
}

} // namespace

SetupCommand ReadSetupCommand(const wchar_t* arguments) {
    SetupCommand command;
    bool removal = false;
    bool package = false;
    wchar_t argument[MAX_PATH];
    const wchar_t* at = arguments != nullptr ? arguments : L"";
    while (NextArgument(at, argument, command)) {
        if (IsSwitch(argument, L"quiet")) {
            command.Quiet = true;
        } else if (IsSwitch(argument, L"log")) {
            if (!NextArgument(at, command.LogPath, command) || command.LogPath[0] == L'\0')
                command.Understood = false;
        } else if (IsSwitch(argument, L"package")) {
            package = true;
            if (NextArgument(at, argument, command) && Is(argument, L"add"))
                command.Action = SetupAction::AddMenuPackage;
            else if (Is(argument, L"remove"))
                command.Action = SetupAction::RemoveMenuPackage;
            else
                command.Understood = false;
        } else if (argument[0] == L'/' || argument[0] == L'-') {
            command.Understood = false;
        } else if (argument[0] == L'u') {
            removal = true;
        }
    }
    if (removal && package)
        command.Understood = false;
    else if (removal)
        command.Action = SetupAction::Remove;
    return command;
}

const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* at = commandLine;
    if (*at == L'"') {
        ++at;
        while (*at != L'\0' && *at != L'"')
            ++at;
        if (*at == L'"')
            ++at;
    }
    while (*at != L'\0' && !IsBlank(*at))
        ++at;
    return SkipBlanks(at);
}
