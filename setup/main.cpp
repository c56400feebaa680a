#include <windows.h>

#include "setup/command_line.h"
#include "setup/setup_flow.h"

// The wide command line: a log's path may hold characters that the ANSI code page lacks.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunSetup(instance, ArgumentsOf(GetCommandLineW()));
}
