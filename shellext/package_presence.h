// Whether the package that declares the command of Windows 11's own context menu is registered
// for the user. While it is, Windows shows that command in the classic menu too, so the classic
// handler stays out of it: two identical entries would confuse.
#pragma once

// Asked on every right-click, so the answer is the system's of at most a second ago: a few
// nanoseconds, where asking the system each time would cost a lookup in its package store.
bool CommandPackageRegistered();

// The lookup the answer comes from; the system's when none is given. Setting one forgets the
// kept answer.
using PackageLookup = bool (*)();
void SetPackageLookupForTests(PackageLookup lookup);
