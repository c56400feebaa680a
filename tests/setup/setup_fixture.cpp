#include "tests/setup/setup_fixture.h"

#include <aclapi.h>

#include <cstring>

#include "setup/folder_safety.h"
#include "setup/menu_package.h"
#include "setup/program_paths.h"
#include "setup/resource.h"
#include "common/message_box.h"
#include "common/resource_text.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"
#include "tests/support/dialog_template.h"

void ClearInstallation() {
    DeleteKeyTree(HKEY_CLASSES_ROOT, kClassKey);
    DeleteKeyTree(HKEY_CLASSES_ROOT, kHandlerKey);
    DeleteKeyTree(HKEY_CLASSES_ROOT, kFolderHandlerKey);
    DeleteKeyTree(HKEY_CLASSES_ROOT, kBackgroundHandlerKey);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
    DeleteKeyTree(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kApprovedKey, kClassIdText);
}

void ExpectNoRegistration() {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kBackgroundHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(ReadStoredValue(HKEY_LOCAL_MACHINE, kApprovedKey, kClassIdText).Exists);
}

void StoreSettings(DWORD mode, DWORD select) {
    ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kSettingsKey, kModeValue, mode));
    ASSERT_TRUE(WriteRegistryDword(HKEY_CURRENT_USER, kSettingsKey, kSelectValue, select));
}

void ExpectStoredSettings(DWORD mode, DWORD select) {
    const StoredValue storedMode = ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kModeValue);
    EXPECT_EQ(storedMode.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(storedMode.Data, DwordBytes(mode));
    const StoredValue storedSelect = ReadStoredValue(HKEY_CURRENT_USER, kSettingsKey, kSelectValue);
    EXPECT_EQ(storedSelect.Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(storedSelect.Data, DwordBytes(select));
}

void StoreRegistration(const std::string& dllPath) {
    ASSERT_TRUE(WriteRegistryString(HKEY_CLASSES_ROOT, kServerKey, L"", dllPath));
}

std::string WininitPath() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\WinInit.ini";
}

std::vector<std::string> PendingRenames() {
    std::vector<std::string> entries;
    const StoredValue value =
        ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, L"PendingFileRenameOperations");
    if (!value.Exists)
        return entries;
    // REG_MULTI_SZ: source, target, source, target ... each with its NUL.
    size_t at = 0;
    while (at < value.Data.size()) {
        const size_t end = value.Data.find('\0', at);
        if (end == std::string::npos)
            break;
        entries.push_back(value.Data.substr(at, end - at));
        at = end + 1;
    }
    while (!entries.empty() && entries.back().empty() && entries.size() % 2 == 1)
        entries.pop_back();
    return entries;
}

std::string SettingsDialogCaption() {
    const auto dialog = ReadDialogTemplate(GetModuleHandleA(nullptr), IDD_SETTINGS);
    return dialog ? dialog->Caption : std::string();
}

void ExpectDeletionsScheduled(const std::string& program, const std::string& dll) {
    const std::vector<std::string> pending = PendingRenames();
    ASSERT_GE(pending.size(), 4u);
    const std::vector<std::string> last(pending.end() - 4, pending.end());
    EXPECT_EQ(last, (std::vector<std::string>{"\\??\\" + program, "", "\\??\\" + dll, ""}));
}

std::wstring ShownText(HWND window) {
    wchar_t text[kMessageRoom] = {};
    GetWindowTextW(window, text, kMessageRoom);
    return text;
}

std::wstring ShownMessage(HWND box) {
    return ShownText(GetDlgItem(box, 0xFFFF));
}

std::wstring Formed(UINT text, const std::wstring& first, const std::wstring& second) {
    wchar_t format[kMessageRoom];
    LoadText(GetModuleHandleW(nullptr), text, format, kMessageRoom);
    wchar_t formed[kMessageRoom];
    FormText(formed, format, {first.c_str(), second.c_str()});
    return formed;
}

std::wstring KeyFailure(UINT text, HKEY root, const std::wstring& key) {
    const wchar_t* rootName = root == HKEY_CLASSES_ROOT    ? L"HKEY_CLASSES_ROOT\\"
                              : root == HKEY_LOCAL_MACHINE ? L"HKEY_LOCAL_MACHINE\\"
                                                           : L"HKEY_CURRENT_USER\\";
    return Formed(text, rootName + key, Formed(IDS_CHANGES_PUT_BACK));
}

