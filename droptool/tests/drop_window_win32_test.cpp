#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/win32/clipboard.h"
#include "common/tests/support/data_object_win32.h"
#include "droptool/tests/drop_block.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/make_shortcut_win32.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"
#include "droptool/win32/drop_window.h"

namespace {

using tvltest::Files;
using tvltest::TestData;
TestData Text(const std::wstring& s) { return TestData(CF_UNICODETEXT, tvltest::WithNull(s)); }

const auto* const kOle = ::testing::AddGlobalTestEnvironment(new tvltest::OleEnvironment);

class DropWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));  // as the program has it for its whole life
    window_.emplace(droptool::DropWindowArgs{GetModuleHandleW(nullptr), RealShortcutStore(), RealFileSystem(), clock_, messages_, false});
    ASSERT_TRUE(window_->Create(SW_SHOWNOACTIVATE));
  }
  void TearDown() override { window_.reset(), OleUninitialize(); }

  static POINTL Centre(RECT r) { return POINTL{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }
  POINTL OverDropArea() const { return Centre(window_->DropAreaOnScreen()); }
  POINTL OverLabel() const {
    RECT r{};
    GetWindowRect(window_->ControlHandle(droptool::Control::Instructions), &r);
    return Centre(r);
  }
  // What DragEnter and DragOver offer the source, which allows copy and move.
  std::pair<DWORD, DWORD> Effects(IDataObject* data, POINTL pt) {
    IDropTarget* target = window_->Target();
    DWORD enter = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    DWORD over = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, MK_LBUTTON, pt, &enter);
    target->DragOver(MK_LBUTTON, pt, &over);
    target->DragLeave();
    return {enter, over};
  }
  DWORD DropOn(IDataObject* data) {
    IDropTarget* target = window_->Target();
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data, MK_LBUTTON, OverDropArea(), &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data, 0, OverDropArea(), &effect);
    tvltest::Pump();
    return effect;
  }

  fake::Clock clock_;
  fake::Messages messages_;
  std::optional<droptool::DropWindow> window_;
};

TEST_F(DropWindow, OnlyFileListsOverTheAreaMayBeDropped) {
  TestData files = Files({L"C:\\a.txt"}), text = Text(L"just text");
  using Pair = std::pair<DWORD, DWORD>;
  EXPECT_EQ(Effects(&files, OverDropArea()), Pair(DROPEFFECT_COPY, DROPEFFECT_COPY));
  EXPECT_EQ(Effects(&text, OverDropArea()), Pair(DROPEFFECT_NONE, DROPEFFECT_NONE));
  EXPECT_EQ(Effects(&files, OverLabel()), Pair(DROPEFFECT_NONE, DROPEFFECT_NONE));
}

TEST_F(DropWindow, DropPutsTheBlocksOnTheClipboard) {
  TempFolder dir;
  const std::wstring doc = dir.Write(L"メモ.txt", "memo"), lnk = dir / L"Big Clock.LNK";
  ASSERT_TRUE(tvltest::MakeShortcut(lnk, {dir.Write(L"clock.exe", "MZ"), dir.path(), 3, L"-x", L""}));
  window_->SelectMode(2);
  TestData data = Files({doc, lnk});
  EXPECT_EQ(DropOn(&data), static_cast<DWORD>(DROPEFFECT_COPY));

  EXPECT_TRUE(messages_.shown.empty());
  std::optional<std::wstring> clip = win::ClipboardText(window_->Handle());
  ASSERT_TRUE(clip.has_value());
  // Compare the shortcut's block with the target the shell reports (it may
  // normalise letter case).
  std::optional<ShortcutInfo> info = RealShortcutStore().Read(lnk);
  ASSERT_TRUE(info.has_value());
  EXPECT_EQ(*clip, DropBlock(L"メモ", doc, dir.path(), 6) +
                       DropBlock(L"Big Clock", info->targetPath, info->workingDirectory, 3, L"-x"));

  // An editor reading ANSI text gets the sequence file's code page, through
  // the system's locale named beside the text.
  ASSERT_TRUE(OpenClipboard(window_->Handle()));
  HANDLE ansi = GetClipboardData(CF_TEXT), locale = GetClipboardData(CF_LOCALE);
  const std::string bytes = ansi ? std::string(static_cast<const char*>(GlobalLock(ansi))) : "";
  const LCID lcid = locale ? *static_cast<const LCID*>(GlobalLock(locale)) : 0;
  if (ansi) GlobalUnlock(ansi);
  if (locale) GlobalUnlock(locale);
  CloseClipboard();
  EXPECT_EQ(bytes, text::ToAnsi(*clip));
  EXPECT_EQ(lcid, GetSystemDefaultLCID());
}

// A failed drop, or data without a file list dropped all the same, shows one
// message and keeps the clipboard; an empty file list empties it silently.
TEST_F(DropWindow, FailedDropShowsOneMessageAndKeepsTheClipboard) {
  TempFolder dir;
  const std::wstring broken = dir.Write(L"broken.lnk", "not a shortcut");
  TestData failing = Files({dir.Write(L"a.txt", "a"), broken, dir.Write(L"z.txt", "z")}), text = Text(L"x"),
           empty = Files({});
  ASSERT_TRUE(win::SetClipboardText(window_->Handle(), L"previous"));
  DropOn(&failing);
  ASSERT_EQ(messages_.shown.size(), 1u);
  EXPECT_EQ(messages_.shown[0].second, ui::MessageIcon::Critical);
  EXPECT_EQ(DropOn(&text), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(win::ClipboardText(window_->Handle()), std::wstring(L"previous"));
  DropOn(&empty);
  EXPECT_EQ(messages_.shown.size(), 2u);
  EXPECT_EQ(win::ClipboardText(window_->Handle()), std::wstring());
}

}  // namespace
