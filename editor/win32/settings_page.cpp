#include "editor/win32/settings_page.h"

#include <utility>

#include "common/path_rules.h"
#include "common/ui_text.h"
#include "editor/texts.h"

namespace editor {
namespace {

// The page's own controls; the rows' ids follow FirstRow's, kRowParts a row.
enum class Control { State, Message, Save, FirstRow };
constexpr int kStateId = win::IdOf(Control::State);
constexpr int kMessageId = win::IdOf(Control::Message);
constexpr int kSaveId = win::IdOf(Control::Save);
constexpr int kFirstRowId = win::IdOf(Control::FirstRow);

// Layout at 96 DPI, in the page: the state line, one row per key (its
// description under its field), the message line and Save.
constexpr int kRowsTop = 36;
constexpr int kRowPitch = 40;
constexpr int kBottom = kRowsTop + kRowPitch * static_cast<int>(kSettingCount) + 8;

constexpr DWORD kLabel = WS_VISIBLE | SS_LEFT | SS_NOPREFIX;

int IdOf(std::size_t key, SettingsPage::Part part) {
  return kFirstRowId + static_cast<int>(key) * SettingsPage::kRowParts + part;
}

}  // namespace

SettingsPage::SettingsPage(SettingsPageArgs args) : args_(std::move(args)), doc_(args_.files, args_.numbers) {}

SettingsPage::~SettingsPage() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool SettingsPage::Create(HWND parent) {
  if (!RegisterClassOnce(args_.instance)) return false;
  // A control parent, so that Tab and the dialog keys reach the rows.
  if (!CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0, parent, nullptr,
                       args_.instance, this))
    return false;
  const std::wstring none;
  const win::ControlSpec state{L"STATIC", 0, kLabel, 0, kStateId, {8, 2, 624, 30}};
  const win::ControlSpec message{L"STATIC", 0, kLabel, 0, kMessageId, {8, kBottom, 548, 34}};
  const win::ControlSpec save{L"BUTTON", texts::kSave, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, kSaveId,
                              {562, kBottom, 70, 24}};
  bool made = controls_.Create(hwnd_, state, &none) && controls_.Create(hwnd_, message, &none);
  for (std::size_t k = 0; k < kSettingCount; ++k) {
    const SettingKey& key = kSettingKeys[k];
    const int y = kRowsTop + kRowPitch * static_cast<int>(k);
    const std::wstring name(key.name);
    const std::wstring unit = key.unit ? ui::Text(key.unit) : std::wstring();
    const std::wstring limits =
        key.isSwitch ? ui::Text(key.defaultValue != 0 ? texts::kSwitchDefaultOn : texts::kSwitchDefaultOff)
                     : ui::Format(ui::Text(texts::kLimits),
                                  {FormatSettingNumber(key.min, args_.numbers), FormatSettingNumber(key.max, args_.numbers),
                                   FormatSettingNumber(key.defaultValue, args_.numbers)});
    const std::wstring about = ui::Text(key.about);
    const win::ControlSpec field =
        key.isSwitch ? win::ControlSpec{L"BUTTON", texts::kSwitchOn, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 0,
                                        IdOf(k, Field), {124, y + 1, 80, 20}}
                     : win::ControlSpec{L"EDIT", 0, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                                        IdOf(k, Field), {124, y, 80, 22}};
    made = made && controls_.Create(hwnd_, {L"STATIC", 0, kLabel, 0, IdOf(k, Label), {8, y + 3, 112, 18}}, &name) &&
           controls_.Create(hwnd_, field) &&
           controls_.Create(hwnd_, {L"STATIC", 0, kLabel, 0, IdOf(k, Unit), {208, y + 3, 40, 18}}, &unit) &&
           controls_.Create(hwnd_, {L"STATIC", 0, kLabel, 0, IdOf(k, Limits), {252, y + 3, 380, 18}}, &limits) &&
           controls_.Create(hwnd_, {L"STATIC", 0, kLabel | SS_ENDELLIPSIS, 0, IdOf(k, About), {124, y + 23, 508, 16}},
                            &about);
  }
  made = made && controls_.Create(hwnd_, save);
  if (made) Reload();
  return made;
}

void SettingsPage::Layout(const RECT& rect, UINT dpi, const win::Fonts& fonts) {
  SetWindowPos(hwnd_, HWND_TOP, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, SWP_NOACTIVATE);
  controls_.SetFonts(fonts);
  controls_.Layout(dpi);
}

void SettingsPage::Show(bool shown) {
  if (shown && !doc_.Modified()) Reload();
  ShowWindow(hwnd_, shown ? SW_SHOW : SW_HIDE);
}

HWND SettingsPage::ControlHandle(std::size_t key, Part part) const { return controls_.Find(IdOf(key, part)); }
HWND SettingsPage::SaveButton() const { return controls_.Find(kSaveId); }
HWND SettingsPage::StateLine() const { return controls_.Find(kStateId); }

