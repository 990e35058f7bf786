#include "engine/startup.h"

#include <gtest/gtest.h>

#include "engine/path_compare.h"

namespace velsetup {
namespace {

TEST(SplitPath, SplitsAtTheLastBackslash) {
  SplitPathResult tools = SplitPath("C:\\tools\\setup.exe");
  EXPECT_EQ(tools.directory, "C:\\tools");
  EXPECT_EQ(tools.name, "setup.exe");
  SplitPathResult root = SplitPath("C:\\setup.exe");
  EXPECT_EQ(root.directory, "C:");
  EXPECT_EQ(root.name, "setup.exe");
  SplitPathResult bare = SplitPath("setup.exe");
  EXPECT_EQ(bare.directory, "");
  EXPECT_EQ(bare.name, "setup.exe");
}

TEST(SameWindowsPath, IgnoresCaseSeparatorsAndTrailingBackslash) {
  EXPECT_TRUE(SameWindowsPath("C:\\Kit\\a.ini", "c:/KIT//A.INI"));
  EXPECT_TRUE(SameWindowsPath("C:\\TEMP\\", "c:\\temp"));
  EXPECT_TRUE(SameWindowsPath("C:\\x\\..\\TEMP\\.\\a.ini", "C:\\temp\\a.ini"));
  EXPECT_TRUE(SameWindowsPath("C:\\..\\a.ini", "C:\\a.ini"));
  EXPECT_FALSE(SameWindowsPath("C:\\TEMP\\a.ini", "D:\\TEMP\\a.ini"));
  EXPECT_FALSE(SameWindowsPath("C:\\TEMP\\a.ini", "C:\\TEMP\\a.ini2"));
}

}  // namespace
}  // namespace velsetup
