#include "sequence/launch_system.h"

#include <gtest/gtest.h>

namespace {

// The first bytes of an executable: "MZ", the header's offset at 0x3C, then
// "PE\0\0", the file header (its optional-header size at +16) and the
// optional header with magic and subsystem.
std::string Head(std::uint32_t peAt, std::uint16_t magic, std::uint16_t subsystem, std::uint16_t optionalSize = 240) {
  std::string b(peAt + 24 + 240, '\0');
  b[0] = 'M', b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[0x3C + i] = static_cast<char>(peAt >> (8 * i));
  b.replace(peAt, 4, std::string("PE\0\0", 4));
  b[peAt + 20] = static_cast<char>(optionalSize), b[peAt + 21] = static_cast<char>(optionalSize >> 8);
  b[peAt + 24] = static_cast<char>(magic), b[peAt + 25] = static_cast<char>(magic >> 8);
  b[peAt + 24 + 68] = static_cast<char>(subsystem);
  return b;
}

TEST(PeSubsystem, ReadsTheFieldOfCompleteHeadersOnly) {
  struct Case { const char* name; std::string head; std::optional<std::uint16_t> subsystem; } cases[] = {
      {"32-bit GUI", Head(0x80, 0x10B, 2), 2},
      {"64-bit console", Head(0x100, 0x20B, 3), 3},
      {"cut short inside the optional header", Head(0x80, 0x10B, 2).substr(0, 0x80 + 24 + 60), std::nullopt},
      {"header offset beyond the bytes", Head(0x80, 0x10B, 2).replace(0x3C, 4, std::string("\xFF\xFF\xFF\x7F", 4)),
       std::nullopt},
      {"optional header too short for the field", Head(0x80, 0x10B, 2, 60), std::nullopt},
      {"not MZ", "#!/bin/sh\n" + std::string(600, ' '), std::nullopt},
      {"unknown magic", Head(0x80, 0x107, 2), std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(pe::Subsystem(c.head), c.subsystem) << c.name;
}

}  // namespace
