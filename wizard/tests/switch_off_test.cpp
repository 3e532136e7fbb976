#include "wizard/switch_off.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/temp_folder.h"

namespace {

using wizard::switchoff::Change;
namespace so = wizard::switchoff;

const std::wstring kRun = std::wstring(autostart::kKeyBase) + L"Run";
const reg::Address kUser{reg::Root::CurrentUser, reg::View::Bits64, kRun, L"Chat"};
const reg::Address kMachine{reg::Root::LocalMachine, reg::View::Bits64, kRun, L"Vendor"};
const reg::Address kOdd{reg::Root::CurrentUser, reg::View::Bits64, std::wstring(autostart::kKeyBase) + L"StartupFolder",
                        L"a\tb%c\u30E1\r\n"};
const std::string kEnabled("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
constexpr std::uint64_t kTime = 0x01DA000000000001ull;

// Counts the values switched off before the record names them, as a kill at
// that moment would leave them; writes after the first writesAllowed fail.
struct Registry : fake::Registry {
  std::wstring record;
  int unrecorded = 0, writesAllowed = -1;
  reg::Status WriteBinary(const reg::Address& a, const std::string& bytes) override {
    if (writesAllowed >= 0 && writes >= writesAllowed) return reg::Status::Failed;
    auto recorded = so::ParseRecord(TempFolder::Read(record));
    if (!autostart::IsEnabled(bytes) &&
        (!recorded || std::none_of(recorded->begin(), recorded->end(),
                                   [&](const Change& c) { return c.at == a && c.written == bytes; })))
      ++unrecorded;
    return fake::Registry::WriteBinary(a, bytes);
  }
};

struct Bench {
  TempFolder t;
  std::wstring record = t / L"SwitchedOff.txt";
  Registry registry;
  Bench() { registry.record = record; }
  so::SwitchOffResult Off(const std::vector<reg::Address>& entries) {
    return so::SwitchOff(entries, kTime, record, registry, RealFileSystem());
  }
  std::optional<std::vector<Change>> Record() { return so::ParseRecord(TempFolder::Read(record)); }
};

// The record lies in the user's writable profile: a line that names anything
// but an approval value of 12 bytes must not reach an elevated /restore.
TEST(SwitchOff, RecordKeepsEveryNameAndRejectsAnythingElse) {
  const std::string off = autostart::SwitchedOffBytes(kEnabled, kTime);
  const reg::Address run32{reg::Root::LocalMachine, reg::View::Bits64, std::wstring(autostart::kKeyBase) + L"Run32", L"x"};
  const std::vector<Change> changes{{kOdd, std::nullopt, off}, {kMachine, kEnabled, off}, {run32, std::nullopt, off},
                                    {kUser, kEnabled, off, L"\"C:\\\u30E1\\a.exe\"\t%x"}};
  const std::string text = so::FormatRecord(changes);
  for (char c : text) EXPECT_EQ(static_cast<unsigned char>(c) & 0x80, 0);  // readable in any code page
  EXPECT_EQ(so::ParseRecord(text), changes);
  EXPECT_EQ(so::ParseRecord(so::FormatRecord({})), std::vector<Change>{});
  const std::string header = "TVLpreparer switched-off start-up entries\r\n";
  const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  const std::string twelve = "030000000000000000000000";
  EXPECT_TRUE(so::ParseRecord(header + "HKCU\t64\t" + key + "\tv\t-\t" + twelve + "\r\n"));
  EXPECT_TRUE(so::ParseRecord(header + "HKCU\t64\t" + key + "\tv\t-\t" + twelve + "\tc.exe\r\n"));
  for (const std::string& bad : {
           std::string(), std::string("garbage\r\n"), header + "HKCU\t64\t" + key + "\tv\t-\r\n",
           header + "HKCR\t64\t" + key + "\tv\t-\t" + twelve, header + "HKCU\t16\t" + key + "\tv\t-\t" + twelve,
           header + "HKCU\t64\t" + key + "\tv\t0\t" + twelve, header + "HKCU\t64\t" + key + "\tv%12\t-\t" + twelve,
           header + "HKCU\t64\t\tv\t-\t" + twelve,
           // Forged: another key or values of another size.
           header + "HKLM\t64\tSoftware\\Microsoft\\Windows\\CurrentVersion\\Run\tv\t-\t" + twelve,
           header + "HKCU\t64\t" + key + "\tv\t-\t03",
           header + "HKCU\t64\t" + key + "\tv\t-\t" + twelve + "\tc.exe%1\r\n",
           header + "HKCU\t64\t" + key + "\tv\t02000000\t" + twelve})
    EXPECT_EQ(so::ParseRecord(bad), std::nullopt) << bad;
}

TEST(SwitchOff, SwitchesOffRecordsAndAddsToTheRecord) {
  Bench b;
  b.registry.Set(kUser, kEnabled);
  // The Run value's command line goes into the record, for the guard to compare.
  const std::wstring command = L"\"C:\\Chat\\chat.exe\" -min";
  b.registry.SetString({reg::Root::CurrentUser, reg::View::Bits64, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Chat"},
                       command);
  b.registry.Set(kOdd, std::string("\x03\0\0\0", 4));  // off meanwhile: left alone
  const reg::Address odd{reg::Root::CurrentUser, reg::View::Bits64, kRun, L"Short"};
  b.registry.Set(odd, std::string("\x02\0\0\0", 4));  // not as the start-up manager writes it: left on
  so::SwitchOffResult r = b.Off({kUser, kMachine, kOdd, odd});
  EXPECT_EQ(r.outcome, so::Outcome::SwitchedOff);
  EXPECT_EQ(r.count, 2);
  const std::string userOff = autostart::SwitchedOffBytes(kEnabled, kTime);
  const std::string machineOff = autostart::SwitchedOffBytes(std::nullopt, kTime);
  EXPECT_EQ(b.registry.Get(kUser), userOff);
  EXPECT_EQ(b.registry.Get(kMachine), machineOff);
  EXPECT_EQ(b.Record(), (std::vector<Change>{{kUser, kEnabled, userOff, command}, {kMachine, std::nullopt, machineOff}}));
  EXPECT_EQ(b.registry.unrecorded, 0);  // each recorded before it was written
  EXPECT_EQ(b.registry.Get(odd), std::string("\x02\0\0\0", 4));

  // A later run adds to the record.
  EXPECT_EQ(b.Off({{reg::Root::CurrentUser, reg::View::Bits64, kRun, L"Later"}}).count, 1);
  EXPECT_EQ(b.Record().value_or(std::vector<Change>{}).size(), 3u);
}

TEST(SwitchOff, AFailurePutsBackWhatThisRunChanged) {
  struct Case {
    const char* what;
    bool denyMachine, recordFolderMissing, recordUnreadable;
    int writesAllowed;
    so::Outcome outcome;
  } cases[] = {
      {"no rights for the machine value", true, false, false, -1, so::Outcome::PutBack},
      {"the record cannot be written", false, true, false, -1, so::Outcome::PutBack},
      {"the old record cannot be read", false, false, true, -1, so::Outcome::RecordUnreadable},
      // The user's value stays off: said so, and kept in the record for /restore.
      {"putting back fails too", true, false, false, 1, so::Outcome::PutBackFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    b.registry.Set(kUser, kEnabled);
    if (c.denyMachine) b.registry.denied.push_back(kMachine);
    if (c.recordFolderMissing) b.record = (std::filesystem::path(b.t / L"missing") / L"SwitchedOff.txt").wstring();
    if (c.recordUnreadable) b.t.Write(L"SwitchedOff.txt", "not a record");
    b.registry.writesAllowed = c.writesAllowed;
    EXPECT_EQ(b.Off({kUser, kMachine}).outcome, c.outcome);
    const std::string userOff = autostart::SwitchedOffBytes(kEnabled, kTime);
    const bool stuck = c.outcome == so::Outcome::PutBackFailed;
    EXPECT_EQ(b.registry.Get(kUser), stuck ? userOff : kEnabled);
    EXPECT_EQ(b.registry.Get(kMachine), std::nullopt);
    if (stuck) {
      EXPECT_EQ(b.Record(), (std::vector<Change>{{kUser, kEnabled, userOff}}));
    }
    if (c.recordUnreadable) {
      EXPECT_EQ(TempFolder::Read(b.record), "not a record");
    }
  }
}

TEST(SwitchOff, RestoreBringsBackOnlyWhatIsStillAsWritten) {
  Bench b;
  const reg::Address changed{reg::Root::CurrentUser, reg::View::Bits64, kRun, L"Changed"};
  const reg::Address gone{reg::Root::CurrentUser, reg::View::Bits64, kRun, L"Gone"};
  for (const reg::Address& a : {kUser, changed, gone}) b.registry.Set(a, kEnabled);
  ASSERT_EQ(b.Off({kUser, kMachine, changed, gone}).count, 4);
  const std::string byUser = std::string("\x02\0\0\0", 4) + "later!!!";
  b.registry.Set(changed, byUser);
  b.registry.values.erase(fake::Registry::Id(gone));
  b.registry.denied.push_back({reg::Root::LocalMachine, reg::View::Bits64, kRun, L""});

  so::RestoreResult r = so::Restore(b.record, b.registry, RealFileSystem());
  EXPECT_EQ(r.restored, 1);
  EXPECT_EQ(r.changedSince, 2);
  EXPECT_EQ(r.kept, 1);
  EXPECT_EQ(b.registry.Get(kUser), kEnabled);
  EXPECT_EQ(b.registry.Get(changed), byUser);
  EXPECT_EQ(b.registry.Get(gone), std::nullopt);
  EXPECT_EQ(b.Record(), (std::vector<Change>{{kMachine, std::nullopt, autostart::SwitchedOffBytes(std::nullopt, kTime)}}));

  // With rights the machine value goes (there was none before), and the record empties.
  b.registry.denied.clear();
  r = so::Restore(b.record, b.registry, RealFileSystem());
  EXPECT_EQ(r.restored, 1);
  EXPECT_EQ(b.registry.Get(kMachine), std::nullopt);
  EXPECT_EQ(b.Record(), std::vector<Change>{});
}

}  // namespace
