#include "sequence/sequence_file.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "common/text.h"
#include "ini/ini_document.h"
#include "ini/sequence_records.h"
#include "sequence/decimal.h"

namespace sequence {

namespace {

constexpr wchar_t kDateSlash = L'/';
constexpr wchar_t kFullWidthColon = L'：';
constexpr std::wstring_view kLongMarker = L"［題］：";

// The key's finite number, or nothing (the key missing or no number): "nan"
// and "inf" would leave the engine comparing against values that never allow
// a start.
std::optional<double> FiniteNumber(const IniDocument& doc, std::wstring_view name) {
  const std::optional<std::wstring> text = doc.Value(name);
  std::optional<double> d = text ? ParseNumber(*text) : std::nullopt;
  if (d && !std::isfinite(*d)) return std::nullopt;
  return d;
}

// Half to even, like every whole-number conversion the settings go through.
double RoundHalfEven(double d) {
  const int saved = std::fegetround();
  std::fesetround(FE_TONEAREST);
  double r = std::nearbyint(d);
  std::fesetround(saved);
  return r;
}

// Size as a show state: a non-number is the default 0; a number outside the
// 16-bit range is kept as -1, which no start accepts.
int ShowValue(const IniDocument& doc) {
  std::optional<double> d = FiniteNumber(doc, L"Size");
  if (!d) return 0;
  double r = RoundHalfEven(*d);
  if (r < -32768 || r > 32767) return -1;
  return static_cast<int>(r);
}

// A missing key is its default; one that holds no finite number is noted.
double SettingValue(const IniDocument& doc, std::wstring_view name, double fallback, const NumberSeparators& locale,
                    SettingsRead& read) {
  const std::optional<std::wstring> text = doc.Value(name);
  if (!text) return fallback;
  if (std::optional<double> d = SettingNumber(*text, locale)) return *d;
  read.notNumbers.emplace_back(name);
  return fallback;
}

// Delay or Network: ms from 0 to 24 hours; anything else is 0 and noted.
double TimingValue(const IniDocument& doc, std::wstring_view name, const NumberSeparators& locale,
                   SequenceItem& item) {
  const std::optional<std::wstring> v = doc.Value(name);
  if (!v || text::Trim(*v, L" \t").empty()) return 0;
  std::optional<double> d = SettingNumber(*v, locale);
  if (d && *d >= 0 && *d <= kMaxItemTimingMs) return *d;
  item.badTiming.push_back(std::wstring(name) + L" = " + *v);
  return 0;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// s in ASCII letters of either case is the lower-case word.
bool IsWord(std::wstring_view s, std::string_view word) {
  return s.size() == word.size() && std::equal(s.begin(), s.end(), word.begin(), [](wchar_t c, char w) {
           return (c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c) == static_cast<wchar_t>(w);
         });
}

// A number without its sign, as the library's reader takes it: "inf",
// "infinity", "nan" or "nan(" letters, digits and '_' ")" in either case, or
// decimal digits with a point and an exponent. Beyond the doubles either way
// is no number.
std::optional<double> UnsignedNumber(std::wstring_view s) {
  if (IsWord(s, "inf") || IsWord(s, "infinity")) return std::numeric_limits<double>::infinity();
  if (s.size() >= 3 && IsWord(s.substr(0, 3), "nan")) {
    const std::wstring_view payload = s.substr(3);
    const auto isPayload = [](wchar_t c) {
      return IsDigit(c) || c == L'_' || (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
    };
    if (payload.empty() || (payload.size() >= 2 && payload.front() == L'(' && payload.back() == L')' &&
                            std::all_of(payload.begin() + 1, payload.end() - 1, isPayload)))
      return std::numeric_limits<double>::quiet_NaN();
    return std::nullopt;
  }
  std::string digits;
  long long exponent = 0;
  size_t i = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i) digits += static_cast<char>(s[i]);
  if (i < s.size() && s[i] == L'.')
    for (++i; i < s.size() && IsDigit(s[i]); ++i, --exponent) digits += static_cast<char>(s[i]);
  if (digits.empty()) return std::nullopt;
  if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
    const bool down = ++i < s.size() && s[i] == L'-';
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
    if (i == s.size() || !IsDigit(s[i])) return std::nullopt;
    long long e = 0;
    // Held at a billion: far past where any digit count matters.
    for (; i < s.size() && IsDigit(s[i]); ++i) e = std::min(e * 10 + (s[i] - L'0'), 1000000000LL);
    exponent += down ? -e : e;
  }
  if (i != s.size()) return std::nullopt;
  const double d = decimal::Nearest(digits, exponent);
  if (std::isinf(d) || (d == 0 && digits.find_first_not_of('0') != std::string::npos)) return std::nullopt;
  return d;
}

bool CharAt(const std::wstring& s, size_t pos1, wchar_t c) { return s.size() >= pos1 && s[pos1 - 1] == c; }

}  // namespace

bool ParseItemTitle(const std::wstring& header, std::wstring& title) {
  if (header.size() >= 11 && CharAt(header, 5, kDateSlash) && CharAt(header, 8, kDateSlash) &&
      CharAt(header, 11, kFullWidthColon)) {
    title = header.substr(11);
    return true;
  }
  if (CharAt(header, 5, kDateSlash) && CharAt(header, 8, kDateSlash) && header.size() >= 24 &&
      std::wstring_view(header).substr(20, 4) == kLongMarker) {
    title = header.substr(24);
    return true;
  }
  title = header;
  return false;
}

bool IsLeftOut(const records::Item& records) {
  // A NoUse that is not a number keeps the item, as a missing one does.
  std::optional<double> noUse = FiniteNumber(records.body, L"NoUse");
  return noUse && *noUse != 0;
}

SequenceItem ReadItem(const records::Item& records, const NumberSeparators& locale) {
  const IniDocument& doc = records.body;
  SequenceItem item;
  item.file = doc.Value(L"File").value_or(L"");
  ParseItemTitle(records.title, item.title);
  item.workingFolder = doc.Value(L"Current").value_or(L"");
  item.arguments = doc.Value(L"Option").value_or(L"");
  item.show = ShowValue(doc);
  item.delay = TimingValue(doc, L"Delay", locale, item);
  item.network = TimingValue(doc, L"Network", locale, item);
  return item;
}

Sequence LoadSequence(const std::wstring& path, FileSystem& fs, const NumberSeparators& locale) {
  Sequence sequence;
  for (const records::Item& records : records::Load(path, fs)) {
    if (IsLeftOut(records)) {
      ++sequence.itemsLeftOut;
      continue;
    }
    sequence.items.push_back(ReadItem(records, locale));
  }
  return sequence;
}

std::optional<double> ParseSettingNumber(std::wstring_view text, const NumberSeparators& locale) {
  constexpr size_t npos = std::wstring_view::npos;
  size_t point = locale.decimal.empty() ? npos : text.find(locale.decimal);
  size_t pointSize = locale.decimal.size();
  if (point == npos && locale.thousands != L".") {
    point = text.find(L'.');
    pointSize = 1;
  }
  std::wstring number(text.substr(0, point));
  if (!locale.thousands.empty())
    for (size_t p; (p = number.find(locale.thousands)) != std::wstring::npos;) number.erase(p, locale.thousands.size());
  if (point != npos) number += L"." + std::wstring(text.substr(point + pointSize));
  return ParseNumber(number);
}

SettingsRead LoadSettings(const std::wstring& iniPath, FileSystem& fs, const NumberSeparators& locale,
                          bool writeBack) {
  SettingsRead read;
  IniDocument settings(fs);
  bool loaded = read.loaded = settings.Load(iniPath);
  // The defaults are written as whole numbers, as the file has always held them.
  bool completed = false;
  const auto fill = [&](std::wstring_view name, double v) {
    if (settings.SetIfEmpty(name, std::to_wstring(static_cast<int>(v)))) completed = true;
  };
  fill(L"CPULimit", kDefaultCPULimit);
  fill(L"MaxIdleTime", kDefaultMaxIdleTime);
  fill(L"IntervalTime", kDefaultIntervalTime);
  fill(L"TimerInterval", kDefaultTimerInterval);
  Settings& s = read.settings;
  s.cpuLimit = SettingValue(settings, L"CPULimit", kDefaultCPULimit, locale, read);
  s.maxIdleTime = SettingValue(settings, L"MaxIdleTime", kDefaultMaxIdleTime, locale, read);
  s.intervalTime = SettingValue(settings, L"IntervalTime", kDefaultIntervalTime, locale, read);
  s.timerInterval = SettingValue(settings, L"TimerInterval", kDefaultTimerInterval, locale, read);
  SettingsRead ignored;  // the switches fall back silently: they are not in the file unless the user put them there
  s.report = SettingValue(settings, L"Report", kDefaultReport, locale, ignored) != 0;
  s.readyWait = SettingValue(settings, L"ReadyWait", kDefaultReadyWait, locale, ignored) == 1;
  s.skipRunning = SettingValue(settings, L"SkipRunning", kDefaultSkipRunning, locale, ignored) != 0;
  s.guard = SettingValue(settings, L"Guard", kDefaultGuard, locale, ignored) != 0;
  s.settleWait = SettingValue(settings, L"SettleWait", kDefaultSettleWait, locale, ignored) != 0;
  s.timeline = SettingValue(settings, L"Timeline", kDefaultTimeline, locale, ignored) != 0;
  // A file that is there but was not loaded (hidden, locked, access denied)
  // keeps the user's values: this run uses the defaults and writes nothing
  // over it. A complete file is left byte for byte: a save would respace its
  // lines and pass its text through the code page (UTF-8 would not survive).
  // An unwritable file changes nothing else.
  if (writeBack && completed && (loaded || !fs.Exists(iniPath))) settings.Save();
  return read;
}

std::optional<double> SettingNumber(std::wstring_view text, const NumberSeparators& locale) {
  std::optional<double> d = ParseSettingNumber(text, locale);
  if (d && std::isfinite(*d)) return d;
  return std::nullopt;
}

std::optional<double> ParseNumber(std::wstring_view text) {
  std::wstring_view s = text::Trim(text, L" \t");
  const bool negative = !s.empty() && s[0] == L'-';
  if (!s.empty() && (s[0] == L'+' || s[0] == L'-')) s.remove_prefix(1);
  const std::optional<double> magnitude = UnsignedNumber(s);
  if (!magnitude) return std::nullopt;
  return negative ? -*magnitude : *magnitude;
}

// The digits are exact on every build (decimal.h says why not the library's).
std::wstring NumberText(double d) {
  if (std::isnan(d)) return std::signbit(d) ? L"-nan" : L"nan";
  if (std::isinf(d)) return d < 0 ? L"-inf" : L"inf";
  if (d == 0) return std::signbit(d) ? L"-0" : L"0";
  const double a = std::fabs(d);
  const decimal::Digits shortest = decimal::Shortest(a);
  const std::string& digits = shortest.digits;
  const int exponent = shortest.point - 1;  // of the first digit
  const int count = static_cast<int>(digits.size());
  std::string plain;
  if (exponent >= count - 1) {
    // A whole number past the digits that tell it: plain, its exact digits, as
    // the library writes them; past 23 digits only its length counts, as the
    // exponent form (at most 23 characters) is then shorter.
    plain = exponent < 23 ? decimal::WholeDigits(a) : std::string(static_cast<size_t>(exponent) + 1, '0');
  } else if (exponent >= 0) {
    plain = digits.substr(0, static_cast<size_t>(exponent) + 1) + "." + digits.substr(static_cast<size_t>(exponent) + 1);
  } else {
    plain = "0." + std::string(static_cast<size_t>(-exponent - 1), '0') + digits;
  }
  char buf[16];
  std::snprintf(buf, sizeof buf, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  const std::string scientific = digits.substr(0, 1) + (count > 1 ? "." + digits.substr(1) : "") + buf;
  const std::string& shorter = plain.size() <= scientific.size() ? plain : scientific;
  const std::string text = d < 0 ? "-" + shorter : shorter;
  return std::wstring(text.begin(), text.end());
}

int TimerIntervalMs(double timerInterval) {
  if (!std::isfinite(timerInterval)) return static_cast<int>(kDefaultTimerInterval);
  double r = RoundHalfEven(timerInterval);
  if (r < 1 || r > 65535) return static_cast<int>(kDefaultTimerInterval);
  return static_cast<int>(r);
}

}  // namespace sequence
