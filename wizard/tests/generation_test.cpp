#include "common/ui_text.h"
#include "generation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "common/text.h"
#include "common/tool.h"
#include "fakes.h"
#include "temp_folder.h"
#include "texts.h"

#ifdef TVL_HAVE_SEQUENCER_CORE
#include "sequencer/startup.h"
#endif

namespace {

using ui::MessageIcon;

// Paths in the cases are written the Windows way; the native build uses "/".
std::wstring P(std::wstring s) {
#ifndef _WIN32
  std::replace(s.begin(), s.end(), L'\\', L'/');
#endif
  return s;
}

// A folder of (empty) .lnk files whose contents the fake reader supplies.
struct Bench {
  TempFolder t;
  std::wstring links = t / L"links";
  std::wstring seq = t / L"seq.pmw";
  fake::Shortcuts shortcuts;
  fake::Clock clock;
  fake::Messages messages;
  fake::RealDisk files;
  Bench() { std::filesystem::create_directory(std::filesystem::path(links)); }
  void Add(const std::wstring& name, const wchar_t* target, int style = 1, const wchar_t* current = L"") {
    std::wstring path = t.Write(P(L"links\\" + name), "");
    if (target) shortcuts.links[path] = {P(target), P(current), style};
  }
  wizard::GenerationResult Run(const std::wstring& folder) {
    return wizard::GenerateSequenceFile(folder, seq, {files, shortcuts, clock, messages});
  }
  wizard::GenerationResult Run() { return Run(links); }
  std::wstring Written() { return text::FromAnsi(TempFolder::Read(seq)); }
};

std::wstring Record(const std::wstring& title, const wchar_t* file, const wchar_t* current, int size) {
  return L"2001/05/12：" + title + L"\x01\x01" L"File=" + P(file) + L"\r\nCurrent=" + P(current) +
         L"\r\nOption=\r\nSize = " + std::to_wstring(size) + L"\r\nNoUse = 0\x01";
}

TEST(Generation, OneRecordPerShortcutWithTheExactLayout) {
  struct Case {
    const wchar_t* target;
    const wchar_t* current;
    int style;
    const wchar_t* title;
    int size;
  };
  const Case cases[] = {
      {L"C:\\Tools\\clock.exe", L"C:\\Tools", 7, L"clock", 6},
      {L"C:\\Tools\\big.exe", L"", 3, L"big", 3},
      {L"", L"", 1, L"", 1},                                // no file-system target
      {L"C:\\x.exe", L"", 2, L"x", 1},  // other styles: a normal window
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.target));
    Bench b;
    b.Add(L"a.lnk", c.target, c.style, c.current);
    b.Add(L"a.lnk2", L"C:\\not-read.exe");  // found by "*.lnk" through short names on Windows
    EXPECT_TRUE(b.Run().ok);
    EXPECT_EQ(b.Written(), Record(c.title, c.target, c.current, c.size));
    EXPECT_TRUE(b.messages.shown.empty());
  }
}

TEST(Generation, ShortcutsToTheMainProgramAreSkipped) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"C:\\Program Files\\Tarvoline\\TARVOLINE.EXE", true}, {L"C:\\T\\TarvolineLite.exe", true},
      {L"C:\\T\\OldTarvoline.exe", true},                     {L"C:\\tarvoline.exe\\tool.exe", false},
      {L"C:\\T\\Tarvoline.ex", false},
  };
  for (auto [target, skipped] : cases) {
    SCOPED_TRACE(text::ToUtf8(target));
    EXPECT_EQ(wizard::IsMainProgramTarget(P(target)), skipped);
  }
}

