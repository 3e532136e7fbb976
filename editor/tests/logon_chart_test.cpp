#include "editor/logon_chart.h"

#include <gtest/gtest.h>

namespace {

using timeline::HoldKind;
using timeline::Item;
using timeline::Reason;
using timeline::Result;

// A font of fixed-width characters, 8 pixels each.
chart::Metrics Font(int textHeight = 16) {
  return {textHeight, [](std::wstring_view s) { return static_cast<int>(s.size()) * 8; }};
}

Item Started(int position, std::int64_t next, std::int64_t went, std::optional<std::int64_t> impact) {
  return {position, L"Program " + std::to_wstring(position), L"p.exe", next, {{HoldKind::Interval, next, went}},
          went, Reason::IntervalAndLimit, Result::Started, 100, L"", went + 300, impact, std::nullopt};
}

// A log-on of 40 s: every kind of hold, each result, an early end, a long title.
timeline::Run LogOn() {
  timeline::Run run;
  run.settings.cpuLimit = 30;
  run.lengthMs = 40000;
  for (int ms = 0; ms <= 40000; ms += 200) run.usage.push_back({ms, ms % 3000 < 1000 ? 95.0 : 20.0});
  run.items = {Started(1, 0, 600, 1500), Started(2, 600, 9000, 120), Started(3, 9000, 9500, 640),
               Started(4, 9500, 9500, std::nullopt), Started(5, 9500, 39000, 2400)};
  run.items[1].holds = {{HoldKind::Delay, 600, 4000}, {HoldKind::Network, 4000, 5000}, {HoldKind::Usage, 5000, 7000},
                        {HoldKind::Ready, 7000, 8000}, {HoldKind::Settle, 8000, 9000}};
  run.items[1].title = L"A program with a title far too long for its column, as users write them";
  run.items[2].ended = timeline::EarlyEnd{12000, 0xC0000005};
  run.items[3].result = Result::Failed;
  run.items[3].readyMs.reset();
  run.items[4].readyMs = 45000;  // past the run's end: the axis reaches it
  return run;
}

bool Overlap(const chart::Rect& a, const chart::Rect& b) {
  return a.width > 0 && b.width > 0 && a.x < b.Right() && b.x < a.Right() && a.y < b.Bottom() && b.y < a.Bottom();
}

TEST(LogonChart, PicksANiceTickStepForTheRunAndWidth) {
  struct Case { std::int64_t lengthMs; int width; std::int64_t tickMs; const wchar_t* second; } cases[] = {
      {300, 816, 1000, L"1 秒"},  // a second at least
      {5000, 816, 1000, L"1 秒"},
      {45000, 816, 5000, L"5 秒"},
      {600000, 816, 60000, L"1 分"},
      {7200000, 216, 3600000, L"60 分"},
      {45000, 40, 60000, nullptr},  // no room: the run's start alone
  };
  for (const auto& c : cases) {
    timeline::Run run;
    run.lengthMs = c.lengthMs;
    const chart::Chart ch = chart::Layout(run, c.width, 400, Font());
    EXPECT_EQ(ch.tickMs, c.tickMs) << c.lengthMs;
    ASSERT_EQ(ch.ticks.size(), c.second ? std::max<std::int64_t>(c.lengthMs, 1000) / c.tickMs + 1 : 1) << c.lengthMs;
    EXPECT_EQ(ch.ticks[0].x, ch.plot.x);
    if (c.second) {
      EXPECT_EQ(ch.ticks[1].label.text, c.second);
    }
  }
}

// At any size everything lies in its row, in time order, inside the chart;
// no text covers a bar or another text.
TEST(LogonChart, PlacesRowsBarsAndTextsWithoutOverlap) {
  const timeline::Run run = LogOn();
  struct Case { int width, textHeight; bool clipped; } cases[] = {
      {1600, 16, false}, {900, 24, false}, {400, 16, true}, {120, 16, true}};
  for (const auto& c : cases) {
    const chart::Chart ch = chart::Layout(run, c.width, 300, Font(c.textHeight));
    ASSERT_EQ(ch.rows.size(), run.items.size());
    EXPECT_EQ(ch.spanMs, 45000);
    std::vector<chart::Rect> texts;
    for (const chart::Tick& t : ch.ticks) texts.push_back(t.label.rect);
    bool clipped = false;
    for (std::size_t i = 0; i < ch.rows.size(); ++i) {
      const chart::Row& row = ch.rows[i];
      EXPECT_EQ(row.item, i);
      EXPECT_EQ(row.rect.y, i ? ch.rows[i - 1].rect.Bottom() : ch.rows[0].rect.y);
      EXPECT_GE(row.rect.y, ch.ticks[0].label.rect.Bottom());
      EXPECT_LE(row.title.Right(), ch.plot.x);
      int holdX = ch.plot.x;
      for (const chart::Shape& s : row.shapes) {
        EXPECT_TRUE(s.rect.x >= 0 && s.rect.Right() <= ch.plot.Right() + c.textHeight / 6) << c.width;
        EXPECT_TRUE(s.rect.y >= row.rect.y && s.rect.Bottom() <= row.rect.Bottom());
        if (s.role <= chart::Role::HoldSettle) {
          EXPECT_GE(s.rect.x, holdX) << "holds in time order";
          holdX = s.rect.x;
        }
        for (const chart::Rect& t : texts) EXPECT_FALSE(Overlap(s.rect, t)) << c.width;
      }
      if (!row.label) continue;
      for (const chart::Shape& s : row.shapes) EXPECT_FALSE(Overlap(s.rect, row.label->rect)) << c.width;
      for (const chart::Rect& t : texts) EXPECT_FALSE(Overlap(row.label->rect, t)) << c.width;
      EXPECT_LE(row.label->rect.Right(), c.width);
      clipped = clipped || row.label->clipped;
      texts.push_back(row.label->rect);
    }
    EXPECT_EQ(clipped, c.clipped) << c.width;
    for (std::size_t i = 1; i < ch.ticks.size(); ++i)
      EXPECT_FALSE(Overlap(ch.ticks[i - 1].label.rect, ch.ticks[i].label.rect));
    EXPECT_EQ(ch.rows[2].label->text, L"負荷 中 640 ms  終了コード 0xC0000005");
    EXPECT_FALSE(ch.rows[3].label) << "no impact, no early end";
  }
}

// One point per pixel column at most, the busiest sample of each.
TEST(LogonChart, ThinsTheUsageToPixelColumns) {
  timeline::Run run;
  run.lengthMs = 100000;
  run.settings.cpuLimit = 30;
  for (int ms = 0; ms <= 100000; ms += 10) run.usage.push_back({ms, ms == 50010 ? 100.0 : 10.0});
  const chart::Chart ch = chart::Layout(run, 216, 400, Font());
  ASSERT_EQ(ch.usage.size(), static_cast<std::size_t>(ch.plot.width + 1));
  for (std::size_t i = 1; i < ch.usage.size(); ++i) EXPECT_EQ(ch.usage[i].x, ch.usage[i - 1].x + 1);
  int peaks = 0;
  for (const chart::Point& p : ch.usage) peaks += p.y == ch.band.y;
  EXPECT_EQ(peaks, 1);
  EXPECT_EQ(ch.usage[0].y, ch.band.Bottom() - 10);  // the band is 100 high
  EXPECT_EQ(ch.limitY, ch.band.Bottom() - 30);
}

TEST(LogonChart, FlagsTheLongestWaitAndTheHeaviestProgram) {
  struct Case { std::vector<Item> items; int longest, heaviest; } cases[] = {
      {{Started(1, 0, 500, 100), Started(2, 500, 4000, 2000), Started(3, 4000, 9000, 800)}, 2, 1},
      {{Started(1, 0, 500, std::nullopt), Started(2, 500, 1000, std::nullopt)}, 0, -1},  // ties: the first
      {{Started(1, 0, 0, 0)}, -1, -1},
  };
  for (const auto& c : cases) {
    timeline::Run run;
    run.items = c.items;
    const chart::Chart ch = chart::Layout(run, 800, 400, Font());
    for (std::size_t i = 0; i < ch.rows.size(); ++i) {
      EXPECT_EQ(ch.rows[i].waitedLongest, static_cast<int>(i) == c.longest) << i;
      EXPECT_EQ(ch.rows[i].heaviest, static_cast<int>(i) == c.heaviest) << i;
    }
  }
}

TEST(LogonChart, FindsTheRowAtAPoint) {
  const chart::Chart ch = chart::Layout(LogOn(), 800, 300, Font());
  const chart::Rect& second = ch.rows[1].rect;
  struct Case { int x, y; std::optional<std::size_t> row; } cases[] = {
      {10, second.y, 1}, {799, second.Bottom() - 1, 1}, {10, second.Bottom(), 2},
      {10, ch.rows[0].rect.y - 1, std::nullopt},  // the axis
      {10, ch.rows.back().rect.Bottom(), std::nullopt}, {800, second.y, std::nullopt}, {-1, second.y, std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(chart::RowAt(ch, c.x, c.y), c.row) << c.x << "," << c.y;
}

}  // namespace
