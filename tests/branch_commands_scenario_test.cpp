// The branches that need no driver, on whole machines and both builds: the
// section each chooses per Windows version and power management, the
// unconditional jump, and how a missing target is reported.
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "kit_scenario.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::vector<std::string> kOsSections = {
    "[Other]", "32,in Other", "[W95]", "32,in W95", "[W98]", "32,in W98",
    "[NT4]",   "32,in NT4",   "[W2K]", "32,in W2K"};

TEST(BranchOnOsScenario, EachSupportedWindowsHasItsFieldAndTheRestTakeFieldZero) {
  struct Case {
    Os os;
    std::string section;
  };
  for (const Case& c : {Case{Os::kWin95, "W95"}, Case{Os::kWin98, "W98"}, Case{Os::kWinMe, "Other"},
                        Case{Os::kNt4, "NT4"}, Case{Os::kWin2000, "W2K"},
                        Case{Os::kWinXp, "Other"}}) {
    BothBuilds machines(c.os);
    for (auto& machine : machines.all) {
      machine->WriteFile(kScript, IniText(Script({"18,Other,W95,W98,NT4,W2K", "32,after"},
                                                 kOsSections)));
      ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
      const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
      SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(log));
      // The commands behind the branch still run; the switch comes at the
      // section's end.
      EXPECT_EQ(Picked(log, {"  Setting next section to:  " + c.section, " after",
                             " in " + c.section}),
                (std::vector<std::string>{"  Setting next section to:  " + c.section, " after",
                                          " in " + c.section}));
    }
    machines.SkipUnlessBoth();
  }
}

TEST(BranchOnOsScenario, AMissingTargetIsLoggedWithItsFieldThenBoxedAndTheRunGoesOn) {
  BothBuilds machines(Os::kWin2000);
  for (auto& machine : machines.all) {
    const bool host = machine->build() == Build::kHost;
    machine->WriteFile(kScript, IniText(Script({"19,W98", "18,Other,W95,W98,NT4,X", "32,after"},
                                               kOsSections)));
    // Wine shows no boxes to answer: its run is silent.
    ASSERT_EQ(machine->Run(kScript + (host ? " -noreboot" : " -silent -noreboot"), {"OK"}), 0);
    const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
    SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(log));
    EXPECT_TRUE(HasLine(log, "ERROR-=- Section number 4 [X] is not found!"));
    // The earlier choice stands and the run goes on to it.
    EXPECT_TRUE(HasLine(log, " after"));
    EXPECT_TRUE(HasLine(log, " in W98"));
    if (machine->HasEventLog()) {
      EXPECT_NE(machine->Events().find(
                    "{\"event\":\"messagebox\",\"title\":\"Velmor SW Installer\",\"text\":\"An "
                    "internal error has occured and progress has been aborted.\\n\\nPlease "
                    "reinstall installation.\",\"style\":4112,\"answer\":\"OK\"}"),
                std::string::npos)
          << machine->Events();
    }
  }
  machines.SkipUnlessBoth();
}

TEST(JumpScenario, TheTargetIsLoggedAsWrittenAndStoredExpanded) {
  BothBuilds machines(Os::kWin98);
  for (auto& machine : machines.all) {
    machine->WriteFile(kScript, IniText(Script(
        {"19,~%V001", "19,Next", "19,Empty", "32,after"},
        {"[Variables]", "V001=Target", "[Target]", "32,in Target", "[Empty]"})));
    ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
    const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
    SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(log));
    EXPECT_EQ(Picked(log, {"  Setting next section to:  ~%V001", "  Setting next section to:  Next",
                           "ERROR-=- Section [Next] is not found!",
                           "  Setting next section to:  Empty",
                           "ERROR-=- Section [Empty] is not found!", " in Target"}),
              (std::vector<std::string>{"  Setting next section to:  ~%V001",
                                        "  Setting next section to:  Next",
                                        "ERROR-=- Section [Next] is not found!",
                                        "  Setting next section to:  Empty",
                                        "ERROR-=- Section [Empty] is not found!", " in Target"}));
  }
  machines.SkipUnlessBoth();
}

TEST(PowerManagementScenario, OnlyWindows98LooksForTheAcpiEnumerator) {
  struct Case {
    Os os;
    bool acpi;
    std::string line, section;
  };
  const std::vector<Case> cases = {
      {Os::kWin98, true, "  This OS is ACPI", "ACPI"},
      {Os::kWin98, false, "  This OS is APM", "APM"},
      {Os::kWin95, true, " ...not running Win98", "None"},
      {Os::kWin2000, true, " ...not running Win98", "None"},
  };
  for (const Case& c : cases) {
    BothBuilds machines(c.os);
    for (auto& machine : machines.all) {
      machine->ClearRegistryKey("HKLM", "Enum\\ACPI");
      std::vector<std::string> commands = {"30,None,APM,ACPI"};
      if (c.acpi) commands.insert(commands.begin(), "14,AcpiKey");
      machine->WriteFile(kScript, IniText(Script(
          commands, {"[AcpiKey]", "1,HKLM,Enum\\ACPI\\PNP0C08,Driver,0,acpi", "[None]",
                     "32,in None", "[APM]", "32,in APM", "[ACPI]", "32,in ACPI"})));
      ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
      const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
      SCOPED_TRACE(Where(*machine) + " " + c.line + "\n" + ::testing::PrintToString(log));
      EXPECT_EQ(Picked(log, {c.line, "  Setting next section to:  " + c.section,
                             " in " + c.section}),
                (std::vector<std::string>{c.line, "  Setting next section to:  " + c.section,
                                          " in " + c.section}));
      machine->ClearRegistryKey("HKLM", "Enum\\ACPI");
    }
    machines.SkipUnlessBoth();
  }
}

}  // namespace
}  // namespace velsetup::testing
