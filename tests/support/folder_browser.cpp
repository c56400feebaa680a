#include "tests/support/folder_browser.h"

#include <commctrl.h>
#include <shlobj.h>

#include "tests/support/modal_driver.h"
#include "tests/support/wide_text.h"

namespace {

struct ClassSearch {
    const char* ClassName;
    HWND Found;
};

BOOL CALLBACK MatchClass(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ClassSearch*>(data);
    char name[64] = {};
    GetClassNameA(child, name, sizeof name);
    if (lstrcmpiA(name, search->ClassName) != 0)
        return TRUE;
    search->Found = child;
    return FALSE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM data) {
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(WindowText(child));
    return TRUE;
}

std::wstring TreeLabelW(HWND tree, HTREEITEM item) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW record = {};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = text;
    record.cchTextMax = MAX_PATH;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&record));
    return text;
}

std::string TreeLabel(HWND tree, HTREEITEM item) {
    return Utf8(TreeLabelW(tree, item));
}

// The labels from the tree's root down to its selected item, each read by `read`.
template <typename Text, typename Read> std::vector<Text> SelectionChain(HWND browser, Read read) {
    std::vector<Text> chain;
    HWND tree = FindDescendant(browser, WC_TREEVIEWA);
    if (tree == nullptr)
        return chain;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    while (item != nullptr) {
        chain.insert(chain.begin(), read(tree, item));
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    }
    return chain;
}

HTREEITEM Next(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

// The child of parent whose label passes the test, after the browser has filled the
// children in; null when there is none.
template <typename Test> HTREEITEM FindChild(HWND tree, HTREEITEM parent, Test test) {
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
    for (HTREEITEM child = Next(tree, parent, TVGN_CHILD); child != nullptr;
         child = Next(tree, child, TVGN_NEXT)) {
        if (test(TreeLabel(tree, child)))
            return child;
    }
    return nullptr;
}

// The path's folder names behind the drive.
std::vector<std::string> FolderNames(const std::string& path) {
    std::vector<std::string> names(1);
    for (size_t at = 3; at < path.size(); ++at) {
        if (path[at] == '\\')
            names.emplace_back();
        else
            names.back() += path[at];
    }
    if (names.back().empty())
        names.pop_back();
    return names;
}

// The tree item of a folder such as "C:\users\x", found by its labels as a user would
// open the tree: the drive's item (labelled "<volume> (C:)") under one of the desktop's
// items, then each folder by name.
HTREEITEM FindFolderItem(HWND tree, const std::string& folder) {
    if (folder.size() < 2 || folder[1] != ':')
        return nullptr;
    const std::string driveMark = "(" + folder.substr(0, 2) + ")";
    HTREEITEM desktop = Next(tree, nullptr, TVGN_ROOT);
    if (desktop == nullptr)
        return nullptr;
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(desktop));
    HTREEITEM item = nullptr;
    for (HTREEITEM place = Next(tree, desktop, TVGN_CHILD); place != nullptr && item == nullptr;
         place = Next(tree, place, TVGN_NEXT)) {
        item = FindChild(tree, place, [&driveMark](const std::string& label) {
            return label.find(driveMark) != std::string::npos;
        });
    }
    for (const std::string& name : FolderNames(folder)) {
        if (item == nullptr)
            break;
        item = FindChild(tree, item, [&name](const std::string& label) {
            return lstrcmpiW(Wide(label).c_str(), Wide(name).c_str()) == 0;
        });
    }
    return item;
}

} // namespace

HWND FindDescendant(HWND parent, const char* className) {
    ClassSearch search{className, nullptr};
    EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::vector<std::string> DescendantTexts(HWND parent) {
    std::vector<std::string> texts;
    EnumChildWindows(parent, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool IsFolderBrowser(HWND window) {
    return FindDescendant(window, WC_TREEVIEWA) != nullptr;
}

std::vector<std::string> BrowserSelection(HWND browser) {
    return SelectionChain<std::string>(browser, TreeLabel);
}

std::vector<std::wstring> BrowserSelectionW(HWND browser) {
    return SelectionChain<std::wstring>(browser, TreeLabelW);
}

void ChooseInBrowser(HWND browser, const std::string& folder) {
    HWND tree = FindDescendant(browser, WC_TREEVIEWA);
    HTREEITEM item = tree != nullptr ? FindFolderItem(tree, folder) : nullptr;
    if (item != nullptr)
        SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    ClickButton(browser, IDOK);
}

void SettleAccessTimes(const std::string& folder) {
    SettleAccessTimes(Wide(folder));
}

void SettleAccessTimes(std::wstring folder) {
    while (folder.size() > 3) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            while (FindNextFileW(search, &found)) {
            }
            FindClose(search);
        }
        const size_t cut = folder.find_last_of(L'\\');
        if (cut == std::wstring::npos)
            break;
        folder.resize(cut);
    }
}

const char kFolderBrowserLock[] = "folder-browser";

std::string BrowserTestFolder() {
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH)
        return {};
    std::string folder = Utf8(temp);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    const size_t cut = folder.find_last_of('\\');
    if (cut == std::string::npos)
        return {};
    folder.resize(cut);
    folder += "\\vestrane-browser-tests";
    CreateDirectoryW(Wide(folder).c_str(), nullptr);
    return folder;
}