std::wstring ReadWideString(HKEY root, const std::wstring& key, const wchar_t* name) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return L"";
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    DWORD type = REG_NONE;
    const LONG read =
        RegQueryValueExW(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(opened);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    if (read != ERROR_SUCCESS || size < sizeof(wchar_t))
        return L"";
    // The stored size counts the terminator.
    EXPECT_EQ(text[size / sizeof(wchar_t) - 1], L'\0');
    return std::wstring(text, size / sizeof(wchar_t) - 1);
}

bool LetEveryoneWrite(const std::string& path) {
    EXPLICIT_ACCESSW access = {};
    access.grfAccessPermissions = GENERIC_ALL;
    access.grfAccessMode = SET_ACCESS;
    access.Trustee.TrusteeForm = TRUSTEE_IS_NAME;
    access.Trustee.ptstrName = const_cast<wchar_t*>(L"Everyone");
    PACL dacl = nullptr;
    if (SetEntriesInAclW(1, &access, nullptr, &dacl) != ERROR_SUCCESS)
        return false;
    std::wstring widePath = Wide(path);
    const bool done =
        SetNamedSecurityInfoW(widePath.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, dacl, nullptr) == ERROR_SUCCESS;
    LocalFree(dacl);
    return done;
}

void SetupTest::SetUp() {
    // Always in this order, so that two tests never wait for each other's second key.
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_CLASSES_ROOT, kClassKey));
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_CLASSES_ROOT, kHandlerKey));
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_CLASSES_ROOT, kBackgroundHandlerKey));
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, kUninstallKey));
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_CURRENT_USER, kSettingsKey));
    guards_.push_back(std::make_unique<RegistryKeyGuard>(HKEY_LOCAL_MACHINE, kApprovedKey));
    ClearInstallation();
    hadSettingsParent_ = KeyExists(HKEY_CURRENT_USER, kSettingsParent);
    pendingRenames_ =
        ReadStoredValue(HKEY_LOCAL_MACHINE, kSessionManagerKey, L"PendingFileRenameOperations");
    hadWininit_ = FileExists(WininitPath());
    if (hadWininit_)
        wininit_ = ReadWholeFile(WininitPath());
    union {
        TOKEN_USER User;
        BYTE Bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } token = {};
    HANDLE process = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &process));
    DWORD size = 0;
    const BOOL read = GetTokenInformation(process, TokenUser, &token, sizeof token, &size);
    CloseHandle(process);
    ASSERT_TRUE(read && CopySid(sizeof signedInAccount_, signedInAccount_, token.User.User.Sid));
    TrustAccountForTests(signedInAccount_);
    // The program's texts and dialogs come from this program, which carries its resources.
    SetupInstance = GetModuleHandleW(nullptr);
    folder_ = std::make_unique<ScratchFolder>("Vest setup", "C:");
    program_ = *folder_ / "Vestinst.exe";
    dll_ = *folder_ / Utf8(kDllFileName);
    ASSERT_TRUE(folder_->WriteFile(Utf8(kDllFileName), "MZ library"));
}

void SetupTest::TearDown() {
    ClearSystemFactOverrides();
    TrustAccountForTests(nullptr);
    folder_.reset();
    ClearInstallation();
    if (!hadSettingsParent_)
        RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsParent);
    HKEY session = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_SET_VALUE, &session) ==
        ERROR_SUCCESS) {
        if (pendingRenames_.Exists) {
            WriteRegistryValue(HKEY_LOCAL_MACHINE, kSessionManagerKey,
                               L"PendingFileRenameOperations", pendingRenames_.Type,
                               pendingRenames_.Data);
        } else {
            RegDeleteValueW(session, L"PendingFileRenameOperations");
        }
        RegCloseKey(session);
    }
    // The profile functions may hold the file's contents cached; flush before touching it.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, WininitPath().c_str());
    if (hadWininit_) {
        HANDLE file = CreateFileA(WininitPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, wininit_.data(), static_cast<DWORD>(wininit_.size()), &written, nullptr);
        CloseHandle(file);
    } else {
        DeleteFileA(WininitPath().c_str());
    }
    // Last in, first out: the saved keys come back in the reverse order of taking them.
    while (!guards_.empty())
        guards_.pop_back();
}

