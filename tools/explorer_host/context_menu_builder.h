// The context menu of a folder view, built the way Explorer builds it for each place: the
// view's own entries, then the entries of every context-menu handler registered for the place
// under HKEY_CLASSES_ROOT:
//   selected items: "*\shellex\ContextMenuHandlers" when files are among them and
//     "Directory\shellex\ContextMenuHandlers" when folders are, each handler initialised with
//     the selection's data object and the folder's id list;
//   the empty area of the view: "Directory\Background\shellex\ContextMenuHandlers", each
//     handler initialised with the folder's id list and no data object.
// The handlers' entries follow the view's own after a separator; for the empty area they go
// before the view's last group, as Explorer puts them above "New" and "Properties". A handler
// registered under several of these keys is loaded once, as Explorer loads it. Each
// is created through COM, given the window's site when there is one, and asked to add its
// entries. Nothing here knows any handler in particular.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "tests/support/uncopyable.h"

// The DLL registered for the class (its InprocServer32), as COM loads it; empty when none.
std::string RegisteredServerPath(const CLSID& clsid);

// Where the right-click went.
enum class MenuPlace { Selection, Background };

class ContextMenuBuilder : private Uncopyable {
public:
    ContextMenuBuilder() = default;
    ~ContextMenuBuilder();

    // Builds the popup menu for the view's current selection or for its empty area. `folder`
    // is the shown folder; `site`, when given, is set on every handler that takes one, and
    // cleared again when the menu goes. Fails when the selection's menu is asked for and
    // nothing is selected, or when no menu can be made.
    HRESULT Build(IShellView* view, PCIDLIST_ABSOLUTE folder, MenuPlace place,
                  IUnknown* site = nullptr);

    HMENU Menu() const { return menu_; }

    // Command id of the top-level entry whose label is `label` (in the ANSI code page), compared as
    // shown or with the '&' of the access key left out on both sides; 0 when there is none.
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
    // The commands one menu object added: ids First to First + Count - 1.
    struct MenuShare {
        IContextMenu* Menu = nullptr;
        UINT First = 0;
        UINT Count = 0;
        std::string Name;
    };
    const MenuShare* Owner(UINT id) const;
    // The view's own entries for the place.
    void AddViewEntries(IShellView* view, MenuPlace place);
    // Every handler under HKEY_CLASSES_ROOT\<itemClass>\shellex\ContextMenuHandlers that is
    // not loaded yet.
    void AddHandlersOf(const char* itemClass, IDataObject* data, PCIDLIST_ABSOLUTE folder);
    void AddHandler(const std::string& name, const CLSID& clsid, IDataObject* data,
                    PCIDLIST_ABSOLUTE folder, HKEY classKey);
    // Sets the site on the handler's object (null clears it); false when it takes none.
    static bool SetSiteOf(IUnknown* object, IUnknown* site);

    HMENU menu_ = nullptr;
    std::vector<MenuShare> shares_;
    std::vector<std::string> problems_;
    std::vector<std::string> serverPaths_;
    // The classes of the handlers created so far.
    std::vector<CLSID> loaded_;
    bool separated_ = false;
    // Where the next handler's entries go.
    int insertAt_ = 0;
    IUnknown* site_ = nullptr;
    UINT nextId_ = 1;
};
