// Whether users other than the administrators could replace the DLL. Explorer loads the
// registered DLL into every user's session, administrators' included: a DLL in a folder that
// other users may write is a way for any of them to run code as everyone else.
#pragma once

#include <windows.h>

// True when the owner or an allow entry of the DACL that applies to the object itself gives
// anyone but the administrators, SYSTEM, TrustedInstaller or setupUser a right to change,
// replace or delete it or what it holds; also for a null DACL, which lets everyone do
// anything. setupUser (may be null) is the account running the setup program, which needs
// administrator rights to register anything. Deny entries are not weighed: a DACL that only
// denies what it first allows still counts, which errs on the side of asking.
bool SecurityLetsOthersWrite(PSID owner, const ACL* dacl, PSID setupUser);

// SecurityLetsOthersWrite for the folder of dllPath or for dllPath itself, with the account
// running this program as setupUser. True as well when the security cannot be read.
bool OthersMayReplaceDll(const wchar_t* dllPath);

// Where the program is best kept: "%ProgramFiles%\Vestrane", expanded.
void RecommendedFolder(wchar_t (&out)[MAX_PATH]);
