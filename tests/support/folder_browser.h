// Reading and answering the shell's folder browser (SHBrowseForFolder) from the test's own
// thread, typically inside a ModalDriver handler.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/process_lock.h"
#include "tests/support/scratch_folder.h"

// The first descendant window of the given class, or null.
HWND FindDescendant(HWND parent, const char* className);
// The texts of every descendant window, in creation order.
std::vector<std::string> DescendantTexts(HWND parent);
// True for the folder browser's dialog (it holds a tree view), false for a message box.
bool IsFolderBrowser(HWND window);
// The tree's labels from its root down to the selected item, such as
// {"デスクトップ", "マイ コンピューター", " (C:)", "users", ...}.
std::vector<std::string> BrowserSelection(HWND browser);
// The same labels in UTF-16.
std::vector<std::wstring> BrowserSelectionW(HWND browser);
// Selects folder (a path beginning with a drive, such as "C:\\work") in the browser's tree
// as a user would, opening the drive and then each folder by its label, and confirms it
// with OK. (BFFM_SETSELECTIONA is not used here: Wine's browser finds a path by comparing
// item lists that carry the folders' times, so it misses a folder whose parent another
// test process changed since the browser opened.)
void ChooseInBrowser(HWND browser, const std::string& folder);

// Wine's folder browser finds a path by comparing item lists that carry the times of every
// folder on the path, so a folder on the way that another test process changes while a
// browser is open can make it miss (a selection that fails, silently). Tests that use the
// browser therefore keep their scratch folders in this folder beside the temporary folder
// (created on first use), which no other test touches, and hold a lock for as long
// as they create folders there or show the browser.
std::string BrowserTestFolder();

// The name of the ProcessLock (tests/support/process_lock.h) that those tests hold.
extern const char kFolderBrowserLock[];

// A source and a target folder there, made while the lock is held.
struct BrowserTestFolders {
    ProcessLock Lock{kFolderBrowserLock};
    ScratchFolder Source{"vestrane-test-source", BrowserTestFolder()};
    ScratchFolder Target{"vestrane-test-target", BrowserTestFolder()};
};

// Lists a folder and each folder above it once. Wine's folder browser finds a folder by
// comparing item lists that carry the folders' access times; a folder listed for the first
// time after a change gets a new access time, so a folder that the browser listed while
// opening may no longer match a path parsed a moment later. Listed once beforehand, the
// times stay put while the browser is open. Call it after the last change to the folders.
void SettleAccessTimes(const std::string& folder);
void SettleAccessTimes(std::wstring folder);
