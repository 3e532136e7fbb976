#include "clipboard.h"

#include <cstring>

#include "common/win32/raii.h"

namespace clipboard {
namespace {

// Another program may hold the clipboard for a moment: try a few times.
win::Clipboard Open(HWND owner) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (OpenClipboard(owner)) return win::Clipboard(true);
    Sleep(10);
  }
  return win::Clipboard();
}

}  // namespace

bool SetText(HWND owner, const std::wstring& text) {
  // The memory is ready before the clipboard is emptied, so that running
  // out of memory leaves the previous contents in place.
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  win::Global memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  void* p = GlobalLock(memory.get());
  if (!p) return false;
  std::memcpy(p, text.c_str(), bytes);
  GlobalUnlock(memory.get());

  win::Clipboard open = Open(owner);
  if (!open || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
  memory.release();  // the system owns it now
  return true;
}

std::optional<std::wstring> GetText(HWND owner) {
  win::Clipboard open = Open(owner);
  if (!open) return std::nullopt;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return std::nullopt;
  const wchar_t* p = static_cast<const wchar_t*>(GlobalLock(data));
  if (!p) return std::nullopt;
  // The memory block may be larger than the text; never read past its end.
  size_t limit = GlobalSize(data) / sizeof(wchar_t);
  size_t n = 0;
  while (n < limit && p[n] != L'\0') ++n;
  std::wstring text(p, n);
  GlobalUnlock(data);
  return text;
}

}  // namespace clipboard
