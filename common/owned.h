// Owners of the Windows resources the programs hold for the length of one operation: a COM
// interface, a registry key, a kernel handle, memory of the global, local and COM task
// allocators, and a global-memory lock. Each owner frees its resource exactly once, when it
// goes, is reset or is assigned another, on every path out of a function; it can be moved, so
// a resource can leave the function that acquired it, but not copied. Nothing here throws.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <utility>

// One reference on a COM interface.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : pointer_(other.Detach()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }
    ~ComPtr() { Reset(); }

    // Takes over a reference the caller holds.
    static ComPtr Adopt(Interface* pointer) {
        ComPtr owner;
        owner.pointer_ = pointer;
        return owner;
    }
    // Takes a reference of its own on an interface the caller lends.
    static ComPtr Share(Interface* pointer) {
        if (pointer != nullptr)
            pointer->AddRef();
        return Adopt(pointer);
    }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // Where a call that hands out a reference puts it; what was held goes first.
    Interface** Put() {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    void Reset() { Attach(nullptr); }
    void Attach(Interface* pointer) {
        Interface* held = pointer_;
        pointer_ = pointer;
        if (held != nullptr)
            held->Release();
    }
    // Hands the reference to the caller.
    Interface* Detach() {
        Interface* held = pointer_;
        pointer_ = nullptr;
        return held;
    }

    // The object's interface iid in another owner; empty when the object does not offer it.
    template <typename Other> HRESULT As(REFIID iid, ComPtr<Other>& other) const;

private:
    Interface* pointer_ = nullptr;
};

// The interface iid of object, which the caller lends, in an owner; empty when the object is
// null or does not offer it.
template <typename Other> HRESULT QueryInto(IUnknown* object, REFIID iid, ComPtr<Other>& other) {
    if (object == nullptr) {
        other.Reset();
        return E_POINTER;
    }
    const HRESULT hr = object->QueryInterface(iid, other.PutVoid());
    if (FAILED(hr) || !other) {
        other.Reset();
        return FAILED(hr) ? hr : E_NOINTERFACE;
    }
    return hr;
}

template <typename Interface>
template <typename Other>
HRESULT ComPtr<Interface>::As(REFIID iid, ComPtr<Other>& other) const {
    return QueryInto(pointer_, iid, other);
}

// A resource of a type without a destructor of its own: Traits names its type, the value
// that holds nothing, and how it is freed.
template <typename Traits> class Owned {
public:
    using Type = typename Traits::Type;

    Owned() = default;
    explicit Owned(Type value) : value_(value) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    Owned(Owned&& other) noexcept : value_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    ~Owned() { Reset(); }

    Type Get() const { return value_; }
    bool Valid() const { return Traits::Holds(value_); }
    // Where a call that hands out the resource puts it; what was held goes first.
    Type* Put() {
        Reset();
        return &value_;
    }
    void Reset(Type value = Traits::Empty()) {
        const Type held = value_;
        value_ = value;
        if (Traits::Holds(held))
            Traits::Free(held);
    }
    // Hands the resource to the caller (or to an owner that takes it over, as the clipboard
    // does a memory block it accepts).
    Type Release() {
        const Type held = value_;
        value_ = Traits::Empty();
        return held;
    }

private:
    Type value_ = Traits::Empty();
};

struct RegistryKeyTraits {
    using Type = HKEY;
    static HKEY Empty() { return nullptr; }
    static bool Holds(HKEY key) { return key != nullptr; }
    static void Free(HKEY key) { RegCloseKey(key); }
};
using RegistryKey = Owned<RegistryKeyTraits>;

// CreateFile reports a failure as INVALID_HANDLE_VALUE, most other calls as null: neither is
// a handle.
struct KernelHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static bool Holds(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE handle) { CloseHandle(handle); }
};
using KernelHandle = Owned<KernelHandleTraits>;

struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static HGLOBAL Empty() { return nullptr; }
    static bool Holds(HGLOBAL memory) { return memory != nullptr; }
    static void Free(HGLOBAL memory) { GlobalFree(memory); }
};
using GlobalMemory = Owned<GlobalMemoryTraits>;

// Memory that a security call hands out (LocalFree).
template <typename Pointer> struct LocalMemoryTraits {
    using Type = Pointer;
    static Pointer Empty() { return nullptr; }
    static bool Holds(Pointer memory) { return memory != nullptr; }
    static void Free(Pointer memory) { LocalFree(memory); }
};
template <typename Pointer> using LocalMemory = Owned<LocalMemoryTraits<Pointer>>;

// Memory that the shell and COM hand out (CoTaskMemFree): item id lists, strings.
template <typename Pointer> struct TaskMemoryTraits {
    using Type = Pointer;
    static Pointer Empty() { return nullptr; }
    static bool Holds(Pointer memory) { return memory != nullptr; }
    static void Free(Pointer memory) {
        CoTaskMemFree(const_cast<void*>(static_cast<const void*>(memory)));
    }
};
template <typename Pointer> using TaskMemory = Owned<TaskMemoryTraits<Pointer>>;

// A global memory block locked for as long as the lock lives; Get() is null when the block
// could not be locked.
template <typename Bytes = void> class GlobalLockOf {
public:
    explicit GlobalLockOf(HGLOBAL memory)
        : memory_(memory), bytes_(memory != nullptr ? GlobalLock(memory) : nullptr) {}
    GlobalLockOf(const GlobalLockOf&) = delete;
    GlobalLockOf& operator=(const GlobalLockOf&) = delete;
    ~GlobalLockOf() {
        if (bytes_ != nullptr)
            GlobalUnlock(memory_);
    }
    Bytes* Get() const { return static_cast<Bytes*>(bytes_); }

private:
    HGLOBAL memory_;
    void* bytes_;
};
