#include "common/ui_text.h"
#include "takeover.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/text.h"
#include "common/tool.h"
#include "fakes.h"
#include "generation.h"
#include "temp_folder.h"
#include "texts.h"

namespace {

using startup::Source;

// Paths in the cases are written the Windows way; the native build uses "/".
std::wstring P(std::wstring s) {
#ifndef _WIN32
  std::replace(s.begin(), s.end(), L'\\', L'/');
#endif
  return s;
}

startup::Entry E(Source source, const wchar_t* name, const wchar_t* program, const wchar_t* args = L"") {
  startup::Entry e;
  e.source = source;
  e.name = name;
  e.command = P(program);
  e.program = P(program);
  e.arguments = args;
  e.workingFolder = P(L"C:\\P");
  e.approval = approval::AddressOf(source, name);
  return e;
}

TEST(TakeOver, TakesOnlyWhatStartedAndCanBeSwitchedOff) {
  std::vector<startup::Entry> listed{
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
  registry.denied.push_back({reg::Root::LocalMachine, reg::View::Bits64, std::wstring(approval::kKeyBase) + L"Run32", L""});

  struct Case {
    const char* what;
    wizard::TakeOverChoices choices;
    std::vector<std::wstring> titles, disabled, needAdmin;
  } cases[] = {
      {"everything", {true, true, true}, {L"Chat", L"Vendor", L"shared"}, {L"Gone.lnk"}, {L"Old"}},
      {"no switch-off: no rights needed", {true, false, true}, {L"Chat", L"Vendor", L"Old", L"shared"}, {L"Gone.lnk"}, {}},
      {"another folder: no all-users folder", {true, true, false}, {L"Chat", L"Vendor"}, {}, {L"Old"}},
      {"only the folder", {false, true, true}, {}, {L"Gone.lnk"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    wizard::TakeOverPlan plan = wizard::PlanTakeOver(listed, c.choices, registry);
    std::vector<std::wstring> titles;
    for (const auto& t : plan.entries) titles.push_back(t.title);
    EXPECT_EQ(titles, c.titles);
    EXPECT_EQ(plan.disabledLinks, c.disabled);
    EXPECT_EQ(plan.needAdmin, c.needAdmin);
    EXPECT_EQ(plan.skippedOwn, c.choices.runEntries ? 1 : 0);
    EXPECT_EQ(plan.notStrings, c.choices.runEntries ? std::vector<std::wstring>{L"Dword"} : std::vector<std::wstring>{});
  }
  wizard::TakeOverPlan plan = wizard::PlanTakeOver(listed, {true, true, true}, registry);
  EXPECT_EQ(wizard::LeftOutMessage(plan), std::wstring(ui::Text(wizard::texts::kLeftOutHeader)) + L"\r\n\r\n" +
                                              ui::Text(wizard::texts::kLeftOutNotString) + L"\r\n　Dword\r\n\r\n" +
                                              ui::Text(wizard::texts::kLeftOutNeedsAdmin) + L"\r\n　Old");

  // The records: after the folder's own shortcuts, with what each passes to its program.
  TempFolder t;
  fake::Shortcuts links;
  fake::Clock clock;
  fake::Messages messages;
  wizard::GenerationResult r = wizard::GenerateSequenceFile(L"", t / L"seq.pmw", {RealFileSystem(), links, clock, messages}, &plan);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.written, 3);
  EXPECT_EQ(text::FromAnsi(TempFolder::Read(t / L"seq.pmw")),
            P(L"2001/05/12：Chat\x01\x01" L"File=C:\\P\\chat.exe\r\nCurrent=C:\\P\r\nOption=--minimized\r\nSize = 1\r\nNoUse = 0\x01"
            L"2001/05/12：Vendor\x01\x01" L"File=C:\\P\\vendor.exe\r\nCurrent=C:\\P\r\nOption=\r\nSize = 1\r\nNoUse = 0\x01"
            L"2001/05/12：shared\x01\x01" L"File=C:\\P\\shared.exe\r\nCurrent=C:\\P\r\nOption=/tray\r\nSize = 6\r\nNoUse = 0\x01"));
}

// Switching off follows the main program into the Startup folder, or does not happen.
TEST(TakeOver, FinishSwitchesOffOnlyWithTarvolineInTheStartupFolder) {
  for (bool ownLink : {false, true}) {
    SCOPED_TRACE(ownLink);
    TempFolder t;
    fake::Shell shell;
    fake::Shortcuts shortcuts;
    fake::Messages messages;
    fake::Registry registry;
    fake::Processes processes;
    wizard::FinishInputs in{nullptr, t.path(), t / L"s.pmw", false, false, t / L"Startup", t / L"TVL"};
    in.switchOff = true;
    in.taken = {approval::AddressOf(Source::UserRun, L"Chat"), approval::AddressOf(Source::UserFolder, L"a.lnk")};
    in.recordFile = t / L"SwitchedOff.txt";
    in.fileTime = 42;
    std::wstring startup = in.userStartupFolder;
    if (ownLink) shortcuts.links[tool::JoinPath(startup, L"Tarvoline.lnk")] = {P(L"D:\\TVL\\TARVOLINE.EXE"), L"", 1};
    wizard::RunFinishingSteps(in, {shell, RealFileSystem(), shortcuts, messages, processes, registry});
    ASSERT_EQ(messages.shown.size(), 1u);
    if (ownLink) {
      EXPECT_NE(messages.shown[0].first.find(L"登録 2 件を無効にしました"), std::wstring::npos);
      EXPECT_EQ(registry.Get(in.taken[1]), approval::SwitchedOffBytes(std::nullopt, 42));
    } else {
      EXPECT_EQ(messages.shown[0].first, ui::Text(wizard::texts::kClosingLeftOn));
      EXPECT_EQ(registry.writes, 0);
      EXPECT_FALSE(RealFileSystem().IsOrdinaryFile(in.recordFile));
    }
  }
}

}  // namespace
