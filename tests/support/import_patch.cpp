#include "tests/support/import_patch.h"

#include <windows.h>

namespace {

void Store(void** slot, void* value) {
    DWORD oldProtection = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &oldProtection))
        return;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, oldProtection, &oldProtection);
}

// The import-address-table slot of dll!function in the main program, or null.
void** FindSlot(const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (directory.VirtualAddress == 0)
        return nullptr;
    // Where the lookup table is missing, the slot is found by the address it holds.
    HMODULE loaded = GetModuleHandleA(dll);
    void* resolved =
        loaded != nullptr ? reinterpret_cast<void*>(GetProcAddress(loaded, function)) : nullptr;
    for (auto* descriptor =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         descriptor->Name != 0; ++descriptor) {
        if (lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0)
            continue;
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
        const auto* names =
            descriptor->OriginalFirstThunk != 0
                ? reinterpret_cast<const IMAGE_THUNK_DATA*>(base + descriptor->OriginalFirstThunk)
                : nullptr;
        for (int index = 0; slots[index].u1.Function != 0; ++index) {
            void** slot = reinterpret_cast<void**>(&slots[index].u1.Function);
            if (names != nullptr) {
                if (IMAGE_SNAP_BY_ORDINAL(names[index].u1.Ordinal))
                    continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
                    base + names[index].u1.AddressOfData);
                if (lstrcmpA(reinterpret_cast<const char*>(byName->Name), function) == 0)
                    return slot;
            } else if (resolved != nullptr && *slot == resolved) {
                return slot;
            }
        }
    }
    return nullptr;
}

} // namespace

ImportPatch::ImportPatch(const char* dll, const char* function, void* replacement) {
    slot_ = FindSlot(dll, function);
    if (slot_ == nullptr)
        return;
    original_ = *slot_;
    Store(slot_, replacement);
}

ImportPatch::~ImportPatch() {
    if (slot_ != nullptr)
        Store(slot_, original_);
}
