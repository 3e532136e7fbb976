#include "ini/text_fast_read_binary.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "fakes.h"
#include "temp_folder.h"

namespace {

std::vector<std::wstring> Drain(TextFastReadBinary& reader) {
  std::vector<std::wstring> records;
  while (!reader.EOFText()) records.push_back(reader.InputLine());
  // The end is sticky and never moves.
  EXPECT_TRUE(reader.InputLine().empty() && !reader.GetOneLine() && reader.EOFText());
  return records;
}

TEST(TextFastReadBinary, SplitsAtEverySeparatorAndDropsOneEmptyTail) {
  const std::vector<std::pair<std::wstring, std::vector<std::wstring>>> cases = {
      {L"A\x01" L"B\x01", {L"A", L"B"}}, {L"A\x01" L"B", {L"A", L"B"}}, {L"A\x01\x01", {L"A", L""}},
      {L"\x01", {L""}}, {L"", {}}, {L"\x01\x01" L"X\x01", {L"", L"", L"X"}}, {L"one\r\ntwo\r\n", {L"one\r\ntwo\r\n"}},
      {L"2001/05/12：メモ帳\x01\x01" L"File=C:\\メモ\\x.exe\x01", {L"2001/05/12：メモ帳", L"", L"File=C:\\メモ\\x.exe"}},
  };
  for (const auto& [text, records] : cases) {
    SCOPED_TRACE(text::ToUtf8(text));
    TempFolder dir;
    TextFastReadBinary fromFile;
    ASSERT_TRUE(fromFile.LoadTextFile(dir.Write(L"StartUp.pmw", text::ToAnsi(text))));
    EXPECT_EQ(fromFile.RecordsLeft(), records.size());
    EXPECT_EQ(Drain(fromFile), records);
  }
}

TEST(TextFastReadBinary, GetOneLineCutsOnlyAtCrLf) {
  TextFastReadBinary reader;
  reader.LoadText(L"a\r\nb\r\n\x01" L"a\rb\nc\x01\x01" L"\r\n\x01" L"last");
  using Lines = std::vector<std::wstring>;
  EXPECT_EQ(reader.GetOneLine(), (Lines{L"a", L"b", L""}));
  EXPECT_EQ(reader.GetOneLine(), (Lines{L"a\rb\nc"}));
  EXPECT_EQ(reader.GetOneLine(), Lines{});
  EXPECT_EQ(reader.GetOneLine(), (Lines{L"", L""}));
  EXPECT_EQ(Drain(reader), Lines{L"last"});  // one position for both ways of reading
}

TEST(TextFastReadBinary, FailedLoadLeavesTheReaderAsItWas) {
  fake::FileSystem fake;
  fake.files = {{L"a.pmw", "A\x01" "B\x01"}, {L"locked.pmw", "X"}};
  fake.unreadable = {L"locked.pmw"};
  TextFastReadBinary reader(fake);
  EXPECT_FALSE(reader.LoadTextFile(L"locked.pmw"));
  EXPECT_EQ(Drain(reader), std::vector<std::wstring>{L""});  // never loaded: one empty record
  ASSERT_TRUE(reader.LoadTextFile(L"a.pmw"));
  EXPECT_EQ(reader.InputLine(), L"A");
  EXPECT_FALSE(reader.LoadTextFile(L"missing.pmw") || reader.LoadTextFile(L"locked.pmw"));
  EXPECT_EQ(reader.SourceFilename(), L"a.pmw");
  EXPECT_EQ(Drain(reader), std::vector<std::wstring>{L"B"});
}

}  // namespace
