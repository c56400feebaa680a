// What the setup program's tests share: the registry keys an installation writes, a fixture
// that leaves the machine as it found it, and a script for the windows a run shows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/shared_facts.h"
#include "setup/resource.h"
#include "tests/support/modal_driver.h"
#include "tests/support/registry_key_guard.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/uncopyable.h"
#include "tests/support/wide_text.h"

// The keys that installation writes, formed from the names both programs share.
inline const std::wstring kClassKey = std::wstring(L"CLSID\\") + kClassIdText;
inline const std::wstring kServerKey = kClassKey + L"\\InprocServer32";
inline const std::wstring kHandlerKey = std::wstring(kHandlerParent) + L"\\" + kProductName;
inline const std::wstring kFolderHandlerKey =
    std::wstring(kFolderHandlerParent) + L"\\" + kProductName;
inline const std::wstring kBackgroundHandlerKey =
    std::wstring(kBackgroundHandlerParent) + L"\\" + kProductName;
inline const std::wstring kUninstallKey = std::wstring(kUninstallParent) + L"\\" + kProductName;
constexpr wchar_t kSessionManagerKey[] = L"System\\CurrentControlSet\\Control\\Session Manager";

// The caption of the settings dialog, as its template in this program holds it.
std::string SettingsDialogCaption();

// What a window shows, and a message box's text, in UTF-16: the same whatever the ANSI code
// page of this process.
std::wstring ShownText(HWND window);
std::wstring ShownMessage(HWND box);
// A text of the setup program's string table (this program carries its resources) as the
// program shows it, with its "%s" filled in.
std::wstring Formed(UINT text, const std::wstring& first = L"", const std::wstring& second = L"");
// The message text (IDS_CANNOT_INSTALL, IDS_CANNOT_UNINSTALL) that names one of the keys
// above as having failed, after the run's changes were put back.
std::wstring KeyFailure(UINT text, HKEY root, const std::wstring& key);
// A REG_SZ value read through the wide API, without its terminator; empty when missing.
std::wstring ReadWideString(HKEY root, const std::wstring& key, const wchar_t* name);
// Lets Everyone write and delete the file or folder (Wine then sets the Unix mode to 777).
bool LetEveryoneWrite(const std::string& path);

// Removes the registration, the uninstall entry and the settings key.
void ClearInstallation();
// Neither the class, nor a handler, nor the uninstall entry is registered.
void ExpectNoRegistration();
// Writes "mode" and "select" of the settings key.
void StoreSettings(DWORD mode, DWORD select);
// The settings key holds "mode" and "select" as these numbers.
void ExpectStoredSettings(DWORD mode, DWORD select);
// Writes a registration as installation would, pointing at dllPath.
void StoreRegistration(const std::string& dllPath);
// The path of WININIT.INI in the Windows folder.
std::string WininitPath();
// The entries of PendingFileRenameOperations: pairs of (source, target) as stored.
std::vector<std::string> PendingRenames();
// PendingFileRenameOperations ends with the deletion of the program, then of the DLL: each
// path with an empty target.
void ExpectDeletionsScheduled(const std::string& program, const std::string& dll);

// Every setup test starts and ends without an installation, and puts back what the
// machine held in the extension's keys, PendingFileRenameOperations and WININIT.INI. The
// keys are guarded as the extension's own tests guard them, so the two never overlap.
//
// Each test also has a folder of its own for the program, with a blank in its name as under
// "Program Files", that holds a Vestrane.dll: program_ and dll_ name the files there (the
// program file itself is the test's to place). It lies in the root of drive C:, outside every
// user profile. Wine gives every file to the signed-in account, so the in-process tests trust
// that account (TrustAccountForTests) and the folders' own rights decide whether the DLL is
// safe; the real program, run in a process of its own, trusts no such account.
class SetupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::unique_ptr<ScratchFolder> folder_;
    std::string program_;
    std::string dll_;

private:
    std::vector<std::unique_ptr<RegistryKeyGuard>> guards_;
    StoredValue pendingRenames_;
    bool hadWininit_ = false;
    std::string wininit_;
    bool hadSettingsParent_ = false;
    BYTE signedInAccount_[SECURITY_MAX_SID_SIZE] = {};
};

// One window a run showed, as the user saw it.
struct SeenWindow {
    HWND Owner = nullptr;
    std::wstring Caption;
    std::wstring Text; // a message box's text; empty for the settings dialog
    int DefaultButton = 0;
};

// Answers the windows a run shows on this thread, in order, with the given steps. A
// window beyond the steps fails the test and is closed, so the run cannot hang.
class WindowScript {
public:
    using Step = std::function<void(HWND window)>;
    explicit WindowScript(std::vector<Step> steps);
    const std::vector<SeenWindow>& Seen() const { return seen_; }

private:
    std::vector<Step> steps_;
    std::vector<SeenWindow> seen_;
    std::unique_ptr<ModalDriver> driver_;
};

// The window was a message box of this caption and text, owned by the desktop.
void ExpectMessageBox(const SeenWindow& seen, UINT caption, UINT text);
void ExpectMessageBox(const SeenWindow& seen, UINT caption, const std::wstring& text);
// Runs `run`, which shows one window: a message box of this caption and text, answered OK.
void ExpectOneMessageBox(const std::function<void()>& run, UINT caption, UINT text);
void ExpectOneMessageBox(const std::function<void()>& run, UINT caption, const std::wstring& text);

// Clicks a button (IDOK, IDYES, IDNO, IDCANCEL...).
WindowScript::Step Press(int button);
// The close box of the settings dialog.
WindowScript::Step CloseBox();

bool IsChecked(HWND dialog, int id);

// Stands in for Windows' package manager while it lives: records each call ("register <package>
// <folder>", "remove") and answers it with `answer` and `errorText`; a call that succeeds
// registers or removes the package.
class FakeMenuPackages : private Uncopyable {
public:
    explicit FakeMenuPackages(bool registered, HRESULT answer = S_OK, std::wstring errorText = L"");
    ~FakeMenuPackages();

    bool Registered;
    HRESULT Answer;
    std::wstring ErrorText;
    std::vector<std::wstring> Calls;
};

// Makes a key impossible to create, as for a user without rights: the key becomes a
// registry link to a place under a volatile key, where a non-volatile key cannot be made.
// Opening it fails as well. Removed again when the object goes.
class UncreatableKey : private Uncopyable {
public:
    UncreatableKey(HKEY root, std::wstring path);
    ~UncreatableKey();
    bool Made() const { return made_; }

private:
    HKEY root_;
    std::wstring path_;
    bool made_ = false;
};
