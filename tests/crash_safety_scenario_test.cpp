// A setup run on a customer's machine has no second chance: killed at any of
// its writes and started again with -resume, it must end where an
// uninterrupted run ends. The host build counts its writes and kills itself
// after the chosen one (VELSETUP_KILL_AFTER_WRITES); every kill point of both
// starts of a deployment is tried, each on a fresh machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "profile/profile_document.h"
#include "fault_kit.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

using namespace fault_kit;

const std::string kKey = "Software\\Velmor\\Crash";
// The starts of an uninterrupted run: up to the restart, then after it.
const std::vector<std::string> kStarts = {kScript + " -silent", kScript + " -silent -resume"};
constexpr int kRestartLimit = 10;

// Copies, registry edits, INI writes, a variable, an appended file whose
// section the run branches into, a restart, and an end that keeps the
// working copy so that its bytes can be compared.
std::string Script() {
  return IniText({
      "[DATA]",
      "Logging=1",
      "LogFile=" + kLog,
      "",
      "[Variables]",
      "V001=C:\\Velmor\\Tools",
      "",
      "[CommandsList]",
      "32,Installing",
      // One directory a command: a data-section CMD21 ends at a directory
      // that exists, so one cut short would stop there when it runs again.
      "21,,C:\\Velmor",
      "21,,~%V001",
      "21,,~%V001\\doc",
      "15,Files",
      "14,Registry",
      "3,Marker",
      "26,,Setup,Stage,files copied",
      "27,,V002,~%V001\\doc",
      "28,C:\\KIT\\more.ini",
      "26,,Setup,Stage,2",
      "19,More",
      "",
      "[Files]",
      "C:\\KIT\\tools,~%V001",
      "C:\\KIT\\readme.txt,~%V001\\doc\\readme.txt",
      "",
      "[Registry]",
      "1,HKLM," + kKey + ",Path,0,~%V001",
      "1,HKLM," + kKey + ",Level,2,00000002",
      "1,HKLM," + kKey + ",Old,0,to be removed",
      "3,HKLM," + kKey + ",Old,0,",
      "",
      "[Marker]",
      "RegHive=HKEY_LOCAL_MACHINE",
      "RegKey=" + kKey,
      "RegValue=Stage",
      "RegData=copied",
      "RegDataType=0",
  });
}

std::string MoreIni() {
  return IniText({
      "[More]",
      "15,,C:\\KIT\\tools\\tools.hlp,~%V002\\tools.hlp",
      "20",
      "32,Back after the restart",
      "14,Finish",
      "26,,Setup,Stage,done",
      "10",
      "",
      "[Finish]",
      "1,HKLM," + kKey + ",Installed,2,00000001",
      "1,HKLM," + kKey + ",Stage,0,finished",
  });
}

const std::vector<RegistryQuery> kValues = {{"HKLM", kKey, "Path"},  {"HKLM", kKey, "Level"},
                                            {"HKLM", kKey, "Old"},   {"HKLM", kKey, "Stage"},
                                            {"HKLM", kKey, "Installed"}};

void Stage(Scenario& machine) {
  machine.WriteFile(kScript, Script());
  machine.WriteFile("C:\\KIT\\more.ini", MoreIni());
  machine.WriteFile("C:\\KIT\\readme.txt", "Read me first.\r\n");
  machine.WriteFile("C:\\KIT\\tools\\tool.exe", std::string(70000, 'x') + "end");
  machine.WriteFile("C:\\KIT\\tools\\tools.hlp", "help\r\n");
  machine.WriteFile("C:\\KIT\\tools\\sub\\data.bin", std::string(300, '\x01'));
}

// What the run leaves on the machine: every file of C: and the registry
// values the run writes. Left out: the log (a resumed run logs its start
// again); the slots of the working copy's [Commands], which a run that
// resumes a branch cut short before its index was stored expands from the
// branch's slot rather than the one after it; and the temporary file of an
// append cut short before its rename, which the next run, under another
// process ID, cannot know for its own.
struct MachineState {
  std::vector<std::string> files;
  std::vector<std::string> registry;
};

std::string WithoutSlots(const std::string& working_copy) {
  const profile::ProfileDocument copy = profile::ProfileDocument::Parse(working_copy);
  std::string bytes;
  for (const profile::ProfileSection& section : copy.sections()) {
    if (section.folded_name == "commands") continue;
    for (size_t i = 0; i < section.line_count(); ++i) {
      bytes += section.line(i).text + section.line(i).end;
    }
  }
  return bytes;
}

bool IsAppendTemporary(const std::string& entry) {
  const std::string prefix = "WINNT\\TEMP\\TMP";
  return entry.compare(0, prefix.size(), prefix) == 0 &&
         entry.find(".INI=") == prefix.size() + 5;
}

MachineState StateOf(Scenario& machine) {
  MachineState state;
  const std::string log_entry = "KIT\\setup.log=";
  const std::string copy_entry = "WINNT\\TEMP\\SETUP.INI=";
  for (const std::string& entry : machine.Tree("C:\\")) {
    if (entry.compare(0, log_entry.size(), log_entry) == 0 || IsAppendTemporary(entry)) continue;
    if (entry.compare(0, copy_entry.size(), copy_entry) == 0) {
      state.files.push_back(copy_entry + WithoutSlots(entry.substr(copy_entry.size())));
    } else {
      state.files.push_back(entry);
    }
  }
  state.registry = machine.RegistryValues(kValues);
  return state;
}

