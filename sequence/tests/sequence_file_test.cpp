#include "sequence/sequence_file.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "common/text.h"
#include "common/tests/support/temp_folder.h"

namespace {

using sequence::SequenceItem;

const std::string kDefaultSettings =
    "CPULimit = 30\r\nMaxIdleTime = 10000\r\nIntervalTime = 500\r\nTimerInterval = 200\r\n";

TEST(ParseItemTitle, ShortAndLongDatePrefixes) {
  struct Case { std::wstring header, title; bool removed; } cases[] = {
      {L"2001/05/12：Notepad", L"Notepad", true},
      {L"2001/05/12 12:34:56 ［題］：Mail", L"Mail", true},
      {L"2001-05-12：Notepad", L"2001-05-12：Notepad", false},
      {L"abcd/ef/gh：x", L"x", true},
      {L"2001/05/12：", L"", true},
      {L"2001/05/12", L"2001/05/12", false},
      {L"2001/05/12:Notepad", L"2001/05/12:Notepad", false},  // half-width colon
  };
  for (const Case& c : cases) {
    std::wstring title = L"unchanged";
    EXPECT_EQ(sequence::ParseItemTitle(c.header, title), c.removed) << text::ToUtf8(c.header);
    EXPECT_EQ(title, c.title) << text::ToUtf8(c.header);
  }
}

std::wstring Record(const std::wstring& title, const std::wstring& body) { return title + L"\x01\x01" + body + L"\x01"; }

// An item as "title|File|Current|Option|Size".
std::wstring Describe(const SequenceItem& i) {
  return i.title + L"|" + i.file + L"|" + i.workingFolder + L"|" + i.arguments + L"|" + std::to_wstring(i.show);
}

TEST(LoadSequence, KeepsItemsByTheFileRules) {
  // text "<folder>": the path names a folder.
  struct Case { const char* name; std::wstring text; std::vector<std::wstring> items; } cases[] = {
      {"wizard record",
       Record(L"2001/05/12：メモ帳", L"File=C:\\W\\notepad.exe\r\nCurrent=C:\\W\r\nOption=\r\nSize = 3\r\nNoUse = 0"),
       {L"メモ帳|C:\\W\\notepad.exe|C:\\W||3"}},
      {"NoUse: lower case leaves out; 0.0 and no number keep",
       Record(L"a", L"nouse = 1") + Record(L"b", L"NoUse = 0.0") + Record(L"c", L"NoUse = yes"), {L"b||||0", L"c||||0"}},
      {"Size: not a number, halves to even, beyond 16 bits, missing",
       Record(L"a", L"Size=x") + Record(L"b", L"Size=2.5") + Record(L"c", L"Size=99999") + Record(L"d", L""),
       {L"a||||0", L"b||||2", L"c||||-1", L"d||||0"}},
      {"a line break after the last separator is one more item", Record(L"a", L"File=1") + L"\r\n",
       {L"a|1|||0", L"\r\n||||0"}},
      {"zero bytes", L"", {}},
      {"a folder, not a file", L"<folder>", {}},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    std::wstring path = c.text == L"<folder>" ? dir.path() : dir.Write(L"Startup.pmw", text::ToAnsi(c.text));
    std::vector<std::wstring> got;
    for (const SequenceItem& item : sequence::LoadSequence(path, RealFileSystem(), UserNumberSeparators()).items) got.push_back(Describe(item));
    EXPECT_EQ(got, c.items) << c.name;
  }
}

// Report, ReadyWait, SkipRunning and Guard are read but never written. (A
// complete file left byte for byte, an empty key filled in: the settings seeds.)
TEST(LoadSettings, CompletesTheFileAndReadsIt) {
  struct Case {
    const char* name;
    std::optional<std::string> before;  // nullopt: no file
    std::string after;
    // CPULimit, MaxIdleTime, IntervalTime, TimerInterval, Report, ReadyWait, SkipRunning, Guard
    std::vector<double> values;
  } cases[] = {
      {"no settings file", std::nullopt, kDefaultSettings, {30, 10000, 500, 200, 1, 0, 1, 1}},
      {"values that are no finite number fall back", "CPULimit = high\r\nMaxIdleTime = nan\r\nIntervalTime = inf\r\n",
       "CPULimit = high\r\nMaxIdleTime = nan\r\nIntervalTime = inf\r\nTimerInterval = 200\r\n",
       {30, 10000, 500, 200, 1, 0, 1, 1}},
      {"the switches", "Report = 0\r\nReadyWait = 1\r\nSkipRunning = 0\r\nGuard = 0\r\n",
       "Report = 0\r\nReadyWait = 1\r\nSkipRunning = 0\r\nGuard = 0\r\n" + kDefaultSettings, {30, 10000, 500, 200, 0, 1, 0, 0}},
      {"switches that are no 0 or 1 keep their default", "Report = x\r\nReadyWait = 2\r\nSkipRunning = 1\r\nGuard = x\r\n",
       "Report = x\r\nReadyWait = 2\r\nSkipRunning = 1\r\nGuard = x\r\n" + kDefaultSettings, {30, 10000, 500, 200, 1, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    if (c.before) dir.Write(L"Tarvoline.ini", *c.before);
    const sequence::Settings s = sequence::LoadSettings(dir / L"Tarvoline.ini", RealFileSystem(), UserNumberSeparators()).settings;
    EXPECT_EQ(TempFolder::Read(dir / L"Tarvoline.ini"), c.after);
    EXPECT_EQ((std::vector<double>{s.cpuLimit, s.maxIdleTime, s.intervalTime, s.timerInterval, double(s.report),
                                   double(s.readyWait), double(s.skipRunning), double(s.guard)}), c.values);
  }
}

TEST(LoadSettings, ReadsNumbersAsTheUsersLocaleWritesThem) {
  const NumberSeparators english{L".", L","}, german{L",", L"."}, french{L",", L"\u202F"};
  const double kNot = -1;  // not a number: the key's default
  struct Case { const wchar_t* text; double en, de, fr; } cases[] = {
      {L"1.5", 1.5, 15, 1.5},
      {L"1,5", 15, 1.5, 1.5},
      {L"1.500", 1.5, 1500, 1.5},
      {L"1,500.25", 1500.25, kNot, kNot},
      {L"1.500,25", kNot, 1500.25, kNot},
      {L" 1\u202F500,5 ", kNot, kNot, 1500.5},
      {L"-12", -12, -12, -12},
      {L"1.5.0", kNot, 150, kNot},
      {L"high", kNot, kNot, kNot},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.text));
    const std::pair<const NumberSeparators*, double> locales[] = {{&english, c.en}, {&german, c.de}, {&french, c.fr}};
    for (auto [locale, value] : locales) {
      std::optional<double> d = sequence::ParseSettingNumber(c.text, *locale);
      EXPECT_EQ(d, value == kNot ? std::nullopt : std::optional(value)) << text::ToUtf8(locale->decimal);
    }
  }
}

TEST(ParseNumber, ReadsDecimalText) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case { const wchar_t* text; std::optional<double> n; };
  const Case cases[] = {
      {L"0", 0.0}, {L" 30 ", 30.0}, {L"\t-5", -5.0}, {L"+2.5", 2.5}, {L"1e3", 1000.0}, {L"1E+3", 1000.0},
      {L"1.", 1.0}, {L".5", 0.5}, {L"-.5e-1", -0.05}, {L"007", 7.0}, {L"0e999999999999", 0.0},
      {L"inf", inf}, {L"-Infinity", -inf}, {L"INF", inf},
      {L"", std::nullopt}, {L"  ", std::nullopt}, {L"abc", std::nullopt}, {L".", std::nullopt}, {L"-.e1", std::nullopt},
      {L"12abc", std::nullopt}, {L"\xFF11", std::nullopt}, {L"0x10", std::nullopt}, {L"infin", std::nullopt},
      {L"1e", std::nullopt}, {L"1e+", std::nullopt}, {L"1e+-1", std::nullopt}, {L"1 e1", std::nullopt},
      {L"+-5", std::nullopt}, {L"++5", std::nullopt}, {L"+", std::nullopt}, {L"-+5", std::nullopt},  // one sign at most
      // Beyond the doubles either way is no number; what rounds to the least one is.
      {L"1e400", std::nullopt}, {L"-1e400", std::nullopt}, {L"1e-400", std::nullopt}, {L"2e-324", std::nullopt},
      {L"1e99999999999999999999", std::nullopt}, {L"3e-324", 5e-324}, {L"1.7976931348623158e308", 1.7976931348623157e308},
  };
  for (const auto& c : cases) EXPECT_EQ(sequence::ParseNumber(c.text), c.n) << testing::PrintToString(std::wstring(c.text));
  EXPECT_TRUE(std::signbit(*sequence::ParseNumber(L"-0")));
  for (const wchar_t* nan : {L"nan", L"-NaN", L"nan()", L"nan(1_aZ)"}) EXPECT_TRUE(std::isnan(sequence::ParseNumber(nan).value_or(0)));
  EXPECT_TRUE(std::signbit(*sequence::ParseNumber(L"-nan")));
  for (const wchar_t* no : {L"nan(", L"nan(-)", L"nanx"}) EXPECT_EQ(sequence::ParseNumber(no), std::nullopt);
}

