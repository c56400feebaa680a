// A handler's site as a test builds it: it answers each service that Explorer's site offers a
// context-menu handler with the object the test gives it, or not at all, and IOleWindow with the
// window the test gives it, or not at all.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "tests/support/owned_com_object.h"

class ServiceSite final : public OwnedComObject<IServiceProvider> {
public:
    IUnknown* FolderView = nullptr;
    IUnknown* TopLevelBrowser = nullptr;
    IUnknown* ShellBrowser = nullptr;
    // Answered through IOleWindow when set.
    HWND Window = nullptr;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (Window == nullptr || !IsEqualIID(riid, IID_IOleWindow))
            return OwnedComObject::QueryInterface(riid, ppv);
        // The code under test asks the site for its window and never compares identities,
        // so a second object answers for the window.
        return window_.QueryInterface(riid, ppv);
    }
    bool Offers(REFIID riid) const override { return IsEqualIID(riid, IID_IServiceProvider); }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** ppv) override {
        *ppv = nullptr;
        IUnknown* answer = IsEqualGUID(service, SID_SFolderView)        ? FolderView
                           : IsEqualGUID(service, SID_STopLevelBrowser) ? TopLevelBrowser
                           : IsEqualGUID(service, SID_SShellBrowser)    ? ShellBrowser
                                                                        : nullptr;
        return answer != nullptr ? answer->QueryInterface(riid, ppv) : E_NOINTERFACE;
    }

    // References that others still hold, to the site or to its window.
    LONG HeldByOthers() const { return OwnedComObject::HeldByOthers() + window_.HeldByOthers(); }

private:
    class SiteWindow final : public OwnedComObject<IOleWindow> {
    public:
        explicit SiteWindow(const HWND& window) : window_(window) {}
        bool Offers(REFIID riid) const override { return IsEqualIID(riid, IID_IOleWindow); }
        STDMETHODIMP GetWindow(HWND* window) override {
            *window = window_;
            return S_OK;
        }
        STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    private:
        const HWND& window_;
    };
    SiteWindow window_{Window};
};
