#include "ini/ini_document.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "common/tests/support/fakes.h"
#include "common/tests/support/temp_folder.h"

namespace {

const Variant kNothing;

TEST(IniDocument, EachLineBecomesOneEntry) {
  const std::tuple<const wchar_t*, const wchar_t*, Variant> cases[] = {
      {L"[Startup]", L"*REM*", L"[Startup]"}, {L";x=1", L"*REM*", L";x=1"},     {L"#x=1", L"*REM*", L"#x=1"},
      {L"/x=1", L"*REM*", L"/x=1"},           {L"no equals", L"*REM*", L"no equals"}, {L"", L"*REM*", L""},
      {L"Key=Value  ", L"Key", L"Value  "},   {L"  Key  =  V", L"Key", L"V"},    {L"a=b=c", L"a", L"b=c"},
      {L"Key=", L"Key", kNothing},            {L"Key=   ", L"Key", kNothing},  {L"Key=\tx", L"Key", L"\tx"},
      {L"=x", L"", L"x"},                     {L"  ;c=d", L";c", L"d"},       {L"a\nb=c\nd", L"a\nb", L"c\nd"},
      // Named like the remark marker: a remark, or a save would turn it into the item "a".
      {L" *REM* =a=b", L"*REM*", L" *REM* =a=b"}, {L"*REM*=", L"*REM*", L"*REM*="}, {L"*rem*=x", L"*rem*", L"x"},
  };
  for (const auto& [line, name, value] : cases) {
    IniDocument doc(RealFileSystem());
    doc.LoadText(std::wstring(line) + L"\r\n");
    ASSERT_EQ(doc.LastIndex(), 0) << text::ToUtf8(line);
    EXPECT_TRUE(doc.ItemNameAt(0) == name && doc.ItemValueAt(0) == value) << text::ToUtf8(line);
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
  EXPECT_TRUE(doc.LastIndex() == 3 && doc.Value(text::FromAnsi(name), kNothing) == Variant(L"x"));
  EXPECT_TRUE(doc.Save() && TempFolder::Read(path) == bytes);
}

TEST(IniDocument, LookupsFindTheFirstEntryOfANameInAnyCase) {
  IniDocument doc(RealFileSystem());
  doc.LoadText(L"[One]\r\nKey=first\r\n[Two]\r\nkey=second\r\nEmpty=\r\n=nameless\r\n");
  const std::pair<const wchar_t*, Variant> lookups[] = {
      {L"KEY", L"first"}, {L"key ", L"dflt"}, {L"empty", kNothing}, {L"", L"nameless"}, {L"*rem*", L"[One]"}};
  for (const auto& [name, value] : lookups) EXPECT_EQ(doc.Value(name, Variant(L"dflt")), value);
}

TEST(IniDocument, EditsKeepPlaceAndSpelling) {
  IniDocument doc(RealFileSystem());
  doc.Set(L"CPULimit", Variant(std::int16_t{30}));
  doc.Set(L"MaxIdleTime", Variant(L"120"));
  doc.Set(L"*REM*", Variant(L"; end"));
  doc.Set(L"*REM*", Variant(L"; end"));
  doc.Set(L"cpuLimit", Variant(std::int32_t{50}));  // at its old place, old spelling
  EXPECT_EQ(doc.SaveText(), L"CPULimit = 50\r\nMaxIdleTime = 120\r\n; end\r\n; end\r\n");

  IniDocument settings(RealFileSystem());  // SetIfEmpty fills in only what is missing or empty
  settings.LoadText(L"CPULimit=80\r\nIntervalTime=\r\nTimerInterval=*DEL*\r\n");
  for (const wchar_t* name : {L"CPULimit", L"IntervalTime", L"TimerInterval", L"MaxIdleTime"})
    settings.SetIfEmpty(name, Variant(std::int16_t{5}));
  EXPECT_EQ(settings.SaveText(), L"CPULimit = 80\r\nIntervalTime = 5\r\nMaxIdleTime = 5\r\n");
}

TEST(IniDocument, SavesReplaceTheFileWholeOrNotAtAll) {
  TempFolder dir;
  std::wstring path = dir.Write(L"Tarvoline.ini", "old=1\r\n");
  IniDocument doc(RealFileSystem());
  EXPECT_FALSE(doc.Load(dir / L"created.ini"));
  EXPECT_TRUE(doc.Save() && !RealFileSystem().IsOrdinaryFile(dir / L"created.ini"));  // an empty document writes nothing
  doc.SetIfEmpty(L"CPULimit", Variant(std::int16_t{30}));
  EXPECT_TRUE(doc.Save() && TempFolder::Read(dir / L"created.ini") == "CPULimit = 30\r\n");
  EXPECT_TRUE(doc.Load(path) && doc.Save() && TempFolder::Read(path) == "old = 1\r\n");
  doc.Set(L"OLD", Variant(L"*DEL*"));
  EXPECT_TRUE(doc.Save());  // all deleted: the file is emptied
  EXPECT_EQ(TempFolder::Read(path), "");

  fake::FileSystem fake;
  fake.files = {{L"s.ini", "keep=me\r\n"}, {L"hidden.ini", "h=1"}, {L"locked.ini", "l=1"}};
  fake.hidden = {L"hidden.ini"}, fake.unreadable = {L"locked.ini"};
  IniDocument faked(fake);
  ASSERT_TRUE(faked.Load(L"s.ini"));
  faked.Set(L"new", Variant(L"1"));
  fake.failReplace = true;
  EXPECT_TRUE(!faked.Save() && fake.files[L"s.ini"] == "keep=me\r\n");
  fake.failReplace = false;
  EXPECT_TRUE(faked.Save() && fake.files[L"s.ini"] == "keep = me\r\nnew = 1\r\n");
  EXPECT_FALSE(faked.Load(L"hidden.ini"));  // not an ordinary file: entries kept
  EXPECT_EQ(faked.LastIndex(), 1);
  EXPECT_TRUE(!faked.Load(L"locked.ini") && faked.LastIndex() == -1);  // nothing half-loaded
}

}  // namespace
