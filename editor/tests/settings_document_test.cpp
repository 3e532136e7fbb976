#include "editor/settings_document.h"

#include <gtest/gtest.h>

#include <functional>

#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "sequence/sequence_file.h"

namespace {

using editor::SettingsDocument;

enum Key { CPULimit, MaxIdleTime, IntervalTime, TimerInterval, ReadyWait, SkipRunning, Report, Guard };

const NumberSeparators kEnglish{L".", L","};
const NumberSeparators kGerman{L",", L"."};
const std::wstring kPath = L"C:\\TVL\\Tarvoline.ini";

// A remark with a byte no code page maps, a section, spacing of every kind,
// an unknown key, a key in other letter case, a closing blank line.
const std::string kFile =
    "; settings \xff\r\n[Tarvoline]\r\nCPULimit=30\r\nMaxIdleTime = 10000\r\nUnknown=x\r\n  intervaltime =   500\r\n\r\n";

std::vector<double> Shown(const SettingsDocument& doc) {
  std::vector<double> shown;
  for (std::size_t k = 0; k < editor::kSettingCount; ++k) shown.push_back(doc.Value(k));
  return shown;
}

// What a start reads from the file as it is now.
std::vector<double> StartReads(fake::FileSystem& fs, const NumberSeparators& locale) {
  const sequence::Settings s = sequence::LoadSettings(kPath, fs, locale, false).settings;
  return {s.cpuLimit, s.maxIdleTime, s.intervalTime, s.timerInterval,
          double(s.readyWait), double(s.skipRunning), double(s.report), double(s.guard), double(s.settleWait), double(s.timeline)};
}

TEST(SettingsDocument, TakesTypedNumbersWithinLimitsInTheLocale) {
  struct Case {
    Key key;
    const wchar_t* typed;
    NumberSeparators locale;
    std::optional<double> taken;  // nullopt: refused
  } cases[] = {
      {CPULimit, L" 100 ", kEnglish, 100},   {CPULimit, L"100.5", kEnglish, {}},
      {CPULimit, L"-1", kEnglish, {}},       {CPULimit, L"", kEnglish, {}},
      {CPULimit, L"abc", kEnglish, {}},      {CPULimit, L"3,5", kEnglish, {}},  // 35 to a start: misplaced
      {CPULimit, L"3,5", kGerman, 3.5},      {MaxIdleTime, L"3,600,000", kEnglish, 3600000},
      {MaxIdleTime, L"3600001", kEnglish, {}}, {TimerInterval, L"65535", kEnglish, 65535},
      {TimerInterval, L"65536", kEnglish, {}}, {TimerInterval, L"0", kEnglish, {}},
      {TimerInterval, L"1.5", kEnglish, {}},  {IntervalTime, L"nan", kEnglish, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.typed));
    fake::FileSystem fs;
    SettingsDocument doc(fs, c.locale);
    doc.Open(kPath);
    const double before = doc.Value(c.key);
    const std::optional<std::wstring> refused = doc.SetText(c.key, c.typed);
    EXPECT_EQ(refused.has_value(), !c.taken.has_value());
    EXPECT_EQ(doc.Value(c.key), c.taken.value_or(before));
    if (refused) {
      // The message names the key; a number refused also its limits.
      const editor::SettingKey& k = editor::kSettingKeys[c.key];
      EXPECT_NE(refused->find(k.name), std::wstring::npos) << text::ToUtf8(*refused);
      if (refused->find(c.locale.thousands) == std::wstring::npos) {
        EXPECT_NE(refused->find(editor::FormatSettingNumber(k.max, c.locale)), std::wstring::npos);
      }
    }
  }
}

