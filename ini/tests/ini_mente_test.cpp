#include "ini/ini_mente.h"

#include <gtest/gtest.h>

#include "common/text.h"
#include "fakes.h"
#include "temp_folder.h"

namespace {

const Variant kNothing;

TEST(IniMente, EachLineBecomesOneEntry) {
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
    iniMente doc;
    doc.iniLoadText(std::wstring(line) + L"\r\n");
    ASSERT_EQ(doc.LastIndex(), 0) << text::ToUtf8(line);
    EXPECT_TRUE(doc.ItemNameAt(0) == name && doc.ItemValueAt(0) == value) << text::ToUtf8(line);
  }
}

TEST(IniMente, RoundTripKeepsRemarksByteForByte) {
  TempFolder dir;
  iniMente doc;
  ASSERT_TRUE(doc.iniLoader(TVL_INI_FIXTURES L"/settings.ini"));
  ASSERT_TRUE(doc.iniSaver(dir / L"Tarvoline.ini"));
  const std::string expected = TempFolder::Read(TVL_INI_FIXTURES L"/settings.saved.ini");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(TempFolder::Read(dir / L"Tarvoline.ini"), expected);
  // Beyond ASCII, through the code page both ways.
  std::wstring jp = dir.Write(L"jp.ini", text::ToAnsi(L"名前=メモ帳"));
  ASSERT_TRUE(doc.iniLoader(jp) && doc.iniSaverSameFilename());
  EXPECT_EQ(TempFolder::Read(jp), text::ToAnsi(L"名前 = メモ帳\r\n"));
}

TEST(IniMente, LinesBeyondSixteenBitsLoadAndSaveBack) {
  const std::string name(33000, 'n');  // puts the first "=" past 32767
  const std::string bytes = "A = " + std::string(40000, 'v') + "\r\n" + name + " = x\r\n; after\r\nZ = 1\r\n";
  TempFolder dir;
  std::wstring path = dir.Write(L"Tarvoline.ini", bytes);
  iniMente doc;
  ASSERT_TRUE(doc.iniLoader(path));
  EXPECT_TRUE(doc.LastIndex() == 3 && doc.GetiniValue(text::FromAnsi(name), kNothing) == Variant(L"x"));
  EXPECT_TRUE(doc.iniSaverSameFilename() && TempFolder::Read(path) == bytes);
}

TEST(IniMente, LookupsAndGroups) {
  iniMente doc;
  doc.iniLoadText(L"[One]\r\nKey=first\r\n[Two]\r\nkey=second\r\nEmpty=\r\n=nameless\r\n"
                  L"Ext0=EXE\r\nExt1=Bat\r\nExt3=com\r\n");
  const std::pair<const wchar_t*, Variant> lookups[] = {
      {L"KEY", L"first"}, {L"key ", L"dflt"}, {L"empty", kNothing}, {L"", L"nameless"}, {L"*rem*", L"[One]"}};
  for (const auto& [name, value] : lookups) EXPECT_EQ(doc.GetiniValue(name, Variant(L"dflt")), value);

  const std::tuple<const wchar_t*, bool, int> searches[] = {
      {L"EXE", false, 0}, {L"exe", false, -1}, {L"exe", true, 0}, {L"BAT", true, 1}, {L"com", true, -1}};
  for (const auto& [item, noCase, n] : searches) EXPECT_EQ(doc.SearchinGroup(L"ext", item, noCase), n);

  using Pair = std::array<Variant, 2>;
  const Pair none{Variant(L""), Variant(L"")};
  doc.SetiniValue(L"EXT2x", Variant(L"late"));
  EXPECT_EQ(doc.GetiniGroup2(L"ext"), (Pair{Variant(L"Ext0"), Variant(L"EXE")}));
  for (const wchar_t* next : {L"Ext1", L"Ext3", L"EXT2x"}) EXPECT_EQ(doc.GetiniGroup2(L"")[0], Variant(next));
  EXPECT_EQ(doc.GetiniGroup2(L""), none);
  EXPECT_EQ(doc.GetiniGroup2(L"Ext")[0], Variant(L"Ext0"));  // starts over

  ASSERT_TRUE(doc.DeliniGroup(L"EXT"));
  EXPECT_TRUE(doc.DeliniGroup(L"Ext"));  // deleted members are passed over
  EXPECT_TRUE(doc.GetiniValue(L"Ext1", kNothing) == Variant(L"*DEL*") && doc.GetiniValue(L"Ext3", kNothing) == Variant(L"com"));
}

