// The IUnknown of the stand-in COM objects of the tests and the stand-in Explorer (a browser,
// a site) that live as long as their owner, not as their references: the count only reports,
// so that a test can tell whether the code it drives gave back every reference it took.
#pragma once

#include <windows.h>
#include <unknwn.h>

template <typename Interface> class OwnedComObject : public Interface {
public:
    // Hands out the object for IID_IUnknown and for what Offers accepts.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (!IsEqualIID(riid, IID_IUnknown) && !Offers(riid)) {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        *ppv = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refCount_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG count = InterlockedDecrement(&refCount_);
        return count > 0 ? static_cast<ULONG>(count) : 0;
    }

    // References that others still hold.
    LONG HeldByOthers() const { return refCount_ - 1; }

protected:
    OwnedComObject() = default;
    ~OwnedComObject() = default;
    // Whether the object answers for riid, beside IID_IUnknown.
    virtual bool Offers(REFIID riid) const = 0;

private:
    LONG refCount_ = 1;
};
