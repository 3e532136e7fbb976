#include "sequence/sequence_file.h"

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <optional>

#include "common/text.h"
#include "common/variant.h"
#include "ini/ini_document.h"
#include "ini/sequence_records.h"

namespace sequence {

namespace {

constexpr wchar_t kDateSlash = L'/';
constexpr wchar_t kFullWidthColon = L'：';
constexpr std::wstring_view kLongMarker = L"［題］：";

// A finite number, or nothing: "nan" and "inf" would leave the engine
// comparing against values that never allow a start.
std::optional<double> FiniteNumber(const Variant& v) {
  std::optional<double> d = v.ToNumber();
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
int SizeValue(const Variant& v) {
  std::optional<double> d = FiniteNumber(v);
  if (!d) return 0;
  double r = RoundHalfEven(*d);
  if (r < -32768 || r > 32767) return -1;
  return static_cast<int>(r);
}

double SettingValue(const IniDocument& doc, std::wstring_view name, double fallback, const NumberSeparators& locale,
                    SettingsRead& read) {
  if (std::optional<double> d = SettingNumber(doc.Value(name, Variant(fallback)), locale)) return *d;
  read.notNumbers.emplace_back(name);
  return fallback;
}

// Delay or Network: ms from 0 to 24 hours; anything else is 0 and noted.
double TimingValue(const IniDocument& doc, std::wstring_view name, const NumberSeparators& locale,
                   SequenceItem& item) {
  const Variant v = doc.Value(name, Variant(L""));
  if (v.IsEmpty() || (v.IsString() && text::Trim(v.ToString(), L" \t").empty())) return 0;
  std::optional<double> d = SettingNumber(v, locale);
  if (d && *d >= 0 && *d <= kMaxItemTimingMs) return *d;
  item.BadTiming.push_back(std::wstring(name) + L" = " + v.ToString());
  return 0;
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

bool IsLeftOut(const IniDocument& doc) {
  // A NoUse that is not a number keeps the item, as a missing one does.
  std::optional<double> noUse = FiniteNumber(doc.Value(L"NoUse", Variant(std::int16_t{0})));
  return noUse && *noUse != 0;
}

SequenceItem ReadItem(const IniDocument& doc, const NumberSeparators& locale) {
  SequenceItem item;
  item.File = doc.Value(L"File", Variant(L"")).ToString();
  ParseItemTitle(doc.Value(records::kTitleKey, Variant(L"")).ToString(), item.Title);
  item.Current = doc.Value(L"Current", Variant(L"")).ToString();
  item.Option = doc.Value(L"Option", Variant(L"")).ToString();
  item.Size = SizeValue(doc.Value(L"Size", Variant(std::int16_t{0})));
  item.Delay = TimingValue(doc, L"Delay", locale, item);
  item.Network = TimingValue(doc, L"Network", locale, item);
  return item;
}

Sequence LoadSequence(const std::wstring& path, FileSystem& fs, const NumberSeparators& locale) {
  Sequence sequence;
  for (const IniDocument& doc : records::Load(path, fs)) {
    if (IsLeftOut(doc)) {
      ++sequence.ItemsLeftOut;
      continue;
    }
    sequence.Items.push_back(ReadItem(doc, locale));
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
  return Variant(number).ToNumber();
}

SettingsRead LoadSettings(const std::wstring& iniPath, FileSystem& fs, const NumberSeparators& locale,
                          bool writeBack) {
  SettingsRead read;
  IniDocument settings(fs);
  bool loaded = read.loaded = settings.Load(iniPath);
  // The defaults are written as 16-bit integers, as the file has always held them.
  bool completed = false;
  const auto fill = [&](std::wstring_view name, double v) {
    if (!settings.Value(name, Variant()).IsEmpty()) return;
    settings.Set(name, Variant(static_cast<std::int16_t>(v)));
    completed = true;
  };
  fill(L"CPULimit", kDefaultCPULimit);
  fill(L"MaxIdleTime", kDefaultMaxIdleTime);
  fill(L"IntervalTime", kDefaultIntervalTime);
  fill(L"TimerInterval", kDefaultTimerInterval);
  Settings& s = read.settings;
  s.CPULimit = SettingValue(settings, L"CPULimit", kDefaultCPULimit, locale, read);
  s.MaxIdleTime = SettingValue(settings, L"MaxIdleTime", kDefaultMaxIdleTime, locale, read);
  s.IntervalTime = SettingValue(settings, L"IntervalTime", kDefaultIntervalTime, locale, read);
  s.TimerInterval = SettingValue(settings, L"TimerInterval", kDefaultTimerInterval, locale, read);
  SettingsRead ignored;  // the switches fall back silently: they are not in the file unless the user put them there
  s.Report = SettingValue(settings, L"Report", kDefaultReport, locale, ignored) != 0;
  s.ReadyWait = SettingValue(settings, L"ReadyWait", kDefaultReadyWait, locale, ignored) == 1;
  s.SkipRunning = SettingValue(settings, L"SkipRunning", kDefaultSkipRunning, locale, ignored) != 0;
  s.Guard = SettingValue(settings, L"Guard", kDefaultGuard, locale, ignored) != 0;
  // A file that is there but was not loaded (hidden, locked, access denied)
  // keeps the user's values: this run uses the defaults and writes nothing
  // over it. A complete file is left byte for byte: a save would respace its
  // lines and pass its text through the code page (UTF-8 would not survive).
  // An unwritable file changes nothing else.
  if (writeBack && completed && (loaded || !fs.Exists(iniPath))) settings.Save();
  return read;
}

std::optional<double> SettingNumber(const Variant& value, const NumberSeparators& locale) {
  std::optional<double> d = value.IsString() ? ParseSettingNumber(value.ToString(), locale) : value.ToNumber();
  if (d && std::isfinite(*d)) return d;
  return std::nullopt;
}

int TimerIntervalMs(double timerInterval) {
  if (!std::isfinite(timerInterval)) return static_cast<int>(kDefaultTimerInterval);
  double r = RoundHalfEven(timerInterval);
  if (r < 1 || r > 65535) return static_cast<int>(kDefaultTimerInterval);
  return static_cast<int>(r);
}

}  // namespace sequence
