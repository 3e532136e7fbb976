// The wizard's texts. Those the user reads come from the string tables in
// the user's language (ui::Text(texts::kNext)); the names of files, folders
// and switches below are the same in every language.
#pragma once

namespace wizard::texts {

enum : unsigned {
#define TVL_TEXT(id, name, ja, en) name = id,
#include "wizard/texts.inc"
#undef TVL_TEXT
};

inline constexpr wchar_t kProgramTitle[] = L"TVLpreparer";
inline constexpr wchar_t kRestoreSwitch[] = L"/restore";
inline constexpr wchar_t kDefaultSequenceName[] = L"StartUp.pmw";
inline constexpr wchar_t kOwnShortcutName[] = L"Tarvoline.lnk";
inline constexpr wchar_t kMainProgramName[] = L"Tarvoline.exe";
// The suite's editor, which opens the generated file when it lies beside the wizard.
inline constexpr wchar_t kEditorName[] = L"TVLeditor.exe";
// What the main program reads beside itself when started without a file.
inline constexpr wchar_t kMainSequenceName[] = L"Startup.pmw";

}  // namespace wizard::texts
