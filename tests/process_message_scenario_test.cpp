// Starting programs, pausing, message boxes and the script's own log lines
// on a whole machine, on both builds. Boxes are answered on the host build
// only (VELSETUP_ANSWERS); under Wine the box scenarios run silent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

#include "kit_scenario.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::string kMarker = "C:\\KIT\\tools\\marker.exe";

// The log from the first command on, Wine's texts put as Windows has them.
std::vector<std::string> CommandLog(const Scenario& machine) {
  std::vector<std::string> log = LogFromFirstCommand(machine, kLog);
  for (std::string& line : log) {
    const std::string wine = "File not found.";
    const size_t at = line.find(wine);
    if (at != std::string::npos) line.replace(at, wine.size(), "The system cannot find the file specified.");
  }
  return log;
}

int64_t ModifiedMs(const Scenario& machine, const std::string& windows_path) {
  struct stat info;
  if (::stat(machine.HostPath(windows_path).c_str(), &info) != 0) return -1;
  return static_cast<int64_t>(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1000000;
}

std::vector<std::string> Slice(const std::vector<std::string>& log, const std::string& from,
                               size_t count) {
  const auto at = std::find(log.begin(), log.end(), from);
  if (at == log.end()) return {"(no line " + from + ")"};
  return std::vector<std::string>(at, at + std::min<size_t>(count, log.end() - at));
}

TEST(ProcessScenario, ProgramsStartWhereTheirPathSaysAndAreWaitedFor) {
  BothBuilds machines(Os::kWin2000);
  for (auto& machine : machines.all) {
    machine->WriteMarkerProgram(kMarker);
    machine->WriteMarkerProgram("C:\\KIT\\marker.exe");
    machine->WriteFile(kScript, IniText(Script(
        {"11,,C:\\KIT\\tools\\marker.exe waited.txt 1000 \"two words\" a\\\"b c:\\x\\,TRUE",
         "11,RunIt", "11,,C:\\KIT\\nothere.exe", "11,,C:\\KIT\\tools\\marker late.txt 1500,yes"},
        {"[RunIt]", "Program=marker KIT\\bare.txt 0 bare"})));
    ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
    const std::vector<std::string> log = CommandLog(*machine);
    SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(log));
    EXPECT_EQ(Slice(log, "CMD0> CMD11_SpawnProgram: 11,,C:\\KIT\\tools\\marker.exe waited.txt "
                         "1000 \"two words\" a\\\"b c:\\x\\,TRUE ", 7),
              (std::vector<std::string>{
                  "CMD0> CMD11_SpawnProgram: 11,,C:\\KIT\\tools\\marker.exe waited.txt 1000 "
                  "\"two words\" a\\\"b c:\\x\\,TRUE ",
                  "...Spawning  <C:\\KIT\\tools\\marker.exe waited.txt 1000 \"two words\" a\\\"b "
                  "c:\\x\\>",
                  "...Setting CWD to  <C:\\KIT\\tools>", "...WaitToFinish: TRUE",
                  "...waiting..... ", "...Spawn Complete ",
                  "CMD1> CMD11_SpawnProgram: 11,RunIt "}));
    // Waited for: written before the tool went on. The arguments were split
    // by the C runtime's rules.
    EXPECT_EQ(machine->ReadFile("C:\\KIT\\tools\\waited.txt"), "two words\r\na\"b\r\nc:\\x\\\r\n");
    // A bare name: found beside the tool, run in the current directory; the
    // wait flag of a section without one reads FALSE.
    EXPECT_EQ(Slice(log, "CMD1> CMD11_SpawnProgram: 11,RunIt ", 6),
              (std::vector<std::string>{"CMD1> CMD11_SpawnProgram: 11,RunIt ",
                                        "...Spawning  <marker KIT\\bare.txt 0 bare>",
                                        "...Setting CWD to  <C:\\>", "...WaitToFinish: FALSE",
                                        "...not waiting ", "...Spawn Complete "}));
    EXPECT_EQ(Slice(log, "CMD2> CMD11_SpawnProgram: 11,,C:\\KIT\\nothere.exe ", 5),
              (std::vector<std::string>{
                  "CMD2> CMD11_SpawnProgram: 11,,C:\\KIT\\nothere.exe ",
                  "...Spawning  <C:\\KIT\\nothere.exe>", "...Setting CWD to  <C:\\KIT>",
                  "...WaitToFinish: ",
                  "FAIL - Failure with CreateProcess( ) 2 - The system cannot find the file "
                  "specified.  "}));
    // "yes" is no TRUE: the tool did not wait, and ended before the program.
    EXPECT_NE(std::find(log.begin(), log.end(), "...WaitToFinish: yes"), log.end());
    const int64_t tool_done = ModifiedMs(*machine, kLog);
    for (int tries = 0; tries < 100 && ModifiedMs(*machine, "C:\\KIT\\tools\\late.txt") < 0; ++tries) {
      ::usleep(50 * 1000);
    }
    const int64_t late_done = ModifiedMs(*machine, "C:\\KIT\\tools\\late.txt");
    EXPECT_GT(late_done, tool_done);
    for (int tries = 0; tries < 100 && !machine->Exists("C:\\KIT\\bare.txt"); ++tries) {
      ::usleep(50 * 1000);
    }
    EXPECT_EQ(machine->ReadFile("C:\\KIT\\bare.txt"), "bare\r\n");
  }
  machines.SkipUnlessBoth();
}

