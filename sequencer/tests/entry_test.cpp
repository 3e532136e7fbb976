#include "sequencer/entry.h"

#include <gtest/gtest.h>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/temp_folder.h"

namespace {

std::wstring Record(const std::wstring& title, const std::wstring& body) { return title + L"\x01\x01" + body + L"\x01"; }

const std::wstring kDefaultSettings =
    L"CPULimit = 30\r\nMaxIdleTime = 10000\r\nIntervalTime = 500\r\nTimerInterval = 200\r\n";

struct Ui : sequencer::EntryUi {
  std::vector<sequencer::Run> shown;
  std::vector<bool> guardSwitchOff;
  bool ShowMainWindow(sequencer::Run run) override { return shown.push_back(std::move(run)), true; }
  std::vector<sequence::guard::Finding> RunGuard(const std::vector<sequence::SequenceItem>&, bool switchOff) override {
    return guardSwitchOff.push_back(switchOff), std::vector<sequence::guard::Finding>{};
  }
};

// Whole command lines, as the system gives them, through the entry.
TEST(Main, FindsTheSequenceAndShowsTheWindowOnlyWithItems) {
  struct Case {
    const char* name;
    std::wstring commandLine;  // "<dir>" stands for the test folder
    const wchar_t* file;       // the one sequence file there
    bool window;
    std::wstring message;  // "" when none; "<dir>" as above
  } cases[] = {
      {"quoted path with blanks", L"\"<dir>/Tarvoline.exe\"   \"<dir>/My Files x.pmw\"  ", L"My Files x.pmw", true, L""},
      {"no argument, no file: no message", L"<dir>/Tarvoline.exe", L"other.pmw", false, L""},
      // The blanks after the program name are no argument: no message at log-on.
      {"the program name and blanks", L"\"<dir>/Tarvoline.exe\"   ", L"Startup.pmw", true, L""},
      {"a quoted argument of blanks", L"Tarvoline.exe \"   \"", L"Startup.pmw", false, L"シーケンスファイル   が見付かりません。"},
      {"named file missing", L"Tarvoline.exe <dir>/gone.pmw", L"Startup.pmw", false, L"シーケンスファイル<dir>/gone.pmwが見付かりません。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    auto expand = [&](std::wstring s) {
      for (size_t p; (p = s.find(L"<dir>")) != std::wstring::npos;) s.replace(p, 5, dir.path());
      return s;
    };
    dir.Write(c.file, text::ToAnsi(Record(L"2001/05/12：a", L"File=a.exe")));
    Ui ui;
    fake::Messages messages;
    EXPECT_EQ(sequencer::Main(sequencer::ArgumentText(expand(c.commandLine)), dir / L"Tarvoline.exe", ui, messages,
                              RealFileSystem(), UserNumberSeparators()),
              c.window ? sequencer::MainOutcome::WindowShown : sequencer::MainOutcome::NoItems);
    EXPECT_EQ(ui.shown.size(), c.window ? 1u : 0u);
    // The guard runs at every start; with nothing to start instead, it switches nothing off.
    EXPECT_EQ(ui.guardSwitchOff, std::vector<bool>{c.window});
    using Shown = decltype(messages.shown);
    EXPECT_EQ(messages.shown, (c.message.empty() ? Shown{} : Shown{{expand(c.message), ui::MessageIcon::Critical}}));
    // The settings file is written whether or not there is anything to start.
    EXPECT_EQ(TempFolder::Read(dir / L"Tarvoline.ini"), text::ToAnsi(kDefaultSettings));
  }
}

// The entry when the disk fails it: the settings cannot be written (a full
// disk, a read-only share) or not be read after all. The items must still
// run with the best settings there are, and the user's file stay as it was.
TEST(StartupFaults, SettingsTheDiskWillNotTakeAreUsedAndLeftAsTheyWere) {
  struct Case {
    const char* name;
    std::optional<std::string> settings;  // nullopt: no file
    bool failWrite, failRead;
    double cpuLimit, timer;
    bool locked = false;  // there, but no open succeeds; a replacement would
  } cases[] = {
      {"write fails, keys missing", "; mine\r\nCPULimit = 12\r\n", true, false, 12, 200},
      {"write fails, no file", std::nullopt, true, false, 30, 200},
      {"read fails after the open", "CPULimit = 45\r\n", false, true, 30, 200},
      {"cannot be opened", "CPULimit = 45\r\n", false, false, 30, 200, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FileSystem fs;
    const std::wstring program = paths::Join(L"TVL", L"Tarvoline.exe"), ini = paths::Join(L"TVL", L"Tarvoline.ini");
    fs.files[paths::Join(L"TVL", L"Startup.pmw")] = "a\x01\x01" "File=a.exe\x01" "b\x01\x01" "File=b.exe\x01";
    if (c.settings) fs.files[ini] = *c.settings;
    fs.failReplace = c.failWrite;
    if (c.failRead) fs.unreadable.insert(ini);
    if (c.locked) fs.locked.insert(ini);
    const auto before = fs.files;

    Ui ui;
    fake::Messages messages;
    EXPECT_EQ(sequencer::Main(L"", program, ui, messages, fs, UserNumberSeparators()), sequencer::MainOutcome::WindowShown);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ui.shown[0].sequence.items.size(), 2u);
    EXPECT_EQ(ui.shown[0].settings.cpuLimit, c.cpuLimit);
    EXPECT_EQ(sequence::TimerIntervalMs(ui.shown[0].settings.timerInterval), c.timer);
    EXPECT_EQ(fs.files, before);
  }
}

// A sequence file another program holds locked is found by a folder search
// but cannot be read: it reads as a missing one, the message only when named.
TEST(StartupFaults, ALockedSequenceFileEndsTheProgramQuietlyOrWithTheMessage) {
  for (bool named : {true, false}) {
    SCOPED_TRACE(named);
    fake::FileSystem fs;
    const std::wstring seq = paths::Join(L"TVL", L"Startup.pmw");
    fs.files[seq] = "a\x01\x01" "File=a.exe\x01";
    fs.locked.insert(seq);
    Ui ui;
    fake::Messages messages;
    EXPECT_EQ(sequencer::Main(named ? L"\"" + seq + L"\"" : L"", paths::Join(L"TVL", L"Tarvoline.exe"), ui, messages, fs,
                              UserNumberSeparators()),
              sequencer::MainOutcome::NoItems);
    EXPECT_TRUE(ui.shown.empty());
    using Shown = decltype(messages.shown);
    EXPECT_EQ(messages.shown, (named ? Shown{{L"シーケンスファイル" + seq + L"が見付かりません。", ui::MessageIcon::Critical}}
                                     : Shown{}));
  }
}

}  // namespace
