#include "wizard/win32/info_page.h"

#include <exdisp.h>
#include <ole2.h>

#include <string>
#include <string_view>

#include "common/text.h"
#include "common/ui_text.h"
#include "common/win32/program_info.h"
#include "common/win32/raii.h"
#include "wizard/info_text.h"
#include "wizard/texts.h"

namespace wizard {

namespace {

constexpr wchar_t kHostClass[] = L"TVLpreparerBrowserHost";
// The HTML document class of the system's HTML engine (mshtml).
constexpr CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

// The minimal container the browser control needs to live in a child window
// in place: a client site, an in-place site and a frame, all answering for
// the one host window. It offers no menus, borders or status line.
class Site final : public IOleClientSite, public IOleInPlaceSite, public IOleInPlaceFrame {
 public:
  explicit Site(HWND host) : host_(host) {}

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
    if (!out) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite) {
      *out = static_cast<IOleClientSite*>(this);
    } else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite) {
      *out = static_cast<IOleInPlaceSite*>(this);
    } else if (riid == IID_IOleInPlaceUIWindow || riid == IID_IOleInPlaceFrame) {
      *out = static_cast<IOleInPlaceFrame*>(this);
    } else {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return static_cast<ULONG>(n);
  }

  // IOleClientSite
  STDMETHODIMP SaveObject() override { return E_NOTIMPL; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** m) override {
    if (m) *m = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetContainer(IOleContainer** c) override {
    if (c) *c = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

  // IOleWindow (for both the in-place site and the frame)
  STDMETHODIMP GetWindow(HWND* w) override {
    if (!w) return E_POINTER;
    *w = host_;
    return S_OK;
  }
  STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // IOleInPlaceSite
  STDMETHODIMP CanInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
  STDMETHODIMP OnUIActivate() override { return S_OK; }
  STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT pos, LPRECT clip,
                                LPOLEINPLACEFRAMEINFO info) override {
    if (!frame || !doc || !pos || !clip || !info) return E_POINTER;
    *frame = this;
    AddRef();
    *doc = nullptr;
    GetClientRect(host_, pos);
    GetClientRect(host_, clip);
    info->fMDIApp = FALSE;
    info->hwndFrame = GetAncestor(host_, GA_ROOT);
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
  }
  STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
  STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
  STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
  STDMETHODIMP DiscardUndoState() override { return E_NOTIMPL; }
  STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
  STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

  // IOleInPlaceUIWindow
  STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return OLE_E_INVALIDRECT; }
  STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }

  // IOleInPlaceFrame
  STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
  STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
  STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
  STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
  STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

 private:
  LONG refs_ = 1;
  HWND host_;
};

bool RegisterHostClass() {
  static bool registered = false;
  if (registered) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kHostClass;
  registered = RegisterClassExW(&wc) != 0;
  return registered;
}

// The shipped page of the user's language, as text; "" when the program
// carries none.
std::wstring ShippedPage() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, ui::Text(texts::kInfoPage).c_str(), RT_HTML);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return {};
  return text::FromUtf8(std::string_view(static_cast<const char*>(bytes), SizeofResource(module, found)));
}

// The HTML engine itself: without it the browser control shows nothing.
bool HtmlEngineAvailable() {
  IUnknown* doc = nullptr;
  if (FAILED(CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                              reinterpret_cast<void**>(&doc))))
    return false;
  win::ComPtr<IUnknown> owner(doc);
  return true;
}

}  // namespace

// The browser control in place in its host window.
class BrowserHost {
 public:
  // Null when any step fails; what was made is released again.
  static std::unique_ptr<BrowserHost> Make(HWND host) {
    if (!HtmlEngineAvailable()) return nullptr;
    auto b = std::unique_ptr<BrowserHost>(new BrowserHost(host));
    IOleObject* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                reinterpret_cast<void**>(&object))))
      return nullptr;
    b->object_.reset(object);
    if (FAILED(object->SetClientSite(b->site_.get()))) return nullptr;
    b->siteSet_ = true;
    OleSetContainedObject(object, TRUE);
    RECT r;
    GetClientRect(host, &r);
    if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, b->site_.get(), 0, host, &r))) return nullptr;
    IWebBrowser2* web = nullptr;
    if (FAILED(object->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(&web)))) return nullptr;
    b->web_.reset(web);
    web->put_Silent(VARIANT_TRUE);  // no script error boxes
    return b;
  }

  ~BrowserHost() {
    web_.reset();
    if (object_) {
      object_.get()->Close(OLECLOSE_NOSAVE);
      if (siteSet_) object_.get()->SetClientSite(nullptr);
    }
    object_.reset();
  }

  void Navigate() {
    // res://<the program's path>/INFO.HTML: the page inside the executable,
    // one resource per language.
    std::wstring url = L"res://" + win::ProgramPath() + L"/" + ui::Text(texts::kInfoPage);
    BSTR address = SysAllocString(url.c_str());
    if (!address) return;
    VARIANT empty;
    VariantInit(&empty);
    web_.get()->Navigate(address, &empty, &empty, &empty, &empty);
    SysFreeString(address);
  }

  void Resized() {
    IOleInPlaceObject* raw = nullptr;
    if (SUCCEEDED(object_.get()->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&raw)))) {
      win::ComPtr<IOleInPlaceObject> inPlace(raw);
      RECT r;
      GetClientRect(host_, &r);
      inPlace.get()->SetObjectRects(&r, &r);
    }
  }

 private:
  explicit BrowserHost(HWND host) : host_(host), site_(new Site(host)) {}

  HWND host_;
  win::ComPtr<Site> site_;
  win::ComPtr<IOleObject> object_;
  win::ComPtr<IWebBrowser2> web_;
  bool siteSet_ = false;
};

InfoPage::InfoPage() = default;
InfoPage::~InfoPage() { Destroy(); }

HWND InfoPage::Create(HWND parent, int id, bool tryBrowser) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  HMENU menuId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
  if (tryBrowser && RegisterHostClass()) {
    HWND host = CreateWindowExW(WS_EX_CLIENTEDGE, kHostClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                100, 100, parent, menuId, instance, nullptr);
    if (host) {
      browser_ = BrowserHost::Make(host);
      if (browser_) return host;
      DestroyWindow(host);
    }
  }
  return CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", InfoPageText(ShippedPage()).c_str(),
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY, 0, 0, 100, 100,
                         parent, menuId, instance, nullptr);
}

void InfoPage::Navigate() {
  if (browser_) browser_->Navigate();
}

void InfoPage::Resized() {
  if (browser_) browser_->Resized();
}

void InfoPage::Destroy() { browser_.reset(); }

}  // namespace wizard
