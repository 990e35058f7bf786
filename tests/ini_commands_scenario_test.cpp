// The INI-editing commands on a whole machine, on both builds: values and
// variables written into the working copy, a second file appended to it, and
// the same working copy bytes from the host build and from Windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>

#include "kit_scenario.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::string kExtra = "C:\\KIT\\EXTRA.INI";

using Machines = BothBuilds;

std::string WorkingCopy(const Scenario& machine) {
  return machine.ReadFile(machine.TempDir() + "SETUP.INI");
}

std::vector<std::string> Log(const Scenario& machine) { return ToolLog(machine, kLog); }

bool Logged(const Scenario& machine, const std::string& line) {
  const std::vector<std::string> lines = Log(machine);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Working copies of every build that ran are the same bytes, and the host
// build's is the one recorded when both last ran (all that is compared
// where Wine is missing; the test then says it was skipped).
void ExpectSameCopies(const Machines& machines) {
  const std::string host = WorkingCopy(*machines.all[0]);
  ExpectAsRecorded(host);
  for (size_t i = 1; i < machines.all.size(); ++i) {
    EXPECT_EQ(host, WorkingCopy(*machines.all[i]))
        << Where(*machines.all[0]) << " and " << Where(*machines.all[i]);
  }
  machines.SkipUnlessBoth();
}

TEST(IniCommandsScenario, SetValueAndSetVariableInBothForms) {
  Machines machines(Os::kWin2000);
  const std::vector<std::string> script = Script(
      {"26,,DATA,IncCommand,2", "7", "26,,Skipped,Key,1", "26,,Skipped,Key,2",
       "27,,V005,C:\\Data", "27,,~%V001,as written", "26,Values", "27,Vars",
       "26,,Result,~%V007,~%V006~%V005\\x.txt", "26,Nowhere", "27,Empty", "26,,Done,Key,1"},
      {"[Empty]", "[Values]", "Setup, Path , ~%V005\\temp", "Setup,Key,a,b", "Setup,Broken", ",Key,1",
       "Setup,,1", "Setup , Blank ,1", ";Setup,Comment,1", "Setup,Tool,~%C001", "[Vars]",
       "V007,~%V005\\sub", "~%V008V006,pre-", "noComma", ",empty", "[Setup]", "Old=1"});
  for (auto& machine : machines.all) {
    machine->WriteFile(kScript, IniText(script));
    ASSERT_EQ(machine->Run(kScript + " -noreboot -silent"), 0);
    const std::string copy = WorkingCopy(*machine);
    const std::vector<std::string> log = Log(*machine);
    SCOPED_TRACE(Where(*machine) + "\n" + copy + ::testing::PrintToString(log));
    // CMD07 skipped two slots through the value CMD26 wrote.
    EXPECT_NE(copy.find("SilentMode=1\r\nIncCommand=2\r\n[CommandsList]"), std::string::npos);
    EXPECT_EQ(copy.find("[Skipped]"), std::string::npos);
    EXPECT_TRUE(Logged(*machine, "Writing:  [DATA]:IncCommand=2"));
    EXPECT_TRUE(Logged(*machine, "Writing:  [Variables]:V005=C:\\Data"));
    // The inline name is not expanded; a data line's name is.
    EXPECT_TRUE(Logged(*machine, "Writing:  [Variables]:~%V001=as written"));
    EXPECT_NE(copy.find("~%V001=as written\r\n"), std::string::npos);
    // Only the good lines reached [Setup], cleaned and expanded.
    EXPECT_NE(copy.find("[Setup]\r\nOld=1\r\nPath=C:\\Data\\temp\r\nKey=a,b\r\n"
                        "Blank=1\r\nTool=C:\\KIT\r\n[State]"),
              std::string::npos);
    EXPECT_NE(copy.find("V007=C:\\Data\\sub\r\nV006=pre-\r\n"), std::string::npos);
    EXPECT_NE(copy.find("[Result]\r\nC:\\Data\\sub=pre-C:\\Data\\x.txt\r\n"), std::string::npos);
    // The data lines' warnings, and nothing written for those lines.
    EXPECT_TRUE(Logged(*machine, "WARNINIG-=- Missing comma >Setup<"));
    EXPECT_TRUE(Logged(*machine, "WARNINIG-=- Invalid Parameters : no section ><"));
    EXPECT_TRUE(Logged(*machine, "WARNINIG-=- Invalid Parameters : no Key >Setup<"));
    EXPECT_TRUE(Logged(*machine, "WARNINIG-=- Missing comma >noComma<"));
    EXPECT_TRUE(Logged(*machine, "WARNINIG-=- Invalid Parameters : no Key ><"));
    // Missing and empty data sections are reported, and the run goes on.
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "ERROR-=- Missing the Data section or an extra comma."),
              2);
    EXPECT_NE(copy.find("[Done]\r\nKey=1\r\n"), std::string::npos);
  }
  ExpectSameCopies(machines);
}

