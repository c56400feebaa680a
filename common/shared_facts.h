// The facts that the extension DLL, the setup program, their tests and the build's tools
// share: the class identifier, the registry names of the registration and of the per-user
// settings, and the action codes stored there. The setup program writes what the DLL reads,
// so each of these has this one home; neither program includes the other's headers. Portable
// but for the class identifier's value, so that a native tool can print the facts. What
// Windows reads as text is a wide literal here; the package's name and publisher are UTF-8,
// the form its family name is worked out from.
#pragma once

#include <cstdint>

#include "common/package_identity.h"
#include "vestrane_publisher.h"

#ifdef _WIN32
#include <windows.h>

// The extension's class identifier as a value; kClassIdText is its text form.
inline constexpr CLSID kVestraneClassId = {
    0x76F7FE62, 0xBCEE, 0x11D5, {0x96, 0xCD, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
// The command of Windows 11's own context menu (IExplorerCommand), the DLL's second class;
// kCommandClassIdText is its text form.
inline constexpr CLSID kCommandClassId = {
    0x380A3E14, 0x9C8F, 0x4880, {0xA4, 0xE2, 0x7D, 0x74, 0x68, 0xBD, 0xC3, 0xF8}};
// The command's canonical name, which stays the same for every version.
inline constexpr GUID kCommandCanonicalName = {
    0x80F01467, 0x9DB6, 0x4217, {0xA8, 0xAD, 0x29, 0x5F, 0x52, 0xF1, 0x3C, 0x61}};
#endif

inline constexpr wchar_t kCommandClassIdText[] = L"{380A3E14-9C8F-4880-A4E2-7D7468BDC3F8}";

// The package that declares the command to Windows 11 (a sparse package of the install
// folder): its name, its publisher and the family name that follows from both. Windows 11
// installs an unsigned package whose publisher carries this OID; a signed release's package
// has the signing certificate's subject (a build fact). Vestinst also removes the unsigned
// family's packages when it handles the signed one: a signed release may replace an unsigned.
inline constexpr char kPackageName[] = "Vestrane";
inline constexpr char kUnsignedPackagePublisher[] =
    "CN=Vestrane, OID.2.25.311729368913984317654407730594956997722=1";
#ifdef VESTRANE_SIGNED_PACKAGE_PUBLISHER
inline constexpr const char* kPackagePublisher = VESTRANE_SIGNED_PACKAGE_PUBLISHER;
inline constexpr bool kPackageUnsigned = false;
#else
inline constexpr const char* kPackagePublisher = kUnsignedPackagePublisher;
inline constexpr bool kPackageUnsigned = true;
#endif
inline constexpr package_identity::FamilyName kPackageFamily =
    package_identity::FamilyOf(kPackageName, kPackagePublisher);
static_assert(kPackageFamily.Valid, "the package publisher is no UTF-8 text of 1 to 1024 units");
inline constexpr const char* kPackageFamilyName = kPackageFamily.Text;
// The families as Windows' functions take them.
inline constexpr auto kPackageFamilyWide =
    package_identity::Widened<package_identity::LengthOf(kPackageFamily.Text) + 1>(
        kPackageFamily.Text);
inline constexpr package_identity::FamilyName kUnsignedPackageFamily =
    package_identity::FamilyOf(kPackageName, kUnsignedPackagePublisher);
inline constexpr auto kUnsignedPackageFamilyWide =
    package_identity::Widened<package_identity::LengthOf(kUnsignedPackageFamily.Text) + 1>(
        kUnsignedPackageFamily.Text);

// The extension's class identifier in the text form of the registry.
inline constexpr wchar_t kClassIdText[] = L"{76F7FE62-BCEE-11d5-96CD-444553540000}";

// The context-menu entry's verb, which GetCommandString gives and by which a program may invoke
// the entry; ASCII, matched without regard to case.
inline constexpr wchar_t kMenuVerb[] = L"VestraneSelectByWildcard";

// The name under which the handler, the uninstall entry and the settings are kept.
inline constexpr wchar_t kProductName[] = L"Vestrane";

// Parents (under HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE) of the keys named kProductName:
// the context-menu handlers of files, of folder items and of a folder window's background
// (the empty area of a folder or of the desktop), and the uninstall entries.
inline constexpr wchar_t kHandlerParent[] = L"*\\shellex\\ContextMenuHandlers";
inline constexpr wchar_t kFolderHandlerParent[] = L"Directory\\shellex\\ContextMenuHandlers";
inline constexpr wchar_t kBackgroundHandlerParent[] =
    L"Directory\\Background\\shellex\\ContextMenuHandlers";
inline constexpr wchar_t kUninstallParent[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// Under HKEY_LOCAL_MACHINE: the shell extensions approved for the machine, a value named by
// each class identifier.
inline constexpr wchar_t kApprovedKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";

// The upgrade codes of the Windows Installer packages (tools/make-msi), one for each
// architecture. Windows Installer knows every version of a package by its upgrade code, so
// these never change: a new one would install beside the old version instead of replacing it.
// The setup program looks for a package's installation under either.
struct PackageUpgradeCode {
    const char* Architecture;
    const wchar_t* Code;
};
inline constexpr PackageUpgradeCode kPackageUpgradeCodes[] = {
    {"x64", L"{3F9CD12F-CCAA-404B-87A9-DAD045DD533C}"},
    {"x86", L"{2683202B-4354-4166-856A-B6757CAE11C1}"},
};

// The per-user settings record under HKEY_CURRENT_USER: kSettingsParent\kProductName.
inline constexpr wchar_t kSettingsParent[] = L"Software\\Nembrok";
inline constexpr wchar_t kSettingsKey[] = L"Software\\Nembrok\\Vestrane";
// The configured action (an ActionMode), written by the setup program.
inline constexpr wchar_t kModeValue[] = L"mode";
// Nonzero: the pattern box starts with the history's first line; 0: with the extension.
inline constexpr wchar_t kSelectValue[] = L"select";
// The action of the last run, written by every confirmed run.
inline constexpr wchar_t kFlagValue[] = L"flag";
// How the last run combined its matches with the selection (a SelectionCombine), written by
// every confirmed run and offered again by the next.
inline constexpr wchar_t kCombineValue[] = L"combine";
// History values "h0" .. "h9", most recent first.
inline constexpr wchar_t kHistoryValueFormat[] = L"h%d";
inline constexpr int kHistoryEntries = 10;

// Action codes, as stored in "mode" and "flag".
enum ActionMode : std::uint32_t {
    SelectOnly = 0,
    ClipboardCopy = 1,
    ClipboardCut = 2,
    UsePrevious = 3, // only as the configured default: the action of the last run
    CopyToFolder = 4,
    MoveToFolder = 5,
};

// What a run does with the window's selection, as stored in "combine": selects the matches
// alone, adds them to it, or takes them from it. Any other stored value reads as Replace.
enum SelectionCombine : std::uint32_t {
    ReplaceSelection = 0,
    AddToSelection = 1,
    RemoveFromSelection = 2,
};