// What must hold wherever a kill falls: the machine opens (registry.reg
// parses), the working copy reads back and holds no torn line, and every
// installed file is either not there yet or whole.
void ExpectConsistent(Scenario& machine, const MachineState& final_state,
                      const std::string& where) {
  const std::vector<std::string> values = machine.RegistryValues(kValues);
  for (size_t i = 0; i < values.size(); ++i) {
    EXPECT_TRUE(values[i] == "missing key" || values[i] == "missing value" ||
                values[i] == final_state.registry[i] ||
                (kValues[i].value == "Stage" && values[i].rfind("1:", 0) == 0) ||
                kValues[i].value == "Old")
        << where << ": " << kValues[i].value << " = " << values[i];
  }
  if (machine.Exists(kWorkingCopy)) {
    EXPECT_EQ(machine.ProfileValue(kWorkingCopy, "DATA", "LogFile"), kLog) << where;
    const profile::ProfileDocument copy = profile::ProfileDocument::Parse(machine.ReadFile(kWorkingCopy));
    for (const profile::ProfileSection& section : copy.sections()) {
      for (size_t i = section.has_header ? 1 : 0; i < section.lines.size(); ++i) {
        const profile::LineMeaning line = profile::ReadLine(section.lines[i].text);
        EXPECT_TRUE(line.kind != profile::LineMeaning::kEntry || line.has_equals ||
                    section.folded_name == "commandslist" || section.folded_name == "files" || section.folded_name == "registry" ||
                    section.folded_name == "more" || section.folded_name == "finish")
            << where << ": a torn line in [" << section.folded_name << "]: "
            << section.lines[i].text;
      }
    }
  }
  std::vector<std::string> installed;
  for (const std::string& entry : machine.Tree("C:\\Velmor")) {
    if (entry.back() == '\\') continue;
    bool whole = false;
    for (const std::string& done : final_state.files) whole = whole || done == "Velmor\\" + entry;
    EXPECT_TRUE(whole) << where << ": a part-written file " << entry.substr(0, 60);
  }
}

// The files and values the two states do not share.
std::string Difference(const MachineState& got, const MachineState& want) {
  std::string text;
  for (const std::string& file : got.files) {
    if (std::find(want.files.begin(), want.files.end(), file) == want.files.end())
      text += "  has:     " + file.substr(0, 2000) + "\n";
  }
  for (const std::string& file : want.files) {
    if (std::find(got.files.begin(), got.files.end(), file) == got.files.end())
      text += "  lacks:   " + file.substr(0, 2000) + "\n";
  }
  for (size_t i = 0; i < got.registry.size() && i < want.registry.size(); ++i) {
    if (got.registry[i] != want.registry[i])
      text += "  " + kValues[i].value + ": " + got.registry[i] + " not " + want.registry[i] + "\n";
  }
  return text;
}

std::string LogText(const Scenario& machine) {
  std::string text;
  for (const std::string& line : ToolLog(machine, kLog)) text += "  " + line + "\n";
  return text;
}

bool Same(const MachineState& a, const MachineState& b) {
  return a.files == b.files && a.registry == b.registry;
}

// The kill points are dealt out to shards that ctest runs side by side.
constexpr int kShards = 4;

class CrashSafetyScenario : public ::testing::TestWithParam<int> {};

TEST_P(CrashSafetyScenario, EveryKillPointEndsAsTheUninterruptedRun) {
  MachineState reference;
  {
    auto machine = MakeScenario(Build::kHost, Os::kWin2000);
    if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
    Stage(*machine);
    for (const std::string& start : kStarts) ASSERT_EQ(machine->Run(start), 0) << start;
    reference = StateOf(*machine);
    ASSERT_TRUE(machine->Exists(kWorkingCopy));
    ASSERT_EQ(machine->ProfileValue(kWorkingCopy, "Setup", "Stage"), "done");
    ASSERT_EQ(reference.registry[4], "4:01000000");
  }

  int kill_points = 0;
  for (size_t killed_start = 0; killed_start < kStarts.size(); ++killed_start) {
    for (int kill_after = GetParam() + 1;; kill_after += kShards) {
      const std::string where = "start " + std::to_string(killed_start + 1) + ", write " +
                                std::to_string(kill_after);
      auto machine = MakeScenario(Build::kHost, Os::kWin2000);
      Stage(*machine);
      for (size_t i = 0; i < killed_start; ++i) ASSERT_EQ(machine->Run(kStarts[i]), 0);
      machine->SetRunEnvironment("VELSETUP_KILL_AFTER_WRITES", std::to_string(kill_after));
      const bool killed = machine->Run(kStarts[killed_start]) != 0;
      machine->SetRunEnvironment("VELSETUP_KILL_AFTER_WRITES", "");
      if (!killed) break;
      ++kill_points;
      ExpectConsistent(*machine, reference, where);

      // Started again, as the machine's next boot would, until it is done.
      int restarts = 0;
      while (!Same(StateOf(*machine), reference) && restarts < kRestartLimit) {
        ASSERT_EQ(machine->Run(kScript + " -silent -resume"), 0) << where;
        ++restarts;
      }
      const MachineState ended = StateOf(*machine);
      EXPECT_TRUE(Same(ended, reference))
          << where << ": after " << restarts << " restarts the machine differs:\n"
          << Difference(ended, reference) << "and logs\n" << LogText(*machine);
    }
  }
  std::cout << "[ kill points ] " << kill_points << " in this shard\n";
  EXPECT_GT(kill_points, 40);
}

INSTANTIATE_TEST_SUITE_P(Shards, CrashSafetyScenario, ::testing::Range(0, kShards));

}  // namespace
}  // namespace velsetup::testing
