#include "autostart/command_line.h"

#include <gtest/gtest.h>

#include <map>

#include "common/path_rules.h"
#include "common/text.h"
#include "common/tests/support/temp_folder.h"

namespace {

const wchar_t kSep = paths::Separator(paths::kPlatform);

// A case-insensitive lookup in env, as Windows looks variables up.
autostart::Lookup LookupIn(const std::map<std::wstring, std::wstring>& env) {
  return [&env](std::wstring_view n) -> std::optional<std::wstring> {
    for (auto& [k, v] : env)
      if (text::EqualsNoCase(k, n)) return v;
    return std::nullopt;
  };
}

// Commands in the cases are written with "\" and "@" for the test's folder.
struct Bench {
  TempFolder t;
  Bench() {
    for (const wchar_t* f : {L"@\\Program Files\\App Dir\\app.exe", L"@\\Tools\\tool.exe", L"@\\sys\\finder.exe",
                             L"@\\Win\\notes.exe", L"@\\Win\\finder.exe"})
      t.Write(P(f), "");
  }
  std::wstring P(std::wstring_view s) const {
    std::wstring out;
    for (wchar_t c : s) out += c == L'@' ? t.path() : std::wstring(1, c == L'\\' ? kSep : c);
    return out;
  }
};

TEST(CommandLine, SplitsTheWayProcessCreationResolvesIt) {
  Bench b;
  auto P = [&](std::wstring_view s) { return b.P(s); };
  const std::vector<std::wstring> search{P(L"@\\sys"), P(L"@\\Win")};
  struct Case { const wchar_t *command, *program, *arguments; bool found; } cases[] = {
      {L"\"@\\Program Files\\App Dir\\app.exe\" /min", L"@\\Program Files\\App Dir\\app.exe", L"/min", true},
      {L"@\\Program Files\\App Dir\\app.exe -x  y", L"@\\Program Files\\App Dir\\app.exe", L"-x  y", true},
      {L"@\\Program Files\\App Dir\\app --tray", L"@\\Program Files\\App Dir\\app.exe", L"--tray", true},
      {L"\"@\\Tools\\tool\"x", L"@\\Tools\\tool.exe", L"x", true},
      {L"finder /s", L"@\\sys\\finder.exe", L"/s", true},  // the first search folder wins
      {L"notes.exe", L"@\\Win\\notes.exe", L"", true},
      {L"  @\\Tools\\tool.exe   ", L"@\\Tools\\tool.exe", L"", true},
      {L"@\\No Such\\x.exe -q", L"@\\No", L"Such\\x.exe -q", false},
      {L"\"@\\No Such\\x.exe\" -q", L"@\\No Such\\x.exe", L"-q", false},
      {L"@\\Tools\\t*.exe", L"@\\Tools\\t*.exe", L"", false},  // never a wildcard match
      {L"\"@\\Tools\\tool.exe", L"@\\Tools\\tool.exe", L"", true},  // no closing quote
      {L"", L"", L"", false},
  };
  for (const Case& c : cases) {
    const std::wstring command = P(c.command);
    SCOPED_TRACE(text::ToUtf8(command));
    autostart::Split s = autostart::SplitCommandLine(command, search, RealFileSystem());
    EXPECT_EQ(s.program, P(c.program));
    EXPECT_EQ(s.arguments, P(c.arguments));
    EXPECT_EQ(s.found, c.found);
  }
}

TEST(CommandLine, ExpandsDefinedVariablesAndKeepsTheRest) {
  const std::map<std::wstring, std::wstring> env{{L"A", L"x"}, {L"ProgramFiles", L"C:\\PF86"},
                                                 {L"ProgramW6432", L"C:\\PF"}, {L"CommonProgramFiles", L"C:\\CF86"}};
  const autostart::Lookup lookup = LookupIn(env);
  struct Case { const wchar_t *in, *plain, *as64; } cases[] = {
      {L"%A%\\%A%", L"x\\x", L"x\\x"},
      {L"%NOPE%%A%", L"%NOPE%x", L"%NOPE%x"},
      {L"50% %A", L"50% %A", L"50% %A"},
      {L"%%A%", L"%x", L"%x"},
      {L"%ProgramFiles%\\a %CommonProgramFiles%", L"C:\\PF86\\a C:\\CF86", L"C:\\PF\\a C:\\CF86"},
  };
  autostart::Lookup lookup64 = autostart::With64BitFolders(lookup);
  for (const Case& c : cases) {
    EXPECT_EQ(autostart::ExpandVariables(c.in, lookup), c.plain);
    EXPECT_EQ(autostart::ExpandVariables(c.in, lookup64), c.as64);
  }
}

TEST(CommandLine, SearchPathDropsEmptyEntriesAndQuotes) {
  EXPECT_EQ(autostart::SplitSearchPath(L"C:\\a;;\"C:\\b c\";"), (std::vector<std::wstring>{L"C:\\a", L"C:\\b c"}));
}

}  // namespace
