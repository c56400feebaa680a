// Fault injection at the test program's import table: while an ImportPatch lives, every
// call that the program's own code (the engine is linked into it statically) makes to
// the named DLL function goes to the replacement instead. Lets a test make a platform
// call fail, or watch it and pass it on, without a seam in the production code.
#pragma once

#include "tests/support/uncopyable.h"

class ImportPatch : private Uncopyable {
public:
    ImportPatch(const char* dll, const char* function, void* replacement);
    ~ImportPatch();

    // False when the program does not import the function.
    bool Active() const { return slot_ != nullptr; }
    // The function that the slot held before; call it to pass a call on.
    void* Original() const { return original_; }

    template <typename Function> Function OriginalAs() const {
        return reinterpret_cast<Function>(original_);
    }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};
