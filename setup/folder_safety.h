// Whether accounts other than the administrators could replace the DLL. Explorer loads the
// registered DLL into every user's session, administrators' included, and into the elevated
// programs that show shell menus: a DLL that another account can replace is a way for that
// account to run code as everyone else. Only Administrators, SYSTEM and TrustedInstaller are
// trusted; the account running the setup program is not (a DLL that the user's own unelevated
// programs can replace would run inside the user's elevated ones).
#pragma once

#include <windows.h>

// The rights that accounts other than the trusted ones hold on one file or folder: the
// union of the allow entries of the DACL that apply to the object itself, all rights for a
// null DACL, and untrustedOwner set when the owner (who may always rewrite the DACL) is not a
// trusted account. Deny entries are not weighed: a DACL that only denies what it first allows
// still counts, which errs on the side of asking.
struct ObjectRights {
    DWORD Untrusted = 0;
    bool UntrustedOwner = false;
};
ObjectRights RightsOfOthers(PSID owner, const ACL* dacl);

// Whether the chain of objects from the DLL (chain[0]) through its folder (chain[1]) up to the
// drive's root (chain[count - 1]) lets others put another DLL in its place: rights to write,
// delete or take over the DLL; to add a file (a DLL that the DLL would load from beside
// itself), remove an entry or take over its folder; and, for every folder above, to take it
// over or to replace the folder below it on the path (remove that folder's entry, by deleting
// it or a child of the folder above, and make a new one). Returns the index of the first
// object that allows it, or -1.
int FirstUnsafeInChain(const ObjectRights* chain, int count);

// Whether others may replace the DLL at dllPath: FirstUnsafeInChain over the real security of
// the DLL and every folder above it, and also any DLL inside a user profile (its user's own
// programs may change it). When they may, folder receives the folder to name to the user: the
// DLL's folder, or the folder above it that others may change. True as well when the security
// cannot be read.
bool OthersMayReplaceDll(const wchar_t* dllPath, wchar_t (&folder)[MAX_PATH]);

// Where the program is best kept: "%ProgramFiles%\Vestrane", expanded.
void RecommendedFolder(wchar_t (&out)[MAX_PATH]);

// Test seam. Wine gives every file to the signed-in account and knows no other owner, so a
// test names that account trusted (null stops it) to let the folders' own rights decide.
void TrustAccountForTests(PSID account);