TEST(IniMente, EditsKeepPlaceAndSpelling) {
  iniMente doc;
  doc.SetiniValue(L"CPULimit", Variant(std::int16_t{30}));
  doc.SetiniValue(L"MaxIdleTime", Variant(L"120"));
  doc.SetiniValue(L"*REM*", Variant(L"; end"));
  doc.SetiniValue(L"*REM*", Variant(L"; end"));
  doc.DeliniValue(L"CPULIMIT");
  doc.DeliniValue(L"Unknown");
  EXPECT_EQ(doc.GetiniValue(L"CPULimit", kNothing), Variant(L"*DEL*"));
  EXPECT_EQ(doc.iniSavertoVariable(), L"MaxIdleTime = 120\r\n; end\r\n; end\r\n");
  doc.SetiniValue(L"cpuLimit", Variant(std::int32_t{50}));  // back at its old place, old spelling
  EXPECT_EQ(doc.iniSavertoVariable(), L"CPULimit = 50\r\nMaxIdleTime = 120\r\n; end\r\n; end\r\n");

  iniMente settings;  // MakeiniItem fills in only what is missing or empty
  settings.iniLoadText(L"CPULimit=80\r\nIntervalTime=\r\nTimerInterval=*DEL*\r\n");
  for (const wchar_t* name : {L"CPULimit", L"IntervalTime", L"TimerInterval", L"MaxIdleTime"})
    settings.MakeiniItem(name, Variant(std::int16_t{5}));
  EXPECT_EQ(settings.iniSavertoVariable(), L"CPULimit = 80\r\nIntervalTime = 5\r\nMaxIdleTime = 5\r\n");
}

TEST(IniMente, SavesReplaceTheFileWholeOrNotAtAll) {
  TempFolder dir;
  std::wstring path = dir.Write(L"Tarvoline.ini", "old\r\n");
  EXPECT_TRUE(iniMente().iniSaver(path) && TempFolder::Read(path) == "old\r\n");  // an empty document writes nothing
  iniMente doc;
  EXPECT_FALSE(doc.iniLoader(dir / L"created.ini"));
  doc.MakeiniItem(L"CPULimit", Variant(std::int16_t{30}));
  EXPECT_TRUE(doc.iniSaverSameFilename() && TempFolder::Read(dir / L"created.ini") == "CPULimit = 30\r\n");
  doc.DeliniValue(L"CPULimit");
  EXPECT_TRUE(doc.iniSaver(path));  // all deleted: the file is emptied
  EXPECT_EQ(TempFolder::Read(path), "");

  fake::FileSystem fake;
  fake.files = {{L"s.ini", "keep=me\r\n"}, {L"hidden.ini", "h=1"}, {L"locked.ini", "l=1"}};
  fake.hidden = {L"hidden.ini"}, fake.unreadable = {L"locked.ini"};
  iniMente faked(fake);
  ASSERT_TRUE(faked.iniLoader(L"s.ini"));
  EXPECT_FALSE(faked.iniLoader(L"hidden.ini"));  // not an ordinary file: entries kept
  faked.SetiniValue(L"new", Variant(L"1"));
  fake.failReplace = true;
  EXPECT_TRUE(!faked.iniSaver(L"s.ini") && fake.files[L"s.ini"] == "keep=me\r\n");
  fake.failReplace = false;
  EXPECT_TRUE(faked.iniSaverSameFilename() && fake.files[L"s.ini"] == "keep = me\r\nnew = 1\r\n");
  EXPECT_TRUE(!faked.iniLoader(L"locked.ini") && faked.LastIndex() == -1);  // nothing half-loaded
}

}  // namespace
