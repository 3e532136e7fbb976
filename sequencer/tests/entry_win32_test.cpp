// Tarvoline at log-on when its files are not as they should be: a sequence
// file another program holds locked, bytes the code page (932 in the tests)
// has no character for. The entry runs with the real file system; the window
// it shows starts every item through a fake.
#include <gtest/gtest.h>

#include "common/win32/raii.h"
#include "fakes.h"
#include "sequencer/entry.h"
#include "plain_launch_system.h"
#include "temp_folder.h"
#include "window_rig.h"

namespace {

// The real entry's user interface, with the window starting items through
// this fake and ticking until the last one.
struct Ui : sequencer::EntryUi, fake::Processes, fake::Shell {
  int windows = 0, ends = 0;
  sequencer::Run run;  // of the last window
  PlainLaunchSystem launch{*this, *this, RealFileSystem()};

  bool ShowMainWindow(sequencer::Run given) override {
    ++windows;
    run = std::move(given);
    run.settings.IntervalTime = 0;
    sequencer::MainWindow form({.items = run.sequence.Items,
                                .settings = LaunchSettings::From(run.settings),
                                .timerInterval = run.settings.TimerInterval,
                                .createMeter = ZeroMeter::Make,
                                .endProgram = [this] { ++ends; },
                                .quitOnClose = false,
                                .launcher = launch,
                                .report = &run.report});
    // Hidden: a shown window costs the emulator two seconds to take away.
    if (!form.Create(SW_HIDE)) return false;
    for (size_t i = 0; i < run.sequence.Items.size() && ends == 0; ++i) form.OnTick();
    return true;
  }
};

std::string Record(const std::string& title, const std::string& file) {
  return "2001/05/12\x81\x46" + title + "\x01\x01" "File=" + file + "\r\nSize = 1\r\nNoUse = 0\x01";
}

// A folder holding Tarvoline.exe's neighbour Startup.pmw.
struct Folder {
  TempFolder t;
  std::wstring program = t / L"Tarvoline.exe", seq = t / L"Startup.pmw";
  Folder() { t.Write(L"Startup.pmw", Record("a", "C:\\T\\a.exe") + Record("b", "C:\\T\\b.exe")); }
  fake::Messages messages;
  sequencer::MainOutcome Run(Ui& ui, std::wstring_view arguments = L"") {
    return sequencer::Main(arguments, program, ui, messages, RealFileSystem(), UserNumberSeparators());
  }
};

win::FileHandle LockWholly(const std::wstring& path) {
  return win::FileHandle(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

// A locked sequence file reads as a missing one: named on the command line
// it gets the not-found message; either way nothing starts and the program ends.
TEST(StartupFaults, ALockedSequenceFileEndsTheProgramQuietlyOrWithTheMessage) {
  for (bool named : {true, false}) {
    SCOPED_TRACE(named);
    Folder f;
    win::FileHandle lock = LockWholly(f.seq);
    ASSERT_TRUE(lock);
    Ui ui;
    EXPECT_EQ(f.Run(ui, named ? L"\"" + f.seq + L"\"" : L""), sequencer::MainOutcome::NoItems);
    EXPECT_EQ(ui.windows, 0);
    using Shown = decltype(f.messages.shown);
    EXPECT_EQ(f.messages.shown, (named ? Shown{{L"シーケンスファイル" + f.seq + L"が見付かりません。", ui::MessageIcon::Critical}}
                                       : Shown{}));
    lock.reset();
    // Once released the same file runs.
    EXPECT_EQ(f.Run(ui), sequencer::MainOutcome::WindowShown);
    EXPECT_EQ(ui.started.size(), 2u);
  }
}

// Bytes with no character in the code page never swallow a record or line
// end: every item keeps its own fields, and those with valid text start as written.
TEST(StartupFaults, BytesInvalidForTheCodePageSpoilOnlyTheirOwnText) {
  Folder f;
  const std::string lead = "\x81";  // a lead byte of 932, waiting for a trail byte
  f.t.Write(L"Startup.pmw",
            Record("ok1", "C:\\T\\one.exe") +
            Record("bad" + lead, "C:\\T\\two.exe") +                                   // before the record end
            "x\x01\x01" "File=C:\\T\\three" + lead + "\r\nSize = 1\r\nNoUse = 0\x01" +  // before a line end
            Record("\xFD\xFE\xFF\x80\xA0", "C:\\T\\four.exe") +                        // bytes without a character
            Record("ok5", "C:\\T\\five.exe") + "tail" + lead);                         // before the end of the file
  Ui ui;
  ASSERT_EQ(f.Run(ui), sequencer::MainOutcome::WindowShown);
  const auto& items = ui.run.sequence.Items;
  ASSERT_EQ(items.size(), 6u);
  EXPECT_EQ(items[1].File, L"C:\\T\\two.exe");
  EXPECT_EQ(items[2].Size, 1);  // the line after the spoilt one is still read
  EXPECT_EQ(items[3].File, L"C:\\T\\four.exe");
  EXPECT_EQ(items[4].Title, L"ok5");
  EXPECT_EQ(ui.ends, 1);
  ASSERT_GE(ui.started.size(), 4u);
  EXPECT_EQ(ui.started[0], L"\"C:\\T\\one.exe\" ");
  EXPECT_EQ(ui.started.back(), L"\"C:\\T\\five.exe\" ");
}

}  // namespace
