// Reads a classic (not extended) dialog template from a module's resources, so that tests
// can check a dialog's layout, styles and texts exactly as the resource compiler stored
// them. Texts are converted from UTF-16 to UTF-8, whatever the ANSI code page of the process.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

struct DialogItemTemplate {
    DWORD Style = 0;
    DWORD ExStyle = 0;
    short X = 0, Y = 0, Width = 0, Height = 0;
    WORD Id = 0;
    // The window class by name; predefined atoms are given their names ("Button",
    // "Edit", "Static", "ListBox", "ScrollBar", "ComboBox").
    std::string ClassName;
    std::string Text;
};

struct DialogTemplateInfo {
    DWORD Style = 0;
    DWORD ExStyle = 0;
    short X = 0, Y = 0, Width = 0, Height = 0;
    std::string Caption;
    WORD FontSize = 0;
    std::string FontName;
    std::vector<DialogItemTemplate> Items;
};

// The dialog template `id` of `module`, or nothing when it is missing or malformed.
std::optional<DialogTemplateInfo> ReadDialogTemplate(HMODULE module, int id);

// UTF-16 text as UTF-8.
std::string ToUtf8(const wchar_t* text, int length = -1);
