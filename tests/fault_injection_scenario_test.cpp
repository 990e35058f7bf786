// What a customer's machine does to a run that the kit's own machines never
// do: a full disk, a denied or locked file, a vanished directory. The host
// build fails the chosen call (VELSETUP_FAIL_CALL) with the chosen error; the
// run must log it as the command logs any failure, go on with the next
// command, and leave the target as it was or complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fault_kit.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

using namespace fault_kit;

const std::string kKey = "Software\\Velmor\\Faults";

class FaultInjectionScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = MakeScenario(Build::kHost, Os::kWin2000);
    if (!machine_->SkipReason().empty()) GTEST_SKIP() << machine_->SkipReason();
    machine_->WriteFile("C:\\KIT\\readme.txt", "Read me first.\r\n");
    machine_->WriteFile("C:\\KIT\\tools\\tool.exe", std::string(70000, 'x'));
    machine_->WriteFile("C:\\KIT\\tools\\tools.hlp", "help\r\n");
    machine_->WriteFile("C:\\Velmor\\readme.txt", "the old one\r\n");
  }

  // Runs [CommandsList] `commands` with `sections`, the call failing as
  // `fault` says; the run ends with a log line of its own.
  void RunWithFault(const std::string& fault, const std::vector<std::string>& commands,
                    const std::vector<std::string>& sections = {}) {
    std::vector<std::string> all = commands;
    all.push_back("32,run goes on");
    all.push_back("10");
    machine_->WriteFile(kScript, IniText(LoggedScript(kLog, all, sections)));
    machine_->SetRunEnvironment("VELSETUP_FAIL_CALL", fault);
    ASSERT_EQ(machine_->Run(kScript + " -silent"), 0);
    log_ = LogFromFirstCommand(*machine_, kLog);
  }

  // Whether `lines` stand in the log one after the other.
  bool LoggedInOrder(const std::vector<std::string>& lines) const {
    return std::search(log_.begin(), log_.end(), lines.begin(), lines.end()) != log_.end();
  }
  std::string LogText() const { return ::testing::PrintToString(log_); }

  std::unique_ptr<Scenario> machine_;
  std::vector<std::string> log_;
};

TEST_F(FaultInjectionScenario, CopyThatFailsIsLoggedAndLeavesTheTargetAsItWas) {
  RunWithFault("CopyFileA:112@tool.exe,CopyFileA:5@readme.txt",
               {"15,Tree", "15,,C:\\KIT\\readme.txt,C:\\Velmor\\readme.txt"},
               {"[Tree]", "C:\\KIT\\tools,C:\\Velmor"});
  EXPECT_TRUE(LoggedInOrder({
      "SBCopyFile -  Error=112, There is not enough space on the disk.   ",
      "function CopyFile() failed on src=C:\\KIT\\tools\\tool.exe, dst=C:\\Velmor\\tool.exe",
  })) << LogText();
  EXPECT_TRUE(LoggedInOrder({
      "CMD15_CopyFile() -  Error=5, Access is denied.   ",
      "function CopyFile() failed on src=C:\\KIT\\readme.txt, dst=C:\\Velmor\\readme.txt",
  })) << LogText();
  EXPECT_EQ(log_.back(), "DONE !") << LogText();
  EXPECT_TRUE(LoggedInOrder({" run goes on"})) << LogText();
  // The tree's other files are copied; the failed ones are untouched.
  EXPECT_EQ(machine_->Tree("C:\\Velmor"),
            (std::vector<std::string>{"readme.txt=the old one\r\n", "tools.hlp=help\r\n"}));
}

TEST_F(FaultInjectionScenario, IniWriteThatFailsLeavesTheWorkingCopyAsItWas) {
  RunWithFault("WritePrivateProfileStringA:112@Stage",
               {"26,,Setup,Before,1", "32,written", "26,,Setup,Stage,a longer value",
                "26,,Setup,After,2"});
  // A failed INI write has no error path: the command logs what it writes.
  EXPECT_TRUE(LoggedInOrder({"Writing:  [Setup]:Stage=a longer value",
                             "CMD3> CMD26_SetValue: 26,,Setup,After,2 "}))
      << LogText();
  const std::string copy = machine_->ReadFile(kWorkingCopy);
  EXPECT_NE(copy.find("[Setup]\r\nBefore=1\r\nAfter=2\r\n"), std::string::npos) << copy;
  EXPECT_EQ(machine_->ProfileValue(kWorkingCopy, "Setup", "Stage"), "") << copy;
  EXPECT_EQ(log_.back(), "DONE !") << LogText();
}

TEST_F(FaultInjectionScenario, RegistryEditThatFailsIsLoggedAndTheOthersStand) {
  RunWithFault("RegSetValueExA:5@Level", {"14,Edits"},
               {"[Edits]", "1,HKLM," + kKey + ",Path,0,C:\\Velmor",
                "1,HKLM," + kKey + ",Level,2,00000002", "1,HKLM," + kKey + ",After,0,x"});
  EXPECT_TRUE(LoggedInOrder({"ERROR Setting Value:  Level", "ERROR details:  Access is denied.\r"}))
      << LogText();
  EXPECT_EQ(machine_->RegistryValues(
                {{"HKLM", kKey, "Path"}, {"HKLM", kKey, "Level"}, {"HKLM", kKey, "After"}}),
            (std::vector<std::string>{"1:433a5c56656c6d6f7200", "missing value", "1:7800"}));
  EXPECT_EQ(log_.back(), "DONE !") << LogText();
}

TEST_F(FaultInjectionScenario, LogLineThatCannotBeAppendedIsDroppedAlone) {
  // The first of the two lines that name it: the command's own line.
  RunWithFault("AppendText:32:1@second", {"32,first", "32,second", "32,third"});
  EXPECT_TRUE(LoggedInOrder({" first", " second", "CMD2> CMD32_LogMsg: 32,third ", " third"}))
      << LogText();
  EXPECT_EQ(log_.back(), "DONE !") << LogText();
}

TEST_F(FaultInjectionScenario, DirectoryThatCannotBeMadeEndsTheMakeDirOnly) {
  RunWithFault("CreateDirectoryA:3:1", {"21,,C:\\Velmor\\a", "21,,C:\\Velmor\\b"});
  EXPECT_TRUE(LoggedInOrder({"WARNING-=- function MakeDirectory () failed on src=C:\\Velmor\\a",
                             "CMD1> CMD21_MakeDir: 21,,C:\\Velmor\\b "}))
      << LogText();
  EXPECT_FALSE(machine_->Exists("C:\\Velmor\\a"));
  EXPECT_TRUE(machine_->Exists("C:\\Velmor\\b"));
}

}  // namespace
}  // namespace velsetup::testing
