#include "wizard/switch_off.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "autostart/startup_approval.h"
#include "common/text.h"
#include "common/ui_text.h"
#include "wizard/texts.h"
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

// Counts the values switched off before the record names them, and those
// put back while the record still names them (the next guard would switch
// them off again), as a kill or a failed write at that moment would leave
// them; writes after the first writesAllowed fail.
struct Registry : fake::Registry {
  std::wstring record;
  int unrecorded = 0, putBackRecorded = 0, writesAllowed = -1;
  bool Names(const reg::Address& a, const std::optional<std::string>& written) {
    auto recorded = so::ParseRecord(TempFolder::Read(record));
    return recorded && std::any_of(recorded->begin(), recorded->end(), [&](const Change& c) {
             return c.at == a && (!written || c.written == *written);
           });
  }
  reg::Status WriteBinary(const reg::Address& a, const std::string& bytes) override {
    if (writesAllowed >= 0 && writes >= writesAllowed) return reg::Status::Failed;
    if (!autostart::IsEnabled(bytes) && !Names(a, bytes)) ++unrecorded;
    if (autostart::IsEnabled(bytes) && Names(a, std::nullopt)) ++putBackRecorded;
    return fake::Registry::WriteBinary(a, bytes);
  }
  reg::Status Delete(const reg::Address& a) override {
    if (!IsDenied(a) && Names(a, std::nullopt)) ++putBackRecorded;
    return fake::Registry::Delete(a);
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
  // A record that can be read but not replaced, as one held by a backup.
  void MakeReadOnly(const std::string& bytes) {
    t.Write(L"SwitchedOff.txt", bytes);
    std::filesystem::permissions(std::filesystem::path(record),
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
  }
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
  enum Record { Writable, ReadOnly, FolderMissing, Unreadable, LockedByOther };
  struct Case {
    const char* what;
    bool denyMachine;
    Record record;
    int writesAllowed;
    so::Outcome outcome;
  } cases[] = {
      {"no rights for the machine value", true, Writable, -1, so::Outcome::PutBack},
      {"the record cannot be written", false, ReadOnly, -1, so::Outcome::PutBack},
      {"the old record cannot be read", false, Unreadable, -1, so::Outcome::RecordUnreadable},
      // The user's value stays off: said so, and kept in the record for /restore.
      {"putting back fails too", true, Writable, 1, so::Outcome::PutBackFailed},
      // One writer at a time: a guard or /restore holds the record.
      {"another program holds the record's lock", false, LockedByOther, -1, so::Outcome::RecordBusy},
      {"no lock can be made: no folder", false, FolderMissing, -1, so::Outcome::RecordBusy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    b.registry.Set(kUser, kEnabled);
    if (c.denyMachine) b.registry.denied.push_back(kMachine);
    if (c.record == FolderMissing) b.record = (std::filesystem::path(b.t / L"missing") / L"SwitchedOff.txt").wstring();
    if (c.record == Unreadable) b.t.Write(L"SwitchedOff.txt", "not a record");
    if (c.record == ReadOnly) b.MakeReadOnly(so::FormatRecord({}));
    const std::unique_ptr<FileLock> other =
        c.record == LockedByOther ? RealFileSystem().Lock(autostart::LockFile(b.record), 0) : nullptr;
    b.registry.writesAllowed = c.writesAllowed;
    EXPECT_EQ(b.Off({kUser, kMachine}).outcome, c.outcome);
    const std::string userOff = autostart::SwitchedOffBytes(kEnabled, kTime);
    const bool stuck = c.outcome == so::Outcome::PutBackFailed;
    EXPECT_EQ(b.registry.Get(kUser), stuck ? userOff : kEnabled);
    EXPECT_EQ(b.registry.Get(kMachine), std::nullopt);
    if (stuck) {
      EXPECT_EQ(b.Record(), (std::vector<Change>{{kUser, kEnabled, userOff}}));
    }
    if (c.record == Unreadable) {
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
  EXPECT_EQ(b.registry.putBackRecorded, 0);  // the record first, then the value

  // With rights the machine value goes (there was none before), and the record empties.
  b.registry.denied.clear();
  r = so::Restore(b.record, b.registry, RealFileSystem());
  EXPECT_EQ(r.restored, 1);
  EXPECT_EQ(b.registry.Get(kMachine), std::nullopt);
  EXPECT_EQ(b.Record(), std::vector<Change>{});
  EXPECT_EQ(b.registry.putBackRecorded, 0);
}

// A record that cannot be written, or that another program holds the lock
// of, leaves every value as it is: a value put back that the record still
// named would be switched off again by the next guard. The message says so.
TEST(SwitchOff, RestoreThatCannotWriteTheRecordChangesNothing) {
  for (bool readOnly : {true, false}) {
    SCOPED_TRACE(readOnly ? "read-only record" : "lock held");
    Bench b;
    b.registry.Set(kUser, kEnabled);
    ASSERT_EQ(b.Off({kUser}).count, 1);
    const std::string off = autostart::SwitchedOffBytes(kEnabled, kTime), record = TempFolder::Read(b.record);
    if (readOnly) b.MakeReadOnly(record);
    const std::unique_ptr<FileLock> other = readOnly ? nullptr : RealFileSystem().Lock(autostart::LockFile(b.record), 0);
    const so::RestoreResult r = so::Restore(b.record, b.registry, RealFileSystem());
    EXPECT_EQ(r.restored + r.kept + r.changedSince, 0);
    EXPECT_EQ(readOnly ? r.recordNotWritten : r.recordBusy, true);
    EXPECT_EQ(b.registry.Get(kUser), off);
    EXPECT_EQ(TempFolder::Read(b.record), record);
    const std::wstring said = so::RestoreMessage(r, b.record);
    EXPECT_EQ(said, ui::Text(readOnly ? wizard::texts::kRestoreNotWritten : wizard::texts::kRestoreBusy) + L"\r\n" +
                        b.record);
  }
}

}  // namespace