// The page shows what a start reads; a save writes only the changed keys' lines.
TEST(SettingsDocument, ShowsWhatAStartReadsAndSavesOnlyTheChangedKeysLines) {
  struct Case {
    const char* name;
    std::string file;
    NumberSeparators locale;
    std::function<void(SettingsDocument&)> edit;
    std::string after;  // "" : nothing written
  } cases[] = {
      {"one key replaced in place", kFile, kEnglish, [](auto& d) { d.SetText(CPULimit, L"45"); },
       "; settings \xff\r\n[Tarvoline]\r\nCPULimit=45\r\nMaxIdleTime = 10000\r\nUnknown=x\r\n  intervaltime =   500\r\n\r\n"},
      {"its spacing and letter case kept", kFile, kEnglish, [](auto& d) { d.SetText(IntervalTime, L"3,600,000"); },
       "; settings \xff\r\n[Tarvoline]\r\nCPULimit=30\r\nMaxIdleTime = 10000\r\nUnknown=x\r\n  intervaltime =   3600000\r\n\r\n"},
      {"missing keys added before the closing blank line", kFile, kEnglish,
       [](auto& d) { d.SetText(TimerInterval, L"100"); d.SetOn(ReadyWait, true); },
       "; settings \xff\r\n[Tarvoline]\r\nCPULimit=30\r\nMaxIdleTime = 10000\r\nUnknown=x\r\n  intervaltime =   500\r\n"
       "TimerInterval = 100\r\nReadyWait = 1\r\n\r\n"},
      // Also: a thousands point, not numbers as defaults, switches as a start reads them.
      {"the locale's decimal comma, no exponent", "CPULimit = 12,5\r\nMaxIdleTime=1.500\r\nIntervalTime=abc\r\n"
       "TimerInterval=\r\nReadyWait = 2\r\nskiprunning=0\r\nReport = x\r\nGuard = 0\r\nGuard = 1", kGerman,
       [](auto& d) { d.SetText(CPULimit, L"0,0005"); },
       "CPULimit = 0,0005\r\nMaxIdleTime=1.500\r\nIntervalTime=abc\r\nTimerInterval=\r\nReadyWait = 2\r\nskiprunning=0\r\n"
       "Report = x\r\nGuard = 0\r\nGuard = 1"},
      {"the first of two lines is the one read", "Guard=1\r\nGuard=0\r\n", kEnglish, [](auto& d) { d.SetOn(Guard, false); },
       "Guard=0\r\nGuard=0\r\n"},
      {"a last line without its end, a point under an English locale", "CPULimit=2.5\r\nReadyWait=1", kEnglish,
       [](auto& d) { d.SetOn(Report, false); }, "CPULimit=2.5\r\nReadyWait=1\r\nReport = 0\r\n"},
      {"no file: only the changed key", "", kEnglish, [](auto& d) { d.SetOn(SkipRunning, false); },
       "SkipRunning = 0\r\n"},
      {"nothing changed", kFile, kEnglish, [](auto&) {}, ""},
      {"changed and changed back", kFile, kEnglish, [](auto& d) { d.SetText(CPULimit, L"40"); d.SetText(CPULimit, L"30.0"); },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake::FileSystem fs;
    if (!c.file.empty()) fs.files[kPath] = c.file;
    SettingsDocument doc(fs, c.locale);
    EXPECT_EQ(doc.Open(kPath), c.file.empty() ? SettingsDocument::FileState::Missing : SettingsDocument::FileState::Loaded);
    EXPECT_EQ(Shown(doc), StartReads(fs, c.locale));
    c.edit(doc);
    const std::vector<double> shown = Shown(doc);
    EXPECT_EQ(doc.Save(), SettingsDocument::SaveStatus::Saved);
    EXPECT_FALSE(doc.Modified());
    if (c.after.empty()) {
      EXPECT_EQ(fs.replacements, 0);
      continue;
    }
    EXPECT_EQ(fs.files[kPath], c.after);
    EXPECT_EQ(StartReads(fs, c.locale), shown);
  }
}

TEST(SettingsDocument, AsksBeforeWritingOverAnotherProgramsChange) {
  fake::FileSystem fs;
  fs.files[kPath] = kFile;
  SettingsDocument doc(fs, kEnglish);
  doc.Open(kPath);
  doc.SetText(CPULimit, L"45");
  // Tarvoline completed the file meanwhile.
  fs.files[kPath] = kFile + "TimerInterval = 200\r\n";
  EXPECT_EQ(doc.Save(), SettingsDocument::SaveStatus::ChangedOnDisk);
  EXPECT_EQ(fs.replacements, 0);
  EXPECT_EQ(doc.Save(true), SettingsDocument::SaveStatus::Saved);
  std::string after = kFile + "TimerInterval = 200\r\n";
  after.replace(after.find("CPULimit=30"), 11, "CPULimit=45");
  EXPECT_EQ(fs.files[kPath], after);

  // A file there but not readable is never written over.
  fs.locked.insert(kPath);
  SettingsDocument locked(fs, kEnglish);
  EXPECT_EQ(locked.Open(kPath), SettingsDocument::FileState::Unreadable);
  locked.SetOn(Guard, false);
  EXPECT_EQ(locked.Save(true), SettingsDocument::SaveStatus::WriteFailed);
  fs.locked.clear();
  fs.failReplace = true;
  doc.SetText(CPULimit, L"50");
  EXPECT_EQ(doc.Save(), SettingsDocument::SaveStatus::WriteFailed);
  EXPECT_EQ(fs.files[kPath], after);
  EXPECT_TRUE(doc.Modified());
}

}  // namespace
