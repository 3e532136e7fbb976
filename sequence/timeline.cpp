#include "sequence/timeline.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <span>
#include <type_traits>

#include "common/text.h"
#include "common/ui_text.h"
#include "sequence/report_lines.h"
#include "sequence/sequence_file.h"
#include "sequence/texts.h"

namespace timeline {

ImpactClass ClassOf(std::int64_t impactMs) {
  if (impactMs > kHighImpactAboveMs) return ImpactClass::High;
  return impactMs < kLowImpactBelowMs ? ImpactClass::Low : ImpactClass::Medium;
}

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kSamplesPerLine = 16;

// The words the file spells each value of an enumeration with.
template <class E>
struct Name {
  E value;
  std::wstring_view word;
};
constexpr Name<Pacing> kPacings[] = {{Pacing::Settle, L"settle"}, {Pacing::Classic, L"classic"}};
constexpr Name<HoldKind> kHoldKinds[] = {{HoldKind::Interval, L"interval"}, {HoldKind::Usage, L"usage"},
                                         {HoldKind::Delay, L"delay"},       {HoldKind::Network, L"network"},
                                         {HoldKind::Ready, L"ready"},       {HoldKind::Settle, L"settle"}};
constexpr Name<Reason> kReasons[] = {{Reason::IntervalAndLimit, L"interval-and-limit"},
                                     {Reason::Settled, L"settled"},
                                     {Reason::MaxWait, L"max-wait"},
                                     {Reason::Ready, L"ready"},
                                     {Reason::AfterRunning, L"after-running"},
                                     {Reason::AlreadyRunning, L"already-running"},
                                     {Reason::NoMeter, L"no-meter"}};
constexpr Name<Result> kResults[] = {{Result::Started, L"started"},
                                     {Result::AlreadyRunning, L"already-running"},
                                     {Result::Opened, L"opened"},
                                     {Result::NotOpened, L"not-opened"},
                                     {Result::Failed, L"failed"}};
constexpr std::span<const Name<Pacing>> Names(Pacing) { return kPacings; }
constexpr std::span<const Name<HoldKind>> Names(HoldKind) { return kHoldKinds; }
constexpr std::span<const Name<Reason>> Names(Reason) { return kReasons; }
constexpr std::span<const Name<Result>> Names(Result) { return kResults; }

template <class E>
std::wstring_view Word(E value) {
  for (const Name<E>& n : Names(E{}))
    if (n.value == value) return n.word;
  return L"?";
}

// ---- Writing ----

// Texts stand as the rest of their line: only what would end or break the
// line, and the escape's own mark, are written as %XX.
std::wstring Escaped(std::wstring_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (wchar_t c : s) {
    if (c == L'%' || c < L' ' || c == L'\x7F') {
      wchar_t buf[4];
      std::swprintf(buf, std::size(buf), L"%%%02X", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring Number(std::int64_t v) { return std::to_wstring(v); }

std::wstring StampText(const LocalTime& t) {
  wchar_t buf[64];
  std::swprintf(buf, std::size(buf), L"%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, t.millisecond);
  return buf;
}

std::wstring ItemLine(const Item& item) {
  std::wstring line = L"item " + Number(item.position) + L" next=" + Number(item.nextMs) + L" went=" +
                      Number(item.wentMs) + L" reason=" + std::wstring(Word(item.reason)) + L" result=" +
                      std::wstring(Word(item.result));
  if (item.processId) line += L" pid=" + Number(item.processId);
  if (item.readyMs) line += L" ready=" + Number(*item.readyMs);
  if (item.impactMs) line += L" impact=" + Number(*item.impactMs);
  if (item.ended) line += L" ended=" + Number(item.ended->atMs) + L" exit=" + Number(item.ended->exitCode);
  return line;
}

// Each usage sample as the file writes it ("ms:percent", ASCII).
std::vector<std::string> SampleWords(const std::vector<Sample>& usage) {
  std::vector<std::string> words;
  words.reserve(usage.size());
  for (const Sample& s : usage) {
    std::string w = std::to_string(s.ms) + ":";
    for (wchar_t c : sequence::NumberText(s.percent)) w += static_cast<char>(c);
    words.push_back(std::move(w));
  }
  return words;
}

// The usage lines with every step-th sample.
std::string UsageLines(const std::vector<std::string>& samples, std::size_t step) {
  std::string out;
  std::size_t onLine = 0;
  for (std::size_t i = 0; i < samples.size(); i += step) {
    out += onLine == 0 ? "cpu " : " ";
    out += samples[i];
    if (++onLine == kSamplesPerLine) out += "\r\n", onLine = 0;
  }
  if (onLine) out += "\r\n";
  return out;
}

// ---- Reading ----

// A line's words: bare ones in order, and key=value ones.
struct Fields {
  std::vector<std::wstring_view> words;
  std::vector<std::pair<std::wstring_view, std::wstring_view>> pairs;

  explicit Fields(std::wstring_view s) {
    while (!s.empty()) {
      const std::size_t end = std::min(s.find(L' '), s.size());
      const std::wstring_view token = s.substr(0, end);
      s.remove_prefix(std::min(end + 1, s.size()));
      if (token.empty()) continue;
      const std::size_t eq = token.find(L'=');
      if (eq == std::wstring_view::npos) words.push_back(token);
      else pairs.emplace_back(token.substr(0, eq), token.substr(eq + 1));
    }
  }
  std::optional<std::wstring_view> Get(std::wstring_view key) const {
    for (const auto& [k, v] : pairs)
      if (k == key) return v;
    return std::nullopt;
  }
};

// Whole numbers are written as plain digits, never signed.
template <class T>
  requires std::is_integral_v<T>
bool Parse(std::wstring_view s, T& v) {
  char buf[24];
  if (s.empty() || s.size() > 20) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] < L'0' || s[i] > L'9') return false;
    buf[i] = static_cast<char>(s[i]);
  }
  return std::from_chars(buf, buf + s.size(), v).ec == std::errc{};
}

bool Parse(std::wstring_view s, double& v) {
  const std::optional<double> d = s.find_first_of(L" \t") == std::wstring_view::npos ? sequence::ParseNumber(s)
                                                                                     : std::nullopt;
  if (!d || !std::isfinite(*d)) return false;
  v = *d;
  return true;
}

bool Parse(std::wstring_view s, bool& v) {
  if (s != L"0" && s != L"1") return false;
  v = s == L"1";
  return true;
}

template <class E>
  requires std::is_enum_v<E>
bool Parse(std::wstring_view s, E& v) {
  for (const Name<E>& n : Names(E{}))
    if (n.word == s) return v = n.value, true;
  return false;
}

// An optional value: absent, or one that parses.
template <class T>
bool Parse(std::wstring_view s, std::optional<T>& v) {
  T value{};
  if (!Parse(s, value)) return false;
  v = value;
  return true;
}

template <class T>
bool Need(const Fields& f, std::wstring_view key, T& v) {
  const std::optional<std::wstring_view> s = f.Get(key);
  return s && Parse(*s, v);
}

// A key that may be left out: v then stays as it is.
template <class T>
bool Maybe(const Fields& f, std::wstring_view key, T& v) {
  const std::optional<std::wstring_view> s = f.Get(key);
  return !s || Parse(*s, v);
}

bool ParseStamp(std::wstring_view s, LocalTime& t) {
  // yyyy-mm-ddThh:mm:ss.fff
  if (s.size() != 23 || s[4] != L'-' || s[7] != L'-' || s[10] != L'T' || s[13] != L':' || s[16] != L':' ||
      s[19] != L'.')
    return false;
  return Parse(s.substr(0, 4), t.year) && Parse(s.substr(5, 2), t.month) && Parse(s.substr(8, 2), t.day) &&
         Parse(s.substr(11, 2), t.hour) && Parse(s.substr(14, 2), t.minute) && Parse(s.substr(17, 2), t.second) &&
         Parse(s.substr(20, 3), t.millisecond);
}

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  return -1;
}

std::optional<std::wstring> Unescaped(std::wstring_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'%') {
      out += s[i];
      continue;
    }
    const int high = i + 2 < s.size() ? HexDigit(s[i + 1]) : -1, low = high >= 0 ? HexDigit(s[i + 2]) : -1;
    if (low < 0) return std::nullopt;
    out += static_cast<wchar_t>(high * 16 + low);
    i += 2;
  }
  return out;
}

