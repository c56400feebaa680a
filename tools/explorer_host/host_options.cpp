#include "tools/explorer_host/host_options.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

const char kHostUsage[] =
    "explorer-host [options] [FOLDER]\n"
    "  --folder PATH      folder to show (default: the current folder)\n"
    "  --desktop          show the desktop (its folder and the computer's items)\n"
    "  --select LABEL     select the item with this label (repeatable; default: the first item)\n"
    "  --invoke LABEL     build the context menu of the selection and invoke this entry\n"
    "  --background       the menu of the view's empty area instead of the selection's (the\n"
    "                     selection is cleared, as a click there clears it)\n"
    "  --one-command      wait for a right-click (a user's or xdotool's), answer the dialogs of\n"
    "                     the chosen command, report and end; reports \"ready: X Y\" first,\n"
    "                     the screen point of the selected item (with --background, of a\n"
    "                     point of the empty area)\n"
    "  --answer STEPS     answer the next dialog: set:ID=TEXT;click:ID;folder:PATH;pause:NAME;\n"
    "                     wait:MS;report:ID (repeatable, in the order the dialogs appear)\n"
    "  --report FILE      write the report to FILE instead of standard output\n"
    "  --stage-file FILE  pause at each stage until FILE is deleted (screenshots)\n"
    "  --clear-clipboard  empty the clipboard first\n"
    "  --clipboard-text TEXT\n"
    "                     put TEXT on the clipboard first, as a copied list of names would\n"
    "  --keep-open        leave the window open after the run\n"
    "  --timeout SECONDS  give up after this long (default with --invoke, --one-command: 90)\n"
    "  --view details|list|icons|smallicons\n"
    "  --layout designed|today\n"
    "                     designed: the folder view right below the window (Windows 2000/XP);\n"
    "                     today: inside ShellTabWindowClass, DUIViewWndClassName, DirectUIHWND,\n"
    "                     CtrlNotifySink and the shell's ExplorerBrowser (Windows 7-11), with a\n"
    "                     site set on every handler\n"
    "  --hide-extensions  hide the extensions of known file types (HideFileExt=1) for the run\n"
    "  --no-site          set no site on the handlers\n"
    "  --no-browser-message\n"
    "                     the window does not answer CWM_GETISHELLBROWSER (WM_USER+7)\n"
    "  --other-view PATH  the site and the window answer with a view of another folder\n"
    "  --modern-menu      the first context menu of Windows 11 (with --layout today): only the\n"
    "                     commands of --command-class, each given the site and asked for its\n"
    "                     state, title and icon\n"
    "  --command-class CLSID\n"
    "                     a command (IExplorerCommand) of the menu (repeatable)\n"
    "  --surrogate        create the commands in a COM surrogate (dllhost.exe), as Windows does,\n"
    "                     instead of in this process; under Wine 8 the menu comes through, but\n"
    "                     no item id list that the command asks the site for\n"
    "  --background-items empty|folder\n"
    "                     the items that the commands get for the empty area: an empty array\n"
    "                     (the default) or one of the folder itself, the two forms that\n"
    "                     Windows 11 hands a command of Directory\\Background\n"
    "  --size WIDTHxHEIGHT\n";

namespace {

// The options that take no value.
struct Flag {
    const char* Name;
    bool HostOptions::*Field;
};
constexpr Flag kFlags[] = {
    {"--one-command", &HostOptions::OneCommand},
    {"--clear-clipboard", &HostOptions::ClearClipboard},
    {"--keep-open", &HostOptions::KeepOpen},
    {"--hide-extensions", &HostOptions::HideExtensions},
    {"--desktop", &HostOptions::Desktop},
    {"--background", &HostOptions::Background},
    {"--no-site", &HostOptions::NoSite},
    {"--no-browser-message", &HostOptions::NoBrowserMessage},
    {"--modern-menu", &HostOptions::ModernMenu},
    {"--surrogate", &HostOptions::CommandsInSurrogate},
};

} // namespace

bool ParseHostOptions(const std::vector<std::string>& arguments, HostOptions* options,
                      std::string* error) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        auto value = [&]() -> const std::string& { return arguments[++i]; };
        const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags),
                                       [&](const Flag& f) { return name == f.Name; });
        if (flag != std::end(kFlags)) {
            options->*(flag->Field) = true;
        } else if (name.rfind("--", 0) == 0 && !hasValue) {
            *error = "missing value after " + name;
            return false;
        } else if (name == "--folder") {
            options->Folder = value();
        } else if (name == "--select") {
            options->Select.push_back(value());
        } else if (name == "--invoke") {
            options->Invoke = value();
        } else if (name == "--answer") {
            options->Answers.push_back(value());
        } else if (name == "--clipboard-text") {
            options->ClipboardText = value();
        } else if (name == "--report") {
            options->ReportPath = value();
        } else if (name == "--stage-file") {
            options->StageFile = value();
        } else if (name == "--timeout") {
            options->TimeoutSeconds = std::atoi(value().c_str());
        } else if (name == "--other-view") {
            options->OtherViewFolder = value();
        } else if (name == "--command-class") {
            options->CommandClasses.push_back(value());
        } else if (name == "--background-items") {
            const std::string& form = value();
            if (form != "empty" && form != "folder") {
                *error = "unknown background items " + form;
                return false;
            }
            options->BackgroundAsFolder = form == "folder";
        } else if (name == "--layout") {
            const std::string& layout = value();
            if (layout == "designed")
                options->Layout = ViewHosting::ShellView;
            else if (layout == "today")
                options->Layout = ViewHosting::BrowserControl;
            else {
                *error = "unknown layout " + layout;
                return false;
            }
        } else if (name == "--view") {
            const std::string& mode = value();
            if (mode == "details")
                options->ViewMode = FVM_DETAILS;
            else if (mode == "list")
                options->ViewMode = FVM_LIST;
            else if (mode == "icons")
                options->ViewMode = FVM_ICON;
            else if (mode == "smallicons")
                options->ViewMode = FVM_SMALLICON;
            else {
                *error = "unknown view " + mode;
                return false;
            }
        } else if (name == "--size") {
            const std::string& size = value();
            const size_t x = size.find('x');
            options->Width = std::atoi(size.c_str());
            options->Height = x == std::string::npos ? 0 : std::atoi(size.c_str() + x + 1);
            if (options->Width < 200 || options->Height < 150) {
                *error = "bad size " + size;
                return false;
            }
        } else if (name.rfind("--", 0) == 0) {
            *error = "unknown option " + name;
            return false;
        } else if (options->Folder.empty()) {
            options->Folder = name;
        } else {
            *error = "more than one folder given";
            return false;
        }
    }
    if (options->ModernMenu != !options->CommandClasses.empty() ||
        (options->CommandsInSurrogate && !options->ModernMenu)) {
        *error = "--modern-menu and --command-class go together, and --surrogate with them";
        return false;
    }
    // Windows 11's Explorer has today's layout only.
    if (options->ModernMenu && options->Layout != ViewHosting::BrowserControl) {
        *error = "--modern-menu needs --layout today";
        return false;
    }
    return true;
}