WindowScript::WindowScript(std::vector<Step> steps) : steps_(std::move(steps)) {
    driver_ = std::make_unique<ModalDriver>([this](HWND window) {
        SeenWindow seen;
        seen.Owner = GetWindow(window, GW_OWNER);
        seen.Caption = ShownText(window);
        if (GetDlgItem(window, 0xFFFF) != nullptr) {
            seen.Text = ShownMessage(window);
            // The button that Enter presses carries the default style (Wine's message box
            // does not answer DM_GETDEFID with it).
            for (int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
                HWND button = GetDlgItem(window, id);
                if (button != nullptr &&
                    (GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
                    seen.DefaultButton = id;
            }
        }
        seen_.push_back(seen);
        const size_t index = seen_.size() - 1;
        if (index < steps_.size()) {
            steps_[index](window);
            return;
        }
        ADD_FAILURE() << "unexpected window \"" << Utf8(seen.Caption) << "\": " << Utf8(seen.Text);
        if (GetDlgItem(window, 0xFFFF) != nullptr) {
            PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
            PostMessageA(window, WM_COMMAND, IDNO, 0);
        } else
            DestroyWindow(window);
    });
}

void ExpectMessageBox(const SeenWindow& seen, UINT caption, UINT text) {
    ExpectMessageBox(seen, caption, Formed(text));
}

void ExpectMessageBox(const SeenWindow& seen, UINT caption, const std::wstring& text) {
    EXPECT_EQ(seen.Caption, Formed(caption));
    EXPECT_TRUE(seen.Text == text) << Utf8(seen.Text);
    EXPECT_EQ(seen.Owner, nullptr) << "owned by the desktop";
}

void ExpectOneMessageBox(const std::function<void()>& run, UINT caption, UINT text) {
    ExpectOneMessageBox(run, caption, Formed(text));
}

void ExpectOneMessageBox(const std::function<void()>& run, UINT caption, const std::wstring& text) {
    WindowScript script({Press(IDOK)});
    run();
    ASSERT_EQ(script.Seen().size(), 1u);
    ExpectMessageBox(script.Seen()[0], caption, text);
}

WindowScript::Step Press(int button) {
    return [button](HWND window) { ClickButton(window, button); };
}

WindowScript::Step CloseBox() {
    return [](HWND window) { SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

bool IsChecked(HWND dialog, int id) {
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

namespace {
FakeMenuPackages* fakeMenuPackages = nullptr;

HRESULT AnswerCall(const std::wstring& call, bool registers, PackageErrorText& errorText) {
    FakeMenuPackages& fake = *fakeMenuPackages;
    fake.Calls.push_back(call);
    lstrcpynW(errorText, fake.ErrorText.c_str(), kPackageErrorRoom);
    if (SUCCEEDED(fake.Answer))
        fake.Registered = registers;
    return fake.Answer;
}

constexpr MenuPackageFunctions kFakeMenuPackages = {
    [] { return fakeMenuPackages->Registered; },
    [](const wchar_t* package, const wchar_t* folder, PackageErrorText& errorText) {
        return AnswerCall(std::wstring(L"register ") + package + L" " + folder, true, errorText);
    },
    [](PackageErrorText& errorText) { return AnswerCall(L"remove", false, errorText); },
};
} // namespace

FakeMenuPackages::FakeMenuPackages(bool registered, HRESULT answer, std::wstring errorText)
    : Registered(registered), Answer(answer), ErrorText(std::move(errorText)) {
    fakeMenuPackages = this;
    OverrideMenuPackages(&kFakeMenuPackages);
}

FakeMenuPackages::~FakeMenuPackages() {
    OverrideMenuPackages(nullptr);
    fakeMenuPackages = nullptr;
}

namespace {
constexpr wchar_t kVolatileParent[] = L"Software\\VestraneTestVolatile";
constexpr wchar_t kLinkTarget[] = L"\\Registry\\Machine\\Software\\VestraneTestVolatile\\Target";
} // namespace

UncreatableKey::UncreatableKey(HKEY root, std::wstring path) : root_(root), path_(std::move(path)) {
    DeleteKeyTree(root_, path_);
    HKEY parent = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kVolatileParent, 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &parent, nullptr) != ERROR_SUCCESS)
        return;
    RegCloseKey(parent);
    HKEY link = nullptr;
    if (RegCreateKeyExW(root_, path_.c_str(), 0, nullptr,
                        REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &link, nullptr) != ERROR_SUCCESS)
        return;
    made_ = RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK,
                           reinterpret_cast<const BYTE*>(kLinkTarget),
                           sizeof kLinkTarget - sizeof(wchar_t)) == ERROR_SUCCESS;
    RegCloseKey(link);
}

UncreatableKey::~UncreatableKey() {
    HKEY link = nullptr;
    if (RegOpenKeyExW(root_, path_.c_str(), REG_OPTION_OPEN_LINK, DELETE, &link) == ERROR_SUCCESS) {
        using DeleteKey = LONG(WINAPI*)(HANDLE);
        auto deleteKey = reinterpret_cast<DeleteKey>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
        if (deleteKey != nullptr)
            deleteKey(link);
        RegCloseKey(link);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kVolatileParent);
}
