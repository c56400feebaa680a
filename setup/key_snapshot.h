// A registry key as it stood before a run changed it: whether it existed, and its values. A
// registration or removal that fails part way puts back every key it touched, so the machine
// is left as the run found it.
#pragma once

#include <windows.h>

#include <memory>

class KeySnapshot {
public:
    KeySnapshot() = default;
    KeySnapshot(const KeySnapshot&) = delete;
    KeySnapshot& operator=(const KeySnapshot&) = delete;

    // Reads the key path under root. false when the key exists but cannot be read whole (then
    // the run must not change it).
    bool Take(HKEY root, const wchar_t* path);
    // Makes the key what it was: deleted when it did not exist (its subkeys must be gone by
    // then), with the keys above it that did not exist either and hold nothing now; otherwise
    // holding exactly the saved values. false when that cannot be done.
    bool PutBack() const;

    HKEY Root() const { return root_; }
    const wchar_t* Path() const { return path_; }
    bool Existed() const { return existed_; }

private:
    HKEY root_ = nullptr;
    wchar_t path_[MAX_PATH] = {};
    bool existed_ = false;
    // How many keys above a key that did not exist were missing too: creating the key made
    // them, and putting it back takes them away again.
    int missingParents_ = 0;
    // count_ records of stride_ bytes: a ValueHeader, the name with its terminator, and the
    // data at dataOffset_.
    std::unique_ptr<BYTE[]> values_;
    DWORD count_ = 0;
    DWORD stride_ = 0;
    DWORD dataOffset_ = 0;
};
