#include "sequence/timeline.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace timeline;  // Run is named in full: a test has a Run of its own

// A run as Tarvoline records one: a program, a document, one already running.
timeline::Run Recorded(std::int64_t boot = 35012) {
  timeline::Run r;
  r.began = {2026, 12, 8, 8, 15, 2, 31};
  r.sinceBootMs = boot;
  r.sinceShellMs = 12000;
  r.settings = {30, 10000, 500, 200, true, true, Pacing::Settle};
  r.usage = {{0, 12.5}, {200, 87.25}, {400, 30}, {600, 33.333333333333336}};
  r.items = {
      {1, L"Clock", L"C:\\Windows\\clock.exe", 0, {{HoldKind::Interval, 0, 500}, {HoldKind::Usage, 500, 611}}, 611,
       Reason::IntervalAndLimit, Result::Started, 4312, L"", 1500, 820, std::nullopt},
      {2, L"Notes", L"C:\\Users\\me\\notes.txt", 611, {{HoldKind::Settle, 611, 2400}}, 2400, Reason::Settled,
       Result::Opened, 0, L"", std::nullopt, std::nullopt, std::nullopt},
      {3, L"Mail", L"C:\\Tools\\mail.exe", 2400, {}, 2400, Reason::AlreadyRunning, Result::AlreadyRunning, 2210, L"",
       std::nullopt, std::nullopt, EarlyEnd{5000, 0xC0000005}},
  };
  r.lengthMs = 2410;
  return r;
}

std::string Lines(std::initializer_list<std::string_view> lines) {
  std::string s;
  for (std::string_view l : lines) (s += l) += "\r\n";
  return s;
}

// Whatever a title, a path or an error text holds stays on its line and
// reads back; so does every field, present or not.
TEST(Timeline, ReadsBackWhatItWrote) {
  struct Case { const char* name; std::function<void(timeline::Run&)> change; } cases[] = {
      {"as recorded", [](timeline::Run&) {}},
      {"awkward texts",
       [](timeline::Run& r) {
         r.items[0].title = L"a b=c %20 %\r\nrun 1 began=x\x01\t end";
         r.items[0].file = L"C:\\Program Files\\予定表 ✓\U0001F600.txt ";
         r.items[1].title = L"";
         r.items[1].result = Result::Failed;
         r.items[1].error = L"Line one\nline two: 100%";
       }},
      {"nothing optional, classic pacing, closed early",
       [](timeline::Run& r) {
         r.sinceShellMs.reset();
         r.usage.clear();
         for (Item& i : r.items) i.readyMs = i.impactMs = std::nullopt, i.ended.reset(), i.processId = 0;
         r.settings = {0.5, 0, 1e300, 65535, false, false, Pacing::Classic};
         r.items.resize(1);
         r.itemsLeft = 2;
       }},
      {"far numbers", [](timeline::Run& r) { r.lengthMs = INT64_MAX, r.items[0].processId = UINT32_MAX; }},
  };
  for (const Case& c : cases) {
    timeline::Run run = Recorded();
    c.change(run);
    const std::string text = Serialize(run);
    ReadResult read = Read(text);
    ASSERT_EQ(read.runs.size(), 1u) << c.name << "\n" << text;
    EXPECT_TRUE(read.skipped.empty()) << c.name;
    EXPECT_EQ(read.runs[0], run) << c.name << "\n" << text;
  }
}

// Past the bound the usage samples are halved (the first kept) until it
// fits; every item stays, even when the items alone are over it.
TEST(Timeline, ThinsTheUsageToTheBoundKeepingEveryItem) {
  struct Case { std::size_t items, samples; bool fits; } cases[] = {
      {3, 60000, true}, {300, 100000, true}, {3, 40, true}, {2000, 5000, false}};
  for (const Case& c : cases) {
    timeline::Run run = Recorded();
    run.items.resize(c.items, run.items[0]);
    run.usage.clear();
    for (std::size_t i = 0; i < c.samples; ++i) run.usage.push_back({std::int64_t(i) * 100, double(i % 101)});
    const std::string text = Serialize(run);
    EXPECT_EQ(text.size() <= kRunBytes, c.fits) << c.items;
    const ReadResult read = Read(text);
    ASSERT_EQ(read.runs.size(), 1u);
    const timeline::Run& back = read.runs[0];
    EXPECT_EQ(back.items, run.items);
    ASSERT_EQ(back.usage.size() == 1, !c.fits);
    const std::size_t step = c.fits ? std::size_t(back.usage[1].ms / 100) : 1;  // sample i is at i × 100 ms
    EXPECT_EQ(step & (step - 1), 0u) << "a power of two: " << step;
    for (std::size_t i = 0; i < back.usage.size(); ++i) EXPECT_EQ(back.usage[i], run.usage[i * step]);
    if (step > 1 && c.fits) {
      EXPECT_GT(text.size(), kRunBytes / 2) << "thinned no further than needed";
    }
  }
}

