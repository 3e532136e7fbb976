#include "sequencer/start_report.h"

#include <cmath>
#include <cstdio>

#include "common/text.h"

namespace report {
namespace {

// The report's words, in one place.
const wchar_t kRunBegins[] = L"Run begins: sequence ";
const wchar_t kRunEndsAll[] = L"Run ends: all items handled";
const wchar_t kRunEndsClosed[] = L"Run ends: window closed by the user";

const wchar_t* ReasonText(Reason r) {
  switch (r) {
    case Reason::IntervalAndLimit: return L"interval passed, usage at or below the limit";
    case Reason::MaxWait: return L"maximum wait reached";
    case Reason::Ready: return L"previous program ready, usage at or below the limit";
    case Reason::AfterRunning: return L"previous item already running, no wait";
    case Reason::AlreadyRunning: return L"already running";
    case Reason::NoMeter: return L"no processor meter";
  }
  return L"";
}

// At most two decimals, without trailing zeros, whatever the locale.
std::wstring Number(double v) {
  if (!std::isfinite(v)) return L"?";
  const long long hundredths = std::llround(v * 100);
  const unsigned long long a = static_cast<unsigned long long>(hundredths < 0 ? -hundredths : hundredths);
  std::wstring s = (hundredths < 0 ? L"-" : L"") + std::to_wstring(a / 100);
  if (unsigned long long f = a % 100) {
    s += L'.';
    s += static_cast<wchar_t>(L'0' + f / 10);
    if (f % 10) s += static_cast<wchar_t>(L'0' + f % 10);
  }
  return s;
}

std::wstring Two(int v, int width = 2) {
  std::wstring s = std::to_wstring(v < 0 ? 0 : v);
  return s.size() < static_cast<size_t>(width) ? std::wstring(static_cast<size_t>(width) - s.size(), L'0') + s : s;
}

std::wstring Count(long long n, const wchar_t* one, const wchar_t* many) {
  return std::to_wstring(n) + L" " + (n == 1 ? one : many);
}

std::wstring Seconds(std::int64_t ms) {
  if (ms < 0) ms = 0;
  return std::to_wstring(ms / 1000) + L"." + Two(static_cast<int>(ms % 1000), 3) + L" s";
}

}  // namespace

std::string Utf8Lines(const std::vector<std::wstring>& lines, bool byteOrderMark) {
  std::string out = byteOrderMark ? "\xEF\xBB\xBF" : "";
  for (std::wstring line : lines) {
    for (wchar_t& c : line)
      if (c < L' ' || c == L'\x7F') c = L' ';
    out += text::ToUtf8(line);
    out += "\r\n";
  }
  return out;
}

std::wstring Stamp(const LocalTime& t) {
  return Two(t.year, 4) + L"-" + Two(t.month) + L"-" + Two(t.day) + L" " + Two(t.hour) + L":" + Two(t.minute) + L":" +
         Two(t.second) + L"." + Two(t.millisecond, 3);
}

std::wstring RunBeginsText(const std::wstring& sequencePath, const RunSettings& s, int kept, int leftOut) {
  return kRunBegins + sequencePath + L"; CPULimit " + Number(s.cpuLimit) + L", MaxIdleTime " +
         Number(s.maxIdleTime) + L", IntervalTime " + Number(s.intervalTime) + L", TimerInterval " +
         Number(s.timerInterval) + L", ReadyWait " + (s.readyWait ? L"1" : L"0") + L", SkipRunning " +
         (s.skipRunning ? L"1" : L"0") + L"; " + Count(kept, L"item", L"items") + L", " +
         std::to_wstring(leftOut) + L" left out by NoUse";
}

std::wstring ItemText(const ItemEvent& e, std::int64_t realMs) {
  std::wstring s = L"Item " + std::to_wstring(e.position) + L" \"" + e.title + L"\" " + e.file + L": waited " +
                   Number(e.waitedMs) + L" ms (real " + std::to_wstring(realMs < 0 ? 0 : realMs) + L" ms), usage " +
                   (e.usage ? Number(*e.usage) + L" %" : std::wstring(L"not read")) + L", went: " +
                   ReasonText(e.reason) + L"; ";
  switch (e.outcome) {
    case Outcome::Started: return s + L"started, process " + std::to_wstring(e.processId);
    case Outcome::Opened: return s + L"opened by the shell";
    case Outcome::NotOpened: return s + L"not opened: no such document";
    case Outcome::Failed: return s + L"failed: " + e.detail;
    case Outcome::AlreadyRunning: return s + L"not started again, process " + std::to_wstring(e.processId);
  }
  return s;
}

std::wstring RunEndsText(int handled, int notStarted, std::int64_t durationMs) {
  std::wstring s = notStarted == 0 ? std::wstring(kRunEndsAll) + L" (" + std::to_wstring(handled) + L")"
                                   : std::wstring(kRunEndsClosed) + L", " +
                                         Count(notStarted, L"item", L"items") + L" not started";
  return s + L"; " + Seconds(durationMs);
}

void StartReport::Open(const std::wstring& path, FileSystem& fs, Clock& clock) {
  path_ = path;
  fs_ = &fs;
  clock_ = &clock;
  ended_ = false;
  begun_ = since_ = clock.Milliseconds();
}

void StartReport::RunBegins(const std::wstring& sequencePath, const RunSettings& s, int kept, int leftOut) {
  if (!fs_) return;
  begun_ = since_ = clock_->Milliseconds();
  const std::wstring line = Stamp(clock_->Now()) + L" " + RunBeginsText(sequencePath, s, kept, leftOut);
  std::optional<std::string> old = fs_->ReadAll(path_);
  if (old && old->size() > kRotateBytes) {
    // The older half is kept whole as "<name>.1"; a copy that cannot be made
    // leaves the report as it is, growing.
    if (fs_->ReplaceContents(path_ + L".1", *old) && fs_->ReplaceContents(path_, Utf8Lines({line}, true))) return;
  }
  needMark_ = !old || old->empty();
  Write(line);
}

void StartReport::TimerStarted() {
  if (fs_) since_ = clock_->Milliseconds();
}

void StartReport::ItemHandled(const ItemEvent& e) {
  if (!fs_) return;
  const std::int64_t now = clock_->Milliseconds();
  Write(Stamp(clock_->Now()) + L" " + ItemText(e, now - since_));
  // Real time counts from the start, not from the end of writing about it.
  since_ = now;
}

void StartReport::RunEnds(int handled, int notStarted) {
  if (!fs_ || ended_) return;
  ended_ = true;
  Write(Stamp(clock_->Now()) + L" " + RunEndsText(handled, notStarted, clock_->Milliseconds() - begun_));
}

void StartReport::Write(const std::wstring& line) {
  if (fs_->Append(path_, Utf8Lines({line}, needMark_))) needMark_ = false;
}

}  // namespace report
