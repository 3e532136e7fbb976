#include "editor/logon_chart.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "common/text.h"
#include "common/ui_text.h"
#include "editor/texts.h"

namespace chart {
namespace {

using timeline::HoldKind;
using timeline::Result;

// Tick steps a reader takes in at a glance; past an hour they double.
constexpr std::int64_t kNiceSteps[] = {1, 2, 5, 10, 20, 30, 60, 120, 300, 600, 1200, 1800, 3600};

Role RoleOf(HoldKind kind) {
  switch (kind) {
    case HoldKind::Interval: return Role::HoldInterval;
    case HoldKind::Usage: return Role::HoldUsage;
    case HoldKind::Delay: return Role::HoldDelay;
    case HoldKind::Network: return Role::HoldNetwork;
    case HoldKind::Ready: return Role::HoldReady;
    case HoldKind::Settle: return Role::HoldSettle;
  }
  return Role::HoldInterval;
}

Role RoleOf(Result result) {
  switch (result) {
    case Result::Started: return Role::Started;
    case Result::AlreadyRunning: return Role::AlreadyRunning;
    case Result::Opened: return Role::Opened;
    case Result::NotOpened: return Role::NotOpened;
    case Result::Failed: return Role::Failed;
  }
  return Role::Failed;
}

std::wstring TickText(std::int64_t ms, std::int64_t stepMs) {
  using namespace editor::texts;
  if (stepMs % 60000 == 0) return ui::Format(ui::Text(kChartMinutes), {std::to_wstring(ms / 60000)});
  return ui::Format(ui::Text(kChartSeconds), {std::to_wstring(ms / 1000)});
}

// A start-up failure's code reads best in hexadecimal (0xC0000005), a
// program's own in decimal.
std::wstring ExitCodeText(std::uint32_t code) {
  wchar_t buf[16];
  std::swprintf(buf, std::size(buf), code > 0xFFFF ? L"0x%08X" : L"%u", code);
  return ui::Format(ui::Text(editor::texts::kChartExitCode), {buf});
}

// The text at the row's end: the impact, and the exit code of an early end.
std::wstring RowText(const timeline::Item& item) {
  std::wstring text = ImpactText(item);
  if (item.ended) text += (text.empty() ? L"" : L"  ") + ExitCodeText(item.ended->exitCode);
  return text;
}

// The latest moment the run names: the axis reaches it, so nothing falls off.
std::int64_t SpanMs(const timeline::Run& run) {
  std::int64_t span = std::max<std::int64_t>(run.lengthMs, 1000);
  for (const timeline::Sample& s : run.usage) span = std::max(span, s.ms);
  for (const timeline::Item& item : run.items) {
    span = std::max({span, item.wentMs, item.readyMs.value_or(0), item.ended ? item.ended->atMs : 0});
    for (const timeline::Hold& h : item.holds) span = std::max(span, h.toMs);
  }
  return span;
}

// The smallest nice step whose labels stand apart along the plot.
std::int64_t TickStepMs(std::int64_t spanMs, int plotWidth, int textHeight, const Metrics& m) {
  std::int64_t step = 0;
  for (std::size_t i = 0; step < spanMs && step <= INT64_MAX / 2; ++i) {
    step = i < std::size(kNiceSteps) ? 1000 * kNiceSteps[i] : 2 * step;
    const int widest = m.textWidth(TickText(spanMs / step * step, step));
    if (static_cast<double>(step) * plotWidth / spanMs >= widest + textHeight) break;
  }
  return step;
}

class Scale {
 public:
  Scale(Rect plot, std::int64_t spanMs) : plot_(plot), spanMs_(spanMs) {}
  int X(std::int64_t ms) const {
    const double within = static_cast<double>(std::clamp<std::int64_t>(ms, 0, spanMs_));
    return plot_.x + static_cast<int>(within * plot_.width / spanMs_);
  }
 private:
  Rect plot_;
  std::int64_t spanMs_;
};

// The y of a percentage across the band, 100 % at its top.
int PercentY(const Rect& band, double percent) {
  return band.Bottom() - static_cast<int>(std::clamp(percent, 0.0, 100.0) * band.height / 100 + 0.5);
}

// The index of the largest positive value, if any; the first of equals.
template <class F>
std::optional<std::size_t> Largest(const std::vector<timeline::Item>& items, F value) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (value(items[i]) > 0 && (!best || value(items[i]) > value(items[*best]))) best = i;
  return best;
}

}  // namespace

