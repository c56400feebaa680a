#include "tools/explorer_host/context_menu_builder.h"

#include <shellapi.h>

#include "tools/explorer_host/report_writer.h"

namespace {
// Command ids stay below 0x8000: menus hand ids back in a 16-bit word.
constexpr UINT kLastCommandId = 0x7FFF;

std::string WithoutAccessKey(const std::string& label) {
    std::string out;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size() && label[i + 1] != '&')
            continue;
        out += label[i];
    }
    return out;
}

// A handler key names its class in its default value, or is itself named by the class id.
bool ReadHandlerClass(HKEY handlers, const char* name, CLSID* clsid) {
    char value[128] = {};
    LONG size = sizeof value;
    std::string text;
    if (RegQueryValueA(handlers, name, value, &size) == ERROR_SUCCESS && value[0] == '{')
        text = value;
    else
        text = name;
    wchar_t wide[128] = {};
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide, 127);
    return SUCCEEDED(CLSIDFromString(wide, clsid));
}

struct SelectionKinds {
    bool Files = false;
    bool Folders = false;
};

// Whether files, folders or both are selected, from the paths of the selection's drop list.
SelectionKinds KindsOf(IDataObject* data) {
    SelectionKinds kinds;
    FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium = {};
    if (FAILED(data->GetData(&format, &medium)))
        return kinds;
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT index = 0; index < count; ++index) {
        wchar_t path[MAX_PATH] = {};
        if (DragQueryFileW(drop, index, path, MAX_PATH) == 0)
            continue;
        const DWORD attributes = GetFileAttributesW(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            continue;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            kinds.Folders = true;
        else
            kinds.Files = true;
    }
    ReleaseStgMedium(&medium);
    return kinds;
}

bool IsSeparatorAt(HMENU menu, int position) {
    return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & MF_SEPARATOR) != 0;
}
} // namespace

std::string RegisteredServerPath(const CLSID& clsid) {
    wchar_t wide[64] = {};
    if (StringFromGUID2(clsid, wide, 64) == 0)
        return std::string();
    const std::string key = "CLSID\\" + WideToAnsi(wide) + "\\InprocServer32";
    char path[MAX_PATH + 1] = {};
    LONG size = MAX_PATH;
    if (RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), path, &size) != ERROR_SUCCESS)
        return std::string();
    return path;
}

ContextMenuBuilder::~ContextMenuBuilder() {
    for (MenuShare& share : shares_) {
        if (site_ != nullptr && share.Name != "folder")
            SetSiteOf(share.Menu, nullptr);
        share.Menu->Release();
    }
    if (menu_ != nullptr)
        DestroyMenu(menu_);
}

bool ContextMenuBuilder::SetSiteOf(IUnknown* object, IUnknown* site) {
    IObjectWithSite* withSite = nullptr;
    if (FAILED(object->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&withSite))) ||
        withSite == nullptr)
        return false;
    withSite->SetSite(site);
    withSite->Release();
    return true;
}

HRESULT ContextMenuBuilder::Build(IShellView* view, PCIDLIST_ABSOLUTE folder, MenuPlace place,
                                  IUnknown* site) {
    site_ = site;
    IDataObject* data = nullptr;
    SelectionKinds kinds;
    if (place == MenuPlace::Selection) {
        const HRESULT hr =
            view->GetItemObject(SVGIO_SELECTION, IID_IDataObject, reinterpret_cast<void**>(&data));
        if (FAILED(hr) || data == nullptr)
            return FAILED(hr) ? hr : E_FAIL;
        kinds = KindsOf(data);
    }
    menu_ = CreatePopupMenu();
    if (menu_ == nullptr) {
        if (data != nullptr)
            data->Release();
        return HRESULT_FROM_WIN32(GetLastError());
    }
    AddViewEntries(view, place);
    insertAt_ = GetMenuItemCount(menu_);
    if (place == MenuPlace::Background) {
        // Explorer puts the handlers' entries of the empty area below the view's paste
        // entries and above its last group (new, properties): before the last separator.
        for (int position = insertAt_ - 1; position > 0; --position) {
            if (IsSeparatorAt(menu_, position)) {
                insertAt_ = position;
                break;
            }
        }
        AddHandlersOf("Directory\\Background", nullptr, folder);
    } else {
        if (kinds.Files)
            AddHandlersOf("*", data, folder);
        if (kinds.Folders)
            AddHandlersOf("Directory", data, folder);
        data->Release();
    }
    return S_OK;
}

