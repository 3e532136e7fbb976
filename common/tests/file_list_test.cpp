#include "common/file_list.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::string Header(std::uint32_t offset, bool wide) {
  std::string h(20, '\0');
  for (int i = 0; i < 4; ++i) h[i] = static_cast<char>((offset >> (8 * i)) & 0xFF);
  h[16] = wide ? 1 : 0;
  return h;
}

std::string Wide(std::u16string_view s) {
  std::string out;
  for (char16_t c : s) out += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return out;
}

using Names = std::vector<std::wstring>;
using namespace std::string_view_literals;

TEST(FileList, NamesInListOrder) {
  struct Case { std::string bytes; Names names; } cases[] = {
      {Header(20, true) + Wide(u"C:\\a.txt\0D:\\メモ.lnk\0C:\\\0\0"sv), {L"C:\\a.txt", L"D:\\メモ.lnk", L"C:\\"}},
      {Header(20, true) + Wide(u"\0\0"sv), {}},                      // an empty drop
      {Header(24, true) + "????" + Wide(u"C:\\x\0\0"sv), {L"C:\\x"}},  // names where the offset says
      {Header(20, false) + std::string("C:\\a.txt\0C:\\b\0\0", 15), {L"C:\\a.txt", L"C:\\b"}},
      // A list that runs into the end of the block: the cut name is left out.
      {Header(20, true) + Wide(u"C:\\a\0C:\\b"sv), {L"C:\\a"}},
      {Header(20, true) + Wide(u"C:\\a\0"sv) + "C", {L"C:\\a"}},
      {Header(20, false) + "C:\\a", {}},
      {Header(20, true), {}},
  };
  for (const Case& c : cases) {
    std::optional<Names> names = filelist::Parse(c.bytes);
    ASSERT_TRUE(names.has_value()) << c.bytes.size();
    EXPECT_EQ(*names, c.names) << c.bytes.size();
  }
}

TEST(FileList, BrokenHeadersGiveNoList) {
  const std::string cases[] = {
      "",
      Header(20, true).substr(0, 19),
      Header(19, true) + Wide(u"C:\\a\0\0"sv),
      Header(100, true) + Wide(u"C:\\a\0\0"sv),
      Header(0xFFFFFFFFu, true) + Wide(u"C:\\a\0\0"sv),
  };
  for (const std::string& c : cases) EXPECT_EQ(filelist::Parse(c), std::nullopt) << c.size();
}

}  // namespace