// Values written by a library that writes exactly, and values whose shortest
// digits are hard to find (near powers of two, subnormal, random bits).
std::vector<double> HardDoubles(int randomCount) {
  std::vector<double> values = {0.1, 1.0 / 3, 2.0 / 3, 1e23, 9007199254740993.0, 123456789012345680000.0,
                                1e21, 1e22, 5e-324, 2.2250738585072014e-308, 2.2250738585072009e-308,
                                1.7976931348623157e308, 0.001, 0.0001, 1e-5, 123456.0, 1234567.0, 100.0,
                                0.30000000000000004, 4.2934951791238405e+37, -0.0, -7.5};
  for (int e = -1074; e <= 1023; ++e) values.push_back(std::ldexp(1.0, e));  // powers of two: lopsided neighbours
  std::mt19937_64 random(7);
  for (int i = 0; i < randomCount; ++i) {
    const std::uint64_t bits = random() >> (i % 8 == 0 ? 12 : 0);  // an eighth subnormal
    const double d = std::bit_cast<double>(bits);
    if (std::isfinite(d)) values.push_back(d);
  }
  for (int i = 0; i < 2000; ++i) values.push_back(static_cast<double>(random() % 100000) / 100);  // as users write them
  return values;
}

std::wstring Wide(const char* first, const char* last) { return std::wstring(first, last); }

