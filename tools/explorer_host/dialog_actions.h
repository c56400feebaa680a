// Reading and answering a dialog window (a dialog box, a message box or the folder browser)
// without a mouse. Everything here except "folder:" also works on a window of another process,
// since it uses only messages that the system carries across processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// An answer is a list of steps separated by ';', carried out in order:
//   set:ID=TEXT    sets the text of control ID (for a drop-down combo box: its edit field)
//   click:ID       clicks button ID (a radio button, OK, Yes...); without such a button the
//                  dialog receives WM_COMMAND with ID
//   folder:PATH    selects PATH in the shell's folder browser (same process only)
//   pause:NAME     a stage pause for a screenshot (see SetStageFile)
//   wait:MS        lets the dialog run for MS milliseconds
std::vector<std::string> SplitAnswer(const std::string& answer);

// Reports the dialog's caption, a message box's text, every combo box's text and list
// entries, and the checked radio buttons and check boxes.
void DescribeDialog(HWND dialog);

// Carries out one step on the dialog. Returns false for a step it does not know.
bool ApplyStep(HWND dialog, const std::string& step);

// Runs the calling thread's messages for the given time.
void PumpMessagesFor(DWORD milliseconds);

// Stage pauses: with a stage file set, a pause writes the stage's name into the file and waits
// (running messages) until someone deletes the file, at most 60 seconds. A demo script takes
// its screenshot meanwhile. Without a stage file a pause does nothing.
void SetStageFile(const std::string& path);
void PauseForStage(const std::string& name);

// The window's text in the ANSI code page, also for a window of another process.
std::string ControlTextA(HWND window);
