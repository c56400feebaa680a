// The DLL's module-wide values: set at load, by the class factory and by the objects'
// constructors and destructors, read wherever the module needs them.
#pragma once

#include <windows.h>

class SelectExtension;

// The DLL's instance handle, saved at process attach; resources are loaded from it.
extern HINSTANCE ModuleInstance;
// Live ExtensionFactory and SelectExtension objects. Objects live on several Explorer
// threads, so it changes only through Interlocked operations.
extern LONG ModuleObjectCount;
// The most recently created SelectExtension, or null once that object is destroyed: only code
// that knows no better reaches a run's record through it.
extern SelectExtension* CurrentExtension;
