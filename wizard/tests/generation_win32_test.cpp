// Generation over real shortcut files made by the shell, written in the
// system's code page (932 in the tests: "：" is 0x81 0x46), and the main
// program started on what was generated.
#include "wizard/generation.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/make_shortcut_win32.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"

namespace {

// A shortcut to a shell item with no file path (the computer, by its item-id
// list alone) becomes an item that opens the shortcut itself, titled by its
// name; the main program started on the file has the shell open it. (The
// emulator's file window cannot show the computer, so no window is looked for.)
TEST(GenerationWin32, AShortcutToAShellItemIsOpenedThroughTheShortcut) {
  TempFolder t;
  const std::wstring built = tvltest::ProgramFolder() + L"\\..\\sequencer\\";
  std::wstring links = t / L"リンク";  // needs the emulator's Unix locale
  if (!CreateDirectoryW(links.c_str(), nullptr)) CreateDirectoryW((links = t / L"links").c_str(), nullptr);
  const std::wstring tool = t / L"tool.exe", computer = links + L"\\My Computer.lnk", seq = t / L"Startup.pmw";
  // The ordinary shortcut starts the start tests' probe, which ends at once.
  ASSERT_TRUE(CopyFileW((built + L"tests\\tvl_probe.exe").c_str(), tool.c_str(), FALSE));
  ASSERT_TRUE(tvltest::MakeShortcut(links + L"\\tool.lnk", {tool, t / L"", SW_SHOWNORMAL, L"", L""}));
  ASSERT_TRUE(tvltest::MakeShortcut(links + L"\\hidden.lnk", {tool, t / L"", SW_SHOWNORMAL, L"", L""}));
  SetFileAttributesW((links + L"\\hidden.lnk").c_str(), FILE_ATTRIBUTE_HIDDEN);  // left out
  ASSERT_TRUE(tvltest::MakeShortcutToItem(computer, CSIDL_DRIVES));
  fake::Clock clock;
  fake::Messages messages;
  auto r = wizard::GenerateSequenceFile(links, seq, {RealFileSystem(), RealShortcutStore(), clock, messages});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.written, 2);
  EXPECT_TRUE(messages.shown.empty());
  const std::string item = "2001/05/12\x81\x46" "My Computer\x01\x01" "File=" + text::ToAnsi(computer) +
                           "\r\nCurrent=\r\nOption=\r\nSize = 1\r\nNoUse = 0\x01";
  ASSERT_NE(TempFolder::Read(seq).find(item), std::string::npos) << TempFolder::Read(seq);
  EXPECT_TRUE(!links.ends_with(L"リンク") || item.find("\x83\x8A\x83\x93\x83\x4E") != std::string::npos);  // Shift-JIS

  // Started on that file, with no processor limit to hold the run up.
  const std::wstring exe = t / L"Tarvoline.exe";
  ASSERT_TRUE(CopyFileW((built + L"Tarvoline.exe").c_str(), exe.c_str(), FALSE));
  t.Write(L"Tarvoline.ini", "CPULimit = 100\r\n");
  ASSERT_EQ(tvltest::Run(exe, L" \"" + seq + L"\""), 0u);  // an error box of the shell would hold the run up
  const std::wstring log = text::FromUtf8(TempFolder::Read(t / L"Tarvoline.log"));
  auto said = [&log](const std::wstring& title, const std::wstring& file) {
    const size_t line = log.find(L"\"" + title + L"\" " + file), end = log.find(L"\r\n", line);
    return line == std::wstring::npos || end == std::wstring::npos ? L"" : log.substr(line, end - line);
  };
  const std::wstring opened = said(L"My Computer", computer), started = said(L"tool", tool);
  EXPECT_TRUE(opened.ends_with(L"シェルで開きました") || opened.ends_with(L"opened by the shell"))
      << text::ToUtf8(log);
  EXPECT_TRUE(started.find(L"起動しました (プロセス") != std::wstring::npos ||
              started.find(L"started, process") != std::wstring::npos)
      << text::ToUtf8(log);
}

}  // namespace
