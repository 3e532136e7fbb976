// The main program as the wizard recognises it among shortcuts and start-up
// entries: its own shortcut must never become an item.
#pragma once

#include <string>

#include "common/path_rules.h"
#include "common/text.h"

namespace wizard {

// True for a target that is the main program itself ("tarvoline.exe" or
// "tarvolinelite.exe" anywhere in its lower-cased file name).
inline bool IsMainProgramTarget(const std::wstring& targetPath) {
  const std::wstring name = text::ToLower(paths::FileName(targetPath));
  return name.find(L"tarvoline.exe") != std::wstring::npos || name.find(L"tarvolinelite.exe") != std::wstring::npos;
}

}  // namespace wizard
