#include "common/path_rules.h"

#include <gtest/gtest.h>

namespace {

using paths::Style;
constexpr Style W = Style::Windows;
constexpr Style P = Style::Posix;

TEST(PathRules, SplitsPaths) {
  struct Case { Style style; const wchar_t *path, *fileName, *parent, *extension, *stem; };
  const Case cases[] = {
      {W, L"C:\\A\\b.c.txt", L"b.c.txt", L"C:\\A", L"txt", L"b.c"},
      {W, L"C:\\A.B\\file", L"file", L"C:\\A.B", L"", L"file"},
      {W, L"C:\\Dir\\.hidden", L".hidden", L"C:\\Dir", L"hidden", L""},
      {W, L"a..b", L"a..b", L"", L"b", L"a."},
      {W, L"C:\\A\\..", L"..", L"C:\\A", L"", L""},
      {W, L"C:\\x.txt", L"x.txt", L"C:\\", L"txt", L"x"},
      {W, L"C:\\", L"", L"", L"", L""},
      {W, L"C:", L"", L"", L"", L""},
      {W, L"C:x.txt", L"x.txt", L"C:", L"txt", L"x"},
      {W, L"C:\\A\\B\\\\", L"B", L"C:\\A", L"", L"B"},
      {W, L"C:/A\\b.txt", L"b.txt", L"C:/A", L"txt", L"b"},
      {W, L"\\\\server\\share\\f.ini", L"f.ini", L"\\\\server\\share", L"ini", L"f"},
      {P, L"/x.txt", L"x.txt", L"/", L"txt", L"x"},
      {P, L"/", L"", L"", L"", L""},
      {P, L"/home/a/", L"a", L"/home", L"", L"a"},
      {P, L"a\\b.txt", L"a\\b.txt", L"", L"txt", L"a\\b"},
      {P, L"C:/x", L"x", L"C:", L"", L"x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
    EXPECT_EQ(paths::FileName(c.path, c.style), c.fileName);
    EXPECT_EQ(paths::Parent(c.path, c.style), c.parent);
    EXPECT_EQ(paths::Extension(c.path, c.style), c.extension);
    EXPECT_EQ(paths::Stem(c.path, c.style), c.stem);
  }
}

TEST(PathRules, JoinPutsExactlyOneSeparator) {
  struct Case { Style style; const wchar_t *folder, *name, *joined; };
  const Case cases[] = {
      {W, L"C:\\Dir", L"a.txt", L"C:\\Dir\\a.txt"},   {W, L"C:\\Dir\\", L"\\a.txt", L"C:\\Dir\\a.txt"},
      {W, L"C:\\Dir", L"\\a.txt", L"C:\\Dir\\a.txt"}, {W, L"C:/Dir/", L"a.txt", L"C:/Dir/a.txt"},
      {W, L"", L"a.txt", L"a.txt"},                   {P, L"/", L"a", L"/a"},
      {P, L"d\\", L"a", L"d\\/a"},
      // A bare drive is its root; a drive with more is a folder like any other.
      {W, L"D:", L"x.pmw", L"D:\\x.pmw"},           {W, L"D:", L"\\x.pmw", L"D:\\x.pmw"},
      {W, L"d:x", L"a", L"d:x\\a"},                 {P, L"D:", L"x", L"D:/x"},
  };
  for (const Case& c : cases) EXPECT_EQ(paths::Join(c.folder, c.name, c.style), c.joined);
}

}  // namespace
