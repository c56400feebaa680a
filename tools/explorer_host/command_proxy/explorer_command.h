/* What the proxy code that widl makes from explorer_command.idl includes: the interfaces as
 * the Windows headers declare them (the proxy uses only their ids), and what widl's code
 * expects beside them. */
#pragma once

#include <windows.h>
#include <shobjidl.h>

typedef struct {
    WCHAR* Text;
} COMMAND_TEXT;

HRESULT STDMETHODCALLTYPE IUnknown_QueryInterface_Proxy(IUnknown* This, REFIID riid, void** object);
ULONG STDMETHODCALLTYPE IUnknown_AddRef_Proxy(IUnknown* This);
ULONG STDMETHODCALLTYPE IUnknown_Release_Proxy(IUnknown* This);
