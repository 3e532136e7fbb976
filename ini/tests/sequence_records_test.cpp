#include "ini/sequence_records.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "common/tests/support/temp_folder.h"

namespace {

using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
// An item as its title, its second record and its body's items.
using Dumped = std::tuple<std::wstring, std::wstring, Entries>;

std::vector<Dumped> Dump(const std::vector<records::Item>& items) {
  std::vector<Dumped> out;
  for (const records::Item& item : items) {
    Entries body;
    for (std::size_t i = 0; i < item.body.Size(); ++i) {
      const IniDocument::EntryView e = item.body.At(i);
      EXPECT_EQ(e.kind, IniDocument::Kind::Item);
      body.emplace_back(e.name, e.value);
    }
    out.emplace_back(item.title, item.second, std::move(body));
  }
  return out;
}

Dumped Item(std::wstring title, std::wstring second, Entries body = {}) { return {title, second, body}; }

TEST(SequenceRecords, ThreeRecordsMakeOneItem) {
  const std::wstring body = L"File=C:\\Tools\\a.exe\r\nCurrent=C:\\Tools\r\nOption=\r\nSize = 1\r\nNoUse = 0";
  const Entries keys = {{L"File", L"C:\\Tools\\a.exe"}, {L"Current", L"C:\\Tools"}, {L"Option", L""}, {L"Size", L"1"}, {L"NoUse", L"0"}};
  const std::vector<std::pair<std::wstring, std::vector<Dumped>>> cases = {
      {L"T1\x01\x01" + body + L"\x01T2\x01\x01" L"File=b\x01", {Item(L"T1", L"", keys), Item(L"T2", L"", {{L"File", L"b"}})}},
      {L"T1\x01\x01" L"File=a\x01T2\x01", {Item(L"T1", L"", {{L"File", L"a"}}), Item(L"T2", L"")}},
      {L"T\x01\x01" L"File=a\r\n\x01", {Item(L"T", L"", {{L"File", L"a"}})}},
      {L"T\x01R\x01# F=x\r\n\r\n  Size  =  3  \r\n; c=d\r\nno equals\r\n[s]=2\r\n=x\r\n\tTab=\t",
       {Item(L"T", L"R", {{L"Size", L"3"}, {L"[s]", L"2"}, {L"", L"x"}, {L"\tTab", L"\t"}})}},
      // A later line of a name replaces the earlier; no line replaces the title. The INI
      // file's reserved spellings are plain names and values here.
      {L"T\x01\x01" L"File=a\r\nSize=1\r\nFILE=b\r\n=title=new\r\n =second =x\r\n*REM*=x\r\nOld=*DEL*\r\n*rem*=y",
       {Item(L"T", L"", {{L"File", L"b"}, {L"Size", L"1"}, {L"", L"second =x"}, {L"*REM*", L"y"}, {L"Old", L"*DEL*"}})}},
      // Items spelling their keys otherwise, or in another order, keep their own spelling.
      {L"T1\x01\x01" L"File=a\r\nSize=1\x01T2\x01\x01" L"file=b\r\nNoUse=0\r\nSize=2\x01T3\x01\x01" L"Size=3\r\nFile=c",
       {Item(L"T1", L"", {{L"File", L"a"}, {L"Size", L"1"}}),
        Item(L"T2", L"", {{L"file", L"b"}, {L"NoUse", L"0"}, {L"Size", L"2"}}),
        Item(L"T3", L"", {{L"Size", L"3"}, {L"File", L"c"}})}},
      {L"", {}},
  };
  for (const auto& [text, items] : cases) {
    SCOPED_TRACE(text::ToUtf8(text));
    EXPECT_EQ(Dump(records::FromText(text, RealFileSystem())), items);
    TempFolder dir;
    EXPECT_EQ(Dump(records::Load(dir.Write(L"StartUp.pmw", text::ToAnsi(text)), RealFileSystem())), items);
  }
  TempFolder dir;
  EXPECT_TRUE(records::Load(dir / L"missing.pmw", RealFileSystem()).empty());
}

// A large file is converted in pieces: items across the cuts, keys that change
// spelling and items cut short at the end load as from the whole text.
TEST(SequenceRecords, LargeFileLoadsAsItsWholeText) {
  for (const std::wstring& end : {std::wstring(L"\x01"), std::wstring(L"Last\x01\x01"), std::wstring(L"Last\x01")}) {
    std::wstring text;
    for (int i = 0; i < 12000; ++i) {
      text += L"2001/05/12：項目 " + std::to_wstring(i) + L"\x01" + (i % 7 ? L"" : L"second") + L"\x01";
      text += (i % 5 ? L"File" : L"FILE") + (L" = C:\\Tools\\" + std::to_wstring(i)) + L".exe\r\nSize=1\r\n;c\r\nNoUse = 0\x01";
    }
    text.resize(text.size() - 1);
    text += L"\x01" + end;
    SCOPED_TRACE(text::ToUtf8(end));
    TempFolder dir;
    const std::string bytes = text::ToAnsi(text);
    ASSERT_GT(bytes.size(), 3u << 18);
    const std::vector<Dumped> whole = Dump(records::FromText(text, RealFileSystem()));
    ASSERT_EQ(whole.size(), 12001u);
    EXPECT_EQ(Dump(records::Load(dir.Write(L"StartUp.pmw", bytes), RealFileSystem())), whole);
  }
}

}  // namespace