const std::vector<std::string> kBoxSections = {
    "[Box.US]", "Title=Setup of the kit", "Message1=Hello", "Message2=;", "Message3=Bye",
    "[Short.US]", "Message1=Only this", "Message2=", "Message3=never shown",
    "[A2]", "32,in A2", "[A3]", "32,in A3", "[A4]", "32,in A4", "[B3]", "32,in B3",
    "[C4]", "32,in C4"};

// Silent boxes take their first button; types without a question show
// nothing and choose nothing.
TEST(MessageBoxScenario, SilentBoxesTakeTheirFirstButton) {
  BothBuilds machines(Os::kWin98);
  std::vector<std::string> sections = kBoxSections;
  for (auto& machine : machines.all) {
    machine->WriteFile(kScript, IniText(Script({"17,Box,2,A2,B2", "17,Box,3,A3,B3", "17,Box,5,X",
                                                "17,Box,6,X", "17,Box,abc,X", "17,Missing,3,X",
                                                "17,Box,4,A4,B4,C4"},
                                               sections)));
    ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
    const std::vector<std::string> log = CommandLog(*machine);
    SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(log));
    const std::vector<std::string> expected = {
        "CMD0> CMD17_DisplayMessageBox: 17,Box,2,A2,B2 ",
        "  Setting next section to:  A2",
        "CMD1> CMD17_DisplayMessageBox: 17,Box,3,A3,B3 ",
        "  Setting next section to:  A3",
        "CMD2> CMD17_DisplayMessageBox: 17,Box,5,X ",
        "CMD3> CMD17_DisplayMessageBox: 17,Box,6,X ",
        "CMD4> CMD17_DisplayMessageBox: 17,Box,abc,X ",
        "CMD5> CMD17_DisplayMessageBox: 17,Missing,3,X ",
        "ERROR-=- Missing the Message Section [Missing.US]",
        "CMD6> CMD17_DisplayMessageBox: 17,Box,4,A4,B4,C4 ",
        "  Setting next section to:  A4",
    };
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + expected.size()), expected);
    // The last choice counts when the section ends.
    EXPECT_NE(std::find(log.begin(), log.end(), " in A4"), log.end());
    EXPECT_EQ(std::find(log.begin(), log.end(), " in A2"), log.end());
    if (machine->HasEventLog()) {
      EXPECT_EQ(machine->Events().find("messagebox"), std::string::npos);
    }
  }
  machines.SkipUnlessBoth();
}

