#include "tests/support/nothrow_failure.h"

#include <cstddef>
#include <new>

namespace {

int allocationsBeforeFailure = 0;

bool FailThisAllocation() {
    if (allocationsBeforeFailure == 0)
        return false;
    return --allocationsBeforeFailure == 0;
}

} // namespace

void FailNothrowAllocation(int n) {
    allocationsBeforeFailure = n > 0 ? n : 0;
}

int NothrowAllocationsBeforeFailure() {
    return allocationsBeforeFailure;
}

// The replacements go through the throwing functions, so that every allocation, planned
// failure or not, is freed by the usual delete.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (FailThisAllocation())
        return nullptr;
    try {
        return ::operator new(size);
    } catch (...) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (FailThisAllocation())
        return nullptr;
    try {
        return ::operator new[](size);
    } catch (...) {
        return nullptr;
    }
}
