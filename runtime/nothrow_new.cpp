// The allocation operators of Vestrane.dll and Vestinst.exe. The library's versions of the
// nothrow forms call the throwing form and catch its exception, which links the whole
// exception runtime (unwinder, terminate handler, name demangler, thread support) into
// files that never throw. The programs allocate only with new (std::nothrow), so these and
// the deletes are all they need. malloc and free, as the library's own versions use, so a
// block from either side may be freed by the other.
#include <cstdlib>
#include <new>

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept {
    std::free(block);
}