// Answered boxes (host build): the answer picks the field, the text is put
// together from the message lines, and every box is recorded.
TEST(MessageBoxScenario, AnswersChooseTheNextSection) {
  struct Case {
    std::string command;
    std::string answer;
    std::string next;  // what NextSection holds afterwards
    std::string ran;   // the log line of the section that ran
  };
  const std::vector<Case> cases = {
      {"17,Box,2,A2", "Cancel", "", ""},  // field 3 absent: the switch is cancelled
      {"17,Box,3,A3,B3", "No", "B3", " in B3"},
      {"17,Box,4,A4,B4,C4", "Cancel", "C4", " in C4"},
      {"17,Box,3,A3,B3", "Yes", "A3", " in A3"},
  };
  for (const Case& c : cases) {
    auto machine = MakeScenario(Build::kHost, Os::kWin2000);
    machine->WriteFile(kScript, IniText(Script({"17,Short,5", c.command}, kBoxSections)));
    ASSERT_EQ(machine->Run(kScript + " -noreboot", {"OK", c.answer}), 0);
    const std::vector<std::string> log = CommandLog(*machine);
    SCOPED_TRACE(c.command + " " + c.answer + "\n" + ::testing::PrintToString(log));
    EXPECT_NE(std::find(log.begin(), log.end(), "  Setting next section to:  " + c.next),
              log.end());
    if (!c.ran.empty()) {
      EXPECT_NE(std::find(log.begin(), log.end(), c.ran), log.end());
    }
    const std::string events = machine->Events();
    // Message2 ";" is an empty line; an empty Message2 ends the text.
    EXPECT_NE(events.find("{\"event\":\"messagebox\",\"title\":\"Velmor Setup\",\"text\":\"Only "
                          "this\\n\",\"style\":4144,\"answer\":\"OK\"}"),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("\"title\":\"Setup of the kit\",\"text\":\"Hello\\n\\nBye\\n\""),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("\"answer\":\"" + c.answer + "\""), std::string::npos) << events;
  }
}

TEST(ScriptCommandsScenario, SleepLogAndUnsupportedCommands) {
  BothBuilds machines(Os::kNt4);
  for (auto& machine : machines.all) {
    machine->WriteFile(kScript,
                       IniText(Script({"13,1500", "13,", "13,abc", "13,-5", "32,Hello, world",
                                       "32,~%C001 as written", "22", "23,x", "24", "33", "34",
                                       "35", "32,still running"},
                                      {})));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1500));
    const std::vector<std::string> log = CommandLog(*machine);
    SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(log));
    const std::vector<std::string> expected = {
        "CMD0> CMD13_Sleep: 13,1500 ",
        "..sleeping  1500",
        "CMD1> CMD13_Sleep: 13, ",
        "..time not defined to sleep ",
        "CMD2> CMD13_Sleep: 13,abc ",
        "..sleeping  abc",
        "CMD3> CMD13_Sleep: 13,-5 ",
        "..sleeping  -5",
        "WARNINIG-=- negative sleep time -5, not sleeping",
        "CMD4> CMD32_LogMsg: 32,Hello, world ",
        " Hello",
        "CMD5> CMD32_LogMsg: 32,~%C001 as written ",
        " ~%C001 as written",
        "CMD6> CMD22_DisplayWindow: 22 ",
        "  Not Supported yet.",
        "CMD7> CMD23_MergeINIFile: 23,x ",
        "  Not Supported yet.",
        "CMD8> CMD24_ControlOsShutdown: 24 ",
        "  Not Supported yet.",
        "CMD9> CMD33_: 33 ",
        "  Not Supported yet.",
        "CMD10> CMD34_: 34 ",
        "  Not Supported yet.",
        "CMD11> CMD35_: 35 ",
        "  Not Supported yet.",
        "CMD12> CMD32_LogMsg: 32,still running ",
        " still running",
        "No More commands ",
    };
    ASSERT_GE(log.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + expected.size()), expected);
  }
  machines.SkipUnlessBoth();
}

}  // namespace
}  // namespace velsetup::testing