// The second file's bytes follow the script's, with nothing between them; the
// sections it brings are part of the running script from then on.
TEST(IniCommandsScenario, AppendINIFileConcatenatesTheFilesByteForByte) {
  Machines machines(Os::kNt4);
  const std::string extra = IniText({"[Extra]", "Setup,Mode,fast", "[Setup]", "Mode=appended"});
  for (auto& machine : machines.all) {
    machine->WriteFile(kScript, IniText(Script({"28,~%C001\\EXTRA.INI", "26,Extra"},
                                               {"[Setup]", "Mode=slow"})));
    machine->WriteFile(kExtra, extra);
    ASSERT_EQ(machine->Run(kScript + " -noreboot -silent"), 0);
    const std::string copy = WorkingCopy(*machine);
    const std::vector<std::string> log = Log(*machine);
    SCOPED_TRACE(Where(*machine) + "\n" + copy + ::testing::PrintToString(log));
    ASSERT_GE(copy.size(), extra.size());
    EXPECT_EQ(copy.substr(copy.size() - extra.size()), extra);
    const std::string before = copy.substr(0, copy.size() - extra.size());
    // CMD26 read its lines from the appended section and wrote the first [Setup].
    EXPECT_NE(before.find("[Setup]\r\nMode=fast\r\n"), std::string::npos);
    EXPECT_NE(before.find("CurrentCmd=2\r\n"), std::string::npos);

    const std::string temp = machine->TempDir() + "TMP";
    auto at = std::find_if(log.begin(), log.end(), [](const std::string& line) {
      return line.rfind(" creating temp file:  ", 0) == 0;
    });
    ASSERT_NE(at, log.end());
    const std::string temp_path = at->substr(std::string(" creating temp file:  ").size());
    EXPECT_EQ(temp_path.rfind(temp, 0), 0u) << temp_path;
    EXPECT_EQ(temp_path.size(), temp.size() + 9);  // five digits and ".INI"
    ASSERT_GE(log.end() - at, 4);
    EXPECT_EQ(at[1], " coping contents of  " + machine->TempDir() + "SETUP.INI");
    EXPECT_EQ(at[2], " coping contents of  C:\\KIT\\EXTRA.INI");
    EXPECT_EQ(at[3], "  renaming " + temp_path + " to " + machine->TempDir() + "SETUP.INI");
    EXPECT_FALSE(machine->Exists(temp_path));
  }
  ExpectSameCopies(machines);
}

TEST(IniCommandsScenario, AppendINIFileWithoutTheSecondFileKeepsTheScript) {
  Machines machines(Os::kWin95);
  for (auto& machine : machines.all) {
    machine->WriteFile(kScript, IniText(Script({"28,C:\\KIT\\MISSING.INI", "28", "26,,Done,Key,1"},
                                               {"[Setup]", "Mode=slow"})));
    ASSERT_EQ(machine->Run(kScript + " -noreboot -silent"), 0);
    const std::string copy = WorkingCopy(*machine);
    const std::vector<std::string> log = Log(*machine);
    SCOPED_TRACE(Where(*machine) + "\n" + copy + ::testing::PrintToString(log));
    // Both the missing file and an empty field 0 name no file to append.
    EXPECT_EQ(std::count(log.begin(), log.end(), "Error-=-  cound not open second file..."), 2);
    EXPECT_NE(copy.find("[Setup]\r\nMode=slow\r\n"), std::string::npos);
    EXPECT_NE(copy.find("[Done]\r\nKey=1\r\n"), std::string::npos);
    EXPECT_EQ(copy.find("Mode=slow", copy.find("Mode=slow") + 1), std::string::npos);
  }
  ExpectSameCopies(machines);
}

// Windows keeps a script's last line without its line end, and the appended
// file's first line then continues it. Wine rewrites the file in its own form
// on every write, so this is checked on the host build against what Windows
// writes.
TEST(IniCommandsScenarioHost, AppendedFileContinuesALastLineWithoutLineEnd) {
  auto machine = MakeScenario(Build::kHost, Os::kWin2000);
  if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
  // [State] and [Commands] exist already, so the engine's keys go into them
  // and the script's last line stays last.
  machine->WriteFile(kScript, "[DATA]\r\nLogging=1\r\nLogFile=" + kLog +
                                  "\r\n[State]\r\n[Commands]\r\n[CommandsList]\r\n"
                                  "28,C:\\KIT\\EXTRA.INI\r\n26,Extra\r\n[Setup]\r\nMode=slow");
  machine->WriteFile(kExtra, "[Extra]\r\nSetup,Mode,fast\r\n");
  ASSERT_EQ(machine->Run(kScript + " -noreboot -silent"), 0);
  const std::string copy = WorkingCopy(*machine);
  EXPECT_EQ(copy.substr(copy.find("[Setup]")), "[Setup]\r\nMode=slow[Extra]\r\nSetup,Mode,fast\r\n")
      << copy;
  // [Extra] is no section now: it is part of the value of Mode.
  EXPECT_TRUE(Logged(*machine, "ERROR-=- Missing the Data section or an extra comma."))
      << ::testing::PrintToString(Log(*machine));
}

}  // namespace
}  // namespace velsetup::testing
