#include "editor/row_findings.h"

#include <gtest/gtest.h>

#include "common/tests/support/fakes.h"

namespace {

using editor::RowFindings;
using editor::SequenceDocument;

// Rows are checked when asked for or a few at a time; the count waits for
// the last row; only items that start are twins; a change of the document
// is checked afresh, even before the findings are told to forget.
TEST(RowFindings, ChecksRowsInTurnAndTwinsOnlyItemsThatStart) {
  fake::FileSystem fs;
  fake::Clock clock;
  fs.files[L"C:\\a.exe"] = "";
  SequenceDocument doc(fs, clock);
  doc.Add(0, {{L"A", L"C:\\a.exe", L"", L"", 1}, {L"B", L"C:\\a.exe", L"", L"", 1}, {L"C", L"C:\\a.exe", L"", L"", 1}});
  doc.SetSwitchedOn(0, false);
  const sequence::check::ItemCheck check({L"C:\\T\\Tarvoline.exe", {}, {}, {}}, fs, {});
  RowFindings findings(doc);
  EXPECT_EQ(findings.Total(), std::nullopt);
  findings.Forget();

  int turns = 0;
  const auto oneRow = [&turns] { return turns++ % 2 == 0; };
  EXPECT_FALSE(findings.CheckMore(check, oneRow));
  EXPECT_FALSE(findings.CheckMore(check, oneRow));
  EXPECT_EQ(findings.Total(), std::nullopt);
  EXPECT_TRUE(findings.CheckMore(check, oneRow));
  // A, switched off, is no twin's first: C repeats B, the second row.
  EXPECT_TRUE(findings.At(0, check).empty());
  EXPECT_TRUE(findings.At(1, check).empty());
  ASSERT_EQ(findings.At(2, check).size(), 1u);
  EXPECT_NE(findings.At(2, check)[0].find(L'2'), std::wstring::npos);
  EXPECT_EQ(findings.Total(), std::optional<std::size_t>(1));

  doc.SetSwitchedOn(0, true);
  findings.Forget();
  EXPECT_EQ(findings.Total(), std::nullopt);
  EXPECT_EQ(findings.At(1, check).size(), 1u);
  // Removed before the findings were told: the rows left are what counts.
  doc.Remove({0});
  EXPECT_TRUE(findings.At(0, check).empty());
  EXPECT_TRUE(findings.CheckMore(check, [] { return true; }));
  EXPECT_EQ(findings.Total(), std::optional<std::size_t>(1));
}

}  // namespace
