// The built program under /check, copied into a test folder so that its
// report and its settings lie there: the exit code a script sees, and the
// report naming what it found.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/text.h"
#include "common/tests/support/program_win32.h"
#include "common/tests/support/temp_folder.h"

namespace {

std::string Record(const std::wstring& title, const std::wstring& file) {
  return text::ToAnsi(L"2001/05/12：" + title + L"\x01\x01" L"File=" + file + L"\r\nSize = 1\r\nNoUse = 0\x01");
}

// The real program's string tables: the report in the user's language (the
// test runs in both).
TEST(CheckCommand, ExitCodeAndReportForAFaultyAndACleanFileInTheUserLanguage) {
  const bool japanese = PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
  TempFolder t;
  const std::wstring exe = t / L"Tarvoline.exe";
  ASSERT_TRUE(CopyFileW((tvltest::ProgramFolder() + L"\\Tarvoline.exe").c_str(), exe.c_str(), FALSE));
  const std::wstring present = t.Write(L"present.exe", "MZ"), gone = t / L"gone.exe";
  const std::wstring faulty =
      t.Write(L"faulty.pmw", Record(L"a", present) + Record(L"b", gone));
  const std::wstring clean = t.Write(L"clean.pmw", Record(L"a", present));

  EXPECT_EQ(tvltest::Run(exe, L" /check \"" + faulty + L"\" /quiet"), 1u);
  const std::wstring report = text::FromUtf8(TempFolder::Read(t / L"Tarvoline.check.txt"));
  EXPECT_NE(report.find(L"[2] b\r\n    File: " + gone +
                        (japanese ? L"\r\n    ※ プログラムが見付かりません。\r\n" : L"\r\n    * The program cannot be found.\r\n")),
            std::wstring::npos);

  EXPECT_EQ(tvltest::Run(exe, L" /CHECK /quiet " + clean), 0u);
  EXPECT_NE(TempFolder::Read(t / L"Tarvoline.check.txt").find(text::ToUtf8(japanese ? L"指摘はありません。" : L"No findings.")),
            std::string::npos);
  // The check reads the settings as a start would, but never writes them.
  EXPECT_EQ(GetFileAttributesW((t / L"Tarvoline.ini").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
