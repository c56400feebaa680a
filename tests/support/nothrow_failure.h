// Replaces the program's nothrow allocation functions (new (std::nothrow) T and T[]) with
// ones that allocate as usual until a test plans a failure. The code under test allocates
// only that way, so a test can make any one of its allocations fail without a seam in it.
// Linked into the test programs that need it; no other program may carry it.
#pragma once

// The n-th nothrow allocation from now on returns null (n >= 1); 0 plans no failure.
void FailNothrowAllocation(int n);

// How many nothrow allocations are still to come before the planned failure: 0 once it has
// happened, or when none is planned.
int NothrowAllocationsBeforeFailure();