// The keyword of a line and what follows its first blank.
std::pair<std::wstring_view, std::wstring_view> Split(std::wstring_view line) {
  const std::size_t blank = line.find(L' ');
  if (blank == std::wstring_view::npos) return {line, {}};
  return {line.substr(0, blank), line.substr(blank + 1)};
}

bool IsHeader(std::wstring_view line) { return Split(line).first == L"run"; }

bool ReadUsage(const Fields& f, std::vector<Sample>& usage) {
  if (f.words.empty() || !f.pairs.empty()) return false;
  for (std::wstring_view w : f.words) {
    const std::size_t colon = w.find(L':');
    Sample s;
    if (colon == std::wstring_view::npos || !Parse(w.substr(0, colon), s.ms) || !Parse(w.substr(colon + 1), s.percent))
      return false;
    usage.push_back(s);
  }
  return true;
}

bool ReadItem(const Fields& f, Item& item) {
  std::optional<std::int64_t> endedAt;
  std::optional<std::uint32_t> exitCode;
  const bool ok = f.words.size() == 1 && Parse(f.words[0], item.position) && item.position > 0 &&
                  Need(f, L"next", item.nextMs) && Need(f, L"went", item.wentMs) && item.nextMs <= item.wentMs &&
                  Need(f, L"reason", item.reason) && Need(f, L"result", item.result) &&
                  Maybe(f, L"pid", item.processId) && Maybe(f, L"ready", item.readyMs) &&
                  Maybe(f, L"impact", item.impactMs) && Maybe(f, L"ended", endedAt) && Maybe(f, L"exit", exitCode) &&
                  endedAt.has_value() == exitCode.has_value();
  if (ok && endedAt) item.ended = EarlyEnd{*endedAt, *exitCode};
  return ok;
}

