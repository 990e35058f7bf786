// The registry commands on a whole machine, on both builds: the values each
// data form stores, keys made on the way, trees removed, and the requests
// that would wipe a hive refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "kit_scenario.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::string kTest = "Software\\VelsetupTest";

std::vector<std::string> CommandLog(const Scenario& machine) {
  return LogFromFirstCommand(machine, kLog);
}

std::vector<std::string> SingleValue(const std::string& name, const std::string& hive,
                                     const std::string& key, const std::string& value,
                                     const std::string& data, const std::string& type) {
  return {"[" + name + "]", "RegHive=" + hive, "RegKey=" + key, "RegValue=" + value,
          "RegData=" + data, "RegDataType=" + type};
}

std::vector<std::string> Sections() {
  std::vector<std::string> sections = {
      "[Edits]",
      "1,HKLM," + kTest + ",Flag,2,0000000A",
      "1,HKLM," + kTest + ",Sixteen,2,1",
      "1,HKLM," + kTest + ",Long,2,123456789A",
      "1,HKCU," + kTest + ",Bin,1,0a0B0c",
      "1,HKCU," + kTest + ",Odd,1,ABC",
      "1,HKCU," + kTest + ",Hex,1,0x10",
      "1,HKLM," + kTest + ",Text,0,a,b,c",
      "1,XX," + kTest + ",Name,1,00",
      "1,hkcu," + kTest + "\\Tree\\A\\B\\C,Deep,0,x",
      "1,HKCU," + kTest + "\\Tree2\\Sub,Deep,0,x",
      "3,HKCU," + kTest + "\\NoSuch,Gone,0,x",
      "7,HKCU," + kTest + ",X,0,x",
      "2,HKCU," + kTest + "\\Tree,,0,",
      "2,HKCU,,,0,",
      "1,HKCU," + kTest + ",After,0,~%C001",
      "1,HKCU," + kTest + ",Broken,0",
      "1,HKCU," + kTest + ",NotRun,0,x",
  };
  for (const auto& part :
       {SingleValue("AddDword", "hkey_current_user", kTest, "One", "1", "2"),
        SingleValue("AddBin", "HKEY_CURRENT_USER", kTest, "Bin4", "0A0B", "1"),
        SingleValue("AddText", "HKCU", kTest, "Path", "~%C001\\x", "0"),
        SingleValue("AddExpand", "HKEY_CURRENT_USER", kTest, "Expand", "%TEMP%", "3"),
        SingleValue("DelValue", "HKCU", kTest, "Path", "", "0"),
        SingleValue("DelMissing", "HKEY_CURRENT_USER", kTest + "\\Created", "None", "", "0"),
        SingleValue("DelKey", "HKEY_CURRENT_USER", kTest + "\\Tree2", "", "", "0"),
        SingleValue("EmptyKey", "HKEY_CURRENT_USER", "", "", "", "0")}) {
    sections.insert(sections.end(), part.begin(), part.end());
  }
  return sections;
}

TEST(RegistryCommandsScenario, ValuesKeysAndTrees) {
  for (Os os : {Os::kWin2000, Os::kWin98}) {
    BothBuilds machines(os);
    std::map<Build, std::vector<std::string>> logs;
    for (auto& machine : machines.all) {
      machine->ClearRegistryKey("HKCU", kTest);
      machine->ClearRegistryKey("HKLM", kTest);
      machine->WriteFile(kScript, IniText(Script({"14,Edits", "3,AddDword", "3,AddBin", "3,AddText",
                                                  "3,AddExpand", "4,DelValue", "4,DelMissing",
                                                  "12,DelKey", "12,EmptyKey"},
                                                 Sections())));
      ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
      const std::vector<std::string> log = CommandLog(*machine);
      logs[machine->build()] = log;
      SCOPED_TRACE(std::string(BuildName(machine->build())) + OsName(os) + "\n" +
                   ::testing::PrintToString(log));
      const std::vector<std::string> values = machine->RegistryValues(
          {{"HKLM", kTest, "Flag"}, {"HKLM", kTest, "Sixteen"}, {"HKLM", kTest, "Long"},
           {"HKCU", kTest, "Bin"}, {"HKCU", kTest, "Odd"}, {"HKCU", kTest, "Hex"},
           {"HKLM", kTest, "Text"}, {"HKLM", kTest, "Name"}, {"HKCU", kTest + "\\Tree", "@"},
           {"HKCU", kTest + "\\NoSuch", "@"}, {"HKCU", kTest, "After"}, {"HKCU", kTest, "NotRun"},
           {"HKCU", kTest, "One"}, {"HKCU", kTest, "Bin4"}, {"HKLM", kTest, "Path"},
           {"HKCU", kTest, "Expand"}, {"HKCU", kTest + "\\Created", "@"},
           {"HKCU", kTest + "\\Tree2", "@"}});
      const bool nt = os == Os::kWin2000;
      EXPECT_EQ(values,
                (std::vector<std::string>{
                    "4:0a000000", "4:10000000", "4:9a785634",  // DWORDs from hex text
                    "3:0a0b0c", "3:ab", "3:0010",              // hex pairs, odd and "0x"
                    "1:612c622c6300",                          // commas stay in the data
                    "3:00",                                    // an unknown root is HKLM
                    "missing key",                             // the tree is gone
                    "missing value",                           // action 3 made the key
                    "1:433a5c4b495400",                        // expanded data
                    "missing value",                           // after the incomplete line
                    "4:31", "3:30413042",                      // the single-value forms
                    "missing value",                           // deleted again
                    "2:2554454d502500",
                    "missing value",                           // CMD04 made the key
                    // CMD12 on a key with a subkey: refused on NT, the tree on 9x.
                    nt ? "missing value" : "missing key"}));
      EXPECT_EQ(std::count(log.begin(), log.end(), "...ERROR deleting Key  "), nt ? 1 : 0);
      for (const char* line :
           {"ERROR-=- refusing to remove the whole root key HKCU: the key path is empty",
            "ERROR-=- refusing to delete the whole hive HKEY_CURRENT_USER: RegKey is empty",
            "NOTICE:Data not defined in line -> 1,HKCU,Software\\VelsetupTest,Broken,0",
            "ERROR:undefined action -> 7", "...ERROR deleting Value  ",
            "...adding key:  hkey_current_user\\Software\\VelsetupTest\\One:<1>",
            "NOTICE: unable to determine root key, defaulting to -> HKEY_LOCAL_MACHINE"}) {
        EXPECT_NE(std::find(log.begin(), log.end(), line), log.end()) << line;
      }
    }
    // Both builds wrote the same log, Wine's text for error 2 aside, and the
    // host build's is the one recorded when both last ran.
    const std::vector<std::string>& host = logs[Build::kHost];
    std::string host_text;
    for (const std::string& line : host) host_text += line + "\n";
    ExpectAsRecorded(host_text, std::string(".") + OsName(os));
    if (logs.size() == 2) {
      std::vector<std::string> wine = logs[Build::kWine];
      std::replace(wine.begin(), wine.end(), std::string("ERROR details:  File not found.\r"),
                   std::string("ERROR details:  The system cannot find the file specified.\r"));
      ASSERT_EQ(host.size(), wine.size());
      for (size_t i = 0; i < host.size(); ++i) EXPECT_EQ(host[i], wine[i]) << "line " << i;
    } else {
      machines.SkipUnlessBoth();
    }
  }
}

}  // namespace
}  // namespace velsetup::testing
