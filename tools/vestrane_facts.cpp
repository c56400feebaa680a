// Prints the facts that the programs' own headers hold, for the build steps that make the
// installer packages from them: vestrane-facts facts | entries
//   facts    one "name<TAB>value" line each: class-id, product, verb, command-class-id,
//            package-name, package-publisher, package-family, the upgrade codes and version
//            (the project's, four numbers), upgrade-code-x64 and upgrade-code-x86 (the installer
//            packages')
//   entries  the registry entries of the registration, in the order of writing, one line
//            each: root (HKCR, HKLM), key, value name (empty for the default value), data
//            (text, dll-path, uninstall-command; in setup-only rows also
//            quiet-uninstall-command, program-version and installed-size, the one DWORD), the
//            text, "owns-key" or "value-only", and "setup-only" or "every-installer"
#include <cstdio>
#include <cstring>

#include "common/registry_entries.h"

namespace {

const char* DataName(EntryData data) {
    switch (data) {
    case EntryData::DllPath:
        return "dll-path";
    case EntryData::UninstallCommand:
        return "uninstall-command";
    case EntryData::QuietUninstallCommand:
        return "quiet-uninstall-command";
    case EntryData::ProgramVersion:
        return "program-version";
    case EntryData::InstalledSize:
        return "installed-size";
    default:
        return "text";
    }
}

void PrintEntries() {
    for (const RegistryEntry& entry : kRegistryEntries) {
        wchar_t key[1024];
        if (!FormEntryKey(entry, key, 1024))
            continue;
        std::printf("%s\t%ls\t%ls\t%s\t%ls\t%s\t%s\n",
                    entry.Root == RegistryRoot::ClassesRoot ? "HKCR" : "HKLM", key,
                    entry.ValueName != nullptr ? entry.ValueName : L"", DataName(entry.Data),
                    entry.Text != nullptr ? entry.Text : L"",
                    entry.OwnsKey ? "owns-key" : "value-only",
                    entry.SetupProgramOnly ? "setup-only" : "every-installer");
    }
}

void PrintFacts() {
    std::printf("class-id\t%ls\n", kClassIdText);
    std::printf("product\t%ls\n", kProductName);
    std::printf("verb\t%ls\n", kMenuVerb);
    std::printf("command-class-id\t%ls\n", kCommandClassIdText);
    std::printf("package-name\t%s\n", kPackageName);
    std::printf("package-publisher\t%s\n", kPackagePublisher);
    std::printf("package-family\t%s\n", kPackageFamilyName);
    std::printf("version\t%s\n", VESTRANE_VERSION);
    for (const PackageUpgradeCode& code : kPackageUpgradeCodes)
        std::printf("upgrade-code-%s\t%ls\n", code.Architecture, code.Code);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "facts") == 0) {
        PrintFacts();
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "entries") == 0) {
        PrintEntries();
        return 0;
    }
    std::fprintf(stderr, "usage: vestrane-facts facts | entries\n");
    return 2;
}
