// The README's deployment (examples/deploy.ini with its kit) from start to
// finish: a first run that branches on the Windows version, copies the kit,
// edits the registry, sets a value and restarts, and a run with -resume that
// finishes and deletes its working copy. The whole log and the machine's
// final state are compared with the record in tests/golden/ for each
// version (VELSETUP_RECORD=1 writes the records anew). The log names the
// temporary, Windows and system directories by placeholders, so that Wine's
// run, whose directories differ, meets the same record.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

namespace fs = std::filesystem;

const std::string kExamples = std::string(VELSETUP_SOURCE_DIR) + "/examples";
const std::string kScript = "C:\\KIT\\deploy.ini";
const std::string kLog = "C:\\KIT\\deploy.log";

// The kit as a deployment engineer copies it onto the machine.
void StageKit(Scenario& machine) {
  const fs::path kit = kExamples + "/kit";
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(kit)) {
    if (!entry.is_regular_file()) continue;
    std::string relative = fs::relative(entry.path(), kit).string();
    for (char& c : relative) c = c == '/' ? '\\' : c;
    machine.WriteFile("C:\\KIT\\" + relative, host::testing::ReadHostFile(entry.path()));
  }
  machine.WriteFile(kScript, host::testing::ReadHostFile(kExamples + "/deploy.ini"));
}

struct Directories {
  std::string windows, system;
};

// Where each build's Windows keeps its directories: Wine's prefix has the
// same ones for every version it reports.
Directories DirectoriesOf(const Scenario& machine) {
  if (machine.build() == Build::kWine) return {"C:\\windows", "C:\\windows\\system32"};
  if (machine.os() == Os::kNt4 || machine.os() == Os::kWin2000) {
    return {"C:\\WINNT", "C:\\WINNT\\system32"};
  }
  return {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"};
}

void ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
  for (size_t at = 0; (at = text->find(from, at)) != std::string::npos; at += to.size()) {
    text->replace(at, from.size(), to);
  }
}

std::string Placeheld(std::string line, const Scenario& machine) {
  const Directories dirs = DirectoriesOf(machine);
  ReplaceAll(&line, machine.TempDir(), "%TEMP%\\");
  ReplaceAll(&line, dirs.system, "%SYSTEM%");
  ReplaceAll(&line, dirs.windows, "%WINDOWS%");
  ReplaceAll(&line, "\r", "\\r");
  ReplaceAll(&line, "\n", "\\n");
  return line;
}

// What a run leaves that the record holds: the log, the installed files,
// the kit, the registry key and whether the working copy is gone.
std::string Record(Scenario& machine) {
  std::string record = "== install log\n";
  for (const std::string& line : ToolLog(machine, kLog)) record += Placeheld(line, machine) + "\n";
  record += "== C:\\Velmor\n";
  for (const std::string& entry : machine.Tree("C:\\Velmor")) {
    record += Placeheld(entry, machine) + "\n";
  }
  record += "== C:\\KIT\n";
  for (const std::string& entry : machine.Tree("C:\\KIT")) {
    // The kit's names only, its bytes being the example's own; the log is
    // above, and the program lies there only where the build puts it.
    const std::string name = entry.substr(0, entry.find('='));
    if (name != "deploy.log" && name != "velsetup.exe") record += name + "\n";
  }
  const Directories dirs = DirectoriesOf(machine);
  record += "== help file\n";
  record += std::string("%WINDOWS%\\tools.hlp: ") +
            (machine.Exists(dirs.windows + "\\tools.hlp") ? "present" : "absent") + "\n";
  record += std::string("%SYSTEM%\\tools.hlp: ") +
            (machine.Exists(dirs.system + "\\tools.hlp") ? "present" : "absent") + "\n";
  record += "== HKLM\\Software\\Velmor\\Tools\n";
  const std::vector<std::string> names = {"Path", "Platform", "Level", "Installed"};
  std::vector<RegistryQuery> queries;
  for (const std::string& name : names) queries.push_back({"HKLM", "Software\\Velmor\\Tools", name});
  const std::vector<std::string> values = machine.RegistryValues(queries);
  for (size_t i = 0; i < names.size(); ++i) record += names[i] + " " + values[i] + "\n";
  record += "== working copy\n";
  record += machine.Exists(machine.TempDir() + "deploy.ini") ? "present\n" : "deleted\n";
  return record;
}

std::string GoldenPath(Os os) {
  std::string name = OsName(os);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::string(VELSETUP_SOURCE_DIR) + "/tests/golden/deploy_" + name + ".txt";
}

// What the deployment installs, removed: a Wine prefix outlives its scenario.
void RemoveInstallation(Scenario& machine) {
  machine.ClearRegistryKey("HKLM", "Software\\Velmor");
  std::error_code ignored;
  fs::remove_all(machine.HostPath("C:\\Velmor"), ignored);
  const Directories dirs = DirectoriesOf(machine);
  fs::remove(machine.HostPath(dirs.windows + "\\tools.hlp"), ignored);
  fs::remove(machine.HostPath(dirs.system + "\\tools.hlp"), ignored);
}

void RunDeployment(Scenario& machine) {
  SCOPED_TRACE(std::string(BuildName(machine.build())) + " " + OsName(machine.os()));
  RemoveInstallation(machine);
  StageKit(machine);
  ASSERT_EQ(machine.Run(kScript), 0);
  // The restart asked for at the end of the first run; nothing reboots.
  if (machine.HasEventLog()) {
    EXPECT_NE(machine.Events().find("{\"event\":\"restart\",\"flags\":2}"), std::string::npos)
        << machine.Events();
  }
  EXPECT_TRUE(machine.Exists(machine.TempDir() + "deploy.ini"));
  ASSERT_EQ(machine.Run(kScript + " -resume"), 0);

  const std::string record = Record(machine);
  const std::string golden = GoldenPath(machine.os());
  const char* recording = std::getenv("VELSETUP_RECORD");
  if (recording != nullptr && std::string(recording) == "1" && machine.build() == Build::kHost) {
    host::testing::WriteHostFile(golden, record);
    return;
  }
  EXPECT_EQ(record, host::testing::ReadHostFile(golden)) << "record: " << golden;
  RemoveInstallation(machine);
}

TEST(DeploymentScenario, TheReadmeKitInstallsOnEachWindowsAcrossARestart) {
  for (Os os : {Os::kWin95, Os::kWin98, Os::kNt4, Os::kWin2000}) {
    RunDeployment(*MakeScenario(Build::kHost, os));
  }
}

TEST(DeploymentScenario, TheWindowsBuildUnderWineMeetsTheSameRecord) {
  for (Os os : {Os::kWin98, Os::kWin2000}) {
    auto machine = MakeScenario(Build::kWine, os);
    if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
    RunDeployment(*machine);
  }
}

}  // namespace
}  // namespace velsetup::testing
