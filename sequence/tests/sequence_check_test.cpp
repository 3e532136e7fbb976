#include "sequence/sequence_check.h"

#include <gtest/gtest.h>

#include <cwctype>

#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/temp_folder.h"

namespace {

namespace check = sequence::check;
using check::Command;

struct AutoStart : check::AutoStartPrograms {
  std::vector<std::wstring> paths;
  std::vector<std::wstring> added;  // entries that came after the take-over
  std::vector<std::wstring> EnabledProgramPaths() override { return paths; }
  std::vector<std::wstring> NewEntries(const std::vector<sequence::SequenceItem>&) override { return added; }
};

// The real disk, except for a file another program holds locked and a
// report that cannot be written.
struct Files : fake::RealDisk {
  std::wstring locked;
  bool failReplace = false;
  std::optional<std::string> ReadAll(const std::wstring& p) override {
    return p == locked ? std::nullopt : real.ReadAll(p);
  }
  bool ReplaceContents(const std::wstring& p, const std::string& b) override {
    return !failReplace && real.ReplaceContents(p, b);
  }
  bool CanRead(const std::wstring& p) override { return p != locked && real.CanRead(p); }
  bool Exists(const std::wstring& p) override { return p == locked || real.Exists(p); }
};

// The seams of one check.
struct Checker {
  Files files;
  fake::Shell shell;
  AutoStart autoStart;
  check::Result Run(const Command& command, const check::Environment& env) {
    return check::Run(command, env, {files, shell, autoStart});
  }
};

std::string Record(const std::wstring& title, const std::wstring& body) {
  return text::ToAnsi(L"2001/05/12：" + title + L"\x01\x01" + body + L"\x01");
}

// The report as it must be on disk: byte-order mark, UTF-8, CR LF.
std::string Bytes(const std::vector<std::wstring>& lines) {
  std::string b = "\xEF\xBB\xBF";
  for (const std::wstring& l : lines) b += text::ToUtf8(l) + "\r\n";
  return b;
}

TEST(SequenceCheck, ReportsEveryFindingOfEachItemAndOfTheSettings) {
  TempFolder prog, t;
  // A shortcut to a shell item with no file path is its own File: a document that must be there.
  const std::wstring clock = t.Write(L"clock.exe", "MZ"), mail = t.Write(L"mail.exe", "MZ"),
                     memo = t.Write(L"memo.txt", "memo"), panel = t.Write(L"panel.lnk", "L");
  const std::wstring gone = t / L"gone.exe", lost = t / L"lost.lnk", noFolder = t / L"nofolder";
  const std::wstring seq = t.Write(
      L"seq.pmw",
      Record(L"時\t計", L"File=" + clock + L"\r\nCurrent=" + t.path() + L"\r\nSize = 1\r\nNoUse = 0\r\nDelay = 120000\r\nNetwork = 30000") +
          Record(L"消えた", L"File=" + gone + L"\r\nSize = 1") + Record(L"メモ", L"File=" + memo + L"\r\nDelay = -5\r\nNetwork = 90000000") +
          Record(L"無い文書", L"File=" + lost + L"\r\nCurrent=" + noFolder) + Record(L"空", L"File=") +
          Record(L"サイズ", L"File=clock.exe\r\nOption=-x\r\nSize = 12") +
          Record(L"メール", L"File=" + mail + L"\r\nSize = 4") +
          Record(L"もう一度", L"File=" + clock + L"\r\nSize = 1") +
          Record(L"サイト", L"File=http://example.com/") + Record(L"パネル", L"File=" + panel + L"\r\nSize = 6") +
          Record(L"使わない", L"File=" + gone + L"\r\nNoUse = 1"));
  const std::string settings = "CPULimit = high\r\nMaxIdleTime =\r\nTimerInterval = 70000\r\n";
  const std::wstring ini = prog.Write(L"Tarvoline.ini", settings);
  Checker k;
  k.autoStart.paths = {mail};
  for (wchar_t& c : k.autoStart.paths[0]) c = static_cast<wchar_t>(std::towupper(c));  // letter case does not matter
  k.autoStart.added = {L"Meet (C:\\Meet\\meet.exe)"};
  check::Environment env{prog / L"Tarvoline.exe", {t.path()}, {2026, 12, 7, 1, 2, 3}, {}};

  const check::Result r = k.Run(Command{seq, true}, env);

  EXPECT_EQ(r.exitCode, check::kFindings);
  ASSERT_TRUE(r.written);
  EXPECT_EQ(r.reportPath, prog / L"Tarvoline.check.txt");
  EXPECT_EQ(k.shell.opened, std::vector<std::wstring>{});  // quiet
  EXPECT_EQ(TempFolder::Read(ini), settings);
  // clang-format off
  EXPECT_EQ(TempFolder::Read(r.reportPath), Bytes({
      L"Tarvoline シーケンスファイルのチェック",
      L"日時: 2026/12/07 01:02:03",
      L"シーケンスファイル: " + seq,
      L"起動する項目: 10 件",
      L"", L"[1] 時 計", L"    File: " + clock, L"    問題はありません。",
      L"", L"[2] 消えた", L"    File: " + gone, L"    ※ プログラムが見付かりません。",
      L"", L"[3] メモ", L"    File: " + memo,
           L"    ※ ミリ秒の値(0～86400000)として使えません。0 とみなします: Delay = -5",
           L"    ※ ミリ秒の値(0～86400000)として使えません。0 とみなします: Network = 90000000",
      L"", L"[4] 無い文書", L"    File: " + lost,
           L"    ※ 作業フォルダ(Current)が見付かりません: " + noFolder,
           L"    ※ ファイルが見付かりません。開かれません。",
      L"", L"[5] 空", L"    File: ", L"    ※ File が空です。起動するものがありません。",
      L"", L"[6] サイズ", L"    File: clock.exe",
           L"    ※ Size の値はウィンドウの表示方法として使えません(0～11)。起動は失敗します: 12",
      L"", L"[7] メール", L"    File: " + mail,
           L"    ※ スタートアップフォルダまたは Run キーからも起動されます。二度起動されます: " + k.autoStart.paths[0],
      L"", L"[8] もう一度", L"    File: " + clock,
           L"    ※ 項目 1 と File も Option も同じです。二度起動されます。",
      L"", L"[9] サイト", L"    File: http://example.com/", L"    問題はありません。",
      L"", L"[10] パネル", L"    File: " + panel, L"    問題はありません。",
      L"",
      L"    ※ 引き継ぎ後に加わったスタートアップ項目です。引き継ぐには TVLpreparer を実行してください: Meet (C:\\Meet\\meet.exe)",
      L"",
      L"設定ファイル: " + ini,
      L"    CPULimit = high", L"    ※ 数値ではありません。既定値を使います: 30",
      L"    MaxIdleTime = ", L"    ※ 値が空です。既定値を使います: 10000",
      L"    IntervalTime = 500 (記載なし: 既定値)",
      L"    TimerInterval = 70000",
      L"    ※ タイマーに使えない値です(1～65535)。代わりに使う値: 200",
      L"    起動の間隔: 前のプログラムの起動処理が落ち着くか、PC 全体の使用率が上限以下になったら次を起動 (SettleWait = 1)",
      L"",
      L"指摘: 13 件"}));
  // clang-format on
}

TEST(SequenceCheck, ExitCodeOpeningAndTheFilesItLeavesAlone) {
  struct Case {
    const char* name;
    const wchar_t* argument;  // "" for the default file
    bool quiet, lockSettings, failReport, withSettings;
    int exitCode;
    const wchar_t* lastLine;
  } cases[] = {
      {"the default file, clean, no settings file", L"", false, false, false, false, 0, L"指摘はありません。"},
      {"quiet: written, not opened", L"", true, false, false, false, 0, L"指摘はありません。"},
      {"a sequence file that is not there", L"gone.pmw", false, false, false, false, 2, L"指摘: 1 件"},
      {"a settings file held locked", L"", false, true, false, true, 1, L"指摘: 1 件"},
      {"a report that cannot be written", L"", false, false, true, false, 3, nullptr},
      {"quiet, the report not written, the sequence not read", L"gone.pmw", true, false, true, false, 3, nullptr},
  };
  for (const Case& c : cases) {
    TempFolder prog;
    prog.Write(L"Startup.pmw", Record(L"a", L"File=" + prog.Write(L"tool.exe", "MZ") + L"\r\nSize = 1"));
    const std::wstring ini = prog / L"Tarvoline.ini";
    if (c.withSettings) prog.Write(L"Tarvoline.ini", "CPULimit = 80\r\n");
    Checker k;
    k.files.failReplace = c.failReport;
    if (c.lockSettings) k.files.locked = ini;
    const std::wstring argument = *c.argument ? prog / c.argument : L"";

    const check::Result r = k.Run(Command{argument, c.quiet}, {prog / L"Tarvoline.exe", {}, {}, {}});

    EXPECT_EQ(r.exitCode, c.exitCode) << c.name;
    EXPECT_EQ(r.written, c.lastLine != nullptr) << c.name;
    const bool opened = r.written && !c.quiet;
    EXPECT_EQ(k.shell.opened, opened ? std::vector{r.reportPath} : std::vector<std::wstring>{}) << c.name;
    // A check never writes the settings file, nor creates one.
    EXPECT_EQ(TempFolder::Read(ini), c.withSettings ? "CPULimit = 80\r\n" : "") << c.name;
    EXPECT_EQ(k.files.real.IsOrdinaryFile(ini), c.withSettings) << c.name;
    if (c.lastLine) {
      EXPECT_TRUE(TempFolder::Read(r.reportPath).ends_with("\r\n" + text::ToUtf8(c.lastLine) + "\r\n")) << c.name;
    }
  }
}

TEST(SequenceCheck, CommandLine) {
  struct Case { const wchar_t* arguments; std::optional<Command> command; } cases[] = {
      {L"/CHECK /Quiet", Command{L"", true}},
      {L"/check \"C:\\My Files\\x.pmw\" /quiet", Command{L"C:\\My Files\\x.pmw", true}},
      {L"/check /quiet C:\\My Files\\x.pmw ", Command{L"C:\\My Files\\x.pmw", true}},
      {L"/check \"C:\\a /quiet\"", Command{L"C:\\a /quiet", false}},
      {L"/checked x.pmw", std::nullopt},
      {L"x.pmw /check", std::nullopt},
      {L"", std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<Command> got = check::ParseCommand(c.arguments);
    ASSERT_EQ(got.has_value(), c.command.has_value()) << text::ToUtf8(c.arguments);
    if (!got) continue;
    EXPECT_EQ(got->sequencePath, c.command->sequencePath) << text::ToUtf8(c.arguments);
    EXPECT_EQ(got->quiet, c.command->quiet) << text::ToUtf8(c.arguments);
  }
}

// "3,5" under an English locale reads as 35: the check names a separator that
// does not group three digits, as the user's locale writes numbers.
TEST(SequenceCheck, NamesAThousandsSeparatorOutOfPlace) {
  const NumberSeparators english{L".", L","}, german{L",", L"."};
  struct Case {
    const char* name;
    std::string settings;
    NumberSeparators numbers;
    std::vector<std::wstring> findings;
  } cases[] = {
      {"English, groups of three", "CPULimit = 1,000\r\nMaxIdleTime = -12,345,678.5\r\nIntervalTime = 3.5\r\n", english, {}},
      {"English, out of place", "CPULimit = 3,5\r\nMaxIdleTime = 1,0000\r\nIntervalTime = ,500\r\nTimerInterval = 1,00.5\r\n",
       english,
       {L"※ 桁区切り「,」が 3 桁ごとの位置にありません。読み取った値: 35",
        L"※ 桁区切り「,」が 3 桁ごとの位置にありません。読み取った値: 10000",
        L"※ 桁区切り「,」が 3 桁ごとの位置にありません。読み取った値: 500",
        L"※ 桁区切り「,」が 3 桁ごとの位置にありません。読み取った値: 100.5"}},
      {"German, a point as a decimal point", "CPULimit = 3.5\r\nMaxIdleTime = 10.000\r\n", german,
       {L"※ 桁区切り「.」が 3 桁ごとの位置にありません。読み取った値: 35"}},
  };
  for (const Case& c : cases) {
    TempFolder prog;
    prog.Write(L"Tarvoline.ini", c.settings);
    const check::Result r = Checker().Run(Command{L"", true}, {prog / L"Tarvoline.exe", {}, {}, c.numbers});
    std::vector<std::wstring> findings;
    const std::wstring report = text::FromUtf8(TempFolder::Read(r.reportPath));
    for (size_t p = 0; (p = report.find(L"※ 桁区切り", p)) != std::wstring::npos; ++p)
      findings.push_back(report.substr(p, report.find(L'\r', p) - p));
    EXPECT_EQ(findings, c.findings) << c.name;
  }
}

}  // namespace
