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

#include "program/velsetup_main.h"
#include "engine/run_state.h"
#include "fake_platform.h"

namespace velsetup {
namespace {

// A script that cannot be found ends the run with the usage box, even when the
// command line asks for silence: the options are not read yet.
TEST(Startup, MissingScriptShowsTheUsageBoxAndExitsWithZero) {
  for (const char* command_line : {"", "missing.ini -silent", "C:\\nowhere\\a.ini"}) {
    testing::FakeMachine machine;
    EXPECT_EQ(VelsetupMain(machine.platform(), command_line), 0);
    ASSERT_EQ(machine.ui.boxes.size(), 1u) << command_line;
    const testing::FakeUi::Box& box = machine.ui.boxes[0];
    EXPECT_EQ(box.caption, "Velmor Setup Utility - TOOL.EXE");
    EXPECT_EQ(box.style, 0x1010u);
    EXPECT_EQ(box.text,
              "Usage:  <module.exe> <INI_FILE> -silent -noreboot -resume\n\n"
              "INI_FILE is either full path or just name if in same dir as EXE.\n"
              "-silent will  suppress all GUI prompts\n"
              "-noreboot will suppress reboots\n"
              "-resume will force a resume of the INI file processing\n\n");
    EXPECT_EQ(velsetup::Run().module_dir, "D:\\KIT");
    // Logging was never turned on, so nothing reached any file.
    EXPECT_TRUE(machine.files.appended.empty());
  }
}

}  // namespace
}  // namespace velsetup
