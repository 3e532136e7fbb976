#include "autostart/startup_entries.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "common/tests/support/temp_folder.h"

namespace {

// A Run value becomes an entry as the 64-bit system starts it: expanded with
// the 64-bit program folder, split, the program's folder as working folder.
TEST(StartupEntries, RunValueIsExpandedSplitAndAddressed) {
  TempFolder t;
  const std::wstring pf = t / L"PF";
  std::wstring exe = t.Write((std::filesystem::path(L"PF") / L"Vendor App" / L"app.exe").wstring(), "MZ");
  std::map<std::wstring, std::wstring> env{{L"ProgramFiles", L"/nowhere"}, {L"ProgramW6432", pf}};
  autostart::Resolver resolver{autostart::With64BitFolders([&](std::wstring_view n) {
                               auto it = env.find(std::wstring(n));
                               return it == env.end() ? std::nullopt : std::optional<std::wstring>(it->second);
                             }),
                             {}, RealFileSystem()};
  // "%ProgramFiles%\Vendor App\app /background"
  const std::wstring value = L"%ProgramFiles%" + exe.substr(pf.size(), exe.size() - pf.size() - 4) + L" /background";
  autostart::Entry e = autostart::FromRunValue(autostart::Source::MachineRun32, L"Vendor", value, resolver);
  EXPECT_EQ(e.program, exe);
  EXPECT_EQ(e.arguments, L"/background");
  EXPECT_EQ(e.workingFolder, std::filesystem::path(exe).parent_path().wstring());
  EXPECT_EQ(e.approval.root, reg::Root::LocalMachine);
  EXPECT_EQ(e.approval.key, std::wstring(autostart::kKeyBase) + L"Run32");
  EXPECT_TRUE(e.enabled && e.isString && e.readable);
}

}  // namespace
