// The DLL's module-wide values: set at load, by the class factory and by the objects'
// constructors and destructors, read wherever the module needs them.
#pragma once

#include <windows.h>

// The DLL's instance handle, saved at process attach; resources are loaded from it.
extern HINSTANCE ModuleInstance;
// Live objects of the DLL: factories, SelectExtension and ExplorerCommand objects. Objects
// live on several Explorer threads, so it changes only through Interlocked operations.
extern LONG ModuleObjectCount;
// Locks that callers of the class factory hold (IClassFactory::LockServer): while any is
// held, the DLL stays loaded. Changed only through Interlocked operations.
extern LONG ModuleLockCount;
