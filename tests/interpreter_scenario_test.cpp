// The command loop on a whole machine, on both builds: slots, resumes,
// moves of the index, resets, unknown numbers, sections that are missing,
// and the privileges of the NT family.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "kit_scenario.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

// A script that logs to kLog, with `data` in its [DATA] section.
std::vector<std::string> DataScript(const std::vector<std::string>& data,
                                    const std::vector<std::string>& commands) {
  std::vector<std::string> lines = {"[DATA]", "Logging=1", "LogFile=" + kLog};
  lines.insert(lines.end(), data.begin(), data.end());
  lines.push_back("[CommandsList]");
  lines.insert(lines.end(), commands.begin(), commands.end());
  return lines;
}

struct Param {
  Build build;
  Os os;
};

class InterpreterScenario : public ::testing::TestWithParam<Param> {
 protected:
  void SetUp() override {
    machine_ = MakeScenario(GetParam().build, GetParam().os);
    if (!machine_->SkipReason().empty()) GTEST_SKIP() << machine_->SkipReason();
  }
  std::string WorkingCopyPath() const { return machine_->TempDir() + "SETUP.INI"; }
  std::string WorkingCopy() const { return machine_->ReadFile(WorkingCopyPath()); }
  // The log lines after their time stamp and the program's name.
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const std::string& line : LogLines(machine_->ReadFile(kLog))) {
      const std::string marker = "velsetup.exe> ";
      const size_t at = line.find(marker);
      lines.push_back(at == std::string::npos ? line : line.substr(at + marker.size()));
    }
    return lines;
  }
  bool Logged(const std::string& line) const {
    const std::vector<std::string> lines = Log();
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  void RunScript(const std::vector<std::string>& lines, const std::string& options = " -noreboot -silent") {
    machine_->WriteFile(kScript, IniText(lines));
    ASSERT_EQ(machine_->Run(kScript + options), 0);
  }

  std::unique_ptr<Scenario> machine_;
};

