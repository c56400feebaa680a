// Reading and answering the shell's folder browser (SHBrowseForFolder) from the test's own
// thread, typically inside a ModalDriver handler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The first descendant window of the given class, or null.
HWND FindDescendant(HWND parent, const char* className);
// The texts of every descendant window, in creation order.
std::vector<std::string> DescendantTexts(HWND parent);
// True for the folder browser's dialog (it holds a tree view), false for a message box.
bool IsFolderBrowser(HWND window);
// The tree's labels from its root down to the selected item, such as
// {"デスクトップ", "マイ コンピューター", " (C:)", "users", ...}.
std::vector<std::string> BrowserSelection(HWND browser);
// Selects folder (a path) in the browser and confirms it with OK.
void ChooseInBrowser(HWND browser, const std::string& folder);

// Lists a folder and each folder above it once. Wine's folder browser finds a folder by
// comparing item lists that carry the folders' access times; a folder listed for the first
// time after a change gets a new access time, so a folder that the browser listed while
// opening may no longer match a path parsed a moment later. Listed once beforehand, the
// times stay put while the browser is open. Call it after the last change to the folders.
void SettleAccessTimes(std::string folder);