void ContextMenuBuilder::AddViewEntries(IShellView* view, MenuPlace place) {
    // The view's own entries (open, cut, copy, delete, properties...; for the empty area the
    // view's modes, paste, new...) come first.
    IContextMenu* own = nullptr;
    if (FAILED(
            view->GetItemObject(place == MenuPlace::Selection ? SVGIO_SELECTION : SVGIO_BACKGROUND,
                                IID_IContextMenu, reinterpret_cast<void**>(&own))) ||
        own == nullptr)
        return;
    const HRESULT added = own->QueryContextMenu(menu_, 0, nextId_, kLastCommandId, CMF_NORMAL);
    if (FAILED(added)) {
        own->Release();
        return;
    }
    shares_.push_back({own, nextId_, HRESULT_CODE(added), "folder"});
    nextId_ += HRESULT_CODE(added);
}

void ContextMenuBuilder::AddHandlersOf(const char* itemClass, IDataObject* data,
                                       PCIDLIST_ABSOLUTE folder) {
    HKEY classKey = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, itemClass, 0, KEY_READ, &classKey) != ERROR_SUCCESS)
        return;
    HKEY handlers = nullptr;
    if (RegOpenKeyExA(classKey, "shellex\\ContextMenuHandlers", 0, KEY_READ, &handlers) ==
        ERROR_SUCCESS) {
        for (DWORD index = 0;; ++index) {
            char name[256] = {};
            DWORD nameSize = sizeof name;
            if (RegEnumKeyExA(handlers, index, name, &nameSize, nullptr, nullptr, nullptr,
                              nullptr) != ERROR_SUCCESS)
                break;
            CLSID clsid;
            if (!ReadHandlerClass(handlers, name, &clsid)) {
                problems_.push_back(std::string(name) + ": no class id");
                continue;
            }
            bool loaded = false;
            for (const CLSID& other : loaded_)
                loaded = loaded || IsEqualCLSID(other, clsid);
            if (loaded)
                continue;
            loaded_.push_back(clsid);
            if (!separated_ && insertAt_ > 0) {
                InsertMenuA(menu_, static_cast<UINT>(insertAt_), MF_BYPOSITION | MF_SEPARATOR, 0,
                            nullptr);
                ++insertAt_;
                separated_ = true;
            }
            AddHandler(name, clsid, data, folder, classKey);
        }
        RegCloseKey(handlers);
    }
    RegCloseKey(classKey);
}

void ContextMenuBuilder::AddHandler(const std::string& name, const CLSID& clsid, IDataObject* data,
                                    PCIDLIST_ABSOLUTE folder, HKEY classKey) {
    IShellExtInit* init = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit,
                                  reinterpret_cast<void**>(&init));
    if (FAILED(hr)) {
        problems_.push_back(name + ": CoCreateInstance " + HresultText(hr));
        return;
    }
    hr = init->Initialize(folder, data, classKey);
    IContextMenu* menu = nullptr;
    if (SUCCEEDED(hr))
        hr = init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    init->Release();
    if (FAILED(hr)) {
        problems_.push_back(name + ": Initialize " + HresultText(hr));
        return;
    }
    if (site_ != nullptr)
        SetSiteOf(menu, site_);
    const int before = GetMenuItemCount(menu_);
    hr = menu->QueryContextMenu(menu_, static_cast<UINT>(insertAt_), nextId_, kLastCommandId,
                                CMF_NORMAL);
    insertAt_ += GetMenuItemCount(menu_) - before;
    if (FAILED(hr)) {
        problems_.push_back(name + ": QueryContextMenu " + HresultText(hr));
        if (site_ != nullptr)
            SetSiteOf(menu, nullptr);
        menu->Release();
        return;
    }
    shares_.push_back({menu, nextId_, HRESULT_CODE(hr), name});
    nextId_ += HRESULT_CODE(hr);
    const std::string server = RegisteredServerPath(clsid);
    if (!server.empty())
        serverPaths_.push_back(server);
}

