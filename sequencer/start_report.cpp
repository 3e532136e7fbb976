#include "sequencer/start_report.h"

#include <cmath>
#include <cstdio>

#include "common/text.h"
#include "common/ui_text.h"
#include "sequence/report_lines.h"
#include "sequencer/texts.h"

namespace report {
namespace {

namespace texts = sequencer::texts;

// At most two decimals, without trailing zeros, whatever the locale.
std::wstring Number(double v) {
  if (!std::isfinite(v)) return L"?";
  // The magnitude is rounded apart from the sign, so no integer is ever
  // negated; values whose hundredths do not fit 64 bits have no fraction to show.
  const double magnitude = std::fabs(v) * 100;
  if (magnitude >= 9e18) {
    char digits[400];
    const int n = std::snprintf(digits, sizeof digits, "%.0f", v);
    return n > 0 ? std::wstring(digits, digits + n) : L"?";
  }
  const unsigned long long a = static_cast<unsigned long long>(std::llround(magnitude));
  std::wstring s = (a != 0 && v < 0 ? L"-" : L"") + std::to_wstring(a / 100);
  if (unsigned long long f = a % 100) {
    s += L'.';
    s += static_cast<wchar_t>(L'0' + f / 10);
    if (f % 10) s += static_cast<wchar_t>(L'0' + f % 10);
  }
  return s;
}

std::wstring UsualReasonText(Reason r) {
  switch (r) {
    case Reason::IntervalAndLimit: return ui::Text(texts::kReasonInterval);
    case Reason::MaxWait: return ui::Text(texts::kReasonMaxWait);
    case Reason::Ready: return ui::Text(texts::kReasonReady);
    case Reason::Settled:
    case Reason::NothingStarting: break;  // with the usage: ReasonText
    case Reason::AfterRunning: return ui::Text(texts::kReasonAfterRunning);
    case Reason::AlreadyRunning: return ui::Text(texts::kReasonAlreadyRunning);
    case Reason::NoMeter: return ui::Text(texts::kReasonNoMeter);
  }
  return L"";
}

// The usual reason, after the hold and with the end of the network wait.
std::wstring ReasonText(const ItemEvent& e) {
  const std::wstring usage = e.usage ? Number(*e.usage) + L" %" : ui::Text(texts::kUsageNotRead);
  std::wstring reason = e.reason == Reason::Settled           ? ui::Format(ui::Text(texts::kReasonSettled), {usage})
                        : e.reason == Reason::NothingStarting ? ui::Format(ui::Text(texts::kReasonNothingStarting), {usage})
                                                              : UsualReasonText(e.reason);
  switch (e.network) {
    case Network::None: break;
    case Network::Up: reason = ui::Format(ui::Text(texts::kReasonNetworkUp), {reason}); break;
    case Network::WaitOver: reason = ui::Format(ui::Text(texts::kReasonNetworkOver), {reason}); break;
    case Network::NotAsked: reason = ui::Format(ui::Text(texts::kReasonNetworkUnknown), {reason}); break;
  }
  return e.heldMs > 0 ? ui::Format(ui::Text(texts::kReasonHeld), {reason}) : reason;
}

std::wstring Two(int v, int width = 2) {
  std::wstring s = std::to_wstring(v < 0 ? 0 : v);
  return s.size() < static_cast<size_t>(width) ? std::wstring(static_cast<size_t>(width) - s.size(), L'0') + s : s;
}

std::wstring Items(long long n) {
  return ui::Format(ui::Text(n == 1 ? texts::kItemsOne : texts::kItemsMany), {std::to_wstring(n)});
}

std::wstring Seconds(std::int64_t ms) {
  if (ms < 0) ms = 0;
  return std::to_wstring(ms / 1000) + L"." + Two(static_cast<int>(ms % 1000), 3) + L" s";
}

// The mark and the whole lines of the last half of a report past the limit.
std::string NewerPart(const std::string& old) {
  const std::size_t from = old.size() - kRotateBytes / 2;
  const std::size_t lineEnd = old.find("\r\n", from);
  return "\xEF\xBB\xBF" + (lineEnd == std::string::npos ? std::string() : old.substr(lineEnd + 2));
}

// Why the guard left an entry on that switched itself back on.
std::wstring WhyText(const sequence::guard::Finding& f) {
  using sequence::guard::Why;
  switch (f.why) {
    case Why::NoItem: return ui::Text(texts::kGuardWhyNoItem);
    case Why::CommandChanged: return ui::Format(ui::Text(texts::kGuardWhyCommandChanged), {f.detail});
    case Why::OtherProgram: return ui::Format(ui::Text(texts::kGuardWhyOtherProgram), {f.detail});
    case Why::RecordBusy: return ui::Text(texts::kGuardWhyBusy);
    case Why::GuardOff: break;
  }
  return L"";
}

}  // namespace

std::int64_t CounterMilliseconds(std::int64_t count, std::int64_t frequency) {
  // Whole seconds and the rest apart: the rest times 1000 stays below 1000 × frequency.
  return count / frequency * 1000 + count % frequency * 1000 / frequency;
}

std::wstring Stamp(const LocalTime& t) {
  return Two(t.year, 4) + L"-" + Two(t.month) + L"-" + Two(t.day) + L" " + Two(t.hour) + L":" + Two(t.minute) + L":" +
         Two(t.second) + L"." + Two(t.millisecond, 3);
}

std::wstring RunBeginsText(const std::wstring& sequencePath, const RunSettings& s, int kept, int leftOut) {
  // The settings by their keys' names, the same in every language.
  const std::wstring settings = L"CPULimit " + Number(s.cpuLimit) + L", MaxIdleTime " + Number(s.maxIdleTime) +
                                L", IntervalTime " + Number(s.intervalTime) + L", TimerInterval " +
                                Number(s.timerInterval) + L", ReadyWait " + (s.readyWait ? L"1" : L"0") +
                                L", SkipRunning " + (s.skipRunning ? L"1" : L"0") + L", SettleWait " +
                                (s.settleWait ? L"1" : L"0");
  return ui::Format(ui::Text(texts::kRunBegins), {sequencePath, settings, Items(kept), std::to_wstring(leftOut)});
}

std::wstring ItemText(const ItemEvent& e, std::int64_t realMs) {
  const std::wstring process = std::to_wstring(e.processId);
  std::wstring outcome;
  switch (e.outcome) {
    case Outcome::Started: outcome = ui::Format(ui::Text(texts::kOutcomeStarted), {process}); break;
    case Outcome::Opened: outcome = ui::Text(texts::kOutcomeOpened); break;
    case Outcome::NotOpened: outcome = ui::Text(texts::kOutcomeNotOpened); break;
    case Outcome::Failed: outcome = ui::Format(ui::Text(texts::kOutcomeFailed), {e.detail}); break;
    case Outcome::AlreadyRunning: outcome = ui::Format(ui::Text(texts::kOutcomeAlreadyRunning), {process}); break;
  }
  const std::wstring timing =
      e.timed ? ui::Format(ui::Text(texts::kItemTiming), {Number(e.heldMs), Number(e.networkMs)}) : L"";
  return ui::Format(ui::Text(e.timed ? texts::kItemLineTimed : texts::kItemLine),
                    {std::to_wstring(e.position), L"\"" + e.title + L"\"", e.file, Number(e.waitedMs),
                     std::to_wstring(realMs < 0 ? 0 : realMs),
                     e.usage ? Number(*e.usage) + L" %" : ui::Text(texts::kUsageNotRead), ReasonText(e),
                     outcome, timing});
}

std::wstring GuardText(const sequence::guard::Finding& f) {
  using sequence::guard::Kind;
  using sequence::guard::Why;
  switch (f.kind) {
    case Kind::SwitchedOffAgain: return ui::Format(ui::Text(texts::kGuardSwitchedOffAgain), {f.name});
    case Kind::BackOn: return f.why == Why::GuardOff ? ui::Format(ui::Text(texts::kGuardBackOn), {f.name})
                                                     : ui::Format(ui::Text(texts::kGuardLeftOn), {f.name, WhyText(f)});
    case Kind::NeedsAdmin: return ui::Format(ui::Text(texts::kGuardNeedsAdmin), {f.name});
    case Kind::NotSwitchedOff: return ui::Format(ui::Text(texts::kGuardNotSwitchedOff), {f.name});
    case Kind::CommandChanged: return ui::Format(ui::Text(texts::kGuardCommandChanged), {f.name, f.detail});
    case Kind::NewEntry: return f.firstSeen ? ui::Format(ui::Text(texts::kGuardNewEntry), {f.name, f.detail}) : L"";
    case Kind::RecordUnreadable: return ui::Format(ui::Text(texts::kGuardRecordUnreadable), {f.name});
    case Kind::RecordTooLarge: return ui::Format(ui::Text(texts::kGuardRecordTooLarge), {f.name});
  }
  return L"";
}

std::wstring RunEndsText(int handled, int notStarted, std::int64_t durationMs) {
  return notStarted == 0 ? ui::Format(ui::Text(texts::kRunEndsAll), {std::to_wstring(handled), Seconds(durationMs)})
                         : ui::Format(ui::Text(texts::kRunEndsClosed), {Items(notStarted), Seconds(durationMs)});
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
  // The size alone decides, so the report is read only when it is moved aside.
  const std::optional<std::uint64_t> size = fs_->Size(path_);
  needMark_ = full_ = false;
  file_.reset();
  if (size && *size > kRotateBytes && Rotate(line)) {
    size_ = fs_->Size(path_).value_or(0);
    return;
  }
  size_ = size.value_or(0);
  // Held both: no new line once the report is at its bound.
  full_ = size_ >= kMostBytes;
  // A report that is there but could not be read is not new: no mark in its middle.
  needMark_ = size ? *size == 0 : !fs_->Exists(path_);
  Write(line);
}

void StartReport::Guard(const std::vector<sequence::guard::Finding>& findings) {
  if (!fs_) return;
  for (const sequence::guard::Finding& f : findings)
    if (std::wstring text = GuardText(f); !text.empty()) Write(Stamp(clock_->Now()) + L" " + text);
}

bool StartReport::Rotate(const std::wstring& line) {
  std::optional<std::string> old = fs_->ReadAll(path_);
  if (!old || old->size() <= kRotateBytes) return false;
  // The older half is kept whole as "<name>.1".
  if (fs_->ReplaceContents(path_ + L".1", *old) && fs_->ReplaceContents(path_, sequence::Utf8Lines({line}, true)))
    return true;
  // A copy that cannot be made (held by a backup): the report keeps only
  // its newer part, so that it stays bounded all the same.
  return fs_->ReplaceContents(path_, NewerPart(*old) + sequence::Utf8Lines({line}, false));
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
  file_.reset();
}

void StartReport::Write(const std::wstring& line) {
  if (full_) return;
  std::string bytes = sequence::Utf8Lines({line}, needMark_);
  if (size_ + bytes.size() > kMostBytes) {
    // The last line the report gets until it can be moved aside.
    full_ = true;
    bytes = sequence::Utf8Lines({Stamp(clock_->Now()) + L" " + ui::Text(texts::kReportFull)}, needMark_);
  }
  // Held from the first line to the last; a file another program held at the
  // start of the run is tried again on the next line.
  if (!file_) file_ = fs_->OpenForAppend(path_);
  if (file_ && file_->Write(bytes)) {
    needMark_ = false;
    size_ += bytes.size();
  }
}

}  // namespace report
