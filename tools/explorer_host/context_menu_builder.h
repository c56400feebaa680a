// The context menu for the selected items of a folder view, built the way Explorer builds it:
// the folder's own entries, then the entries of every context-menu handler registered for all
// files under HKEY_CLASSES_ROOT\*\shellex\ContextMenuHandlers. Each handler is created through
// COM, initialised with the selection's data object, given the window's site when there is
// one, and asked to add its entries. Nothing here knows any handler in particular.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

class ContextMenuBuilder : private Uncopyable {
public:
    ContextMenuBuilder() = default;
    ~ContextMenuBuilder();

    // Builds the popup menu for the view's current selection. `folder` is the shown folder;
    // `site`, when given, is set on every handler that takes one, and cleared again when the
    // menu goes. Fails when nothing is selected or no menu can be made.
    HRESULT Build(IShellView* view, PCIDLIST_ABSOLUTE folder, IUnknown* site = nullptr);

    HMENU Menu() const { return menu_; }

    // Command id of the top-level entry whose label is `label` (CP932), compared as shown or
    // with the '&' of the access key left out on both sides; 0 when there is none.
    UINT FindByLabel(const std::string& label) const;
    // Label of the entry with this command id.
    std::string LabelOf(UINT id) const;
    // Position of the entry among the menu's top-level items, or -1.
    int PositionOf(UINT id) const;

    // Reports every entry ("menu: label") and every handler that was loaded or failed.
    void ReportEntries() const;

    // The help text that the entry's owner gives for it (empty when it gives none).
    std::wstring HelpText(UINT id) const;

    // Calls InvokeCommand on the entry's owner with the command's offset as the verb.
    HRESULT Invoke(UINT id, HWND owner) const;

    // The DLL files of the handlers that were loaded (their InprocServer32 registration).
    const std::vector<std::string>& ServerPaths() const { return serverPaths_; }

private:
    struct Part {
        IContextMenu* Menu = nullptr;
        UINT First = 0;
        UINT Count = 0;
        std::string Name;
    };
    const Part* Owner(UINT id) const;
    void AddHandler(const std::string& name, const CLSID& clsid, IDataObject* data,
                    PCIDLIST_ABSOLUTE folder, HKEY classKey);
    // Sets the site on the handler's object (null clears it); false when it takes none.
    static bool SetSiteOf(IUnknown* object, IUnknown* site);

    HMENU menu_ = nullptr;
    std::vector<Part> parts_;
    std::vector<std::string> problems_;
    std::vector<std::string> serverPaths_;
    IUnknown* site_ = nullptr;
    UINT nextId_ = 1;
};