UINT ContextMenuBuilder::FindByLabel(const std::string& label) const {
    const int count = GetMenuItemCount(menu_);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < count; ++i) {
            const UINT id = GetMenuItemID(menu_, i);
            if (id == 0 || id == static_cast<UINT>(-1))
                continue;
            const std::string shown = LabelOf(id);
            if (pass == 0 ? shown == label : WithoutAccessKey(shown) == WithoutAccessKey(label))
                return id;
        }
    }
    return 0;
}

std::string ContextMenuBuilder::LabelOf(UINT id) const {
    char text[512] = {};
    GetMenuStringA(menu_, id, text, sizeof text, MF_BYCOMMAND);
    return text;
}

int ContextMenuBuilder::PositionOf(UINT id) const {
    const int count = GetMenuItemCount(menu_);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu_, i) == id)
            return i;
    }
    return -1;
}

void ContextMenuBuilder::ReportEntries() const {
    for (const MenuShare& share : shares_) {
        if (share.Name != "folder")
            ReportLine("handler", share.Name);
    }
    for (const std::string& problem : problems_)
        ReportLine("handler-failed", problem);
    const int count = GetMenuItemCount(menu_);
    for (int i = 0; i < count; ++i) {
        const UINT id = GetMenuItemID(menu_, i);
        // Read in UTF-16, as Explorer reads it.
        wchar_t text[512] = {};
        GetMenuStringW(menu_, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
        if (text[0] != L'\0')
            ReportLineW("menu", text);
        else if (id == 0)
            ReportLine("menu", "-");
    }
}

const ContextMenuBuilder::MenuShare* ContextMenuBuilder::Owner(UINT id) const {
    for (const MenuShare& share : shares_) {
        if (id >= share.First && id < share.First + share.Count)
            return &share;
    }
    return nullptr;
}

std::wstring ContextMenuBuilder::HelpText(UINT id) const {
    const MenuShare* share = Owner(id);
    if (share == nullptr)
        return std::wstring();
    // Explorer on the NT family asks for wide text. The buffer is larger than the size given,
    // so a handler that writes one character too many still writes into our memory.
    wchar_t text[MAX_PATH + 8] = {};
    if (FAILED(share->Menu->GetCommandString(id - share->First, GCS_HELPTEXTW, nullptr,
                                             reinterpret_cast<LPSTR>(text), MAX_PATH)))
        return std::wstring();
    text[MAX_PATH] = L'\0';
    return text;
}

HRESULT ContextMenuBuilder::Invoke(UINT id, HWND owner) const {
    const MenuShare* share = Owner(id);
    if (share == nullptr)
        return E_INVALIDARG;
    // As Explorer invokes a handler: the extended record, the offset in both verb fields.
    CMINVOKECOMMANDINFOEX info = {};
    info.cbSize = sizeof info;
    info.fMask = CMIC_MASK_UNICODE;
    info.hwnd = owner;
    info.lpVerb = MAKEINTRESOURCEA(id - share->First);
    info.lpVerbW = MAKEINTRESOURCEW(id - share->First);
    info.nShow = SW_SHOWNORMAL;
    return share->Menu->InvokeCommand(reinterpret_cast<CMINVOKECOMMANDINFO*>(&info));
}
