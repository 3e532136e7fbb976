// The system clipboard as plain Unicode text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace win {

// Empties the clipboard and puts exactly text on it as CF_UNICODETEXT (the
// system offers the other text formats from it), with CF_LOCALE naming a
// locale of the system's ANSI code page, so that CF_TEXT comes out in the
// code page of the sequence files whatever input language is active. owner
// becomes the clipboard's owner. False when the clipboard cannot be opened
// (it is then untouched) or the text cannot be placed.
bool SetClipboardText(HWND owner, const std::wstring& text);

// The clipboard's CF_UNICODETEXT up to its first NUL; nullopt when the
// clipboard cannot be opened or holds no text.
std::optional<std::wstring> ClipboardText(HWND owner);

}  // namespace win
