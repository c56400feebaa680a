#include "setup/menu_package.h"

#include <roapi.h>
#include <winstring.h>

#include "common/owned.h"
#include "common/resource_text.h"
#include "common/shared_facts.h"
#include "setup/deployment_interfaces.h"
#include "setup/program_paths.h"
#include "setup/resource.h"
#include "setup/setup_state.h"
#include "setup/system_facts.h"

namespace {

constexpr wchar_t kPackageManagerClass[] = L"Windows.Management.Deployment.PackageManager";
constexpr wchar_t kAddPackageOptionsClass[] = L"Windows.Management.Deployment.AddPackageOptions";
constexpr wchar_t kUriClass[] = L"Windows.Foundation.Uri";

// A path's unit becomes at most three UTF-8 bytes, each at most three characters.
constexpr int kUriRoom = 16 + MAX_PATH * 9;
// How often a deployment's state is asked while the thread's messages are handled.
constexpr DWORD kPollMilliseconds = 50;
// A package's full name has at most 127 characters (PACKAGE_FULL_NAME_MAX_LENGTH); a family
// holds one package per architecture, and the family's package is x64 only.
constexpr UINT32 kFullNameRoom = 128;
constexpr UINT32 kMaxFamilyPackages = 4;

// combase's functions, loaded by name: Windows 7 has no combase.dll, and Vestinst must start
// there all the same.
struct RuntimeFunctions {
    decltype(&RoInitialize) Initialize = nullptr;
    decltype(&RoUninitialize) Uninitialize = nullptr;
    decltype(&RoActivateInstance) ActivateInstance = nullptr;
    decltype(&RoGetActivationFactory) GetActivationFactory = nullptr;
    decltype(&WindowsCreateStringReference) CreateStringReference = nullptr;
    decltype(&WindowsDeleteString) DeleteString = nullptr;
    decltype(&WindowsGetStringRawBuffer) GetStringRawBuffer = nullptr;
};
RuntimeFunctions runtime;

// combase stays loaded once found: the owners below free through it, and every process that
// uses COM holds it anyway.
HRESULT LoadRuntime() {
    if (runtime.DeleteString != nullptr)
        return S_OK;
    const HMODULE combase = LoadSystemLibrary(L"combase.dll");
    if (combase == nullptr)
        return HRESULT_FROM_WIN32(GetLastError());
    RuntimeFunctions loaded;
    loaded.Initialize = ModuleFunction<decltype(loaded.Initialize)>(combase, "RoInitialize");
    loaded.Uninitialize = ModuleFunction<decltype(loaded.Uninitialize)>(combase, "RoUninitialize");
    loaded.ActivateInstance =
        ModuleFunction<decltype(loaded.ActivateInstance)>(combase, "RoActivateInstance");
    loaded.GetActivationFactory =
        ModuleFunction<decltype(loaded.GetActivationFactory)>(combase, "RoGetActivationFactory");
    loaded.CreateStringReference = ModuleFunction<decltype(loaded.CreateStringReference)>(
        combase, "WindowsCreateStringReference");
    loaded.DeleteString =
        ModuleFunction<decltype(loaded.DeleteString)>(combase, "WindowsDeleteString");
    loaded.GetStringRawBuffer =
        ModuleFunction<decltype(loaded.GetStringRawBuffer)>(combase, "WindowsGetStringRawBuffer");
    if (loaded.Initialize == nullptr || loaded.Uninitialize == nullptr ||
        loaded.ActivateInstance == nullptr || loaded.GetActivationFactory == nullptr ||
        loaded.CreateStringReference == nullptr || loaded.DeleteString == nullptr ||
        loaded.GetStringRawBuffer == nullptr)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    runtime = loaded;
    return S_OK;
}

struct RuntimeStringTraits {
    using Type = HSTRING;
    static HSTRING Empty() { return nullptr; }
    static bool Holds(HSTRING text) { return text != nullptr; }
    static void Free(HSTRING text) { runtime.DeleteString(text); }
};
using RuntimeString = Owned<RuntimeStringTraits>;

// A string handed to the runtime without a copy; the text must outlive it.
class StringReference {
public:
    explicit StringReference(const wchar_t* text) {
        if (FAILED(runtime.CreateStringReference(text, lstrlenW(text), &header_, &string_)))
            string_ = nullptr;
    }
    StringReference(const StringReference&) = delete;
    StringReference& operator=(const StringReference&) = delete;
    HSTRING Get() const { return string_; }

private:
    HSTRING_HEADER header_ = {};
    HSTRING string_ = nullptr;
};

// The thread's Windows Runtime apartment for one operation. A thread in the multithreaded
// apartment already serves as it is.
class RuntimeApartment {
public:
    RuntimeApartment() : result_(runtime.Initialize(RO_INIT_SINGLETHREADED)) {}
    RuntimeApartment(const RuntimeApartment&) = delete;
    RuntimeApartment& operator=(const RuntimeApartment&) = delete;
    ~RuntimeApartment() {
        if (SUCCEEDED(result_))
            runtime.Uninitialize();
    }
    HRESULT Result() const { return result_ == RPC_E_CHANGED_MODE ? S_OK : result_; }

private:
    HRESULT result_;
};

template <typename Interface>
HRESULT Activate(const wchar_t* className, REFIID iid, ComPtr<Interface>& object) {
    ComPtr<IInspectable> instance;
    const HRESULT hr = runtime.ActivateInstance(StringReference(className).Get(), instance.Put());
    return FAILED(hr) ? hr : instance.As(iid, object);
}

HRESULT CreateFileUri(IUriRuntimeClassFactory* uris, const wchar_t* path,
                      ComPtr<IUriRuntimeClass>& uri) {
    wchar_t text[kUriRoom];
    if (!FormFileUri(text, kUriRoom, path))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    return uris->CreateUri(StringReference(text).Get(), uri.Put());
}

// Handles the thread's messages until the deployment leaves its first state, so that the
// program's windows keep drawing. A WM_QUIT met meanwhile is posted again for the program's
// own loop.
HRESULT AwaitStatus(IAsyncInfo* info, AsyncStatus& status) {
    bool quit = false;
    WPARAM quitCode = 0;
    HRESULT hr = S_OK;
    while (SUCCEEDED(hr = info->get_Status(&status)) && status == Started) {
        if (quit) {
            Sleep(kPollMilliseconds);
            continue;
        }
        MsgWaitForMultipleObjectsEx(0, nullptr, kPollMilliseconds, QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
        MSG message;
        while (!quit && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            quit = message.message == WM_QUIT;
            quitCode = message.wParam;
            if (!quit) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
    }
    if (quit)
        PostQuitMessage(static_cast<int>(quitCode));
    return hr;
}

// How a deployment ended: S_OK, or its failure with the deployment's own account of it. A
// failed deployment still hands out its result, which holds the account.
HRESULT AwaitDeployment(IDeploymentOperation* operation, PackageErrorText& errorText) {
    ComPtr<IAsyncInfo> info;
    AsyncStatus status = Started;
    HRESULT hr = QueryInto(operation, __uuidof(IAsyncInfo), info);
    if (FAILED(hr) || FAILED(hr = AwaitStatus(info.Get(), status)))
        return hr;
    if (status == Canceled)
        return HRESULT_FROM_WIN32(ERROR_CANCELLED);
    HRESULT failure = S_OK;
    info->get_ErrorCode(&failure);
    ComPtr<IDeploymentResult> result;
    HRESULT extended = S_OK;
    RuntimeString text;
    if (SUCCEEDED(operation->GetResults(result.Put())) && result) {
        result->get_ExtendedErrorCode(&extended);
        if (SUCCEEDED(result->get_ErrorText(text.Put())) && text.Valid())
            lstrcpynW(errorText, runtime.GetStringRawBuffer(text.Get(), nullptr),
                      kPackageErrorRoom);
    }
    if (status == Completed && SUCCEEDED(extended)) {
        errorText[0] = L'\0';
        return S_OK;
    }
    return FAILED(extended) ? extended : FAILED(failure) ? failure : E_FAIL;
}

struct FamilyPackages {
    UINT32 Count = 0;
    PWSTR FullNames[kMaxFamilyPackages] = {};
    wchar_t Buffer[kMaxFamilyPackages * kFullNameRoom] = {};
};

// The families whose packages are Vestrane's: a signed release's own, and the unsigned one,
// which the signed package replaces.
const wchar_t* const kFamilies[] = {kPackageFamilyWide.Text, kUnsignedPackageFamilyWide.Text};
constexpr int kFamilyCount = kPackageUnsigned ? 1 : 2;

// Reads the family's packages registered for the current user: none where Windows knows no
// packages (before Windows 8, and Wine, whose kernel32 lacks the function).
// ERROR_INSUFFICIENT_BUFFER when there are more than the room holds.
LONG ReadFamilyPackages(const wchar_t* family, FamilyPackages& packages) {
    using GetPackagesFunction = LONG(WINAPI*)(PCWSTR, UINT32*, PWSTR*, UINT32*, WCHAR*);
    const auto getPackages = ModuleFunction<GetPackagesFunction>(GetModuleHandleW(L"kernel32.dll"),
                                                                 "GetPackagesByPackageFamily");
    packages.Count = 0;
    if (getPackages == nullptr)
        return ERROR_SUCCESS;
    UINT32 count = kMaxFamilyPackages;
    UINT32 length = kMaxFamilyPackages * kFullNameRoom;
    const LONG read = getPackages(family, &count, packages.FullNames, &length, packages.Buffer);
    if (read == ERROR_SUCCESS)
        packages.Count = count;
    return read;
}

bool IsRegisteredWithWindows() {
    for (int index = 0; index < kFamilyCount; ++index) {
        FamilyPackages packages;
        const LONG read = ReadFamilyPackages(kFamilies[index], packages);
        if (read == ERROR_INSUFFICIENT_BUFFER || packages.Count > 0)
            return true;
    }
    return false;
}

HRESULT RemoveFamily(const wchar_t* family, PackageErrorText& errorText);

HRESULT RegisterWithWindows(const wchar_t* msixPath, const wchar_t* folder,
                            PackageErrorText& errorText) {
    errorText[0] = L'\0';
    HRESULT hr = LoadRuntime();
    if (FAILED(hr))
        return hr;
    RuntimeApartment apartment;
    ComPtr<IPackageManager9> manager;
    ComPtr<IAddPackageOptions> options;
    ComPtr<IUriRuntimeClassFactory> uris;
    ComPtr<IUriRuntimeClass> package;
    ComPtr<IUriRuntimeClass> location;
    ComPtr<IDeploymentOperation> operation;
    // Each step only after every one before it succeeded; the first failure is the answer. The
    // package manager comes first, so that a system without one says so.
    if (FAILED(hr = apartment.Result()) ||
        FAILED(hr = Activate(kPackageManagerClass, kIidPackageManager9, manager)) ||
        FAILED(hr = Activate(kAddPackageOptionsClass, kIidAddPackageOptions, options)) ||
        FAILED(hr = runtime.GetActivationFactory(StringReference(kUriClass).Get(),
                                                 kIidUriRuntimeClassFactory, uris.PutVoid())) ||
        FAILED(hr = CreateFileUri(uris.Get(), msixPath, package)) ||
        FAILED(hr = CreateFileUri(uris.Get(), folder, location)) ||
        FAILED(hr = options->put_ExternalLocationUri(location.Get())) ||
        // A signed release's package is installed as any signed one; the unsigned one needs
        // Windows told that it may be.
        FAILED(hr = options->put_AllowUnsigned(kPackageUnsigned)) ||
        FAILED(hr = manager->AddPackageByUriAsync(package.Get(), options.Get(), operation.Put())) ||
        FAILED(hr = AwaitDeployment(operation.Get(), errorText)))
        return hr;
    // The signed package serves the entry now; an unsigned one left from an earlier release
    // would show it twice. Removing it may fail without harm: the removal tries again.
    if (!kPackageUnsigned) {
        PackageErrorText ignored;
        RemoveFamily(kUnsignedPackageFamilyWide.Text, ignored);
    }
    return S_OK;
}

HRESULT RemoveFamily(const wchar_t* family, PackageErrorText& errorText) {
    errorText[0] = L'\0';
    FamilyPackages packages;
    if (ReadFamilyPackages(family, packages) == ERROR_INSUFFICIENT_BUFFER)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    if (packages.Count == 0)
        return S_OK;
    HRESULT hr = LoadRuntime();
    if (FAILED(hr))
        return hr;
    RuntimeApartment apartment;
    // Windows installs an unsigned package for every user, and other users may have registered
    // a signed one: removed for this user alone, it would stay in the other users' menus,
    // naming a DLL that is gone after "u".
    ComPtr<IPackageManager2> manager;
    if (FAILED(hr = apartment.Result()) ||
        FAILED(hr = Activate(kPackageManagerClass, kIidPackageManager2, manager)))
        return hr;
    for (UINT32 index = 0; index < packages.Count; ++index) {
        ComPtr<IDeploymentOperation> operation;
        if (FAILED(hr = manager->RemovePackageWithOptionsAsync(
                       StringReference(packages.FullNames[index]).Get(), kRemoveForAllUsers,
                       operation.Put())) ||
            FAILED(hr = AwaitDeployment(operation.Get(), errorText)))
            return hr;
    }
    return S_OK;
}

HRESULT RemoveFromWindows(PackageErrorText& errorText) {
    for (int index = 0; index < kFamilyCount; ++index) {
        const HRESULT hr = RemoveFamily(kFamilies[index], errorText);
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

constexpr MenuPackageFunctions kWindowsPackageManager = {IsRegisteredWithWindows,
                                                         RegisterWithWindows, RemoveFromWindows};
const MenuPackageFunctions* menuPackagesOverride = nullptr;

// What a URI's path holds as it stands: letters, digits, the unreserved marks, the
// sub-delimiters, ":", "@" and "/". The rest ("%", "#", "?", blanks, bytes of characters beyond
// ASCII) is percent-encoded.
bool IsUriCharacter(unsigned char unit) {
    if ((unit >= 'a' && unit <= 'z') || (unit >= 'A' && unit <= 'Z') ||
        (unit >= '0' && unit <= '9'))
        return true;
    for (const char* mark = "-._~!$&'()*+,;=:@/"; *mark != '\0'; ++mark) {
        if (unit == static_cast<unsigned char>(*mark))
            return true;
    }
    return false;
}

// Windows' texts end with a line break.
void TrimLineEnd(wchar_t* text) {
    int length = lstrlenW(text);
    while (length > 0 &&
           (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' '))
        text[--length] = L'\0';
}

bool SystemText(DWORD code, PackageErrorText& out) {
    return FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                          0, out, kPackageErrorRoom, nullptr) != 0;
}

} // namespace

const MenuPackageFunctions& MenuPackages() {
    return menuPackagesOverride != nullptr ? *menuPackagesOverride : kWindowsPackageManager;
}

void OverrideMenuPackages(const MenuPackageFunctions* functions) {
    menuPackagesOverride = functions;
}

HRESULT RegisterMenuPackage(PackageErrorText& errorText) {
    errorText[0] = L'\0';
    wchar_t package[MAX_PATH];
    wchar_t folder[MAX_PATH];
    if (!PathBesideProgram(package, ProgramPath, kMenuPackageFileName))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    lstrcpynW(folder, ProgramPath, MAX_PATH);
    CutToFolder(folder);
    return MenuPackages().Register(package, folder, errorText);
}

bool FormFileUri(wchar_t* out, int room, const wchar_t* path) {
    char bytes[MAX_PATH * 3 + 1];
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, path, -1, bytes, sizeof bytes, nullptr,
                            nullptr) == 0)
        return false;
    static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
    const wchar_t* const scheme = bytes[0] == '\\' && bytes[1] == '\\' ? L"file:" : L"file:///";
    int written = lstrlenW(scheme);
    if (written >= room)
        return false;
    lstrcpyW(out, scheme);
    for (const char* at = bytes; *at != '\0'; ++at) {
        const auto unit = static_cast<unsigned char>(*at);
        if (written + 3 >= room)
            return false;
        if (unit == '\\') {
            out[written++] = L'/';
        } else if (IsUriCharacter(unit)) {
            out[written++] = unit;
        } else {
            out[written++] = L'%';
            out[written++] = kHexDigits[unit >> 4];
            out[written++] = kHexDigits[unit & 15];
        }
    }
    out[written] = L'\0';
    return true;
}

void FormMenuPackageFailure(wchar_t (&out)[kMessageRoom], UINT text, HRESULT failure,
                            const wchar_t* errorText) {
    wchar_t code[16];
    wsprintfW(code, L"0x%08lX", static_cast<unsigned long>(failure));
    PackageErrorText meaning;
    if (errorText != nullptr && errorText[0] != L'\0')
        lstrcpynW(meaning, errorText, kPackageErrorRoom);
    else if (!SystemText(failure, meaning) && !(HRESULT_FACILITY(failure) == FACILITY_WIN32 &&
                                                SystemText(HRESULT_CODE(failure), meaning)))
        LoadText(SetupInstance, IDS_NO_ERROR_TEXT, meaning, kPackageErrorRoom);
    TrimLineEnd(meaning);
    wchar_t format[kMessageRoom];
    LoadText(SetupInstance, text, format, kMessageRoom);
    FormText(out, format, {code, meaning});
}

void ShowMenuPackageFailure(HWND owner, UINT text, HRESULT failure, const wchar_t* errorText) {
    wchar_t message[kMessageRoom];
    FormMenuPackageFailure(message, text, failure, errorText);
    ShowText(owner, message, SetupInstance, IDS_CAPTION_ERROR, MB_OK);
}
