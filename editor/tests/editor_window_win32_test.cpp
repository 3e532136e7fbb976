#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "common/ui_text.h"
#include "common/win32/clipboard.h"
#include "common/tests/support/data_object_win32.h"
#include "editor/texts.h"
#include "editor/win32/editor_window.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"

namespace {

using editor::Control;

const auto* const kOle = ::testing::AddGlobalTestEnvironment(new tvltest::OleEnvironment);

std::wstring Item(const std::wstring& title, const std::wstring& file, const std::wstring& option = L"") {
  return L"2001/05/12：" + title + L"\x01\x01" + sequence::ItemBody(file, L"C:\\", option, 1) + L"\x01";
}

void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

// What the edits themselves do to the file is the document's own test; this
// one drives them through the real controls, clipboard, drops and dialogs.
TEST(EditorWindow, ReordersSwitchesEditsPastesAndSavesThroughItsControls) {
  TempFolder dir;
  wchar_t self[MAX_PATH] = L"";
  ASSERT_GT(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  const std::wstring program = self;  // a program that is there
  const std::string before = text::ToAnsi(Item(L"A", L"C:\\gone\\a.exe") + Item(L"B", program, L"-b") + Item(L"C", program, L"-c"));
  const std::wstring path = dir.Write(L"Startup.pmw", before);
  fake::Clock clock;
  fake::Messages messages;
  int asked = 0;
  std::optional<editor::EditorWindow> window;
  window.emplace(editor::EditorWindowArgs{GetModuleHandleW(nullptr), RealFileSystem(), clock, messages, path,
                                          [&](HWND, const std::wstring&, UINT) { return ++asked, IDCANCEL; }, false});
  ASSERT_TRUE(window->Create(SW_SHOWNOACTIVATE));
  HWND list = window->ControlHandle(Control::ItemList);
  // Made small, the window stops at its least size. (Made larger, the frame
  // places the controls by their table: the main window's resize test.)
  const auto placed = [&](Control c) {
    RECT r{};
    GetWindowRect(window->ControlHandle(c), &r);
    MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  const RECT list0 = placed(Control::ItemList);
  RECT frame{}, client{};
  GetWindowRect(window->Handle(), &frame);
  SetWindowPos(window->Handle(), nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetClientRect(window->Handle(), &client);
  EXPECT_GE(client.right, list0.right + list0.left);
  EXPECT_GT(placed(Control::ItemList).bottom, list0.top);
  SetWindowPos(window->Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  // A program that is not there is marked beside its File; each target
  // shows an icon beside its title, a program that is there its own.
  // The icons come once the window has been idle.
  Sleep(50);
  for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
  const auto image = [&](int row, int column) {
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    return ListView_GetItem(list, &item) ? item.iImage : -3;
  };
  EXPECT_EQ(image(0, 1), 0);
  EXPECT_EQ(image(1, 1), I_IMAGENONE);
  EXPECT_EQ(image(0, 2), I_IMAGENONE);
  EXPECT_GT(image(0, 0), 0);
  EXPECT_GT(image(1, 0), 0);
  EXPECT_NE(image(1, 0), image(0, 0));

  // C before B, A switched off, C's option changed.
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  Click(window->ControlHandle(Control::MoveUp));
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 1);
  EXPECT_EQ(tvltest::TextOf(window->ControlHandle(Control::Title)), L"C");
  SetWindowTextW(window->ControlHandle(Control::Arguments), L"-new");
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  Click(window->ControlHandle(Control::SwitchedOn));

  // Closing with changes asks; Cancel keeps the window and the changes.
  SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(asked, 1);
  ASSERT_TRUE(IsWindow(window->Handle()));

  const editor::SequenceDocument& doc = window->Document();
  EXPECT_FALSE(doc.At(0).view.switchedOn);
  EXPECT_EQ(doc.At(1).view.title + doc.At(1).view.arguments + doc.At(2).view.title, L"C-newB");
  Click(window->ControlHandle(Control::Save));
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(TempFolder::Read(path), doc.Bytes());
  EXPECT_EQ(tvltest::TextOf(window->Handle()).find(L'*'), std::wstring::npos);

  // The drop tool's clipboard text becomes an item; undo takes it away.
  const std::wstring block = L"@\r\n2001/05/12：D\r\n" + std::wstring(78, L'-') + L"\r\n" +
                             sequence::ItemBody(L"C:\\d.exe", L"C:\\", L"", 1) + L"\r\n" + std::wstring(78, L'=') + L"\r\n";
  ASSERT_TRUE(win::SetClipboardText(window->Handle(), block));
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  Click(window->ControlHandle(Control::Paste));
  ASSERT_EQ(window->Document().Count(), 4u);
  Click(window->ControlHandle(Control::Undo));
  EXPECT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(window->Document().Bytes(), TempFolder::Read(path));

  // A row dragged below the last one goes to the end.
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  NMLISTVIEW drag{{list, static_cast<UINT_PTR>(GetDlgCtrlID(list)), LVN_BEGINDRAG}, 0, 0, 0, 0, 0, {}, 0};
  SendMessageW(window->Handle(), WM_NOTIFY, drag.hdr.idFrom, reinterpret_cast<LPARAM>(&drag));
  RECT last{};
  ListView_GetItemRect(list, 2, &last, LVIR_BOUNDS);
  POINT below{last.left + 4, last.bottom + 20};
  MapWindowPoints(list, window->Handle(), &below, 1);
  SendMessageW(window->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(below.x, below.y));
  EXPECT_EQ(window->Document().At(2).view.file, L"C:\\gone\\a.exe");

  // Try starts the selected item as a run would and names its process.
  const std::wstring script = dir.Write(L"try.cmd", "@exit 0\r\n");
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  SetWindowTextW(window->ControlHandle(Control::File), script.c_str());
  Click(window->ControlHandle(Control::Try));
  const std::wstring named = ui::Format(ui::Text(editor::texts::kTryStarted), {L"try.cmd", L"\x01"});
  const std::wstring status = tvltest::TextOf(window->ControlHandle(Control::Status));
  EXPECT_EQ(status.substr(0, named.find(L'\x01')), named.substr(0, named.find(L'\x01'))) << text::ToUtf8(status);

  // A file dropped on the top half of the second row goes in before it,
  // in the window style chosen for dropped files (the drop tool's second).
  SendMessageW(window->ControlHandle(Control::Dropped), CB_SETCURSEL, 1, 0);
  // While it is dragged over that row, the insertion mark stands before it.
  const std::wstring dropped = dir.Write(L"notes.txt", "");
  RECT second{};
  ListView_GetItemRect(list, 1, &second, LVIR_BOUNDS);
  POINT at{second.left + 4, second.top + 2};
  ClientToScreen(list, &at);
  tvltest::TestData files = tvltest::Files({dropped});
  IDropTarget* target = window->Target();
  ASSERT_NE(target, nullptr);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->DragEnter(&files, MK_LBUTTON, POINTL{at.x, at.y}, &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_COPY});
  EXPECT_EQ(window->InsertMark(), std::optional<std::size_t>(1));
  effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  target->Drop(&files, 0, POINTL{at.x, at.y}, &effect);
  EXPECT_EQ(window->InsertMark(), std::nullopt);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  ASSERT_EQ(window->Document().Count(), 4u);
  EXPECT_EQ(window->Document().At(1).view.file, dropped);
  EXPECT_EQ(window->Document().At(1).view.show, sequence::kDroppedFileShows[1]);

  // A drop by WM_DROPFILES (a thread without OLE) lands where it points:
  // its block is a file list, its point in the window's client area.
  const std::wstring more = dir.Write(L"more.txt", "");
  RECT first{};
  ListView_GetItemRect(list, 0, &first, LVIR_BOUNDS);
  POINT on{first.left + 4, first.top + 2};
  MapWindowPoints(list, window->Handle(), &on, 1);
  const std::wstring names = more + L'\0' + L'\0';
  HGLOBAL fileList = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
  ASSERT_NE(fileList, nullptr);
  auto* header = static_cast<DROPFILES*>(GlobalLock(fileList));
  *header = DROPFILES{sizeof(DROPFILES), on, FALSE, TRUE};
  std::copy(names.begin(), names.end(), reinterpret_cast<wchar_t*>(header + 1));
  GlobalUnlock(fileList);
  SendMessageW(window->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(fileList), 0);  // the window frees it
  ASSERT_EQ(window->Document().Count(), 5u);
  EXPECT_EQ(window->Document().At(0).view.file, more);
  window.reset();
}

// Bytes another program wrote are never lost: the window asks before it
// overwrites them (what the backup keeps is the document's test) or reloads;
// a file that could not be read at open is not saved over.
TEST(EditorWindow, KeepsWhatAnotherProgramWroteAndRefusesAFileItCouldNotRead) {
  TempFolder dir;
  const std::wstring path = dir.Write(L"Startup.pmw", text::ToAnsi(Item(L"A", L"C:\\a.exe") + Item(L"B", L"C:\\b.exe")));
  const std::string wizardItem = text::ToAnsi(Item(L"W", L"C:\\w.exe")), laterItem = text::ToAnsi(Item(L"X", L"C:\\x.exe"));
  fake::Clock clock;
  fake::Messages messages;
  std::vector<std::wstring> asked;
  std::vector<int> answers;  // given in turn
  const auto ask = [&](HWND, const std::wstring& question, UINT buttons) {
    asked.push_back(question);
    EXPECT_EQ(buttons & MB_TYPEMASK, UINT{MB_YESNOCANCEL});
    const int answer = answers.empty() ? IDCANCEL : answers.front();
    if (!answers.empty()) answers.erase(answers.begin());
    return answer;
  };
  std::optional<editor::EditorWindow> window;
  window.emplace(editor::EditorWindowArgs{GetModuleHandleW(nullptr), RealFileSystem(), clock, messages, path, ask, false});
  ASSERT_TRUE(window->Create(SW_SHOWNOACTIVATE));
  HWND list = window->ControlHandle(Control::ItemList);
  const auto toggle = [&](int row) {
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
    Click(window->ControlHandle(Control::SwitchedOn));
  };
  toggle(0);
  Click(window->ControlHandle(Control::Save));
  const std::string first = TempFolder::Read(path);
  ASSERT_EQ(first, window->Document().Bytes());

  // The wizard appends its items; the user saves and answers "overwrite".
  ASSERT_TRUE(RealFileSystem().Append(path, wizardItem));
  toggle(1);
  answers = {IDYES};
  Click(window->ControlHandle(Control::Save));
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find(L"Startup.pmw.bak"), std::wstring::npos) << text::ToUtf8(asked[0]);
  EXPECT_EQ(TempFolder::Read(path), window->Document().Bytes());

  // Another append, and "reload": its item shows, the window's edit is gone, the file stays.
  ASSERT_TRUE(RealFileSystem().Append(path, laterItem));
  const std::string now = TempFolder::Read(path);
  toggle(0);
  answers = {IDNO};
  Click(window->ControlHandle(Control::Save));
  EXPECT_EQ(asked.size(), 2u);
  EXPECT_EQ(TempFolder::Read(path), now);
  EXPECT_EQ(window->Document().Bytes(), now);
  EXPECT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(tvltest::TextOf(window->Handle()).find(L'*'), std::wstring::npos);
  window.reset();

  // Held with no sharing at open, the file cannot be read; once let go,
  // Save still refuses it and offers Save As, here declined.
  const std::string held = text::ToAnsi(Item(L"H", L"C:\\h.exe"));
  const std::wstring locked = dir.Write(L"Held.pmw", held);
  const std::wstring refusal = ui::Format(ui::Text(editor::texts::kNotReadSaveAs), {locked});
  std::vector<std::wstring> offered;
  {
    win::FileHandle lock(CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    window.emplace(editor::EditorWindowArgs{GetModuleHandleW(nullptr), RealFileSystem(), clock, messages, locked,
                                            [&](HWND, const std::wstring& question, UINT) {
                                              offered.push_back(question);
                                              return question == refusal ? IDNO : IDYES;
                                            },
                                            false});
    ASSERT_TRUE(window->Create(SW_SHOWNOACTIVATE));
  }
  ASSERT_FALSE(messages.shown.empty());
  EXPECT_EQ(messages.shown.back().first, ui::Format(ui::Text(editor::texts::kUnreadable), {locked}));
  ASSERT_TRUE(win::SetClipboardText(window->Handle(), L"@\r\n2001/05/12：N\r\n" + std::wstring(78, L'-') +
                                                       L"\r\nFile=C:\\n.exe\r\n" + std::wstring(78, L'=') + L"\r\n"));
  Click(window->ControlHandle(Control::Paste));
  ASSERT_EQ(window->Document().Count(), 1u);
  Click(window->ControlHandle(Control::Save));
  ASSERT_EQ(offered.size(), 1u);
  EXPECT_EQ(offered[0], refusal);
  EXPECT_EQ(TempFolder::Read(locked), held);
  window.reset();
}

}  // namespace
