// The entry when the disk fails it: the settings cannot be written (a full
// disk, a read-only share) or not be read after all. The items must still
// run with the best settings there are, and the user's file stay as it was.
#include <gtest/gtest.h>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/tool.h"
#include "fakes.h"
#include "sequencer/startup.h"

namespace {

struct Ui : sequencer::EntryUi {
  std::vector<sequencer::Run> shown;
  bool ShowMainWindow(sequencer::Run run) override { return shown.push_back(std::move(run)), true; }
};

TEST(StartupFaults, SettingsTheDiskWillNotTakeAreUsedAndLeftAsTheyWere) {
  struct Case {
    const char* name;
    std::optional<std::string> settings;  // nullopt: no file
    bool failWrite, failRead;
    double cpuLimit, timer;
    bool locked = false;  // there, but no open succeeds; a replacement would
  } cases[] = {
      {"write fails, all keys", "CPULimit = 45\r\nMaxIdleTime = 1\r\nIntervalTime = 2\r\nTimerInterval = 100\r\n",
       true, false, 45, 100},
      {"write fails, keys missing", "; mine\r\nCPULimit = 12\r\n", true, false, 12, 200},
      {"write fails, no file", std::nullopt, true, false, 30, 200},
      {"read fails after the open", "CPULimit = 45\r\n", false, true, 30, 200},
      {"cannot be opened", "CPULimit = 45\r\n", false, false, 30, 200, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FileSystem fs;
    std::wstring folder = L"TVL";
    const std::wstring program = paths::Join(folder, L"Tarvoline.exe");
    const std::wstring ini = paths::Join(folder, L"Tarvoline.ini");
    fs.files[paths::Join(folder, L"Startup.pmw")] = "a\x01\x01" "File=a.exe\x01" "b\x01\x01" "File=b.exe\x01";
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
    EXPECT_EQ(ui.shown[0].sequence.Items.size(), 2u);
    EXPECT_EQ(ui.shown[0].settings.CPULimit, c.cpuLimit);
    EXPECT_EQ(sequencer::TimerIntervalMs(ui.shown[0].settings.TimerInterval), c.timer);
    EXPECT_EQ(fs.files, before);
  }
}

}  // namespace