Chart Layout(const timeline::Run& run, int width, int height, const Metrics& m) {
  Chart c;
  c.width = std::max(width, 0);
  const int lineHeight = std::max(m.textHeight, 1), pad = std::max(2, lineHeight / 2);

  // Columns: titles, the plot, the texts at the rows' ends; the side ones
  // take what they need up to a share of the width.
  int titleWidth = 0, labelWidth = 0;
  std::vector<std::wstring> rowTexts;
  for (const timeline::Item& item : run.items) {
    titleWidth = std::max(titleWidth, m.textWidth(item.title));
    rowTexts.push_back(RowText(item));
    labelWidth = std::max(labelWidth, m.textWidth(rowTexts.back()));
  }
  titleWidth = std::min(titleWidth, c.width / 10 * 3);
  labelWidth = std::min(labelWidth, c.width / 4);
  c.spanMs = SpanMs(run);
  c.band = {pad, pad, 0, std::clamp(height / 4, 3 * lineHeight, 8 * lineHeight)};
  c.plot.x = pad + (titleWidth ? titleWidth + pad : 0);
  c.plot.y = c.band.y;
  c.plot.width = std::max(1, c.width - pad - (labelWidth ? labelWidth + pad : 0) - c.plot.x);
  c.band.x = c.plot.x;
  c.band.width = c.plot.width;
  const Scale scale(c.plot, c.spanMs);

  // The usage: the busiest sample of each pixel column.
  for (const timeline::Sample& s : run.usage) {
    const Point p{scale.X(s.ms), PercentY(c.band, s.percent)};
    if (!c.usage.empty() && c.usage.back().x == p.x) c.usage.back().y = std::min(c.usage.back().y, p.y);
    else c.usage.push_back(p);
  }
  c.limitY = PercentY(c.band, run.settings.cpuLimit);

  // The axis, under the band.
  const int axisY = c.band.Bottom() + pad / 2;
  c.tickMs = TickStepMs(c.spanMs, c.plot.width, lineHeight, m);
  for (std::int64_t k = 0; k <= c.spanMs / c.tickMs; ++k) {
    const std::int64_t ms = k * c.tickMs;
    Label label{{0, axisY, 0, lineHeight}, TickText(ms, c.tickMs)};
    label.rect.width = m.textWidth(label.text);
    label.rect.x = std::clamp(scale.X(ms) - label.rect.width / 2, 0, std::max(0, c.width - label.rect.width));
    c.ticks.push_back({ms, scale.X(ms), std::move(label)});
  }

  // The rows.
  const int rowsTop = axisY + lineHeight + pad / 2, rowHeight = lineHeight + pad;
  const int markWidth = std::max(2, lineHeight / 6);
  const auto longest = Largest(run.items, [](const timeline::Item& i) { return i.wentMs - i.nextMs; });
  const auto heaviest = Largest(run.items, [](const timeline::Item& i) { return i.impactMs.value_or(0); });
  for (std::size_t i = 0; i < run.items.size(); ++i) {
    const timeline::Item& item = run.items[i];
    Row row;
    row.item = i;
    row.rect = {0, rowsTop + static_cast<int>(i) * rowHeight, c.width, rowHeight};
    const int top = row.rect.y + pad / 2;
    row.title = {pad, top, titleWidth, lineHeight};
    const auto span = [&](std::int64_t from, std::int64_t to, int y, int h, Role role) {
      row.shapes.push_back({{scale.X(from), y, std::max(1, scale.X(to) - scale.X(from)), h}, role});
    };
    const auto mark = [&](std::int64_t at, Role role) {
      row.shapes.push_back({{scale.X(at) - markWidth / 2, top, markWidth, lineHeight}, role});
    };
    for (const timeline::Hold& h : item.holds) span(h.fromMs, h.toMs, top, lineHeight, RoleOf(h.kind));
    if (item.readyMs && *item.readyMs > item.wentMs)  // a thinner bar, across the row's middle third
      span(item.wentMs, *item.readyMs, top + lineHeight / 3, lineHeight - 2 * (lineHeight / 3), Role::ReadyTime);
    mark(item.wentMs, RoleOf(item.result));
    if (item.ended) mark(item.ended->atMs, Role::EndedEarly);

    if (!rowTexts[i].empty()) {
      int right = c.plot.x;
      for (const Shape& s : row.shapes) right = std::max(right, s.rect.Right());
      Label label{{right + pad / 2, top, m.textWidth(rowTexts[i]), lineHeight}, rowTexts[i]};
      const int room = std::max(0, c.width - pad - label.rect.x);
      label.clipped = label.rect.width > room;
      label.rect.width = std::min(label.rect.width, room);
      row.label = std::move(label);
    }
    row.waitedLongest = longest == i;
    row.heaviest = heaviest == i;
    c.rows.push_back(std::move(row));
  }
  c.plot.height = (c.rows.empty() ? c.band.Bottom() : c.rows.back().rect.Bottom()) - c.plot.y;
  c.height = std::max(height, c.plot.Bottom() + pad);
  return c;
}