TEST(NumberText, DoublesAreWrittenAsTheLibrarysShortestTextAndReadBack) {
  for (double d : HardDoubles(100000)) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    const std::wstring text = sequence::NumberText(d);
    ASSERT_EQ(text, Wide(buf, r.ptr));
    const std::optional<double> back = sequence::ParseNumber(text);
    ASSERT_TRUE(back && std::bit_cast<std::uint64_t>(*back) == std::bit_cast<std::uint64_t>(d)) << text::ToUtf8(text);
  }
}

TEST(TimerIntervalMs, RoundsHalfToEvenAndRefusesWhatTheTimerCannotTake) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case { double in; int ms; } cases[] = {
      {199.5, 200}, {200.5, 200}, {0.6, 1}, {0.5, 200}, {0, 200}, {65535, 65535}, {65536, 200}, {nan, 200}};
  for (const Case& c : cases) EXPECT_EQ(sequence::TimerIntervalMs(c.in), c.ms) << c.in;
}

TEST(LoadSequence, ReadsDelayAndNetworkAsTheLocaleWritesThemAndRefusesWhatIsNoTime) {
  const NumberSeparators german{L",", L"."};
  struct Case {
    const char* name;
    std::wstring body;
    double delay, network;
    std::vector<std::wstring> bad;
  } cases[] = {
      {"absent: no timing", L"File=a", 0, 0, {}},
      {"empty: as absent", L"Delay =\r\nNetwork = ", 0, 0, {}},
      {"the locale's separators", L"delay = 120.000\r\nNetwork = 2,5", 120000, 2.5, {}},
      {"24 hours at most", L"Delay = 86400000\r\nNetwork = 86400000,5", 86400000, 0, {L"Network = 86400000,5"}},
      {"negative, text, not finite", L"Delay = -1\r\nNetwork = soon", 0, 0, {L"Delay = -1", L"Network = soon"}},
      {"nan", L"Delay = nan", 0, 0, {L"Delay = nan"}},
  };
  for (const Case& c : cases) {
    TempFolder dir;
    const std::wstring path = dir.Write(L"Startup.pmw", text::ToAnsi(Record(L"t", c.body)));
    const std::vector<SequenceItem> items = sequence::LoadSequence(path, RealFileSystem(), german).items;
    ASSERT_EQ(items.size(), 1u) << c.name;
    EXPECT_EQ(items[0].delay, c.delay) << c.name;
    EXPECT_EQ(items[0].network, c.network) << c.name;
    EXPECT_EQ(items[0].badTiming, c.bad) << c.name;
  }
}

}  // namespace
