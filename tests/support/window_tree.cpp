#include "tests/support/window_tree.h"

#include <commctrl.h>

namespace {
const char kTopClass[] = "VestraneTestTop";
}

void RegisterPlainClass(const char* name) {
    static bool controlsReady = false;
    if (!controlsReady) {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        controlsReady = true;
    }
    WNDCLASSA windowClass = {};
    if (GetClassInfoA(GetModuleHandleA(nullptr), name, &windowClass))
        return;
    windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = name;
    RegisterClassA(&windowClass);
}

WindowTree::WindowTree(const std::vector<std::string>& paths) {
    RegisterPlainClass(kTopClass);
    top_ = CreateWindowExA(0, kTopClass, "top", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 300,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    for (const std::string& path : paths)
        Add(path);
}

WindowTree::~WindowTree() {
    if (top_ != nullptr)
        DestroyWindow(top_);
}

HWND WindowTree::At(const std::string& path) const {
    for (const auto& entry : made_) {
        if (entry.first == path)
            return entry.second;
    }
    return nullptr;
}

void WindowTree::Add(const std::string& path) {
    HWND parent = top_;
    std::string prefix;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string name = path.substr(start, end - start);
        prefix += (prefix.empty() ? "" : "/") + name;
        HWND existing = At(prefix);
        if (existing == nullptr) {
            RegisterPlainClass(name.c_str());
            existing = CreateWindowExA(0, name.c_str(), "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 200,
                                       parent, nullptr, GetModuleHandleA(nullptr), nullptr);
            made_.push_back({prefix, existing});
        }
        parent = existing;
        start = end + 1;
    }
}
