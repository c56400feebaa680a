// A shell item array of no items, the form in which Windows 11 can hand its commands the empty
// area of a folder. Wine's shell makes none: SHCreateShellItemArray and its kin refuse a count
// of zero. Shared by the stand-in Explorer and the command's tests.
#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "tests/support/owned_com_object.h"

class EmptyItemArray final : public OwnedComObject<IShellItemArray> {
public:
    STDMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** out) override {
        return Refused(out);
    }
    STDMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void** out) override {
        return Refused(out);
    }
    STDMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void** out) override {
        return Refused(out);
    }
    STDMETHODIMP GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF* attributes) override {
        *attributes = 0;
        return S_OK;
    }
    STDMETHODIMP GetCount(DWORD* count) override {
        *count = 0;
        return S_OK;
    }
    // Every index is beyond the end.
    STDMETHODIMP GetItemAt(DWORD, IShellItem** item) override {
        *item = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP EnumItems(IEnumShellItems** items) override { return Refused(items); }

private:
    bool Offers(REFIID riid) const override { return IsEqualIID(riid, IID_IShellItemArray); }
    template <typename Out> static HRESULT Refused(Out** out) {
        *out = nullptr;
        return E_NOTIMPL;
    }
};
