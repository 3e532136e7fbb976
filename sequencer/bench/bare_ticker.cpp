// The yardstick for Tarvoline's own load: a bare Win32 window that does the
// same work as Tarvoline with nothing of its own — one processor sample
// (GetSystemTimes) and one bar update every 200 ms, and every EVERY ticks
// the next start: the caption, the row's check and image, the progress bar,
// an immediate repaint, one list of the running processes searched for the
// program's name (what any test for a program already running must do, and
// Tarvoline does by default) and one CreateProcess of the next program of
// LIST (a UTF-8 file, one program path a line). Ends on the tick of the last
// start.
// Usage: tvl_bare_ticker.exe EVERY LIST
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <winternl.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/win32/file_time.h"

namespace {

HWND window = nullptr, cpuBar = nullptr, progressBar = nullptr, rows = nullptr;
std::vector<std::wstring> programs;
long every = 5, tick = 0;
size_t next = 0;
ULONGLONG lastIdle = 0, lastTotal = 0;

std::vector<std::wstring> ReadList(const wchar_t* path) {
  std::vector<std::wstring> lines;
  HANDLE f = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return lines;
  std::string bytes(1 << 20, '\0');
  DWORD got = 0;
  ::ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  ::CloseHandle(f);
  bytes.resize(got);
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) {
      std::wstring wide(line.size(), L'\0');
      wide.resize(static_cast<size_t>(
          ::MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(),
                                static_cast<int>(wide.size()))));
      lines.push_back(wide);
    }
    start = end + 1;
  }
  return lines;
}

// Whether a process of the program's file name runs: one list of the
// system's processes, in a buffer kept for the next list.
bool NameRuns(const std::wstring& program) {
  static std::vector<ULONGLONG> buffer(4 * 1024);
  constexpr NTSTATUS kLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
  NTSTATUS status = kLengthMismatch;
  for (int attempt = 0; attempt < 4 && status == kLengthMismatch; ++attempt) {
    ULONG needed = 0;
    status = ::NtQuerySystemInformation(SystemProcessInformation, buffer.data(),
                                        static_cast<ULONG>(buffer.size() * sizeof(ULONGLONG)), &needed);
    if (status == kLengthMismatch) buffer.resize((needed + needed / 2) / sizeof(ULONGLONG) + 1);
  }
  if (!NT_SUCCESS(status)) return false;
  const std::wstring name = program.substr(program.find_last_of(L"\\/") + 1);
  const auto* bytes = reinterpret_cast<const BYTE*>(buffer.data());
  for (size_t at = 0;;) {
    const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(bytes + at);
    if (p->ImageName.Buffer && ::CompareStringOrdinal(p->ImageName.Buffer, p->ImageName.Length / sizeof(wchar_t),
                                                      name.c_str(), static_cast<int>(name.size()), TRUE) == CSTR_EQUAL)
      return true;
    if (!p->NextEntryOffset) return false;
    at += p->NextEntryOffset;
  }
}

std::wstring Stem(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

void StartNext() {
  const std::wstring& program = programs[next];
  const int row = static_cast<int>(next);
  ::SetWindowTextW(window, (L"Starting " + Stem(program) + L".").c_str());
  LVITEMW item{};
  item.mask = LVIF_STATE | LVIF_IMAGE;
  item.iItem = row;
  item.state = INDEXTOSTATEIMAGEMASK(2) | LVIS_SELECTED | LVIS_FOCUSED;
  item.stateMask = LVIS_STATEIMAGEMASK | LVIS_SELECTED | LVIS_FOCUSED;
  item.iImage = 1;
  ListView_SetItem(rows, &item);
  ListView_EnsureVisible(rows, row, FALSE);
  ::SendMessageW(progressBar, PBM_SETPOS, static_cast<WPARAM>(row + 1), 0);
  ::RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (NameRuns(program)) {
    ++next;
    return;
  }
  std::wstring commandLine = L"\"" + program + L"\" ";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
  }
  ++next;
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER: {
      FILETIME idle, kernel, user;
      ::GetSystemTimes(&idle, &kernel, &user);
      const ULONGLONG total = win::FileTimeValue(kernel) + win::FileTimeValue(user), i = win::FileTimeValue(idle);
      const ULONGLONG dt = total - lastTotal, di = i - lastIdle;
      lastTotal = total;
      lastIdle = i;
      const int percent = dt ? static_cast<int>(100 * (dt - (di < dt ? di : dt)) / dt) : 0;
      ::SendMessageW(cpuBar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
      if (++tick % every == 0 && next < programs.size()) StartNext();
      if (next >= programs.size()) ::DestroyWindow(hwnd);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argc < 3) return 2;
  every = std::wcstol(argv[1], nullptr, 10);
  if (every < 1) every = 1;
  programs = ReadList(argv[2]);
  if (programs.empty()) return 2;
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
  ::InitCommonControlsEx(&icc);
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"BareTicker";
  ::RegisterClassW(&wc);
  window = ::CreateWindowExW(0, L"BareTicker", L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                             CW_USEDEFAULT, 400, 400, nullptr, nullptr, instance, nullptr);
  progressBar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 10, 10, 340, 20,
                                  window, nullptr, instance, nullptr);
  cpuBar = ::CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE | PBS_VERTICAL | PBS_SMOOTH, 360, 10,
                             20, 340, window, nullptr, instance, nullptr);
  rows = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                           WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                           10, 40, 340, 310, window, nullptr, instance, nullptr);
  ::SendMessageW(progressBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(programs.size()));
  ::SendMessageW(cpuBar, PBM_SETRANGE32, 0, 100);
  ListView_SetExtendedListViewStyle(rows, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  HIMAGELIST images = ImageList_Create(16, 16, ILC_COLOR32, 3, 0);
  ImageList_SetImageCount(images, 3);
  ListView_SetImageList(rows, images, LVSIL_SMALL);
  LVCOLUMNW column{};
  column.mask = LVCF_WIDTH;
  column.cx = 300;
  ListView_InsertColumn(rows, 0, &column);
  for (size_t i = 0; i < programs.size(); ++i) {
    std::wstring name = Stem(programs[i]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    item.pszText = name.data();
    ListView_InsertItem(rows, &item);
  }
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  ::SetTimer(window, 1, 200, nullptr);
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  return 0;
}
