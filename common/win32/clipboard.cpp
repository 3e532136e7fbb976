#include "common/win32/clipboard.h"

#include <cstring>

#include "common/text.h"
#include "common/win32/raii.h"

namespace win {
namespace {

// Another program may hold the clipboard for a moment: try a few times.
win::Clipboard Open(HWND owner) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    if (OpenClipboard(owner)) return win::Clipboard(true);
    Sleep(10);
  }
  return win::Clipboard();
}

unsigned AnsiCodePageOf(LCID locale) {
  DWORD cp = 0;
  if (!GetLocaleInfoW(locale, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER, reinterpret_cast<LPWSTR>(&cp),
                      sizeof cp / sizeof(wchar_t)))
    return 0;
  return cp;
}

// The CF_LOCALE block, or none when no candidate locale writes the system's code page.
win::Global LocaleBlock() {
  const LCID system = GetSystemDefaultLCID(), user = GetUserDefaultLCID();
  std::optional<std::uint32_t> locale = text::ClipboardLocale(
      {{system, AnsiCodePageOf(system)}, {user, AnsiCodePageOf(user)}}, GetACP());
  if (!locale) return win::Global();
  win::Global block(GlobalAlloc(GMEM_MOVEABLE, sizeof(LCID)));
  if (!block) return block;
  void* p = GlobalLock(block.get());
  if (!p) return win::Global();
  const LCID lcid = *locale;
  std::memcpy(p, &lcid, sizeof lcid);
  GlobalUnlock(block.get());
  return block;
}

}  // namespace

bool SetClipboardText(HWND owner, const std::wstring& text) {
  // The memory is ready before the clipboard is emptied, so that running
  // out of memory leaves the previous contents in place.
  const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  win::Global memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
  if (!memory) return false;
  void* p = GlobalLock(memory.get());
  if (!p) return false;
  std::memcpy(p, text.c_str(), bytes);
  GlobalUnlock(memory.get());
  win::Global locale = LocaleBlock();

  win::Clipboard open = Open(owner);
  if (!open || !EmptyClipboard()) return false;
  if (!SetClipboardData(CF_UNICODETEXT, memory.get())) return false;
  memory.release();  // the system owns it now
  // Without it the text is still there, converted by the active input language.
  if (locale && SetClipboardData(CF_LOCALE, locale.get())) locale.release();
  return true;
}

std::optional<std::wstring> ClipboardText(HWND owner) {
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

}  // namespace win
