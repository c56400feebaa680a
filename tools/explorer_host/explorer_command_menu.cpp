#include "tools/explorer_host/explorer_command_menu.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include "tools/explorer_host/context_menu_builder.h"
#include "tools/explorer_host/report_writer.h"

namespace {

std::wstring TakeTaskText(LPWSTR text) {
    std::wstring out = text != nullptr ? text : L"";
    CoTaskMemFree(text);
    return out;
}

void ClearSite(IUnknown* object) {
    IObjectWithSite* withSite = nullptr;
    if (SUCCEEDED(
            object->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite))) &&
        withSite != nullptr) {
        withSite->SetSite(nullptr);
        withSite->Release();
    }
}

// The surrogates (dllhost.exe) among this process's children: the processes COM started to
// run the commands.
std::vector<DWORD> SurrogatesOfThisProcess() {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return found;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        const wchar_t* name = wcsrchr(entry.szExeFile, L'\\');
        name = name != nullptr ? name + 1 : entry.szExeFile;
        if (entry.th32ParentProcessID == GetCurrentProcessId() &&
            lstrcmpiW(name, L"dllhost.exe") == 0)
            found.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return found;
}

bool ProcessHasModule(DWORD processId, const std::string& path) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Module32First(snapshot, &entry); more && !found;
         more = Module32Next(snapshot, &entry))
        found = lstrcmpiA(entry.szExePath, path.c_str()) == 0;
    CloseHandle(snapshot);
    return found;
}

// The icon of an icon location "PATH,INDEX" (a negative index names a resource id), small
// as a menu shows it; null when it does not load.
HICON LoadIconLocation(const std::wstring& location) {
    const size_t comma = location.rfind(L',');
    if (comma == std::wstring::npos)
        return nullptr;
    const std::wstring path = location.substr(0, comma);
    const int index = _wtoi(location.c_str() + comma + 1);
    HICON small = nullptr;
    if (ExtractIconExW(path.c_str(), index, nullptr, &small, 1) == 0)
        return nullptr;
    return small;
}

} // namespace

ExplorerCommandMenu::~ExplorerCommandMenu() {
    for (Entry& entry : entries_) {
        if (site_ != nullptr)
            ClearSite(entry.Command);
        entry.Command->Release();
        if (entry.LoadedIcon != nullptr)
            DestroyIcon(entry.LoadedIcon);
    }
    if (items_ != nullptr)
        items_->Release();
}

void ExplorerCommandMenu::Build(const std::vector<std::string>& classes, DWORD context,
                                IShellItemArray* items, IUnknown* site) {
    items_ = items;
    if (items_ != nullptr)
        items_->AddRef();
    site_ = site;
    for (const std::string& name : classes)
        Add(name, context, site);
    if ((context & CLSCTX_LOCAL_SERVER) != 0)
        surrogates_ = SurrogatesOfThisProcess();
}

void ExplorerCommandMenu::Add(const std::string& name, DWORD context, IUnknown* site) {
    wchar_t wide[64] = {};
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, 63);
    CLSID clsid;
    if (FAILED(CLSIDFromString(wide, &clsid))) {
        problems_.push_back(name + ": not a class id");
        return;
    }
    IExplorerCommand* command = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, context, IID_IExplorerCommand,
                                  reinterpret_cast<void**>(&command));
    if (FAILED(hr)) {
        problems_.push_back(name + ": CoCreateInstance " + HresultText(hr));
        return;
    }
    if (site != nullptr) {
        IObjectWithSite* withSite = nullptr;
        hr = command->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite));
        if (SUCCEEDED(hr)) {
            hr = withSite->SetSite(site);
            withSite->Release();
        }
        if (FAILED(hr))
            problems_.push_back(name + ": SetSite " + HresultText(hr));
    }
    // Asked quickly first (fOkToBeSlow FALSE), a command is to answer E_PENDING rather than do
    // work that could stall the menu's thread; with TRUE it may do that work. The shell's
    // documentation says no more of when the second question comes: here it follows at once.
    EXPCMDSTATE state = ECS_ENABLED;
    hr = command->GetState(items_, FALSE, &state);
    if (hr == E_PENDING)
        hr = command->GetState(items_, TRUE, &state);
    Entry entry;
    entry.Command = command;
    entry.Name = name;
    if (FAILED(hr) || (state & ECS_HIDDEN) != 0) {
        if (FAILED(hr))
            problems_.push_back(name + ": GetState " + HresultText(hr));
        else
            hidden_.push_back(name);
        if (site != nullptr)
            ClearSite(command);
        command->Release();
        return;
    }
    entry.Enabled = (state & ECS_DISABLED) == 0;
    LPWSTR text = nullptr;
    hr = command->GetTitle(items_, &text);
    entry.Title = TakeTaskText(SUCCEEDED(hr) ? text : nullptr);
    if (FAILED(hr))
        problems_.push_back(name + ": GetTitle " + HresultText(hr));
    text = nullptr;
    hr = command->GetIcon(items_, &text);
    entry.Icon = TakeTaskText(SUCCEEDED(hr) ? text : nullptr);
    if (!entry.Icon.empty())
        entry.LoadedIcon = LoadIconLocation(entry.Icon);
    entries_.push_back(entry);
    const std::string server = RegisteredServerPath(clsid);
    if (!server.empty())
        serverPaths_.push_back(server);
}

void ExplorerCommandMenu::ReportEntries() const {
    for (const std::string& problem : problems_)
        ReportLine("modern-failed", problem);
    for (const std::string& name : hidden_)
        ReportLine("modern-hidden", name);
    for (const Entry& entry : entries_) {
        ReportLineW(entry.Enabled ? "modern-entry" : "modern-disabled", entry.Title.c_str());
        if (entry.Icon.empty())
            continue;
        ReportLineW("modern-icon", entry.Icon.c_str());
        ReportLine("modern-icon-loaded", entry.LoadedIcon != nullptr ? "yes" : "no");
    }
    for (const std::string& server : serverPaths_) {
        for (DWORD surrogate : surrogates_) {
            if (ProcessHasModule(surrogate, server))
                ReportLine("modern-surrogate", server);
        }
    }
}

int ExplorerCommandMenu::FindByTitle(const std::string& title) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].Enabled && WideToAnsi(entries_[i].Title.c_str()) == title)
            return static_cast<int>(i);
    }
    return -1;
}

std::wstring ExplorerCommandMenu::TitleOf(int index) const {
    return entries_.at(static_cast<size_t>(index)).Title;
}

HICON ExplorerCommandMenu::IconOf(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= entries_.size())
        return nullptr;
    return entries_[static_cast<size_t>(index)].LoadedIcon;
}

HRESULT ExplorerCommandMenu::Invoke(int index) const {
    return entries_.at(static_cast<size_t>(index)).Command->Invoke(items_, nullptr);
}

HMENU ExplorerCommandMenu::MakePopup(UINT firstId) const {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return nullptr;
    for (size_t i = 0; i < entries_.size(); ++i) {
        const Entry& entry = entries_[i];
        MENUITEMINFOW item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_BITMAP;
        item.wID = firstId + static_cast<UINT>(i);
        item.dwTypeData = const_cast<wchar_t*>(entry.Title.c_str());
        item.fState = entry.Enabled ? MFS_ENABLED : MFS_DISABLED;
        // The owner window draws the icon (WM_DRAWITEM), with its transparency.
        item.hbmpItem = entry.LoadedIcon != nullptr ? HBMMENU_CALLBACK : nullptr;
        InsertMenuItemW(menu, static_cast<UINT>(i), TRUE, &item);
    }
    return menu;
}
