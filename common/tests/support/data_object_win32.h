// Test helpers (Windows builds) for drops: an in-process data object such as
// the shell hands a drop target, offering one format.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace tvltest {

// An in-process data object offering one format: a file list or text.
class TestData final : public IDataObject {
 public:
  TestData(CLIPFORMAT format, std::string bytes) : format_(format), bytes_(std::move(bytes)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
    bool known = IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject);
    *out = known ? static_cast<IDataObject*>(this) : nullptr;
    return known ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives on the test's stack
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (HRESULT hr = QueryGetData(format); hr != S_OK) return hr;
    *medium = STGMEDIUM{TYMED_HGLOBAL, {}, nullptr};
    medium->hGlobal = GlobalAlloc(GMEM_MOVEABLE, bytes_.size());
    std::memcpy(GlobalLock(medium->hGlobal), bytes_.data(), bytes_.size());
    GlobalUnlock(medium->hGlobal);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format->cfFormat == format_ && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }

 private:
  CLIPFORMAT format_;
  std::string bytes_;
};

inline std::string WithNull(const std::wstring& s) {
  return std::string(reinterpret_cast<const char*>(s.c_str()), (s.size() + 1) * sizeof(wchar_t));
}
// A file list is a DROPFILES header, then each name and a final L'\0'.
inline TestData Files(const std::vector<std::wstring>& names) {
  std::wstring list;
  for (const std::wstring& f : names) list += f + L'\0';
  DROPFILES header{sizeof(DROPFILES), {}, FALSE, TRUE};
  return TestData(CF_HDROP, std::string(reinterpret_cast<const char*>(&header), sizeof header) + WithNull(list));
}

// OLE for the whole run, as the programs have it for their whole life:
// ::testing::AddGlobalTestEnvironment(new tvltest::OleEnvironment).
class OleEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

}  // namespace tvltest
