#include "shellext/package_presence.h"

#include <windows.h>

#include <atomic>

#include "common/shared_facts.h"

namespace {

// How long an answer is kept: a user who turns the option on or off in the setup program sees
// the menu change at the next right-click but one second later at most.
constexpr ULONGLONG kAnswerLifetimeMs = 1000;

// GetPackagesByPackageFamily exists from Windows 8 on (not in Wine 8): looked up, not imported,
// so the DLL still loads where it is missing, and the answer there is "not registered".
using GetPackagesByPackageFamilyFunction = LONG(WINAPI*)(PCWSTR family, UINT32* count,
                                                         PWSTR* fullNames, UINT32* bufferLength,
                                                         WCHAR* buffer);

bool SystemLookup() {
    // Found again at each lookup, at most once a second: kernel32 is always loaded.
    const auto lookup =
        reinterpret_cast<GetPackagesByPackageFamilyFunction>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetPackagesByPackageFamily")));
    if (lookup == nullptr)
        return false;
    const auto registered = [lookup](const wchar_t* family) {
        UINT32 count = 0;
        UINT32 bufferLength = 0;
        const LONG result = lookup(family, &count, nullptr, &bufferLength, nullptr);
        return (result == ERROR_SUCCESS || result == ERROR_INSUFFICIENT_BUFFER) && count > 0;
    };
    // A signed release's DLL also counts an unsigned package left from an earlier release: it
    // serves the same command until Vestinst replaces it.
    return registered(kPackageFamilyWide.Text) ||
           (!kPackageUnsigned && registered(kUnsignedPackageFamilyWide.Text));
}

std::atomic<PackageLookup> currentLookup{SystemLookup};
// Explorer asks from several threads; a race costs at most one extra lookup.
std::atomic<ULONGLONG> answerExpires{0};
std::atomic<bool> keptAnswer{false};

} // namespace

bool CommandPackageRegistered() {
    const ULONGLONG now = GetTickCount64();
    if (now < answerExpires.load(std::memory_order_acquire))
        return keptAnswer.load(std::memory_order_relaxed);
    const bool registered = currentLookup.load()();
    keptAnswer.store(registered, std::memory_order_relaxed);
    answerExpires.store(now + kAnswerLifetimeMs, std::memory_order_release);
    return registered;
}

void SetPackageLookupForTests(PackageLookup lookup) {
    currentLookup.store(lookup != nullptr ? lookup : SystemLookup);
    answerExpires.store(0);
}
