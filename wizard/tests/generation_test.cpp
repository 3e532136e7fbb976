#include "common/path_rules.h"
#include "common/ui_text.h"
#include "wizard/finish.h"
#include "wizard/generation.h"
#include "wizard/takeover.h"

#include <gtest/gtest.h>

#include <memory>

#include <algorithm>
#include <filesystem>

#include "autostart/switched_off_record.h"
#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/file_size_limit.h"
#include "sequence/sequence_file.h"
#include "common/tests/support/temp_folder.h"
#include "wizard/texts.h"

namespace {

using autostart::Source;
using ui::MessageIcon;
namespace fs = std::filesystem;

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
  Bench() { fs::create_directory(fs::path(links)); }
  void Add(const std::wstring& name, const std::wstring& target, int style = 1, const std::wstring& current = L"") {
    shortcuts.links[Link(name)] = {P(target), P(current), style};
  }
  std::wstring Link(const std::wstring& name) { return t.Write(P(L"links\\" + name), ""); }
  wizard::GenerationResult Run(const std::wstring& folder, const wizard::TakeOverPlan* plan = nullptr,
                               FileSystem* disk = nullptr) {
    return wizard::GenerateSequenceFile(folder, seq, {disk ? *disk : files, shortcuts, clock, messages}, plan);
  }
  wizard::GenerationResult Run() { return Run(links); }
  std::wstring Written() { return text::FromAnsi(TempFolder::Read(seq)); }
};

// The finishing steps against fakes; the Startup folder is t/"Startup".
struct FinishBench {
  TempFolder t;
  fake::Shell shell;
  fake::Shortcuts shortcuts;
  fake::Messages messages;
  fake::Processes processes;
  fake::Registry registry;
  fake::Clock clock;
  void Run(const wizard::FinishInputs& in) { wizard::RunFinishingSteps(in, Seams(registry)); }
  wizard::FinishSeams Seams(reg::Registry& r) {
    return {shell, RealFileSystem(), shortcuts, messages, processes, r, clock, [this](autostart::Entry& e) { Resolve(e); }};
  }
  // As autostart::Resolve resolves an entry named only, with no environment
  // and no search folders: the cases name their programs in full.
  void Resolve(autostart::Entry& e) {
    if (e.source == Source::UserFolder || e.source == Source::CommonFolder)
      e = autostart::FromShortcut(e.source, paths::Parent(e.command), e.name, shortcuts);
    else
      e = autostart::FromRunValue(e.source, e.name, e.command,
                                  {[](std::wstring_view) -> std::optional<std::wstring> { return std::nullopt; }, {},
                                   RealFileSystem()});
  }
};

std::wstring Record(const std::wstring& title, const std::wstring& file, const wchar_t* current, int size,
                    const std::wstring& option = L"") {
  return L"2001/05/12：" + title + L"\x01\x01" L"File=" + P(file) + L"\r\nCurrent=" + P(current) + L"\r\nOption=" +
         option + L"\r\nSize = " + std::to_wstring(size) + L"\r\nNoUse = 0\x01";
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
      {L"C:\\x.exe", L"", 2, L"x", 1},  // other styles: a normal window
      // A shell item with no file path (the reader gives no target): the
      // shortcut itself, named by its file, without folder or arguments.
      {L"", L"C:\\Tools", 7, L"a b", 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.target));
    Bench b;
    const std::wstring lnk = b.Link(L"a b.lnk");
    b.shortcuts.links[lnk] = {P(c.target), P(c.current), c.style, L"/x"};
    b.Add(L"a.lnk2", L"C:\\not-read.exe");  // found by "*.lnk" through short names on Windows
    auto r = b.Run();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(b.Written(), *c.target ? Record(c.title, c.target, c.current, c.size, L"/x")
                                     : Record(c.title, lnk, L"", c.size));
    EXPECT_EQ(r.takenLinks, std::vector<std::wstring>{L"a b.lnk"});  // switched off at Finish when chosen
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
  b.Link(L"broken.lnk");
  b.Add(L"own.lnk", L"C:\\TVL\\Tarvoline.exe");
  // An unreadable shortcut is left out and named once; the others are written.
  // (A file that cannot be written: the GenerationFaults tests below.)
  auto r = b.Run();
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.written, 1);
  EXPECT_EQ(r.skippedOwn, 1);
  EXPECT_EQ(r.takenLinks, std::vector<std::wstring>{L"a.lnk"});  // the broken one is never switched off
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
  b.Add(L"1.lnk", bad + L"\\a.exe");
  b.Add(L"2.lnk", bad + L"\\b.exe");
  b.Add(L"3.lnk", L"C:\\c.exe", 1, bad);
  b.Add(L"4.lnk", L"C:\\d.exe", 1, bad + L"\\d");
  b.Add(L"5.lnk", bad + L"\\e.exe");
  b.shortcuts.links[b.Link(L"6.lnk")] = {P(L"C:\\f.exe"), L"", 1, L"-x " + bad};  // arguments have no short form
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
  EXPECT_EQ(r.outsideCodePage, (std::vector<std::wstring>{L"2.lnk", L"4.lnk", L"5.lnk", L"6.lnk"}));
  EXPECT_EQ(b.messages.shown.size(), 1u);  // one warning: its wording is checked with the take-over
}

