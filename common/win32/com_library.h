// COM from ole32.dll, mapped on the first call instead of at load time: a
// run that opens no document, address or shortcut never loads it, nor the
// libraries it pulls in, and a log-on full of starts stays that much lighter.
#pragma once

#include <windows.h>
#include <objbase.h>

namespace win::com {

// CoInitializeEx(nullptr, flags); E_FAIL when ole32.dll cannot be loaded.
HRESULT Initialize(DWORD flags);
// CoUninitialize, owed after every Initialize that succeeded.
void Uninitialize();
// CoCreateInstance; E_FAIL (and *object null) when ole32.dll cannot be loaded.
HRESULT CreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);
// CoTaskMemFree, for memory the shell hands out.
void TaskMemFree(void* memory);

}  // namespace win::com
