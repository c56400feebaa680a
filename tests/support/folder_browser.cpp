#include "tests/support/folder_browser.h"

#include <commctrl.h>
#include <shlobj.h>

#include "tests/support/modal_driver.h"

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
    reinterpret_cast<std::vector<std::string>*>(data)->push_back(WindowTextA(child));
    return TRUE;
}

std::string TreeLabel(HWND tree, HTREEITEM item) {
    char text[MAX_PATH] = {};
    TVITEMA record = {};
    record.mask = TVIF_TEXT;
    record.hItem = item;
    record.pszText = text;
    record.cchTextMax = sizeof text;
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&record));
    return text;
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
    std::vector<std::string> chain;
    HWND tree = FindDescendant(browser, WC_TREEVIEWA);
    if (tree == nullptr)
        return chain;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    while (item != nullptr) {
        chain.insert(chain.begin(), TreeLabel(tree, item));
        item = reinterpret_cast<HTREEITEM>(
            SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
    }
    return chain;
}

void ChooseInBrowser(HWND browser, const std::string& folder) {
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    ClickButton(browser, IDOK);
}

void SettleAccessTimes(std::string folder) {
    while (folder.size() > 3) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            while (FindNextFileA(search, &found)) {
            }
            FindClose(search);
        }
        // A cut inside a double-byte character only lists a folder that does not exist.
        const size_t cut = folder.find_last_of('\\');
        if (cut == std::string::npos)
            break;
        folder.resize(cut);
    }
}
