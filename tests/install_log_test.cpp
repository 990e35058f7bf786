#include "engine/install_log.h"

#include <gtest/gtest.h>

#include "engine/run_state.h"
#include "fake_platform.h"

namespace velsetup {
namespace {

class InstallLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    StartRun(machine_.platform());
    velsetup::Run().module_name = "TOOL.EXE";
    velsetup::Run().log_path = "C:\\install.log";
    velsetup::Run().logging_enabled = true;
  }
  const std::string& Log() { return machine_.files.appended["C:\\install.log"]; }
  testing::FakeMachine machine_;
};

TEST_F(InstallLogTest, LineLayouts) {
  WriteLog("InitCommandSection()", " initializtion complete.");
  WriteLog("", "");
  WriteLogText("plain");
  EXPECT_EQ(Log(),
            "[09:05:03.007]  TOOL.EXE> InitCommandSection()  initializtion complete.\n"
            "[09:05:03.007]  TOOL.EXE>  \n"
            "[09:05:03.007]  plain\n");
}

TEST_F(InstallLogTest, LevelLinesCarryTheTagAndPutTheSummaryFirst) {
  WriteLevelLog("detail", "summary", 0);
  WriteLevelLog("d", "s", 1);
  WriteLevelLog("d", "s", 7);
  EXPECT_EQ(Log(),
            "FATAL-=-summary\nFATAL-=-detail\n"
            "RECOVERABLE ERROR-=-s\nRECOVERABLE ERROR-=-d\n"
            "WARNING ERROR-=-s\nWARNING ERROR-=-d\n");
}

TEST_F(InstallLogTest, LongLinesAreCutTo511Characters) {
  WriteLog("p", std::string(2000, 'x'));
  ASSERT_EQ(Log().size(), 512u);
  EXPECT_EQ(Log().back(), '\n');
}

TEST_F(InstallLogTest, NothingIsWrittenWhileLoggingIsOffOrTheFileFails) {
  velsetup::Run().logging_enabled = false;
  WriteLog("a", "b");
  WriteLevelLog("a", "b", 0);
  EXPECT_TRUE(Log().empty());
  velsetup::Run().logging_enabled = true;
  machine_.files.accept_appends = false;
  WriteLog("a", "b");  // dropped, and the run goes on
  EXPECT_TRUE(Log().empty());
}

TEST_F(InstallLogTest, LastErrorTextTurnsLineEndsIntoBlanks) {
  machine_.system.last_error = 2;
  std::string text;
  EXPECT_EQ(GetLastErrorText(&text), 2u);
  EXPECT_EQ(text, "The system cannot find the file specified.  ");
  EXPECT_EQ(GetLastErrorText(&text, 11), 2u);
  EXPECT_EQ(text, "The system");
  machine_.system.last_error = 9999;
  EXPECT_EQ(GetLastErrorText(&text), 9999u);
  EXPECT_EQ(text, "");
}

}  // namespace
}  // namespace velsetup