// Records are appended after the last byte, except for a program with its
// arguments that the file already starts (letter case of the path aside):
// a second run, or one program both in a Run key and in the folder, must not
// start it twice.
TEST(Generation, AppendsAfterTheLastByteOnlyWhatIsNotAlreadyAnItem) {
  const std::wstring rec = Record(L"a", L"C:\\a.exe", L"", 1, L"/x");
  std::wstring disabled = Record(L"old", L"C:\\a.exe", L"", 1, L"/x");
  disabled.replace(disabled.find(L"NoUse = 0"), 9, L"NoUse = 1");
  const struct {
    const char* what;
    std::wstring before;
    bool alsoInRunKey, written;
  } cases[] = {
      {"a new file", L"", false, true},
      {"after hand edits", L"hand edited\r\n", false, true},
      {"an item already", Record(L"old", L"C:\\A.EXE", L"", 1, L"/x"), false, false},
      {"other arguments", Record(L"old", L"C:\\a.exe", L"", 1, L"/y"), false, true},
      {"an item not started", disabled, false, true},
      {"in a Run key too", L"", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    const std::wstring lnk = b.Link(L"a.lnk");
    b.shortcuts.links[lnk] = {P(L"C:\\a.exe"), L"", 1, L"/x"};
    if (!c.before.empty()) b.t.Write(L"seq.pmw", text::ToAnsi(c.before));
    wizard::TakeOverPlan plan;
    if (c.alsoInRunKey) plan.entries.push_back({L"A", L"", P(L"C:\\A.exe"), L"/x", {}});
    wizard::GenerationResult r = b.Run(b.links, &plan);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(b.Written(), c.before + (c.written ? rec : L""));
    EXPECT_EQ(r.alreadyListed, (c.written ? 0 : 1) + (c.alsoInRunKey ? 1 : 0));
    EXPECT_EQ(r.takenLinks, std::vector<std::wstring>{L"a.lnk"});  // still switched off: the file starts it
    r = b.Run(b.links, &plan);  // a second run adds nothing
    EXPECT_EQ(b.Written(), c.before + (c.written ? rec : L""));
    EXPECT_EQ(r.written, 0);
  }
  // No shortcuts, a missing folder or an empty folder box: success, an empty file.
  for (const wchar_t* folder : {L"links", L"missing", L""}) {
    Bench b;
    EXPECT_TRUE(b.Run(*folder ? b.t / folder : L"").ok);
    EXPECT_TRUE(RealFileSystem().IsOrdinaryFile(b.seq));
    EXPECT_EQ(TempFolder::Read(b.seq), "");
  }
}

autostart::Entry E(Source source, const wchar_t* name, const wchar_t* program, const wchar_t* args = L"") {
  return {source, name, P(program), P(program), args, P(L"C:\\P"), 1, true, true, true, autostart::AddressOf(source, name)};
}

// Names and values anyone may write into a Run key or a shortcut: whatever
// they hold, the file keeps three records an item and reads back item for
// item, record ends and line ends turned to blanks (the reader trims values).
// Each text's own rule: the item text tests.
TEST(Generation, NoNameOrValueBreaksARecord) {
  struct Case {
    const wchar_t *name, *program, *current, *args;
    std::wstring read;  // Title|File|Current|Option
  } cases[] = {
      {L"Evil\x01Name", L"C:\\P\\a.exe", L"C:\\P", L"", L"Evil Name|C:\\P\\a.exe|C:\\P|"},
      {L"Args\x01", L"C:\\P\\c.exe", L"C:\\P", L"-a\r\nFile=evil.exe\rSize = 3\n",
       L"Args |C:\\P\\c.exe|C:\\P|-a  File=evil.exe Size = 3"},
  };
  fake::Registry registry;
  wizard::TakeOverPlan plan;
  std::vector<std::wstring> expected;
  Bench b;
  b.shortcuts.links[b.Link(L"s.lnk")] = {P(L"C:\\S\\s\x01.exe"), P(L"C:\\S\nNoUse = 1"), 1, L"\x01-x"};
  expected.push_back(L"s |" + P(L"C:\\S\\s .exe|C:\\S NoUse = 1|-x"));
  for (const Case& c : cases) {
    autostart::Entry e = E(Source::UserRun, c.name, c.program, c.args);
    e.workingFolder = P(c.current);
    plan.entries.push_back(wizard::PlanTakeOver({e}, {true, false, true}, registry, b.files).entries.at(0));
    expected.push_back(P(c.read));
  }
  ASSERT_TRUE(b.Run(b.links, &plan).ok);
  const std::string bytes = TempFolder::Read(b.seq);
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\x01'), 3 * static_cast<long>(expected.size()));
  std::vector<std::wstring> items;
  for (const auto& i : sequence::LoadSequence(b.seq, RealFileSystem(), UserNumberSeparators()).items)
    items.push_back(i.title + L"|" + i.file + L"|" + i.workingFolder + L"|" + i.arguments);
  EXPECT_EQ(items, expected);
}

TEST(TakeOver, TakesOnlyWhatStartedAndCanBeSwitchedOff) {
  std::vector<autostart::Entry> listed{
      E(Source::UserRun, L"Chat", L"C:\\P\\chat.exe", L"--minimized"),
      E(Source::UserRun, L"Off", L"C:\\P\\off.exe"),
      E(Source::UserRun, L"Own", L"C:\\T\\Tarvoline.exe"),
      E(Source::UserRun, L"Empty", L""),
      E(Source::UserRun, L"Dword", L""),
      E(Source::MachineRun64, L"Vendor", L"C:\\P\\vendor.exe"),
      E(Source::MachineRun32, L"Old", L"C:\\P\\old.exe", L"-q"),
      E(Source::CommonFolder, L"Shared.lnk", L"C:\\P\\shared.exe", L"/tray"),
      E(Source::UserFolder, L"Gone.lnk", L"C:\\P\\gone.exe"),
      E(Source::UserFolder, L"Kept.lnk", L"C:\\P\\kept.exe"),
  };
  listed[1].enabled = false;
  listed[4].isString = false;
  listed[4].command = L"x";
  listed[7].windowStyle = 7;
  listed[8].enabled = false;
  fake::Registry registry;
  registry.denied.push_back({reg::Root::LocalMachine, reg::View::Bits64, std::wstring(autostart::kKeyBase) + L"Run32", L""});

  struct Case {
    const char* what;
    wizard::TakeOverChoices choices;
    std::vector<std::wstring> titles, disabled, needAdmin;
  } cases[] = {
      {"everything", {true, true, true, true}, {L"Chat", L"Vendor", L"shared"}, {L"Gone.lnk"}, {L"Old"}},
      {"no switch-off: no rights needed", {true, false, true, true}, {L"Chat", L"Vendor", L"Old", L"shared"}, {L"Gone.lnk"}, {}},
      {"another folder: no all-users folder", {true, true, false, true}, {L"Chat", L"Vendor"}, {}, {L"Old"}},
      {"only the folder", {false, true, true, true}, {}, {L"Gone.lnk"}, {}},
      // Switched off for every user of the PC: only when chosen.
      {"not the machine's", {true, true, true, false}, {L"Chat"}, {L"Gone.lnk"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    wizard::TakeOverPlan plan = wizard::PlanTakeOver(listed, c.choices, registry, RealFileSystem());
    std::vector<std::wstring> titles;
    for (const auto& t : plan.entries) titles.push_back(t.title);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(plan.disabledLinks, c.disabled);
    EXPECT_EQ(plan.needAdmin, c.needAdmin);
    EXPECT_EQ(plan.skippedOwn, c.choices.runEntries ? 1 : 0);
    EXPECT_EQ(plan.notStrings, c.choices.runEntries ? std::vector<std::wstring>{L"Dword"} : std::vector<std::wstring>{});
  }
  const wizard::TakeOverPlan plan = wizard::PlanTakeOver(listed, {true, true, true, true}, registry, RealFileSystem());
  EXPECT_EQ(wizard::LeftOutMessage(plan), std::wstring(ui::Text(wizard::texts::kLeftOutHeader)) + L"\r\n\r\n" +
                                              ui::Text(wizard::texts::kLeftOutNotString) + L"\r\n　Dword\r\n\r\n" +
                                              ui::Text(wizard::texts::kLeftOutNeedsAdmin) + L"\r\n　Old");

  // The records: after the folder's own shortcuts, with what each passes to its program.
  Bench b;
  wizard::GenerationResult r = b.Run(L"", &plan);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.written, 3);
  EXPECT_EQ(b.Written(), Record(L"Chat", L"C:\\P\\chat.exe", L"C:\\P", 1, L"--minimized") +
                             Record(L"Vendor", L"C:\\P\\vendor.exe", L"C:\\P", 1) +
                             Record(L"shared", L"C:\\P\\shared.exe", L"C:\\P", 6, L"/tray"));
}


// The window's test walks the usual Finish; here: failing steps are passed
// over, without a known Startup folder no shortcut is made anywhere, and the
// closing message asks to clear the Startup folder only when nothing else
// will start Tarvoline there.
TEST(Finishing, FailingStepsArePassedOverAndTheMessageFitsTheShortcut) {
  using wizard::texts::kClosing, wizard::texts::kClosingNoShortcut;
  const std::pair clear{std::wstring(ui::Text(kClosing)), MessageIcon::Information},
      keep{std::wstring(ui::Text(kClosingNoShortcut)), MessageIcon::Warning};
  struct Case {
    bool startupKnown, create, saves, keepMessage;
  } cases[] = {
      {true, true, true, false}, {true, true, false, true}, {false, true, true, true},
      {true, false, false, false}, {false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    FinishBench b;
    b.shell.result = 2;
    b.shortcuts.saves = c.saves;
    const wizard::FinishInputs in{nullptr, b.t.path(), b.t.Write(L"s.pmw", "x"), c.create, true,
                                  c.startupKnown ? b.t / L"Startup" : L"", b.t / L"TVL", true};
    b.Run(in);
    EXPECT_EQ(b.shell.opened.back(), in.sequenceFile);
    std::wstring folder = in.userStartupFolder, own = in.ownFolder;  // JoinPath takes them by reference
    const std::wstring program = paths::Join(own, L"Tarvoline.exe");
    EXPECT_EQ(b.processes.started, std::vector{L"\"" + program + L"\" /check \"" + in.sequenceFile + L"\""});
    using Targets = std::vector<std::pair<std::wstring, std::wstring>>;
    const Targets made = {{paths::Join(folder, L"Tarvoline.lnk"), program + L"|\"" + in.sequenceFile + L"\""}};
    EXPECT_EQ(b.shortcuts.setTargets, c.startupKnown && c.create ? made : Targets{});
    EXPECT_EQ(b.messages.shown, (std::vector{c.keepMessage ? keep : clear}));
  }
  // The suite's editor beside the wizard opens the file in the shell's place.
  FinishBench b;
  const wizard::FinishInputs in{.scannedFolder = L"", .sequenceFile = b.t / L"s.pmw", .openSequenceFile = true,
                                .userStartupFolder = L"", .ownFolder = b.t.path()};
  const std::wstring editor = b.t.Write(L"TVLeditor.exe", "MZ");
  b.Run(in);
  EXPECT_EQ(b.processes.started, std::vector{L"\"" + editor + L"\" \"" + in.sequenceFile + L"\""});
  EXPECT_EQ(std::count(b.shell.opened.begin(), b.shell.opened.end(), in.sequenceFile), 0);
}

// A Run value under a folder the code page cannot hold (a user name in
// another script) and without a short form is left out, named and never
// switched off. (Which paths take their short form, folder and arguments
// too: the folder's own shortcuts above; both go through one item check.)
TEST(TakeOver, EntriesTheCodePageCannotHoldStayOn) {
  const std::wstring noShort = L"C:\\Users\\" + std::wstring(1, wchar_t(0xDC00)) + L"\\b.exe";  // fits no code page
  fake::Registry registry;
  Bench b;
  const wizard::TakeOverPlan plan = wizard::PlanTakeOver(
      {E(Source::UserRun, L"Kept", L"C:\\P\\a.exe"), E(Source::UserRun, L"NoShort", noShort.c_str())},
      {true, true, true, true}, registry, b.files);
  ASSERT_EQ(plan.entries.size(), 1u);  // only these are switched off at Finish
  EXPECT_EQ(plan.entries[0].title, L"Kept");
  EXPECT_EQ(plan.outsideCodePage, std::vector<std::wstring>{L"NoShort"});
  ASSERT_TRUE(b.Run(L"", &plan).ok);
  ASSERT_EQ(b.messages.shown.size(), 1u);
  EXPECT_EQ(b.messages.shown[0].first.find(ui::Text(wizard::texts::kPathsOutsideCodePage)), 0u);
  EXPECT_NE(b.messages.shown[0].first.find(L"\r\nNoShort"), std::wstring::npos);
}

// Switching off follows the main program into the Startup folder, or does
// not happen: "Tarvoline.lnk" must start the Tarvoline.exe beside the wizard,
// and that must read the file the items went to.
TEST(TakeOver, FinishSwitchesOffOnlyWhenTarvolineStartsTheWrittenFile) {
  using namespace wizard::texts;
  struct Case {
    const char* what;
    bool create, programThere;
    const wchar_t *sequence, *linkTarget, *linkArgs;  // sequence in t; target in t/TVL unless absolute; null: no link
    unsigned leftOn;                                  // 0: switched off
    const wchar_t* madeArgs = nullptr;                // what a made shortcut passes
  } cases[] = {
      {"no shortcut", false, true, L"TVL\\Startup.pmw", nullptr, L"", kClosingLeftOn},
      {"the default file, any letter case", false, true, L"TVL\\StartUp.pmw", L"TARVOLINE.EXE", L"", 0},
      {"a program of another folder", false, true, L"TVL\\Startup.pmw", L"\\D\\Tarvoline.exe", L"", kClosingLeftOnNoProgram},
      {"no Tarvoline.exe beside the wizard", true, false, L"TVL\\Startup.pmw", nullptr, L"", kClosingLeftOnNoProgram, L""},
      {"another file, not named by the shortcut", false, true, L"mine.pmw", L"Tarvoline.exe", L"", kClosingLeftOnOtherFile},
      {"the shortcut names another file", false, true, L"TVL\\Startup.pmw", L"Tarvoline.exe", L"\"C:\\x.pmw\"", kClosingLeftOnOtherFile},
      {"another file named by the shortcut", false, true, L"mine.pmw", L"Tarvoline.exe", L" \"<seq>\" ", 0},
      {"an old shortcut updated for the default", true, true, L"TVL\\startup.PMW", L"Tarvoline.exe", L"\"C:\\x.pmw\"", 0, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FinishBench b;
    b.shortcuts.saves = true;
    fs::create_directories(fs::path(b.t / L"TVL"));
    if (c.programThere) b.t.Write(P(L"TVL\\Tarvoline.exe"), "MZ");
    wizard::FinishInputs in{nullptr, b.t.path(), b.t / P(c.sequence), c.create, false, b.t / L"Startup", b.t / L"TVL",
                            false, true, {autostart::AddressOf(Source::UserRun, L"Chat"),
                                          autostart::AddressOf(Source::UserFolder, L"a.lnk")},
                            b.t / P(L"Tarvoline\\SwitchedOff.txt"), 42};  // its folder made when needed
    auto withSeq = [&](std::wstring s) {
      if (auto at = s.find(L"<seq>"); at != std::wstring::npos) s.replace(at, 5, in.sequenceFile);
      return s;
    };
    const std::wstring link = paths::Join(in.userStartupFolder, L"Tarvoline.lnk");
    if (c.linkTarget) {
      const std::wstring target = c.linkTarget[0] == L'\\' ? b.t.path() + P(c.linkTarget) : paths::Join(b.t / L"TVL", c.linkTarget);
      b.shortcuts.links[link] = {target, L"", 1, withSeq(c.linkArgs)};
    }
    b.Run(in);
    if (c.madeArgs) {
      EXPECT_EQ(b.shortcuts.setTargets.at(0).second, paths::Join(b.t / L"TVL", L"Tarvoline.exe") + L"|" + withSeq(c.madeArgs));
    }
    ASSERT_EQ(b.messages.shown.size(), 1u);
    EXPECT_EQ(b.messages.shown[0].second, MessageIcon::Information);  // either way a notice, not a failure
    if (!c.leftOn) {
      EXPECT_NE(b.messages.shown[0].first.find(L"登録 2 件を無効にしました"), std::wstring::npos);
      EXPECT_EQ(b.registry.Get(in.taken[1]), autostart::SwitchedOffBytes(std::nullopt, 42));
      EXPECT_TRUE(RealFileSystem().IsOrdinaryFile(in.recordFile));
    } else {
      EXPECT_NE(b.messages.shown[0].first.find(ui::Text(c.leftOn)), std::wstring::npos);
      EXPECT_EQ(b.registry.writes, 0);
      EXPECT_FALSE(RealFileSystem().IsOrdinaryFile(in.recordFile));
    }
  }
}

// "Tarvoline.lnk" switched off in the start-up manager starts nothing: a
// shortcut the wizard makes or relies on is switched back on, or nothing is
// switched off.
TEST(TakeOver, TarvolinesOwnShortcutIsSwitchedBackOnOrNothingIsSwitchedOff) {
  const reg::Address own = autostart::AddressOf(Source::UserFolder, L"Tarvoline.lnk");
  const std::string off("\x03\x05\0\0\1\2\3\4\5\6\7\x08", 12), on("\x02\x05\0\0\0\0\0\0\0\0\0\0", 12);
  struct Case {
    const char* what;
    bool create, switchOff, denied;
    std::optional<std::string> before, after;
    bool switched;
  } cases[] = {
      {"made and off", true, true, false, off, on, true},
      {"kept and off", false, true, false, off, on, true},
      {"made, no switch-off", true, false, false, off, on, false},
      {"made, off and no rights", true, true, true, off, off, false},
      {"on as it was", true, true, false, std::nullopt, std::nullopt, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FinishBench b;
    b.shortcuts.saves = true;
    const std::wstring program = b.t.Write(L"Tarvoline.exe", "MZ");
    b.shortcuts.links[paths::Join(b.t / L"Startup", L"Tarvoline.lnk")] = {program, L"", 1};
    if (c.before) b.registry.Set(own, *c.before);
    if (c.denied) b.registry.denied.push_back(own);
    const wizard::FinishInputs in{nullptr, b.t.path(), b.t / L"Startup.pmw", c.create, false, b.t / L"Startup",
                                  b.t.path(), false, c.switchOff, {autostart::AddressOf(Source::UserRun, L"Chat")},
                                  b.t / L"SwitchedOff.txt", 42};
    b.Run(in);
    EXPECT_EQ(b.registry.Get(own), c.after);
    EXPECT_EQ(b.registry.Get(in.taken[0]).has_value(), c.switched);
    ASSERT_EQ(b.messages.shown.size(), 1u);
    const std::wstring& m = b.messages.shown[0].first;
    EXPECT_EQ(m.find(ui::Text(wizard::texts::kOwnSwitchedOn)) != std::wstring::npos, c.after == on);
    EXPECT_EQ(m.find(ui::Text(wizard::texts::kOwnStaysOff)) != std::wstring::npos, c.denied);
    EXPECT_EQ(b.messages.shown[0].second, c.denied ? MessageIcon::Warning : MessageIcon::Information);
  }
}

// Another writer holding the record (a guard run at log-on, say): nothing is
// switched off, and the message says why rather than that the record is unreadable.
TEST(TakeOver, ARecordInUseLeavesTheOriginalsOnAndSaysSo) {
  FinishBench b;
  const std::wstring program = b.t.Write(L"Tarvoline.exe", "MZ");
  b.shortcuts.links[paths::Join(b.t / L"Startup", L"Tarvoline.lnk")] = {program, L"", 1};
  wizard::FinishInputs in{nullptr, b.t.path(), b.t / L"Startup.pmw", false, false, b.t / L"Startup", b.t.path(),
                          false, true, {autostart::AddressOf(Source::UserRun, L"A")}, b.t / L"SwitchedOff.txt", 42};
  const std::unique_ptr<FileLock> held = RealFileSystem().Lock(autostart::LockFile(in.recordFile), 0);
  ASSERT_TRUE(held);
  b.Run(in);
  EXPECT_FALSE(b.registry.Get(in.taken[0]).has_value());
  ASSERT_EQ(b.messages.shown.size(), 1u);
  EXPECT_NE(b.messages.shown[0].first.find(ui::Text(wizard::texts::kClosingRecordBusy)), std::wstring::npos);
  EXPECT_EQ(b.messages.shown[0].second, MessageIcon::Warning);
}

// Originals switched off part-way that cannot all be put back stay off: a
// failure, told as a warning also when the message goes on.
TEST(TakeOver, OriginalsLeftOffAfterAFailureAreToldAsAWarning) {
  struct FailsAfterOneWrite : fake::Registry {
    reg::Status WriteBinary(const reg::Address& a, const std::string& bytes) override {
      return writes >= 1 ? reg::Status::Failed : fake::Registry::WriteBinary(a, bytes);
    }
  } registry;
  FinishBench b;
  const std::wstring program = b.t.Write(L"Tarvoline.exe", "MZ");
  b.shortcuts.links[paths::Join(b.t / L"Startup", L"Tarvoline.lnk")] = {program, L"", 1};
  wizard::FinishInputs in{nullptr, b.t.path(), b.t / L"Startup.pmw", false, false, b.t / L"Startup", b.t.path(),
                          false, true, {autostart::AddressOf(Source::UserRun, L"A"), autostart::AddressOf(Source::UserRun, L"B")},
                          b.t / L"SwitchedOff.txt", 42};
  in.alreadyListed = 1;
  for (const reg::Address& at : in.taken) registry.Set(at, std::string("\x02\0\0\0\0\0\0\0\0\0\0\0", 12));
  wizard::RunFinishingSteps(in, b.Seams(registry));
  ASSERT_EQ(b.messages.shown.size(), 1u);
  EXPECT_TRUE(b.messages.shown[0].first.starts_with(ui::Text(wizard::texts::kClosingPutBackFailed) + L"\r\n"));
  EXPECT_EQ(b.messages.shown[0].second, MessageIcon::Warning);
}

// A second take-over into another file re-points "Tarvoline.lnk": the
// entries an earlier run switched off must be started from the new file too,
// or be switched back on and named; never left to start nowhere.
TEST(TakeOver, ASecondFinishIntoAnotherFileStrandsNoEarlierEntry) {
  using autostart::Place;
  enum Fate { Added, AlreadyItem, SwitchedOn, OnAgain };
  for (bool repointed : {true, false}) {
    SCOPED_TRACE(repointed);
    FinishBench b;
    b.shortcuts.saves = true;
    const std::wstring T = b.t.path(), startup = b.t / L"Startup", common = b.t / L"Common";
    const std::wstring program = b.t.Write(L"Tarvoline.exe", "MZ"), first = b.t / L"first.pmw";
    b.shortcuts.links[paths::Join(startup, L"Tarvoline.lnk")] = {program, L"", 1, L"\"" + first + L"\""};
    const struct {
      Place place;
      std::wstring name, args;  // args: after the program's quoted path in the command line
      Fate fate;
      bool recorded = true;  // false: an older record without the command line: the Run value's
    } earlier[] = {
        {Place::UserRun, L"Chat", L" --min", Added},
        {Place::UserRun, L"Old", L" /q", Added, false},
        {Place::UserFolder, L"Tray.lnk", L"", Added},
        {Place::MachineRun64, L"Listed", L"", AlreadyItem},
        {Place::CommonFolder, L"Gone.lnk", L"", SwitchedOn},  // the shortcut is gone
        {Place::UserRun, L"Odd", L" -f " + std::wstring(1, wchar_t(0xDC00)), SwitchedOn},  // fits no code page
        {Place::UserRun, L"Blank", L"", SwitchedOn},  // a blank command line
        {Place::UserRun, L"Back", L" -b", OnAgain},   // switched on by the user since
    };
    std::vector<autostart::Change> record;
    std::vector<std::wstring> programs;
    for (const auto& e : earlier) {
      const reg::Address at = autostart::AddressOf(e.place, e.name);
      programs.push_back(b.t.Write(e.name.substr(0, e.name.find(L".lnk")) + L".exe", "MZ"));
      const std::wstring command = e.name == L"Blank" ? L"  " : L"\"" + programs.back() + L"\"" + e.args;
      std::optional<std::wstring> recorded;
      if (autostart::IsShortcutApproval(at)) {
        if (e.fate != SwitchedOn) b.shortcuts.links[paths::Join(startup, e.name)] = {programs.back(), T, 7, L"/bg"};
      } else if (e.recorded) {
        recorded = command;
      } else {
        b.registry.SetString(*autostart::RunValueOf(at), command);
      }
      record.push_back({at, std::nullopt, autostart::SwitchedOffBytes(std::nullopt, 7), recorded});
      b.registry.Set(at, e.fate == OnAgain ? std::string(12, '\0') : record.back().written);
    }
    const std::wstring recordFile = b.t.Write(L"SwitchedOff.txt", autostart::FormatRecord(record));
    const std::string before = text::ToAnsi(Record(L"L", programs[3], T.c_str(), 1));
    const std::wstring second = b.t.Write(L"second.pmw", before);
    wizard::FinishInputs in{nullptr, T, second, repointed, false, startup, T, false, true,
                            {autostart::AddressOf(Place::UserRun, L"New")}, recordFile, 42};
    in.commonStartupFolder = common;
    b.Run(in);

    const std::wstring written = text::FromAnsi(TempFolder::Read(second));
    std::vector<std::wstring> named;
    std::vector<autostart::Change> left = autostart::ParseRecord(TempFolder::Read(recordFile)).value();
    for (size_t i = 0; i < std::size(earlier); ++i) {
      const auto& e = earlier[i];
      SCOPED_TRACE(text::ToUtf8(e.name));
      const bool added = repointed && e.fate == Added, on = repointed && e.fate == SwitchedOn;
      EXPECT_EQ(written.find(L"File=" + programs[i] + L"\r\n") != std::wstring::npos, added || e.fate == AlreadyItem);
      if (on) named.push_back(e.name);
      EXPECT_EQ(b.registry.Get(record[i].at) == std::nullopt, on);  // put back: there was no value
      EXPECT_EQ(std::count(left.begin(), left.end(), record[i]), on ? 0 : 1);
    }
    if (repointed) {
      EXPECT_NE(written.find(Record(L"Tray", programs[2], T.c_str(), 6, L"/bg")), std::wstring::npos);
      EXPECT_EQ(std::count(written.begin(), written.end(), L'\x01'), 3 * 4);  // Listed once: already an item
    } else {
      EXPECT_EQ(TempFolder::Read(second), before);  // Tarvoline still reads the first file, which starts them
    }
    ASSERT_EQ(b.messages.shown.size(), 1u);
    const std::wstring& m = b.messages.shown[0].first;
    EXPECT_EQ(m.find(ui::Format(ui::Text(wizard::texts::kClosingEarlierAdded), {L"3"})) != std::wstring::npos, repointed);
    EXPECT_EQ(m.find(ui::HeadingWithNames(ui::Text(wizard::texts::kClosingEarlierSwitchedOn), named)) != std::wstring::npos,
              repointed);
  }
}

#ifndef _WIN32
// An append that cannot be finished must leave the user's file exactly as it
// was, and say so: the records go in one write, here on a disk that fills up
// in the middle of them. (A read-only file or share refuses the write whole:
// the file I/O tests.)
TEST(GenerationFaults, ADiskThatFillsUpPartWayKeepsTheFileWhole) {
  const std::string before = "2001/05/12\x81\x46old\x01\x01" "File=C:\\old.exe\x01";
  Bench b;
  b.t.Write(L"seq.pmw", before);
  for (int i = 0; i < 50; ++i) b.Add(L"x" + std::to_wstring(i) + L".lnk", L"C:\\x" + std::to_wstring(i) + L".exe");
  b.Link(L"broken.lnk");  // unreadable: its warning must not follow a failure
  wizard::GenerationResult r;
  {
    tvltest::FileSizeLimit full(before.size() + 200);  // room for about one record
    r = b.Run(b.links, nullptr, &RealFileSystem());
  }
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.written, 0);
  ASSERT_EQ(b.messages.shown.size(), 1u);
  EXPECT_EQ(b.messages.shown[0], std::make_pair(ui::Text(wizard::texts::kNotWritable), MessageIcon::Critical));
  EXPECT_EQ(TempFolder::Read(b.seq), before);
}
#endif

}  // namespace
