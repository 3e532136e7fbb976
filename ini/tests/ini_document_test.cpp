#include "ini/ini_document.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/temp_folder.h"

namespace {

using Kind = IniDocument::Kind;

TEST(IniDocument, EachLineBecomesOneEntry) {
  constexpr Kind R = Kind::Remark, I = Kind::Item, D = Kind::Deleted;
  const std::tuple<const wchar_t*, Kind, const wchar_t*, const wchar_t*> cases[] = {
      {L"[Startup]", R, L"", L"[Startup]"}, {L";x=1", R, L"", L";x=1"},   {L"#x=1", R, L"", L"#x=1"},
      {L"/x=1", R, L"", L"/x=1"},           {L"no equals", R, L"", L"no equals"}, {L"", R, L"", L""},
      {L"Key=Value  ", I, L"Key", L"Value  "}, {L"  Key  =  V", I, L"Key", L"V"}, {L"a=b=c", I, L"a", L"b=c"},
      {L"Key=", I, L"Key", L""},            {L"Key=   ", I, L"Key", L""}, {L"Key=\tx", I, L"Key", L"\tx"},
      {L"=x", I, L"", L"x"},                {L"  ;c=d", I, L";c", L"d"}, {L"a\nb=c\nd", I, L"a\nb", L"c\nd"},
      // The file's reserved spellings: the remark name in exactly that case, the deleted value whole.
      {L" *REM* =a=b", R, L"", L" *REM* =a=b"}, {L"*REM*=", R, L"", L"*REM*="}, {L"*rem*=x", I, L"*rem*", L"x"},
      {L"Old = *DEL*", D, L"Old", L"*DEL*"},   {L"Old=*DEL* ", I, L"Old", L"*DEL* "}, {L"Old=*del*", I, L"Old", L"*del*"},
  };
  for (const auto& [line, kind, name, value] : cases) {
    IniDocument doc(RealFileSystem());
    doc.LoadText(std::wstring(line) + L"\r\n");
    ASSERT_EQ(doc.Size(), 1u) << text::ToUtf8(line);
    const IniDocument::EntryView e = doc.At(0);
    EXPECT_TRUE(e.kind == kind && e.name == name && e.value == value) << text::ToUtf8(line);
  }
}

TEST(IniDocument, RoundTripKeepsRemarksByteForByte) {
  TempFolder dir;
  IniDocument doc(RealFileSystem());
  const std::wstring saved = dir.Write(L"Tarvoline.ini", TempFolder::Read(TVL_INI_FIXTURES L"/settings.ini"));
  ASSERT_TRUE(doc.Load(saved) && doc.Save());
  const std::string expected = TempFolder::Read(TVL_INI_FIXTURES L"/settings.saved.ini");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(TempFolder::Read(dir / L"Tarvoline.ini"), expected);
  // Beyond ASCII, through the code page both ways.
  std::wstring jp = dir.Write(L"jp.ini", text::ToAnsi(L"名前=メモ帳"));
  ASSERT_TRUE(doc.Load(jp) && doc.Save());
  EXPECT_EQ(TempFolder::Read(jp), text::ToAnsi(L"名前 = メモ帳\r\n"));
}

TEST(IniDocument, LinesBeyondSixteenBitsLoadAndSaveBack) {
  const std::string name(33000, 'n');  // puts the first "=" past 32767
  const std::string bytes = "A = " + std::string(40000, 'v') + "\r\n" + name + " = x\r\n; after\r\nZ = 1\r\n";
  TempFolder dir;
  std::wstring path = dir.Write(L"Tarvoline.ini", bytes);
  IniDocument doc(RealFileSystem());
  ASSERT_TRUE(doc.Load(path));
  EXPECT_TRUE(doc.Size() == 4 && doc.Value(text::FromAnsi(name)) == L"x");
  EXPECT_TRUE(doc.Save() && TempFolder::Read(path) == bytes);
}

TEST(IniDocument, LookupsFindTheFirstItemOfANameInAnyCase) {
  IniDocument doc(RealFileSystem());
  doc.LoadText(L"[One]\r\nKey=first\r\n[Two]\r\nkey=second\r\nEmpty=\r\n=nameless\r\n; *REM*\r\nOld=*DEL*\r\n");
  const std::pair<const wchar_t*, std::optional<std::wstring>> lookups[] = {
      {L"KEY", L"first"}, {L"key ", std::nullopt}, {L"empty", L""}, {L"", L"nameless"}, {L"*rem*", std::nullopt},
      {L"old", L"*DEL*"}};
  for (const auto& [name, value] : lookups) EXPECT_EQ(doc.Value(name), value) << text::ToUtf8(name);
  EXPECT_EQ(doc.Find(L"KEY"), 1u);
}

TEST(IniDocument, EditsKeepPlaceAndSpelling) {
  IniDocument doc(RealFileSystem());
  doc.Set(L"CPULimit", L"30");
  doc.Set(L"MaxIdleTime", L"120");
  doc.Set(L"cpuLimit", L"50");  // at its old place, old spelling
  EXPECT_EQ(doc.SaveText(), L"CPULimit = 50\r\nMaxIdleTime = 120\r\n");

  // SetIfEmpty fills in only what is missing or empty; a deleted key is neither.
  IniDocument settings(RealFileSystem());
  settings.LoadText(L"CPULimit=80\r\nIntervalTime=\r\nTimerInterval=*DEL*\r\n; c\r\n");
  std::vector<bool> filled;
  for (const wchar_t* name : {L"CPULimit", L"IntervalTime", L"TimerInterval", L"MaxIdleTime"})
    filled.push_back(settings.SetIfEmpty(name, L"5"));
  EXPECT_EQ(filled, (std::vector<bool>{false, true, false, true}));
  EXPECT_EQ(settings.SaveText(), L"CPULimit = 80\r\nIntervalTime = 5\r\n; c\r\nMaxIdleTime = 5\r\n");
  settings.Set(L"timerinterval", L"7");  // set again, a deleted key is saved at its place
  EXPECT_EQ(settings.SaveText(), L"CPULimit = 80\r\nIntervalTime = 5\r\nTimerInterval = 7\r\n; c\r\nMaxIdleTime = 5\r\n");
}

TEST(IniDocument, SavesReplaceTheFileWholeOrNotAtAll) {
  TempFolder dir;
  std::wstring path = dir.Write(L"Tarvoline.ini", "old=1\r\n");
  IniDocument doc(RealFileSystem());
  EXPECT_FALSE(doc.Load(dir / L"created.ini"));
  EXPECT_TRUE(doc.Save() && !RealFileSystem().IsOrdinaryFile(dir / L"created.ini"));  // an empty document writes nothing
  doc.SetIfEmpty(L"CPULimit", L"30");
  EXPECT_TRUE(doc.Save() && TempFolder::Read(dir / L"created.ini") == "CPULimit = 30\r\n");
  EXPECT_TRUE(doc.Load(path) && doc.Save() && TempFolder::Read(path) == "old = 1\r\n");
  const std::wstring gone = dir.Write(L"gone.ini", "OLD = *DEL*\r\n");
  EXPECT_TRUE(doc.Load(gone) && doc.Save());  // all deleted: the file is emptied
  EXPECT_EQ(TempFolder::Read(gone), "");

  fake::FileSystem fake;
  fake.files = {{L"s.ini", "keep=me\r\n"}, {L"hidden.ini", "h=1"}, {L"locked.ini", "l=1"}};
  fake.hidden = {L"hidden.ini"}, fake.unreadable = {L"locked.ini"};
  IniDocument faked(fake);
  ASSERT_TRUE(faked.Load(L"s.ini"));
  faked.Set(L"new", L"1");
  fake.failReplace = true;
  EXPECT_TRUE(!faked.Save() && fake.files[L"s.ini"] == "keep=me\r\n");
  fake.failReplace = false;
  EXPECT_TRUE(faked.Save() && fake.files[L"s.ini"] == "keep = me\r\nnew = 1\r\n");
  EXPECT_FALSE(faked.Load(L"hidden.ini"));  // not an ordinary file: entries kept
  EXPECT_EQ(faked.Size(), 2u);
  EXPECT_TRUE(!faked.Load(L"locked.ini") && faked.Size() == 0);  // nothing half-loaded
}

}  // namespace