TEST(Generation, FailuresAreReportedWithoutHalfRecords) {
  Bench b;
  b.Add(L"a.lnk", L"C:\\a.exe");
  b.Add(L"broken.lnk", nullptr);
  b.Add(L"own.lnk", L"C:\\TVL\\Tarvoline.exe");
  // An unreadable shortcut is left out and named once; the others are written.
  // (A file that cannot be written is the fault tests' case.)
  auto r = b.Run();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(r.skippedOwn, 1);
  EXPECT_EQ(b.Written(), Record(L"a", L"C:\\a.exe", L"", 1));
  ASSERT_EQ(b.messages.shown.size(), 1u);
  EXPECT_EQ(b.messages.shown[0],
            std::make_pair(ui::Text(wizard::texts::kUnreadableShortcuts) + std::wstring(L"\r\nbroken.lnk"),
                           MessageIcon::Warning));
}

// A character the code page cannot hold (a lone surrogate fits none) would
// be written as '?', naming another file or none: the short form is used, or
// the shortcut is left out and named.
TEST(Generation, PathsTheCodePageCannotHoldTakeTheirShortFormOrAreLeftOut) {
  const std::wstring bad = L"C:\\Pro" + std::wstring(1, wchar_t(0xDC00)) + L"gram";
  Bench b;
  auto add = [&](const wchar_t* name, const std::wstring& target, const std::wstring& current) {
    std::wstring path = b.t.Write(P(std::wstring(L"links\\") + name), "");
    b.shortcuts.links[path] = {P(target), P(current), 1};
  };
  add(L"1.lnk", bad + L"\\a.exe", L"");
  add(L"2.lnk", bad + L"\\b.exe", L"");
  add(L"3.lnk", L"C:\\c.exe", bad);
  add(L"4.lnk", L"C:\\d.exe", bad + L"\\d");
  add(L"5.lnk", bad + L"\\e.exe", L"");
  b.files.shortForms[P(bad + L"\\a.exe")] = P(L"C:\\PROGRA~1\\a.exe");
  b.files.shortForms[P(bad)] = P(L"C:\\PROGRA~1");
  b.files.shortForms[P(bad + L"\\e.exe")] = P(bad + L"\\e.exe");  // short names switched off
  auto r = b.Run();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.written, 2);
  std::wstring written = b.Written();
  for (const std::wstring& record :
       {Record(L"a", L"C:\\PROGRA~1\\a.exe", L"", 1), Record(L"c", L"C:\\c.exe", L"C:\\PROGRA~1", 1)}) {
    EXPECT_NE(written.find(record), std::wstring::npos) << text::ToUtf8(record);
  }
  std::sort(r.outsideCodePage.begin(), r.outsideCodePage.end());
  EXPECT_EQ(r.outsideCodePage, (std::vector<std::wstring>{L"2.lnk", L"4.lnk", L"5.lnk"}));
  ASSERT_EQ(b.messages.shown.size(), 1u);
  EXPECT_EQ(b.messages.shown[0].second, MessageIcon::Warning);
  const std::wstring& m = b.messages.shown[0].first;
  EXPECT_EQ(m.find(ui::Text(wizard::texts::kPathsOutsideCodePage)), 0u);
  for (const wchar_t* name : {L"\r\n2.lnk", L"\r\n4.lnk", L"\r\n5.lnk"}) EXPECT_NE(m.find(name), std::wstring::npos);
}

TEST(Generation, AppendsAfterTheLastByteAndCreatesAMissingFile) {
  for (const char* before : {"", "hand edited\r\n"}) {
    Bench b;
    b.Add(L"a.lnk", L"C:\\a.exe");
    if (*before) b.t.Write(L"seq.pmw", before);
    ASSERT_TRUE(b.Run().ok);
    ASSERT_TRUE(b.Run().ok);
    const std::wstring rec = Record(L"a", L"C:\\a.exe", L"", 1);
    EXPECT_EQ(b.Written(), text::FromAnsi(before) + rec + rec);
  }
  // No shortcuts, a missing folder or an empty folder box: success, an empty file.
  for (const wchar_t* folder : {L"links", L"missing", L""}) {
    Bench b;
    EXPECT_TRUE(b.Run(*folder ? b.t / folder : L"").ok);
    EXPECT_TRUE(RealFileSystem().IsOrdinaryFile(b.seq));
    EXPECT_EQ(TempFolder::Read(b.seq), "");
  }
}

