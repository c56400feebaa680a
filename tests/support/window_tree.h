// Windows of given class names, for tests of code that looks for windows by class: a tree
// of children under one top-level window, such as the inner windows of a folder window.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/uncopyable.h"

// Registers a window class of this program that does nothing but DefWindowProc, unless a
// class of that name is known already (a system or common-controls class such as
// "SysListView32" is never shadowed). The common controls are set up first.
void RegisterPlainClass(const char* name);

// A visible top-level window with a tree of child windows. Each path is a '/'-separated
// chain of class names below the top; equal prefixes share their windows.
class WindowTree : private Uncopyable {
public:
    explicit WindowTree(const std::vector<std::string>& paths);
    ~WindowTree();

    HWND Top() const { return top_; }
    // The window at the end of the path, or null.
    HWND At(const std::string& path) const;

private:
    void Add(const std::string& path);

    HWND top_ = nullptr;
    std::vector<std::pair<std::string, HWND>> made_;
};