std::optional<std::size_t> RowAt(const Chart& chart, int x, int y) {
  if (chart.rows.empty() || x < 0 || x >= chart.width) return std::nullopt;
  const Rect& first = chart.rows.front().rect;
  if (y < first.y) return std::nullopt;
  const std::size_t i = static_cast<std::size_t>((y - first.y) / first.height);
  if (i >= chart.rows.size()) return std::nullopt;
  return i;
}

std::wstring ImpactText(const timeline::Item& item) {
  using namespace editor::texts;
  if (!item.impactMs) return L"";
  const timeline::ImpactClass c = timeline::ClassOf(*item.impactMs);
  const unsigned id = c == timeline::ImpactClass::High     ? kChartImpactHigh
                      : c == timeline::ImpactClass::Medium ? kChartImpactMedium
                                                           : kChartImpactLow;
  return ui::Format(ui::Text(id), {std::to_wstring(*item.impactMs)});
}

std::optional<std::size_t> ItemAt(const timeline::Run& run, int position, std::wstring_view file) {
  const std::wstring wanted = text::ToLower(file);
  for (std::size_t i = 0; i < run.items.size(); ++i)
    if (run.items[i].position == position && text::ToLower(run.items[i].file) == wanted) return i;
  return std::nullopt;
}

std::wstring FactsText(const timeline::Item& item) {
  using timeline::Reason;
  using timeline::Result;
  using namespace editor::texts;
  unsigned why = kWentIntervalAndLimit;
  switch (item.reason) {
    case Reason::IntervalAndLimit: why = kWentIntervalAndLimit; break;
    case Reason::Settled: why = kWentSettled; break;
    case Reason::MaxWait: why = kWentMaxWait; break;
    case Reason::Ready: why = kWentReady; break;
    case Reason::AfterRunning: why = kWentAfterRunning; break;
    case Reason::AlreadyRunning: why = kWentAlreadyRunning; break;
    case Reason::NoMeter: why = kWentNoMeter; break;
  }
  const std::wstring pid = std::to_wstring(item.processId);
  std::wstring result;
  switch (item.result) {
    case Result::Started: result = ui::Format(ui::Text(kResultStarted), {pid}); break;
    case Result::AlreadyRunning: result = ui::Format(ui::Text(kResultAlreadyRunning), {pid}); break;
    case Result::Opened: result = ui::Text(kResultOpened); break;
    case Result::NotOpened: result = ui::Text(kResultNotOpened); break;
    case Result::Failed: result = ui::Format(ui::Text(kResultFailed), {item.error}); break;
  }
  const std::wstring impact = item.impactMs ? ImpactText(item) : ui::Text(kLogonNoImpact);
  return ui::Format(ui::Text(kLogonFacts),
                    {item.title, item.file, std::to_wstring(item.wentMs - item.nextMs), ui::Text(why), result, impact});
}

}  // namespace chart
