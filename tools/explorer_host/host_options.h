// The stand-in Explorer's command line.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/shell_view.h"

struct HostOptions {
    std::string Folder;               // shown folder; the current folder when empty
    bool Desktop = false;             // show the desktop instead of a folder
    bool Background = false;          // the right-click goes to the view's empty area
    std::vector<std::string> Select;  // labels of the items to select before the menu
    std::string Invoke;               // label of the menu entry to invoke; empty: interactive
    bool OneCommand = false;          // interactive, but end after the first menu command
    std::vector<std::string> Answers; // answers for the dialogs of the run, in order
    std::string ReportPath;           // report file; standard output when empty
    std::string StageFile;            // stage pauses for screenshots
    bool ClearClipboard = false;      // empty the clipboard before the run
    std::string ClipboardText;        // text put on the clipboard before the run (UTF-8)
    bool KeepOpen = false;            // leave the window open after a command-line run
    int TimeoutSeconds = -1;          // give up after this long; -1: 90 s with --invoke
    UINT ViewMode = FVM_DETAILS;
    // The window layout: the view right below the frame (designed) or deep inside it (today).
    ViewHosting Layout = ViewHosting::ShellView;
    bool HideExtensions = false;   // HideFileExt = 1 for the run, as Windows has it by default
    bool NoSite = false;           // set no site on the handlers
    bool NoBrowserMessage = false; // the frame does not answer CWM_GETISHELLBROWSER
    std::string OtherViewFolder;   // the site and the frame answer with a view of this folder
    // Windows 11's first menu: only these command classes (IExplorerCommand), as a package
    // declares them, created in this process, or in a COM surrogate as Windows creates them.
    bool ModernMenu = false;
    std::vector<std::string> CommandClasses;
    bool CommandsInSurrogate = false;
    // The commands get the empty area as an array of the folder itself, not as an empty one.
    bool BackgroundAsFolder = false;
    int Width = 820;
    int Height = 560;
};

// Parses the arguments (in the ANSI code page). On a mistake returns false and sets `error`.
bool ParseHostOptions(const std::vector<std::string>& arguments, HostOptions* options,
                      std::string* error);

extern const char kHostUsage[];
