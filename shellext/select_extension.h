// The context-menu extension object that Explorer creates for every context menu on files.
// It is also the record of one command run (ExtensionRecord), through which the settings
// store, the selection dialog, the selection pass and the actions exchange their data.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "shellext/extension_record.h"

class SelectExtension final : public IShellExtInit, public IContextMenu, public ExtensionRecord {
public:
    // Created with RefCount 0; the creator's QueryInterface takes the first reference.
    SelectExtension();
    SelectExtension(const SelectExtension&) = delete;
    SelectExtension& operator=(const SelectExtension&) = delete;

    // IUnknown, shared by both interface tables. The IShellExtInit table is the identity.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellExtInit: keeps the data object and derives DefaultPattern and SourceFolder
    // from the first selected file.
    STDMETHODIMP Initialize(LPCITEMIDLIST pidlFolder, IDataObject* pdtobj,
                            HKEY hkeyProgID) override;

    // IContextMenu
    STDMETHODIMP QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                  UINT uFlags) override;
    STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* lpici) override;
    STDMETHODIMP GetCommandString(UINT_PTR idCmd, UINT uType, UINT* pReserved, LPSTR pszName,
                                  UINT cchMax) override;

private:
    // Only Release destroys the object.
    ~SelectExtension();
    void RunCommand(HWND owner);
};

// The menu entry's text and its help text, as code page 932 bytes.
extern const char kMenuEntryText[];
extern const char kMenuHelpText[];
