#include "com_library.h"

namespace win::com {
namespace {

HMODULE Ole32() {
  // From the system folder only, and never freed: objects and apartments may
  // outlive any one caller.
  static const HMODULE module = [] {
    HMODULE m = ::LoadLibraryExW(L"ole32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Systems without the search flags refuse it; ole32 is a known DLL there.
    return m ? m : ::LoadLibraryW(L"ole32.dll");
  }();
  return module;
}

// The entry point name of ole32.dll with the type of the declared function F.
template <class F>
F* Entry(const char* name) {
  HMODULE module = Ole32();
  return module ? reinterpret_cast<F*>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

}  // namespace

HRESULT Initialize(DWORD flags) {
  static auto* const call = Entry<decltype(::CoInitializeEx)>("CoInitializeEx");
  return call ? call(nullptr, flags) : E_FAIL;
}

void Uninitialize() {
  static auto* const call = Entry<decltype(::CoUninitialize)>("CoUninitialize");
  if (call) call();
}

HRESULT CreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object) {
  static auto* const call = Entry<decltype(::CoCreateInstance)>("CoCreateInstance");
  if (call) return call(clsid, outer, context, iid, object);
  if (object) *object = nullptr;
  return E_FAIL;
}

void TaskMemFree(void* memory) {
  if (!memory) return;
  static auto* const call = Entry<decltype(::CoTaskMemFree)>("CoTaskMemFree");
  if (call) call(memory);
}

}  // namespace win::com