bool ReadHold(const Fields& f, std::vector<Hold>& holds) {
  Hold h;
  if (f.words.size() != 3 || !Parse(f.words[0], h.kind) || !Parse(f.words[1], h.fromMs) ||
      !Parse(f.words[2], h.toMs) || h.fromMs > h.toMs)
    return false;
  holds.push_back(h);
  return true;
}

bool ReadText(std::wstring_view rest, std::wstring& into) {
  std::optional<std::wstring> s = Unescaped(rest);
  if (s) into = std::move(*s);
  return s.has_value();
}

// Reads one block, lines[0] its header (lineNo its number in the file);
// nullopt with why set when it cannot be read.
std::optional<Run> ReadBlock(std::span<const std::wstring_view> lines, std::size_t lineNo, Skipped& why) {
  Run run;
  const Fields header(Split(lines[0]).second);
  int version = 0;
  why = {lineNo, Skip::Damaged};
  if (header.words.empty() || !Parse(header.words[0], version)) return std::nullopt;
  if (version != kFormatVersion) return why.why = Skip::OtherVersion, std::nullopt;
  std::optional<std::wstring_view> stamp = header.Get(L"began");
  if (!stamp || !ParseStamp(*stamp, run.began) || !Need(header, L"boot", run.sinceBootMs) ||
      !Maybe(header, L"shell", run.sinceShellMs))
    return std::nullopt;

  bool settings = false, ended = false;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    why.line = lineNo + i;
    if (lines[i].empty()) continue;
    if (ended) return std::nullopt;  // nothing follows the end
    const auto [keyword, rest] = Split(lines[i]);
    Item* item = run.items.empty() ? nullptr : &run.items.back();
    bool ok = false;
    if (keyword == L"settings") {
      const Fields f(rest);
      Settings& s = run.settings;
      ok = !settings && Need(f, L"CPULimit", s.cpuLimit) && Need(f, L"MaxIdleTime", s.maxIdleTime) &&
           Need(f, L"IntervalTime", s.intervalTime) && Need(f, L"TimerInterval", s.timerInterval) &&
           Need(f, L"ReadyWait", s.readyWait) && Need(f, L"SkipRunning", s.skipRunning) &&
           Need(f, L"Pacing", s.pacing);
      settings = true;
    } else if (keyword == L"cpu") {
      ok = ReadUsage(Fields(rest), run.usage);
    } else if (keyword == L"item") {
      ok = ReadItem(Fields(rest), run.items.emplace_back());
    } else if (keyword == L"hold") {
      ok = item && ReadHold(Fields(rest), item->holds);
    } else if (keyword == L"title" || keyword == L"file" || keyword == L"error") {
      ok = item && ReadText(rest, keyword == L"title" ? item->title : keyword == L"file" ? item->file : item->error);
    } else if (keyword == L"end") {
      const Fields f(rest);
      ok = settings && Need(f, L"length", run.lengthMs) && Maybe(f, L"left", run.itemsLeft);
      ended = true;
    }
    if (!ok) return std::nullopt;
  }
  if (!ended) return why = {lineNo, Skip::CutShort}, std::nullopt;
  return run;
}

}  // namespace

