// Every registry value through which Explorer finds the extension, in the order installation
// writes them; removal takes them away in the reverse order. Vestinst writes and removes them,
// its rollback snapshots their keys, and the build's table printer (tools/vestrane_facts.cpp)
// hands them to the Windows Installer package, so that the two ways of installing cannot
// drift apart. Portable: no Windows type appears here. Every entry is written in the
// program's own registry view; the 32-bit Vestinst refuses to run on 64-bit Windows.
#pragma once

#include "common/shared_facts.h"

enum class RegistryRoot { ClassesRoot, LocalMachine };

// What a value holds.
enum class EntryData {
    Text,                  // the entry's Text
    DllPath,               // the full path of Vestrane.dll
    UninstallCommand,      // the setup program's full path in quotes, a blank and "u"
    QuietUninstallCommand, // the uninstall command, a blank and "/quiet"
    ProgramVersion,        // the setup program's version, as its version resource holds it
    InstalledSize,         // the size of the files in the program's folder that ship, in KB
};

// How a value is stored: REG_SZ with its terminator, or REG_DWORD.
enum class ValueType { String, Dword };

// Who publishes Vestrane, as the uninstall entry names it; the Windows Installer packages name
// the same (make-msi's --manufacturer) and keep their folder under it.
inline constexpr wchar_t kPublisherName[] = L"Nembrok";

struct RegistryEntry {
    RegistryRoot Root;
    // The key's path: the parts joined by backslashes, a null part ending it.
    const wchar_t* KeyParts[4];
    // Null for the key's default value.
    const wchar_t* ValueName;
    EntryData Data;
    const wchar_t* Text;
    // Removal deletes the key itself (its subkeys go first, as they come later in the table);
    // otherwise only the value, as in a key that Windows and other programs share.
    bool OwnsKey;
    // The uninstall entry: the setup program's own. An installer package keeps an uninstall
    // entry of its own and leaves these out.
    bool SetupProgramOnly;
    ValueType Type = ValueType::String;
};

inline constexpr wchar_t kInprocServerKey[] = L"InprocServer32";

// A context-menu handler's key under parent: the extension's class identifier.
constexpr RegistryEntry HandlerEntry(const wchar_t* parent) {
    return {RegistryRoot::ClassesRoot,
            {parent, kProductName},
            nullptr,
            EntryData::Text,
            kClassIdText,
            true,
            false};
}

inline constexpr RegistryEntry kRegistryEntries[] = {
    {RegistryRoot::ClassesRoot,
     {L"CLSID", kClassIdText},
     nullptr,
     EntryData::Text,
     kProductName,
     true,
     false},
    {RegistryRoot::ClassesRoot,
     {L"CLSID", kClassIdText, kInprocServerKey},
     nullptr,
     EntryData::DllPath,
     nullptr,
     true,
     false},
    {RegistryRoot::ClassesRoot,
     {L"CLSID", kClassIdText, kInprocServerKey},
     L"ThreadingModel",
     EntryData::Text,
     L"Apartment",
     true,
     false},
    // The context-menu handlers of files, of folder items and of a folder window's background.
    HandlerEntry(kHandlerParent),
    HandlerEntry(kFolderHandlerParent),
    HandlerEntry(kBackgroundHandlerParent),
    // Where the shell's policy admits only approved extensions.
    {RegistryRoot::LocalMachine,
     {kApprovedKey},
     kClassIdText,
     EntryData::Text,
     kProductName,
     false,
     false},
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"DisplayName",
     EntryData::Text,
     kProductName,
     true,
     true},
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"UninstallString",
     EntryData::UninstallCommand,
     nullptr,
     true,
     true},
    // What Apps & Features shows of the entry, and the command that management tools run to
    // remove the extension without a window.
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"DisplayVersion",
     EntryData::ProgramVersion,
     nullptr,
     true,
     true},
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"Publisher",
     EntryData::Text,
     kPublisherName,
     true,
     true},
    // The DLL's own icon, the first of its file.
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"DisplayIcon",
     EntryData::DllPath,
     nullptr,
     true,
     true},
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"EstimatedSize",
     EntryData::InstalledSize,
     nullptr,
     true,
     true,
     ValueType::Dword},
    {RegistryRoot::LocalMachine,
     {kUninstallParent, kProductName},
     L"QuietUninstallString",
     EntryData::QuietUninstallCommand,
     nullptr,
     true,
     true},
};

inline constexpr int kRegistryEntryCount =
    static_cast<int>(sizeof kRegistryEntries / sizeof kRegistryEntries[0]);

// Writes the entry's key path, without its root, into out (room characters, the terminator
// included); false, with out empty, when it does not fit.
inline bool FormEntryKey(const RegistryEntry& entry, wchar_t* out, int room) {
    if (room <= 0)
        return false;
    int used = 0;
    bool fits = true;
    const auto put = [&](wchar_t c) {
        if (used + 1 < room)
            out[used++] = c;
        else
            fits = false;
    };
    for (const wchar_t* part : entry.KeyParts) {
        if (part == nullptr)
            break;
        if (used > 0)
            put(L'\\');
        for (; *part != L'\0'; ++part)
            put(*part);
    }
    out[fits ? used : 0] = 0;
    return fits;
}
