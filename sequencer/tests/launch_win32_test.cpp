// Real starts: the window's engine starts the probe program through the real
// process seam; the probe writes down its command line, working folder and
// show state.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "common/text.h"
#include "common/win32/program_info.h"
#include "sequencer/win32/frm_main.h"
#include "temp_folder.h"

namespace {

class ZeroMeter : public CpuMeter {
 public:
  void AddCounter(const std::wstring&) override {}
  double GetValue() override { return 0; }
};

// The probe's lines, lower-cased and sorted (the programs run on their own, in
// any order); waits until count lines are there.
std::vector<std::wstring> ProbeLines(const std::wstring& file, size_t count) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < 300 && lines.size() < count; ++i) {
    if (i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::wstring all = text::ToLower(text::FromUtf8(TempFolder::Read(file)));
    lines.clear();
    for (size_t start = 0, end; (end = all.find(L"\r\n", start)) != std::wstring::npos; start = end + 2)
      lines.push_back(all.substr(start, end - start));
  }
  std::sort(lines.begin(), lines.end());
  return lines;
}

Startup::SequenceItem Item(std::wstring file, std::wstring current, std::wstring option, int size, std::wstring key) {
  return {L"t", std::move(file), std::move(current), std::move(option), size, std::move(key)};
}

TEST(RealStarts, QuotingOptionCurrentAndShowStateReachTheProgram) {
  TempFolder dir;
  const std::wstring probe = dir / L"Probe Copy.EXE";  // a blank to quote, and capitals
  ASSERT_TRUE(::CopyFileW((program::Folder() + L"\\tvl_probe.exe").c_str(), probe.c_str(), FALSE));
  const std::wstring work = dir / L"work folder";
  ASSERT_TRUE(::CreateDirectoryW(work.c_str(), nullptr));
  const std::wstring out = dir / L"runs.txt";
  ::SetEnvironmentVariableW(L"TVL_PROBE_OUT", out.c_str());
  wchar_t before[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, before);

  std::vector<Startup::SequenceItem> items = {
      Item(probe, work, L"-a \"b c\"", 2, L"K0"),
      Item(probe, L"", L"", 6, L"K1"),  // no Current: still the work folder
      Item(dir / L"missing.exe", L"", L"", 1, L"K2"),
      Item(probe, dir / L"gone", L"x", 3, L"K3"),  // a missing Current changes nothing
  };
  int ends = 0;
  FrmMainArgs args;
  args.items = &items;
  args.settings = {30, 10000, 0};
  args.createMeter = [](std::unique_ptr<CpuMeter>& m) { m = std::make_unique<ZeroMeter>(); };
  args.endProgram = [&] { ++ends; };
  args.quitOnClose = false;
  frmMain form(std::move(args));
  ASSERT_TRUE(form.Create(SW_SHOWNOACTIVATE));
  for (int i = 0; i < 4; ++i) form.tmrTimer_Timer();
  EXPECT_EQ(ends, 1);
  LVITEMW failed{};
  failed.mask = LVIF_IMAGE;
  failed.iItem = 2;
  ListView_GetItem(form.lvApp(), &failed);
  EXPECT_EQ(failed.iImage + 1, itemicon::kFailed);

  std::vector<std::wstring> lines = ProbeLines(out, 3);
  ::SetCurrentDirectoryW(before);
  // Command line, working folder, show flag given, show state.
  const std::wstring quoted = L"\"" + probe + L"\" ", in = L"\t" + work + L"\t1\t";
  std::vector<std::wstring> expected = {quoted + L"-a \"b c\"" + in + L"2", quoted + L"x" + in + L"3", quoted + in + L"6"};
  for (std::wstring& e : expected) e = text::ToLower(e);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);
}

}  // namespace
