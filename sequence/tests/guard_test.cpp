#include "sequence/guard.h"

#include <gtest/gtest.h>

#include "autostart/startup_approval.h"
#include "autostart/switched_off_record.h"
#include "common/tests/support/fakes.h"

namespace {

namespace guard = sequence::guard;
using guard::Finding;
using guard::Kind;
using autostart::Change;

const std::string kEnabled("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
constexpr std::uint64_t kTakeOver = 0x01DA000000000001ull, kNow = 0x01DB000000000002ull;
const std::string kOff = autostart::SwitchedOffBytes(kEnabled, kTakeOver);
const std::wstring kChat = L"\"C:\\Chat\\chat.exe\" -min";

struct Bench {
  fake::Registry registry;
  fake::FileSystem files;
  std::vector<autostart::Entry> listed;  // as resolved
  int listings = 0, resolved = 0;
  guard::Places places{L"C:\\L\\Tarvoline\\SwitchedOff.txt", L"C:\\L\\Tarvoline\\SeenEntries.txt",
                       L"C:\\Tools\\Tarvoline.exe"};
  std::vector<sequence::SequenceItem> items;

  void List(autostart::Place place, const std::wstring& name, const std::wstring& command, const std::wstring& program) {
    autostart::Entry& e = listed.emplace_back();
    e.source = place;
    e.name = name;
    e.command = command;
    e.program = program;
    e.approval = autostart::AddressOf(place, name);
  }
  void Record(const std::vector<Change>& changes) { files.files[places.recordFile] = autostart::FormatRecord(changes); }
  std::vector<Change> RecordNow() { return autostart::ParseRecord(files.files[places.recordFile]).value_or(std::vector<Change>{}); }
  std::vector<Finding> Run(bool switchOff = true, bool remember = true) {
    auto list = [this] {
      ++listings;
      std::vector<autostart::Entry> named = listed;
      // Named with their approval state, as the system's listing gives them.
      for (autostart::Entry& e : named) e.program.clear(), e.enabled = autostart::IsEnabled(registry.Get(e.approval));
      return named;
    };
    auto resolve = [this](autostart::Entry& e) {
      ++resolved;
      for (const autostart::Entry& r : listed)
        if (r.approval == e.approval) e.program = r.program;
    };
    return guard::Run(places, {registry, files, list, resolve}, items, {switchOff, remember, kNow});
  }
};

// Each record line against the registry as an updater may leave it. The
// record keeps the bytes from before the take-over and gets the ones written
// now, which is what /restore checks before it puts the former back.
TEST(Guard, SwitchesReEnabledEntriesOffAgainKeepingWhatRestoreNeeds) {
  const reg::Address user = autostart::AddressOf(autostart::Place::UserRun, L"Chat");
  const reg::Address machine = autostart::AddressOf(autostart::Place::MachineRun64, L"Vendor");
  const reg::Address link = autostart::AddressOf(autostart::Place::UserFolder, L"Sync.lnk");
  enum Approval { On, Removed, StillOff };
  struct Case {
    const char* what;
    reg::Address at;
    std::optional<std::string> previous;  // before the take-over
    Approval approval;
    bool entryThere, switchOff = true, denied = false;
    std::optional<std::wstring> commandNow = std::nullopt;  // Run values: the command line today, when not kChat
    std::vector<Finding> findings;
  } cases[] = {
      {"user value switched back on", user, kEnabled, On, true, true, false, kChat, {{Kind::SwitchedOffAgain, L"Chat"}}},
      {"approval value removed", user, std::nullopt, Removed, true, true, false, kChat,
       {{Kind::SwitchedOffAgain, L"Chat"}}},
      {"shortcut switched back on", link, kEnabled, On, true, true, false, std::nullopt,
       {{Kind::SwitchedOffAgain, L"Sync.lnk"}}},
      {"Run value gone: left alone", user, kEnabled, On, false, true, false, std::nullopt, {}},
      {"still off", user, kEnabled, StillOff, true, true, false, kChat, {}},
      {"machine value without rights", machine, kEnabled, On, true, true, true, std::nullopt,
       {{Kind::NeedsAdmin, L"Vendor"}}},
      {"Guard = 0 only reports", user, kEnabled, On, true, false, false, kChat, {{Kind::BackOn, L"Chat"}}},
      {"command line changed: named, not rewritten", user, kEnabled, StillOff, true, true, false, L"C:\\Chat2\\chat.exe",
       {{Kind::CommandChanged, L"Chat", L"C:\\Chat2\\chat.exe"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bench b;
    const bool isLink = c.at == link;
    const std::optional<std::wstring> recorded = isLink ? std::nullopt : std::optional<std::wstring>(kChat);
    b.Record({{c.at, c.previous, kOff, recorded}});
    if (c.approval == On) b.registry.Set(c.at, kEnabled);
    if (c.approval == StillOff) b.registry.Set(c.at, kOff);
    const autostart::Place place = isLink ? autostart::Place::UserFolder
                                  : c.at == machine ? autostart::Place::MachineRun64 : autostart::Place::UserRun;
    if (c.entryThere) b.List(place, c.at.value, isLink ? L"C:\\S\\Sync.lnk" : c.commandNow.value_or(kChat), L"C:\\x.exe");
    if (c.denied) b.registry.denied.push_back({c.at.root, c.at.view, c.at.key, L""});
    const std::string recordBefore = b.files.files[b.places.recordFile];

    EXPECT_EQ(b.Run(c.switchOff), c.findings);
    const bool switched = !c.findings.empty() && c.findings[0].kind == Kind::SwitchedOffAgain;
    if (switched) {
      const std::optional<std::string> now = b.registry.Get(c.at);
      EXPECT_EQ(now, autostart::SwitchedOffBytes(c.approval == On ? std::optional(kEnabled) : std::nullopt, kNow));
      EXPECT_EQ(b.RecordNow(), (std::vector<Change>{{c.at, c.previous, now.value_or(""), recorded}}));
    } else {
      EXPECT_EQ(b.registry.writes, 0);
      EXPECT_EQ(b.files.files[b.places.recordFile], recordBefore);
    }
  }
}

TEST(Guard, AFailedWriteLeavesTheRecordAsRestoreExpectsIt) {
  Bench b;
  const reg::Address user = autostart::AddressOf(autostart::Place::UserRun, L"Chat");
  b.Record({{user, kEnabled, kOff}});
  b.registry.Set(user, kEnabled);
  b.List(autostart::Place::UserRun, L"Chat", kChat, L"C:\\Chat\\chat.exe");
  b.files.failReplace = true;  // record first: without it the value is not touched
  EXPECT_EQ(b.Run(), (std::vector<Finding>{{Kind::NotSwitchedOff, L"Chat"}}));
  EXPECT_EQ(b.registry.writes, 0);

  b.files.failReplace = false;
  b.registry.denied.push_back(user);
  EXPECT_EQ(b.Run(), (std::vector<Finding>{{Kind::NotSwitchedOff, L"Chat"}}));
  EXPECT_EQ(b.RecordNow(), (std::vector<Change>{{user, kEnabled, kOff}}));

  // A record that is no record is named and left as it is.
  b.files.files[b.places.recordFile] = "HKCU\tbroken";
  EXPECT_EQ(b.Run(), (std::vector<Finding>{{Kind::RecordUnreadable, b.places.recordFile}}));
  EXPECT_EQ(b.files.files[b.places.recordFile], "HKCU\tbroken");
}

TEST(Guard, NamesEntriesThatCameAfterTheTakeOverOnce) {
  Bench b;
  // Without a record there is no take-over to guard: nothing is even listed.
  EXPECT_EQ(b.Run(), std::vector<Finding>{});
  EXPECT_EQ(b.listings, 0);

  const reg::Address taken = autostart::AddressOf(autostart::Place::UserRun, L"Chat");
  b.Record({{taken, kEnabled, kOff}});
  b.registry.Set(taken, kOff);
  b.items.emplace_back().file = L"C:\\Mail\\MAIL.exe";
  b.List(autostart::Place::UserRun, L"Chat", kChat, L"C:\\Chat\\chat.exe");
  b.List(autostart::Place::UserRun, L"Old", L"C:\\Old\\old.exe", L"C:\\Old\\old.exe");
  // The first guard learns what is there: it was there at the take-over.
  EXPECT_EQ(b.Run(), std::vector<Finding>{});
  // Nothing new: no entry is resolved (no file test, no shortcut read).
  b.resolved = 0;
  EXPECT_EQ(b.Run(), std::vector<Finding>{});
  EXPECT_EQ(b.resolved, 0);

  // Added since: one the sequence starts, Tarvoline itself, one switched off, and one new.
  b.List(autostart::Place::UserRun, L"Mail", L"C:\\Mail\\mail.exe", L"C:\\Mail\\mail.exe");
  b.List(autostart::Place::UserFolder, L"Tarvoline.lnk", L"C:\\S\\Tarvoline.lnk", L"c:\\tools\\tarvoline.exe");
  b.List(autostart::Place::MachineRun32, L"Meet", L"C:\\Meet\\meet.exe", L"C:\\Meet\\meet.exe");
  b.List(autostart::Place::CommonFolder, L"Off.lnk", L"C:\\AllS\\Off.lnk", L"C:\\Off\\off.exe");
  b.registry.Set(b.listed.back().approval, kOff);
  const std::vector<Finding> once{{Kind::NewEntry, L"Meet", L"C:\\Meet\\meet.exe", true}};
  EXPECT_EQ(b.Run(false, false), once);  // the check: nothing remembered
  EXPECT_EQ(b.Run(), once);
  // Named once in the start report; the check keeps listing it.
  const std::vector<Finding> again{{Kind::NewEntry, L"Meet", L"C:\\Meet\\meet.exe", false}};
  EXPECT_EQ(b.Run(), again);

  // An entry known since the take-over that leaves the sequence is not new.
  b.items.clear();
  EXPECT_EQ(b.Run(), again);
}

}  // namespace
