#include "sequence/launch_system.h"

#include <gtest/gtest.h>

#include "common/tests/support/fake_processes.h"

namespace {

// The first bytes of an executable: "MZ", the header's offset at 0x3C, then
// "PE\0\0", the file header (its optional-header size at +16) and the
// optional header with magic and subsystem.
std::string Head(std::uint32_t peAt, std::uint16_t magic, std::uint16_t subsystem, std::uint16_t optionalSize = 240) {
  std::string b(peAt + 24 + 240, '\0');
  b[0] = 'M', b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[0x3C + i] = static_cast<char>(peAt >> (8 * i));
  b.replace(peAt, 4, std::string("PE\0\0", 4));
  b[peAt + 20] = static_cast<char>(optionalSize), b[peAt + 21] = static_cast<char>(optionalSize >> 8);
  b[peAt + 24] = static_cast<char>(magic), b[peAt + 25] = static_cast<char>(magic >> 8);
  b[peAt + 24 + 68] = static_cast<char>(subsystem);
  return b;
}

TEST(PeSubsystem, ReadsTheFieldOfCompleteHeadersOnly) {
  struct Case { const char* name; std::string head; std::optional<std::uint16_t> subsystem; } cases[] = {
      {"32-bit GUI", Head(0x80, 0x10B, 2), 2},
      {"64-bit console", Head(0x100, 0x20B, 3), 3},
      {"cut short inside the optional header", Head(0x80, 0x10B, 2).substr(0, 0x80 + 24 + 60), std::nullopt},
      {"header offset beyond the bytes", Head(0x80, 0x10B, 2).replace(0x3C, 4, std::string("\xFF\xFF\xFF\x7F", 4)),
       std::nullopt},
      {"optional header too short for the field", Head(0x80, 0x10B, 2, 60), std::nullopt},
      {"not MZ", "#!/bin/sh\n" + std::string(600, ' '), std::nullopt},
      {"unknown magic", Head(0x80, 0x107, 2), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(pe::Subsystem(c.head), c.subsystem) << c.name;
}

TEST(RunningArguments, TakeWhatFollowsTheProgramAsTheSystemSplitIt) {
  struct Case { const wchar_t *line, *image, *arguments; } cases[] = {
      {L"\"C:\\Program Files\\App\\app.exe\" --tray", L"app.exe", L"--tray"},
      {L"  \"C:\\a b\\app.exe\"\t-x \"y z\"  ", L"app.exe", L"-x \"y z\""},
      {L"\"C:\\app.exe", L"app.exe", L""},  // no closing quote: all of it names the program
      // Unquoted with blanks: up to the word that names the image, ".exe" left out or not.
      {L"C:\\Program Files\\App\\APP.EXE /min", L"app.exe", L"/min"},
      {L"C:\\Program Files\\App\\app -a b\\app.exe", L"app.exe", L"-a b\\app.exe"},
      {L"app", L"app.exe", L""},
      // The image named nowhere: the first word, as a program's own split.
      {L"C:\\Tools\\run.exe  -a ", L"other.exe", L"-a"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(running::ArgumentsOf(c.line, c.image), c.arguments) << text::ToUtf8(c.line);
}

// The item C:\Program Files\App\app.exe (or a form of it) against the
// processes running; every case takes one snapshot.
TEST(RunningProcess, SameUserSessionProgramAndArgumentsAndNotThisRuns) {
  using P = fake::ProcessTable::Process;
  const std::wstring app = L"C:\\Program Files\\App\\app.exe", tray = L"\"" + app + L"\" --tray";
  const P shell{5, 1, L"C:\\Windows\\Explorer.EXE", L"C:\\Windows\\Explorer.EXE", 1};
  const auto App = [&](std::uint32_t id, std::wstring line = L"", std::uint32_t parent = 5, std::uint64_t created = 10) {
    return P{id, parent, app, line.empty() ? tray : line, created};
  };
  P otherSession = App(20), otherUser = App(20), closed = App(20), unreadable = App(20);
  otherSession.sameSession = false, otherUser.sameUser = false, closed.opens = false, unreadable.commandLine.reset();
  struct Case {
    const char* name;
    std::vector<P> processes;
    std::vector<running::Started> started;
    std::wstring file, folder, option;
    std::uint32_t found;
    int inspected;
  } cases[] = {
      {"same program and arguments", {shell, App(20)}, {}, app, L"", L" --tray ", 20, 1},
      {"a folder item of the shell's own program", {shell}, {}, L"C:\\Windows\\explorer.exe", L"", L"D:\\Work", 0, 1},
      {"arguments compared exactly", {App(20)}, {}, app, L"", L"--Tray", 0, 1},
      {"the second of two copies", {App(20, L"\"" + app + L"\" --type=gpu"), App(21)}, {}, app, L"", L"--tray", 21, 2},
      {"no process of that name: nothing opened", {shell}, {}, app, L"", L"--tray", 0, 0},
      {"short name", {App(20)}, {}, L"C:\\PROGRA~1\\App\\APP~1.EXE", L"", L"--tray", 20, 1},
      {"same name, another program", {P{20, 5, L"C:\\Old\\app.exe", L"app.exe --tray", 10}}, {}, app, L"", L"--tray", 0, 1},
      {"relative File from its own Current", {App(20)}, {}, L"app.exe", L"C:\\Program Files\\App", L"--tray", 20, 1},
      {"relative File, another Current", {App(20)}, {}, L"app.exe", L"C:\\Old", L"--tray", 0, 1},
      {"another session", {otherSession}, {}, app, L"", L"--tray", 0, 1},
      {"another user", {otherUser}, {}, app, L"", L"--tray", 0, 1},
      {"cannot be opened", {closed}, {}, app, L"", L"--tray", 0, 1},
      {"command line unreadable", {unreadable}, {}, app, L"", L"--tray", 0, 1},
      {"started by this run", {App(20)}, {{20, 10}}, app, L"", L"--tray", 0, 1},
      {"started by this run, creation time unknown", {App(20)}, {{20, 0}}, app, L"", L"--tray", 0, 1},
      {"its id reused since", {App(20)}, {{20, 3}}, app, L"", L"--tray", 20, 1},
      {"started by a launcher this run started",
       {P{30, 5, L"C:\\Tools\\go.exe", L"go", 8}, App(20, L"", 30)}, {{30, 8}}, app, L"", L"--tray", 0, 1},
      {"by the child of an ended launcher of this run",
       {P{31, 30, L"C:\\Tools\\go.exe", L"go", 9}, App(20, L"", 31)}, {{30, 8}}, app, L"", L"--tray", 0, 1},
      {"its parent ended, its id since given to a process of this run",
       {App(20, L"", 30)}, {{30, 12}}, app, L"", L"--tray", 20, 1},
      {"a parent's id reused by a newer process on the way",
       {P{31, 30, L"C:\\Tools\\go.exe", L"go", 15}, App(20, L"", 31)}, {{30, 2}}, app, L"", L"--tray", 20, 1},
  };
  for (const Case& c : cases) {
    fake::ProcessTable system;
    system.processes = c.processes;
    for (const wchar_t* form : {L"C:\\Program Files\\App\\app.exe", L"C:\\PROGRA~1\\App\\APP~1.EXE"})
      system.finalPaths[text::ToLower(form)] = app;
    system.finalPaths[L"c:\\old\\app.exe"] = L"C:\\Old\\app.exe";
    system.finalPaths[L"c:\\windows\\explorer.exe"] = L"C:\\Windows\\explorer.exe";
    system.finalPaths[L"c:\\tools\\go.exe"] = L"C:\\Tools\\go.exe";
    running::ProcessList list;
    EXPECT_EQ(running::FindRunning(system, list, c.file, c.folder, c.option, c.started), c.found) << c.name;
    EXPECT_EQ(system.snapshots, 1) << c.name;
    EXPECT_EQ(system.inspected, c.inspected) << c.name << ": only processes of the program's name are opened";
  }
  fake::ProcessTable none;
  none.canSnapshot = false;
  running::ProcessList list;
  EXPECT_EQ(running::FindRunning(none, list, app, L"", L"", {}), 0u);
}

// The processes are opened after the list is taken: one that ended in
// between may have given its id to a newer process, whose parents the list
// does not know. Here the newer one is the child of a launcher this run
// started; the list still names the ended one's parent.
TEST(RunningProcess, AProcessOpenedMustStillBeTheOneListed) {
  using P = fake::ProcessTable::Process;
  const std::wstring app = L"C:\\App\\app.exe", line = L"\"" + app + L"\" --tray";
  for (const bool reused : {false, true}) {
    fake::ProcessTable system;
    system.finalPaths = {{L"c:\\app\\app.exe", app}, {L"c:\\tools\\go.exe", L"C:\\Tools\\go.exe"}};
    system.processes = {P{30, 5, L"C:\\Tools\\go.exe", L"go", 12}, P{20, 5, app, line, 10}};
    if (reused)
      system.afterSnapshot = [&] {
        system.End(20);
        system.processes.push_back(P{20, 30, app, line, 14});
      };
    running::ProcessList list;
    EXPECT_EQ(running::FindRunning(system, list, app, L"", L"--tray", {{30, 12}}), reused ? 0u : 20u) << reused;
  }
}

}  // namespace