void SettingsPage::Reload() {
  tarvolineThere_ = args_.files.IsOrdinaryFile(paths::Join(args_.folder, L"Tarvoline.exe"));
  doc_.Open(paths::Join(args_.folder, L"Tarvoline.ini"));
  SetWindowTextW(controls_.Find(kMessageId), L"");
  Fill();
}

void SettingsPage::Fill() {
  filling_ = true;
  for (std::size_t k = 0; k < kSettingCount; ++k) {
    HWND field = ControlHandle(k, Field);
    if (kSettingKeys[k].isSwitch)
      SendMessageW(field, BM_SETCHECK, doc_.Value(k) != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    else
      SetWindowTextW(field, doc_.Text(k).c_str());
  }
  filling_ = false;
  ShowState();
}

void SettingsPage::ShowState() {
  const std::wstring& path = doc_.Path();
  std::wstring state;
  if (!tarvolineThere_) state = ui::Format(ui::Text(texts::kNoTarvoline), {args_.folder});
  else if (doc_.State() == SettingsDocument::FileState::Unreadable) state = ui::Format(ui::Text(texts::kSettingsUnreadable), {path});
  else if (doc_.State() == SettingsDocument::FileState::Missing) state = ui::Format(ui::Text(texts::kSettingsMissing), {path});
  else state = ui::Format(ui::Text(texts::kSettingsFile), {path});
  // Unsaved changes are marked as the caption marks the sequence file's.
  if (doc_.Modified()) state = L"*" + state;
  SetWindowTextW(controls_.Find(kStateId), state.c_str());
  const bool usable = tarvolineThere_ && doc_.State() != SettingsDocument::FileState::Unreadable;
  for (std::size_t k = 0; k < kSettingCount; ++k) {
    const std::wstring label = std::wstring(kSettingKeys[k].name) + (doc_.Changed(k) ? L" *" : L"");
    SetWindowTextW(ControlHandle(k, Label), label.c_str());
    for (int part = Label; part < kRowParts; ++part) EnableWindow(ControlHandle(k, static_cast<Part>(part)), usable);
  }
  EnableWindow(SaveButton(), usable);
}

void SettingsPage::OnCommand(int id, int code) {
  if (id == kSaveId) {
    if (code == BN_CLICKED) Save();
    return;
  }
  if (filling_ || id < kFirstRowId) return;
  const std::size_t key = static_cast<std::size_t>(id - kFirstRowId) / kRowParts;
  if (key >= kSettingCount || id != IdOf(key, Field)) return;
  HWND field = ControlHandle(key, Field);
  if (kSettingKeys[key].isSwitch && code == BN_CLICKED) {
    doc_.SetOn(key, SendMessageW(field, BM_GETCHECK, 0, 0) == BST_CHECKED);
  } else if (!kSettingKeys[key].isSwitch && code == EN_CHANGE) {
    // A refusal is told at once beside the fields; the value stays as it was.
    const std::optional<std::wstring> refused = doc_.SetText(key, win::WindowText(field));
    SetWindowTextW(controls_.Find(kMessageId), refused.value_or(L"").c_str());
  }
  ShowState();
}

bool SettingsPage::Save() {
  if (!IsWindowEnabled(SaveButton())) return false;
  // What the fields hold now, each refused one named before anything is
  // written; a value the file holds beyond the page's limits stays if untouched.
  for (std::size_t k = 0; k < kSettingCount; ++k) {
    HWND field = ControlHandle(k, Field);
    if (kSettingKeys[k].isSwitch || win::WindowText(field) == doc_.Text(k)) continue;
    if (const std::optional<std::wstring> refused = doc_.SetText(k, win::WindowText(field))) {
      SetFocus(field);
      SendMessageW(field, EM_SETSEL, 0, -1);
      args_.messages.Show(*refused, ui::MessageIcon::Warning);
      return false;
    }
  }
  SettingsDocument::SaveStatus status = doc_.Save();
  if (status == SettingsDocument::SaveStatus::ChangedOnDisk) {
    if (args_.ask(GetAncestor(hwnd_, GA_ROOT), ui::Format(ui::Text(texts::kSettingsChangedOnDisk), {doc_.Path()}),
                  MB_YESNO | MB_ICONWARNING) != IDYES)
      return false;
    status = doc_.Save(true);
  }
  if (status != SettingsDocument::SaveStatus::Saved) {
    args_.messages.Show(ui::Format(ui::Text(texts::kWriteFailed), {doc_.Path()}), ui::MessageIcon::Critical);
    return false;
  }
  SetWindowTextW(controls_.Find(kMessageId), L"");
  Fill();
  return true;
}

bool SettingsPage::ChangesSettled() {
  if (!doc_.Modified()) return true;
  const int answer = args_.ask(GetAncestor(hwnd_, GA_ROOT), ui::Format(ui::Text(texts::kAskSave), {paths::FileName(doc_.Path())}),
                               MB_YESNOCANCEL | MB_ICONQUESTION);
  return answer == IDNO || (answer == IDYES && Save());
}

LRESULT SettingsPage::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) {
    OnCommand(LOWORD(wp), HIWORD(wp));
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace editor
