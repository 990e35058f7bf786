// Starting programs, pausing, message boxes and the script's own log lines
// on a whole machine, on both builds. Boxes are answered on the host build
// only (VELSETUP_ANSWERS); under Wine the box scenarios run silent.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>

#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::string kScript = "C:\\KIT\\SETUP.INI";
const std::string kLog = "C:\\KIT\\install.log";
const std::string kMarker = "C:\\KIT\\tools\\marker.exe";

std::vector<std::string> Script(const std::vector<std::string>& commands,
                                const std::vector<std::string>& sections) {
  return LoggedScript(kLog, commands, sections);
}

// The log from the first command on, Wine's texts put as Windows has them.
std::vector<std::string> CommandLog(const Scenario& machine) {
  std::vector<std::string> lines = ToolLog(machine, kLog);
  const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.rfind("CMD0> ", 0) == 0;
  });
  std::vector<std::string> log(first, lines.end());
  for (std::string& line : log) {
    const std::string wine = "File not found.";
    const size_t at = line.find(wine);
    if (at != std::string::npos) line.replace(at, wine.size(), "The system cannot find the file specified.");
  }
  return log;
}

std::string Where(const Scenario& machine) {
  return std::string(BuildName(machine.build())) + " " + OsName(machine.os());
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
  if (machines.all.size() < 2) std::cout << "  host build only: " << machines.skipped << "\n";
}

}  // namespace
}  // namespace velsetup::testing
