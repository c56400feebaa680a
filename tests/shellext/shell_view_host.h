// Test helpers that stand where Explorer stands: a top-level window showing a real folder
// in Wine's own shell view (host -> "SHELLDLL_DefView" -> "SysListView32"), real shell
// data objects for files, and scratch folders of real files.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

// A new folder under the temporary folder, removed with its files when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    // Creates an empty file (name in code page 932); false when it cannot be created.
    bool AddFile(const std::string& name) const;
    bool AddFolder(const std::string& name) const;

private:
    std::string path_;
};

// The label of a list-view item, column 0, in code page 932.
std::string Label(HWND listView, int index);
// Labels of the selected items in index order.
std::vector<std::string> SelectedLabels(HWND listView);
// Index of the first item with this label, or -1.
int IndexOf(HWND listView, const std::string& label);

// The shell folder object of a file-system folder; null when it cannot be bound.
IShellFolder* BindFolder(const std::string& path);

// The data object that the shell hands a context-menu handler for these items of folder,
// in this order (IShellFolder::GetUIObjectOf with IID_IDataObject); null on failure.
IDataObject* ShellDataObject(IShellFolder* folder, const std::vector<std::string>& names);

// A host window with Wine's folder view of one folder inside it.
class ShellViewHost {
public:
    explicit ShellViewHost(const std::string& folderPath);
    ~ShellViewHost();
    ShellViewHost(const ShellViewHost&) = delete;
    ShellViewHost& operator=(const ShellViewHost&) = delete;

    bool Valid() const { return view_ != nullptr && viewWindow_ != nullptr; }
    HWND Host() const { return host_; }
    HWND ViewWindow() const { return viewWindow_; }
    HWND ListView() const;
    IShellFolder* Folder() const { return folder_; }

private:
    class Browser;
    HWND host_ = nullptr;
    HWND viewWindow_ = nullptr;
    IShellFolder* folder_ = nullptr;
    IShellView* view_ = nullptr;
    Browser* browser_ = nullptr;
};