std::string Serialize(const Run& run) {
  const Settings& s = run.settings;
  std::wstring header = L"run " + Number(kFormatVersion) + L" began=" + StampText(run.began) + L" boot=" +
                        Number(run.sinceBootMs);
  if (run.sinceShellMs) header += L" shell=" + Number(*run.sinceShellMs);
  const std::string head = sequence::Utf8Lines(
      {header, L"settings CPULimit=" + sequence::NumberText(s.cpuLimit) + L" MaxIdleTime=" +
                   sequence::NumberText(s.maxIdleTime) + L" IntervalTime=" + sequence::NumberText(s.intervalTime) +
                   L" TimerInterval=" + sequence::NumberText(s.timerInterval) + L" ReadyWait=" +
                   Number(s.readyWait) + L" SkipRunning=" + Number(s.skipRunning) + L" Pacing=" +
                   std::wstring(Word(s.pacing))},
      false);

  std::vector<std::wstring> lines;
  for (const Item& item : run.items) {
    lines.push_back(ItemLine(item));
    lines.push_back(L"title " + Escaped(item.title));
    lines.push_back(L"file " + Escaped(item.file));
    if (!item.error.empty()) lines.push_back(L"error " + Escaped(item.error));
    for (const Hold& h : item.holds)
      lines.push_back(L"hold " + std::wstring(Word(h.kind)) + L" " + Number(h.fromMs) + L" " + Number(h.toMs));
  }
  lines.push_back(L"end length=" + Number(run.lengthMs) + (run.itemsLeft ? L" left=" + Number(run.itemsLeft) : L""));
  const std::string tail = sequence::Utf8Lines(lines, false);

  const std::vector<std::string> samples = SampleWords(run.usage);
  std::string usage = UsageLines(samples, 1);
  for (std::size_t step = 2; head.size() + usage.size() + tail.size() > kRunBytes && step / 2 < samples.size();
       step *= 2)
    usage = UsageLines(samples, step);
  return head + usage + tail;
}

ReadResult Read(std::string_view bytes) {
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  const std::wstring text = text::FromUtf8(bytes);
  std::vector<std::wstring_view> lines;
  for (std::wstring_view rest = text; !rest.empty();) {
    const std::size_t end = std::min(rest.find(L'\n'), rest.size());
    std::wstring_view line = rest.substr(0, end);
    if (line.ends_with(L'\r')) line.remove_suffix(1);
    lines.push_back(line);
    rest.remove_prefix(std::min(end + 1, rest.size()));
  }

  ReadResult result;
  std::size_t i = 0;
  for (; i < lines.size() && !IsHeader(lines[i]); ++i)
    if (!lines[i].empty() && result.skipped.empty()) result.skipped.push_back({i + 1, Skip::NotARun});
  while (i < lines.size()) {
    std::size_t next = i + 1;
    while (next < lines.size() && !IsHeader(lines[next])) ++next;
    Skipped why;
    if (std::optional<Run> run = ReadBlock(std::span(lines).subspan(i, next - i), i + 1, why))
      result.runs.push_back(std::move(*run));
    else
      result.skipped.push_back(why);
    i = next;
  }
  return result;
}

std::wstring SkippedText(const Skipped& skipped) {
  const unsigned id = skipped.why == Skip::NotARun        ? sequence::texts::kTimelineNotARun
                      : skipped.why == Skip::OtherVersion ? sequence::texts::kTimelineOtherVersion
                      : skipped.why == Skip::CutShort     ? sequence::texts::kTimelineCutShort
                                                          : sequence::texts::kTimelineDamaged;
  return ui::Format(ui::Text(id), {std::to_wstring(skipped.line)});
}

std::string Append(std::string_view existing, const Run& run) {
  if (existing.starts_with(kByteOrderMark)) existing.remove_prefix(kByteOrderMark.size());
  // Where each block begins: its header's keyword is ASCII, so the bytes tell.
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < existing.size();) {
    const std::size_t end = std::min(existing.find('\n', at), existing.size());
    std::string_view line = existing.substr(at, end - at);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line == "run" || line.starts_with("run ")) starts.push_back(at);
    at = end + 1;
  }
  std::string out(kByteOrderMark);
  if (!starts.empty()) {
    out += existing.substr(starts[starts.size() - std::min(starts.size(), kKeptRuns - 1)]);
    if (!out.ends_with('\n')) out += "\r\n";  // a block cut short still ends its line
  }
  return out + Serialize(run);
}

}  // namespace timeline