TEST_P(InterpreterScenario, RunsSlotsInOrderAndResumesAfterTheRestartCommand) {
  RunScript(DataScript({}, {"5", "20"}));
  EXPECT_TRUE(Logged("CMD0> CMD05_IncRunningCounter: 5 ")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("CMD1> CMD20_ExitRebootSystem: 20 "));
  EXPECT_TRUE(Logged("Not setting to reboot system since SuppressReboot is set "));
  EXPECT_EQ(Log().back(), "DONE !");
  std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("CurrentCmd=2\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("RunCount=1\r\n"), std::string::npos) << copy;

  // The resume runs slot 2, which no line filled: the section ends there.
  ASSERT_EQ(machine_->Run(kScript + " -resume"), 0);
  EXPECT_TRUE(Logged("InitCommandSection()  continuing with [CommandsList]"));
  EXPECT_TRUE(Logged("No More commands "));
  copy = WorkingCopy();
  EXPECT_NE(copy.find("RunCount=1\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("CurrentCmd=2\r\n"), std::string::npos) << copy;
}

// CMD26 names the next section; the explicit CMD00 in slot 1 switches, and
// [B] fills slots from there on: its one line takes slot 1, and slot 2 still
// holds what [CommandsList] put there.
TEST_P(InterpreterScenario, SwitchExpandsTheNextSectionFromTheSlotOfItsCmd00) {
  std::vector<std::string> lines = DataScript({}, {"26,,State,NextSection,B", "0", "10", "20"});
  lines.insert(lines.end(), {"[B]", "5 ; one counted"});
  RunScript(lines);
  EXPECT_TRUE(Logged("InitCommandSection()  starting from [B]")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("**   Starting section >B<"));
  EXPECT_TRUE(Logged("CMD1> CMD05_IncRunningCounter: 5 "));
  EXPECT_TRUE(Logged("CMD2> CMD10_Exit: 10 "));
  EXPECT_FALSE(Logged("No More commands "));
  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("CurrentSection=B\r\nNextSection=\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("Cmd1=5\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("Cmd3=20\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("CurrentCmd=3\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("RunCount=1\r\n"), std::string::npos) << copy;
}

// Slot 0 skips the exit in slot 1; slot 3 goes back to it.
TEST_P(InterpreterScenario, DecrementRunsTheCommandThatManySlotsBack) {
  RunScript(DataScript({"IncCommand=1", "DecCommand=2"}, {"7", "10", "5", "6"}));
  const std::vector<std::string> expected = {
      "CMD0> CMD07_IncCmdIndex: 7 ",        "CMD1=7 Increment CurrentCmd by 1",
      "CMD2> CMD05_IncRunningCounter: 5 ",  "CMD3> CMD06_DecCmdIndex: 6 ",
      "CMD0=6 Decrement the CurrentCmd by 2", "CMD1> CMD10_Exit: 10 ",
      "DONE !"};
  const std::vector<std::string> log = Log();
  ASSERT_GE(log.size(), expected.size());
  EXPECT_EQ(std::vector<std::string>(log.end() - static_cast<long>(expected.size()), log.end()),
            expected);
  EXPECT_NE(WorkingCopy().find("CurrentCmd=2\r\n"), std::string::npos) << WorkingCopy();
}

// The options of the first start stay in the working copy: the resume,
// given none, still keeps the machine from restarting.
TEST_P(InterpreterScenario, ResumeAfterTheRestartCommandRunsTheCommandsAfterIt) {
  RunScript(DataScript({}, {"5", "20", "5", "20"}));
  ASSERT_EQ(machine_->Run(kScript + " -resume"), 0);
  EXPECT_TRUE(Logged("CMD2> CMD05_IncRunningCounter: 5 ")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("CMD3> CMD20_ExitRebootSystem: 20 "));
  EXPECT_EQ(Log().back(), "DONE !");
  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("RunCount=2\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("CurrentCmd=4\r\n"), std::string::npos) << copy;
  // Wine keeps no record of restarts; "DONE !" above says the same there.
  if (machine_->HasEventLog()) {
    EXPECT_EQ(machine_->Events().find("\"restart\""), std::string::npos);
  }

  // A clean start counts from the beginning again.
  ASSERT_EQ(machine_->Run(kScript + " -noreboot"), 0);
  EXPECT_NE(WorkingCopy().find("RunCount=1\r\n"), std::string::npos) << WorkingCopy();
}

TEST_P(InterpreterScenario, IncrementSkipsTheCommandsThatFollow) {
  RunScript(DataScript({"IncCommand=2"}, {"5", "7", "5", "5", "5"}));
  // Slot 1 moves the index to 3; the loop's own step makes slot 4 the next.
  EXPECT_TRUE(Logged("CMD3=7 Increment CurrentCmd by 2")) << ::testing::PrintToString(Log());
  EXPECT_FALSE(Logged("CMD2> CMD05_IncRunningCounter: 5 "));
  EXPECT_TRUE(Logged("CMD4> CMD05_IncRunningCounter: 5 "));
  EXPECT_NE(WorkingCopy().find("RunCount=2\r\n"), std::string::npos) << WorkingCopy();
}

TEST_P(InterpreterScenario, DecrementBelowZeroEndsTheSection) {
  RunScript(DataScript({"DecCommand=5"}, {"5", "6", "5"}));
  // Slot 1 stores -5, the loop -4; that slot reads as CMD00.
  EXPECT_TRUE(Logged("CMD-5=6 Decrement the CurrentCmd by 5")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("No More commands "));
  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("RunCount=1\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("CurrentCmd=-4\r\n"), std::string::npos) << copy;
}

TEST_P(InterpreterScenario, MovesWithoutACountChangeNothing) {
  RunScript(DataScript({}, {"7", "6", "5"}));
  EXPECT_TRUE(Logged("CMD0=7 ERROR cannot increment the CurrentCmd by 0"));
  EXPECT_TRUE(Logged("CMD1=6 ERROR cannot decrement the CurrentCmd by 0"));
  EXPECT_NE(WorkingCopy().find("RunCount=1\r\n"), std::string::npos);
}

TEST_P(InterpreterScenario, ResetRemovesTheRunStateSoTheNextStartBeginsAgain) {
  RunScript(DataScript({"ForceCleanStart=0"}, {"5", "8", "5"}));
  std::string copy = WorkingCopy();
  EXPECT_EQ(copy.find("[Commands]"), std::string::npos) << copy;
  EXPECT_EQ(copy.find("[State]"), std::string::npos) << copy;
  EXPECT_NE(copy.find("RunCount=1\r\n"), std::string::npos) << copy;
  ASSERT_EQ(machine_->Run(kScript), 0);
  copy = WorkingCopy();
  EXPECT_NE(copy.find("RunCount=2\r\n"), std::string::npos) << copy;
}

TEST_P(InterpreterScenario, UnknownNumbersAreReportedAndSkipped) {
  RunScript(DataScript({}, {"99,a,b", "-1", "5 ; counted"}));
  EXPECT_TRUE(Logged("CMD0> (not defined): 99,a,b ")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("NOTICE:  CMD >99< not defined"));
  EXPECT_TRUE(Logged("NOTICE:  CMD >-1< not defined"));
  EXPECT_TRUE(Logged("CMD2> CMD05_IncRunningCounter: 5 "));
  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("CmdSection0.0=a\r\nCmdSection0.1=b\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("RunCount=1\r\n"), std::string::npos) << copy;
}

TEST_P(InterpreterScenario, MissingCommandsListStopsBeforeAnyCommand) {
  machine_->WriteFile(kScript, IniText({"[DATA]", "Logging=1", "LogFile=" + kLog}));
  ASSERT_EQ(machine_->Run(kScript + " -noreboot"), 0);
  EXPECT_TRUE(Logged("ERROR-=- section [CommandsList] is empty..cannot initialize"));
  EXPECT_TRUE(Logged("ERROR -  Cannot initialize commands section"));
  EXPECT_FALSE(Logged("DONE !"));
  if (machine_->HasEventLog()) {
    const std::string events = machine_->Events();
    EXPECT_NE(events.find("\"text\":\"Cannot initialize commands section...check log file...\","
                          "\"style\":4112"),
              std::string::npos)
        << events;
    // Silent: the same lines, no box.
    ASSERT_EQ(machine_->Run(kScript + " -silent"), 0);
    EXPECT_EQ(machine_->Events(), events);
  }
}

// A script that brings its own [State] and no slot 0: the start goes on with
// its section, and its CMD00, whose switch is declined for the same reason,
// ends the run instead of finding itself in the same slot for ever.
TEST_P(InterpreterScenario, DeclinedSwitchEndsTheRun) {
  RunScript(DataScript({"ForceCleanStart=0"}, {"5"}));
  machine_->WriteFile(WorkingCopyPath(),
                      IniText({"[DATA]", "Logging=1", "LogFile=" + kLog, "[A]", "5", "[B]", "5",
                               "[Commands]", "Cmd1=5", "CurrentCmd=1", "[State]",
                               "CurrentSection=A", "NextSection=B"}));
  ASSERT_EQ(machine_->Run(kScript + " -resume -noreboot"), 0);
  EXPECT_TRUE(Logged("InitCommandSection()  continuing with [A]")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("CMD1> CMD05_IncRunningCounter: 5 "));
  EXPECT_TRUE(Logged("No More commands "));
  EXPECT_EQ(Log().back(), "DONE !");
  EXPECT_NE(WorkingCopy().find("RunCount=1\r\n"), std::string::npos) << WorkingCopy();
}

TEST_P(InterpreterScenario, PendingSwitchAtStartRunsTheNewSectionAtTheStoredIndex) {
  RunScript(DataScript({"ForceCleanStart=0"}, {"5"}));
  machine_->WriteFile(WorkingCopyPath(),
                      IniText({"[DATA]", "Logging=1", "LogFile=" + kLog, "[A]", "5", "10",
                               "[B]", "7", "[Commands]", "Cmd0=5", "Cmd1=10", "CurrentCmd=2",
                               "[State]", "CurrentSection=A", "NextSection=B"}));
  ASSERT_EQ(machine_->Run(kScript + " -resume -noreboot"), 0);
  EXPECT_TRUE(Logged("InitCommandSection()  starting from [B]")) << ::testing::PrintToString(Log());
  EXPECT_TRUE(Logged("CMD2> CMD07_IncCmdIndex: 7 "));
  EXPECT_NE(WorkingCopy().find("Cmd2=7\r\n"), std::string::npos) << WorkingCopy();
}

std::string ParamName(const ::testing::TestParamInfo<Param>& info) {
  return std::string(BuildName(info.param.build)) + OsName(info.param.os);
}

INSTANTIATE_TEST_SUITE_P(Builds, InterpreterScenario,
                         ::testing::Values(Param{Build::kHost, Os::kWin2000},
                                           Param{Build::kHost, Os::kWin98},
                                           Param{Build::kWine, Os::kWin2000},
                                           Param{Build::kWine, Os::kWin98}),
                         ParamName);

class PrivilegeScenario : public InterpreterScenario {};

TEST_P(PrivilegeScenario, ThreeAdjustmentsBeforeTheFirstCommandOnTheNtFamilyOnly) {
  RunScript(DataScript({}, {"10"}));
  const std::vector<std::string> log = Log();
  std::vector<std::string> adjustments;
  for (const std::string& line : log) {
    if (line.rfind("NOTICE: adjusting", 0) == 0 || line.rfind("ERROR: adjusting", 0) == 0)
      adjustments.push_back(line);
    if (line.rfind("CMD0>", 0) == 0) break;
  }
  const bool nt = GetParam().os == Os::kNt4 || GetParam().os == Os::kWin2000;
  const std::vector<std::string> expected =
      nt ? std::vector<std::string>{"NOTICE: adjusting token privilege for : SE_SHUTDOWN_NAME",
                                    "NOTICE: adjusting token privilege for : SE_RESTORE_NAME",
                                    "NOTICE: adjusting token privilege for : SE_BACKUP_NAME"}
         : std::vector<std::string>{};
  EXPECT_EQ(adjustments, expected) << ::testing::PrintToString(log);
  EXPECT_NE(WorkingCopy().find("CurrentCmd=1\r\n"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Builds, PrivilegeScenario,
    ::testing::Values(Param{Build::kHost, Os::kWin95}, Param{Build::kHost, Os::kWin98},
                      Param{Build::kHost, Os::kNt4}, Param{Build::kHost, Os::kWin2000},
                      Param{Build::kWine, Os::kWin95}, Param{Build::kWine, Os::kWin98},
                      Param{Build::kWine, Os::kNt4}, Param{Build::kWine, Os::kWin2000}),
    ParamName);

TEST(InterpreterScenarioHost, RestartIsAskedOfTheMachineUnlessSuppressed) {
  auto machine = MakeScenario(Build::kHost, Os::kNt4);
  if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
  machine->WriteFile(kScript, IniText(DataScript({}, {"20"})));
  ASSERT_EQ(machine->Run(kScript), 0);
  EXPECT_NE(machine->Events().find("{\"event\":\"restart\",\"flags\":2}"), std::string::npos);
  EXPECT_NE(machine->ReadFile(kLog).find("DONE  Shutting down system."), std::string::npos);
}

}  // namespace
}  // namespace velsetup::testing