// The newest runs stay, oldest first; what a block holds is kept as it stands
// (a newer format's too), lines outside any block go.
TEST(Timeline, AppendKeepsTheNewestRuns) {
  const std::string foreign = Lines({"run 2 began=tomorrow", "something new"});
  struct Case { std::string before; std::size_t runs; std::size_t foreignKept; } cases[] = {
      {"", 0, 0}, {"\xEF\xBB\xBFjunk\r\n", 0, 0}, {"", 5, 0}, {"", 19, 0}, {"", 30, 0},
      {foreign, 18, 1}, {foreign, 19, 0}, {Lines({"run 1 began"}), 0, 0}};
  for (const Case& c : cases) {
    std::string file = c.before;
    for (std::size_t i = 0; i < c.runs; ++i) file = Append(file, Recorded(std::int64_t(i)));
    file = Append(file, Recorded(999));
    ASSERT_TRUE(file.starts_with("\xEF\xBB\xBFrun ")) << c.runs;
    EXPECT_EQ(file.find("junk"), std::string::npos);
    EXPECT_EQ(file.find(foreign) != std::string::npos, c.foreignKept == 1) << c.runs;
    const ReadResult read = Read(file);
    const std::size_t expected = std::min(c.runs + 1 + c.foreignKept, kKeptRuns) - c.foreignKept;
    ASSERT_EQ(read.runs.size(), expected) << c.runs;
    EXPECT_EQ(read.skipped.size(), c.foreignKept + (c.before.starts_with("run 1") && c.runs < 19));
    for (std::size_t i = 0; i + 1 < expected; ++i)
      EXPECT_EQ(read.runs[i].sinceBootMs, std::int64_t(c.runs - expected + 1 + i));
    EXPECT_EQ(read.runs.back(), Recorded(999));
  }
}

// A block that cannot be read is skipped and named by its line; the runs
// around it are read.
TEST(Timeline, SkipsWhatItCannotReadAndReadsTheRest) {
  const std::string good = Serialize(Recorded());
  const std::size_t goodLines = std::count(good.begin(), good.end(), '\n');
  const auto with = [&](std::string_view from, std::string_view to) {
    std::string s = good;
    return s.replace(s.find(from), from.size(), to);
  };
  // Where the middle block's line n is in the file.
  const auto line = [&](std::size_t n) { return goodLines + n; };
  struct Case { const char* name; std::string middle; Skipped skipped; std::size_t runs; } cases[] = {
      {"another version", Lines({"run 2 began=2030", "future 1"}), {line(1), Skip::OtherVersion}, 2},
      {"hold ends before it begins", with("hold usage 500 611", "hold usage 611 500"), {line(8), Skip::Damaged}, 2},
      {"unknown line", with("title Clock", "colour red"), {line(5), Skip::Damaged}, 2},
      {"broken escape", with("title Clock", "title 100%"), {line(5), Skip::Damaged}, 2},
      {"no settings", with("settings CPULimit", "x CPULimit"), {line(2), Skip::Damaged}, 2},
      {"negative time", with("next=611", "next=-611"), {line(9), Skip::Damaged}, 2},
      {"exit code without its time", with(" ended=5000", ""), {line(13), Skip::Damaged}, 2},
      {"header unread", with("boot=35012", "boot=x"), {line(1), Skip::Damaged}, 2},
      {"no end", good.substr(0, good.find("end length")), {line(1), Skip::CutShort}, 2},
      {"line after the end", good + "hold usage 1 2\r\n", {line(goodLines + 1), Skip::Damaged}, 2},
      {"not UTF-8 in a title: read, marked", with("title Clock", "title Cl\xFF" "ck"), {}, 3},
  };
  for (const Case& c : cases) {
    const ReadResult read = Read(good + c.middle + good);
    EXPECT_EQ(read.runs.size(), c.runs) << c.name;
    if (c.runs == 3) {
      EXPECT_EQ(read.runs[1].items[0].title, L"Cl\xFFFD" L"ck");
      continue;
    }
    ASSERT_EQ(read.skipped.size(), 1u) << c.name;
    EXPECT_EQ(read.skipped[0].line, c.skipped.line) << c.name;
    EXPECT_EQ(read.skipped[0].why, c.skipped.why) << c.name;
    for (const timeline::Run& r : read.runs) EXPECT_EQ(r, Recorded());
  }

  // Text before the first block, and a file cut in its last block.
  const ReadResult cut = Read("notes\nmore notes\n" + good + good.substr(0, good.size() / 2));
  ASSERT_EQ(cut.runs.size(), 1u);
  ASSERT_EQ(cut.skipped.size(), 2u);
  EXPECT_EQ(cut.skipped[0].line, 1u);
  EXPECT_EQ(cut.skipped[0].why, Skip::NotARun);
  EXPECT_EQ(cut.skipped[1].line, 3 + goodLines);
  EXPECT_EQ(cut.skipped[1].why, Skip::CutShort);
}

TEST(Timeline, ClassesTheImpactAtItsBounds) {
  struct Case { std::int64_t ms; ImpactClass c; } cases[] = {
      {0, ImpactClass::Low}, {299, ImpactClass::Low}, {300, ImpactClass::Medium},
      {1000, ImpactClass::Medium}, {1001, ImpactClass::High}};
  for (const Case& c : cases) EXPECT_EQ(ClassOf(c.ms), c.c) << c.ms;
}

}  // namespace
