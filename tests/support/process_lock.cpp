#include "tests/support/process_lock.h"

ProcessLock::ProcessLock(const std::string& name) {
    std::string objectName = "Vestrane.TestLock." + name;
    for (char& c : objectName) {
        if (c == '\\')
            c = '/';
    }
    mutex_ = CreateMutexA(nullptr, FALSE, objectName.c_str());
    if (mutex_ != nullptr) {
        // A holder that died leaves the mutex abandoned; the lock is ours then as well.
        WaitForSingleObject(mutex_, INFINITE);
    }
}

ProcessLock::~ProcessLock() {
    if (mutex_ != nullptr) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}
