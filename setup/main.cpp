#include <windows.h>

#include "setup/setup_flow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR arguments, int) {
    return RunSetup(instance, arguments);
}
