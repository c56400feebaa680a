// What Vestinst's command line asks for.
#pragma once

#include <windows.h>

enum class SetupAction {
    // Without arguments: install, or show the settings of an installation.
    Install,
    Remove,
    AddMenuPackage,
    RemoveMenuPackage,
};

struct SetupCommand {
    SetupAction Action = SetupAction::Install;
    // No window: each question gets the answer that changes nothing it need not change.
    bool Quiet = false;
    // Empty without /log.
    wchar_t LogPath[MAX_PATH] = {};
    // False when an argument asks for something Vestinst does not know.
    bool Understood = true;
};

// Reads arguments (the command line without the program's name). They are separated by blanks
// and tabs; double quotes keep blanks inside one and are not part of it. An argument whose first
// character is a lower-case "u" removes, as it always did ("u", "uninstall"). The switches
// "/quiet", "/log FILE" and "/package add|remove" come in any order, in any case, with "-" in
// place of "/". Other words are ignored, as they always were; not understood are an unknown
// switch, /log without a file or with one longer than MAX_PATH, /package without add or
// remove, and /package beside a removal.
SetupCommand ReadSetupCommand(const wchar_t* arguments);

// What follows the program's name (quoted or not) in a command line, without the blanks between.
const wchar_t* ArgumentsOf(const wchar_t* commandLine);
