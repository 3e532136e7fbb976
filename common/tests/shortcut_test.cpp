#include "common/shortcut.h"

#include <gtest/gtest.h>

namespace {

// A shell-link header as the shell writes it, with the given show command.
std::string Header(int showCommand) {
  std::string h(shortcut::kHeaderSize, '\0');
  h[0] = 0x4C;
  h.replace(4, 16, "\x01\x14\x02\0\0\0\0\0\xC0\0\0\0\0\0\0\x46", 16);  // the shell link's class id
  for (int i = 0; i < 4; ++i) h[0x3C + i] = static_cast<char>((static_cast<unsigned>(showCommand) >> (8 * i)) & 0xFF);
  return h;
}

TEST(ShortcutHeader, ShowCommandIsReadAsStored) {
  for (int show : {7, 0x01020304}) {  // the second shows the byte order
    EXPECT_EQ(shortcut::ShowCommandFromHeader(Header(show)), show) << show;
    // What follows the header (the rest of the link) does not matter.
    EXPECT_EQ(shortcut::ShowCommandFromHeader(Header(show) + std::string(200, '\x7f')), show) << show;
  }
}

TEST(ShortcutHeader, AnythingElseIsNotAShortcut) {
  const std::string good = Header(3);
  std::vector<std::string> cases = {
      "",
      good.substr(0, shortcut::kHeaderSize - 1),  // cut one byte before the end of the header
      std::string(shortcut::kHeaderSize, '\0'),
      "File=C:\\x.exe\r\nCurrent=C:\\\r\nOption=\r\nSize = 1\r\nNoUse = 0 and a little more text to be long enough",
  };
  // Any one byte of the header size or the class id changed.
  for (int i = 0; i < 20; ++i) cases.emplace_back(good)[i] ^= 1;
  for (const std::string& c : cases) EXPECT_EQ(shortcut::ShowCommandFromHeader(c), std::nullopt) << c.size();
}

}  // namespace