#ifdef TVL_HAVE_SEQUENCER_CORE
TEST(Generation, TheMainProgramReadsTheRecordsBack) {
  Bench b;
  b.Add(L"1.lnk", L"C:\\Tools\\clock.exe", 7, L"C:\\Tools");
  b.Add(L"2.lnk", L"C:\\Doc\\memo.txt", 3);
  b.Add(L"3.lnk", L"", 5);
  ASSERT_TRUE(b.Run().ok);
  auto items = Startup::LoadSequence(b.seq).Items;
  ASSERT_EQ(items.size(), 3u);
  std::sort(items.begin(), items.end(), [](auto& x, auto& y) { return x.Title < y.Title; });
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, int> expected[] = {
      {L"", L"", L"", 1},
      {L"clock", L"C:\\Tools\\clock.exe", L"C:\\Tools", 6},
      {L"memo", L"C:\\Doc\\memo.txt", L"", 3}};
  for (size_t i = 0; i < 3; ++i) {
    auto [title, file, current, size] = expected[i];
    EXPECT_EQ(items[i].Title, title);
    EXPECT_EQ(items[i].File, P(file));
    EXPECT_EQ(items[i].Current, P(current));
    EXPECT_EQ(items[i].Option, L"");
    EXPECT_EQ(items[i].Size, size);
  }
}
#endif

// The window's test walks the usual Finish; here: failing steps are passed
// over, without a known Startup folder no shortcut is made anywhere, and the
// closing message asks to clear the Startup folder only when nothing else
// will start Tarvoline there.
TEST(Finishing, FailingStepsArePassedOverAndTheMessageFitsTheShortcut) {
  const std::pair<std::wstring, ui::MessageIcon> clear{
      L"スタートアップフォルダから、Tarvoline以外のアイコンを取り除いておいてください。\r\n"
      L"安全のため、バックアップしておくことをおすすめします。",
      ui::MessageIcon::Information};
  const std::pair<std::wstring, ui::MessageIcon> keep{
      L"Tarvolineのショートカットを作成できませんでした。\r\n"
      L"スタートアップフォルダのアイコンは取り除かずに、そのままにしておいてください。",
      ui::MessageIcon::Warning};
  struct Case {
    const wchar_t* startup;  // "" for an unknown Startup folder
    bool create, saves;
    bool keepMessage;
  } cases[] = {
      {L"S", true, true, false}, {L"S", true, false, true}, {L"", true, true, true},
      {L"S", false, false, false}, {L"", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    TempFolder t;
    fake::Shell shell;
    shell.result = 2;
    fake::Shortcuts shortcuts;
    shortcuts.saves = c.saves;
    fake::Messages messages;
    fake::Processes processes;
    fake::Registry registry;
    const wizard::FinishInputs in{nullptr, t.path(), t.Write(L"s.pmw", "x"), c.create, true,
                                  *c.startup ? t / c.startup : L"", t / L"TVL", true};
    wizard::RunFinishingSteps(in, {shell, RealFileSystem(), shortcuts, messages, processes, registry});
    EXPECT_EQ(shell.opened.back(), in.sequenceFile);
    std::wstring folder = in.userStartupFolder, own = in.ownFolder;
    const std::wstring program = tool::JoinPath(own, L"Tarvoline.exe");
    EXPECT_EQ(processes.started, std::vector{L"\"" + program + L"\" /check \"" + in.sequenceFile + L"\""});
    using Targets = std::vector<std::pair<std::wstring, std::wstring>>;
    const Targets made = {{tool::JoinPath(folder, L"Tarvoline.lnk"), program}};
    EXPECT_EQ(shortcuts.setTargets, *c.startup && c.create ? made : Targets{});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], c.keepMessage ? keep : clear);
  }
}

}  // namespace
