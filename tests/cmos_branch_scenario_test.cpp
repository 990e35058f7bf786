// The branches that read the machine through the CMOS driver, on both
// builds: the maker signature and the system ID. The simulated machine has
// the maker's drivers; under Wine they cannot run, so there both commands take
// the paths of a machine whose driver does not open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "kit_scenario.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::vector<std::string> kMakerSections = {"[Maker]", "32,in Maker", "[Foreign]",
                                                 "32,in Foreign"};

// The signature comes through the driver of each Windows: the 9x driver on
// Windows 98, the NT driver and its service on Windows 2000.
TEST(BranchOnIsVelmorScenario, TheSignatureChoosesAndTheDebugOverrideForcesTheMaker) {
  struct Case {
    Os os;
    std::string signature, data;
    std::vector<std::string> host_lines;  // what the simulated driver gives
    std::string host_section;
  };
  const std::vector<Case> cases = {
      {Os::kWin98, "VELMOR", "", {"  This is a Velmor."}, "Maker"},
      {Os::kWin2000, "VELMOR", "", {"  This is a Velmor."}, "Maker"},
      {Os::kWin2000, "", "", {"  This is not a Velmor."}, "Foreign"},
      {Os::kWin98, "OTHERS", "IsVelmor=1", {"  This is not a Velmor."}, "Foreign"},
      {Os::kWin98, "xVELMO", "IsVelmor=1\r\nDebug=1",
       {"  This is not a Velmor.", "**** DEBUG OVERRIDE ***** "}, "Maker"},
  };
  for (const Case& c : cases) {
    BothBuilds machines(c.os);
    for (auto& machine : machines.all) {
      // Wine has no maker's driver: the tool finds none to load.
      const bool host = machine->HasMakersDrivers();
      if (host) {
        machine->SetBios(c.signature, 0);
        machine->PlaceDriverFiles();
      }
      std::vector<std::string> lines = Script({"9,Maker,Foreign", "32,after"}, kMakerSections);
      lines.insert(lines.begin() + 1, c.data);
      machine->WriteFile(kScript, IniText(lines));
      ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
      const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
      SCOPED_TRACE(Where(*machine) + " " + c.signature + "\n" + ::testing::PrintToString(log));
      const bool overridden = c.data.find("Debug=1") != std::string::npos;
      std::vector<std::string> expected = c.host_lines;
      std::string section = c.host_section;
      if (!host) {
        expected = {" GetVelmorString() - OpenVDD() returned FALSE GetVelmorString() - error "
                    "Loading the CMOS driver",
                    "  This is not a Velmor."};
        if (overridden) expected.push_back("**** DEBUG OVERRIDE ***** ");
        section = overridden ? "Maker" : "Foreign";
      }
      expected.push_back("  Setting next section to:  " + section);
      expected.push_back(" after");
      expected.push_back(" in " + section);
      std::vector<std::string> wanted = expected;
      for (const char* other : {"  This is a Velmor.", "  This is not a Velmor.",
                                "**** DEBUG OVERRIDE ***** ", " in Maker", " in Foreign"}) {
        wanted.push_back(other);
      }
      EXPECT_EQ(Picked(log, wanted), expected);
    }
    machines.SkipUnlessBoth();
  }
}

TEST(BranchOnIsVelmorScenario, XpHasNoDriverToOpenAndCountsAsForeign) {
  auto machine = MakeScenario(Build::kHost, Os::kWinXp);
  machine->PlaceDriverFiles();
  machine->WriteFile(kScript, IniText(Script({"9,Maker,Foreign"}, kMakerSections)));
  ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
  const std::string log = machine->ReadFile(kLog);
  EXPECT_NE(log.find("WARNING ERROR-=-Can't get a handle to HWAInt15.VxD driver  Error = 2\r\n"),
            std::string::npos)
      << log;
  const std::vector<std::string> lines = LogFromFirstCommand(*machine, kLog);
  EXPECT_TRUE(HasLine(lines, " in Foreign")) << ::testing::PrintToString(lines);
}

const std::vector<std::string> kIdSections = {"[Listed]", "32,in Listed", "[Unlisted]",
                                              "32,in Unlisted"};

// Host: the ID comes from the simulated BIOS. Wine: the driver cannot be
// opened, so [DATA] SYSID stands in for it; both meet the same list rules.
TEST(BranchOnSystemIdScenario, EveryWrittenFormOfTheIdMatchesAndNoOtherDoes) {
  struct Case {
    uint16_t id;
    std::string list_line;
    bool listed;
  };
  const std::vector<Case> cases = {
      {0x00AB, "0xab", true},  {0x00AB, "00AB", true}, {0x00AB, "171", true},
      {0x000B, "0xb", false},  {0x000B, "b", true},    {0x000B, "0x0b", true},
      {0x00AB, ";0xab", false}, {0x1234, "0X1234", true},
  };
  // Both drivers on the host build; Wine, whose ID is [DATA] SYSID on every
  // version, once.
  for (Os os : {Os::kWin98, Os::kWin2000}) {
    BothBuilds machines(os);
    if (os == Os::kWin98) machines.all.resize(1);
    for (auto& machine : machines.all) {
      for (const Case& c : cases) {
        const bool host = machine->HasMakersDrivers();
        if (host) {
          machine->SetBios("VELMOR", c.id);
          machine->PlaceDriverFiles();
        }
        std::vector<std::string> lines =
            Script({"25,Ids,Listed,Unlisted"}, kIdSections);
        lines.insert(lines.end(), {"[Ids]", "0x9999", c.list_line});
        if (!host) lines.insert(lines.begin() + 1, "SYSID=" + std::to_string(c.id));
        machine->WriteFile(kScript, IniText(lines));
        ::unlink(machine->HostPath(kLog).c_str());  // each case reads its own run
        ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
        const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
        SCOPED_TRACE(Where(*machine) + " " + c.list_line + "\n" + ::testing::PrintToString(log));
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", c.id);
        EXPECT_TRUE(HasLine(log, c.listed ? std::string("  This is a Velmor with ID  0X") + hex
                                      : std::string("This is not a supported Velmor  The ID 0X") +
                                            hex + " was not found in list."));
        EXPECT_TRUE(HasLine(log, c.listed ? " in Listed" : " in Unlisted"));
        EXPECT_EQ(HasLine(log, " CMD25_GetSystemID() - OpenVDD() returned FALSE "
                           "CMD25_GetSystemID() - error Loading the CMOS driver"),
                  !host);
      }
    }
    // Windows 98 ran on the host build alone, by choice.
    if (os == Os::kWin2000) machines.SkipUnlessBoth();
  }
}

TEST(BranchOnSystemIdScenario, NoIdOrNoListIsUnlistedAndTheOverrideForcesTheList) {
  struct Case {
    std::string data, list;
    std::vector<std::string> lines;
    std::string section;
  };
  // On every build the driver is missing here (no driver files), so the ID
  // is [DATA] SYSID.
  const std::vector<Case> cases = {
      {"", "[Ids]\r\n171", {"This is not a supported Velmor  The ID read is 0X0000."}, "Unlisted"},
      {"SYSID=171", "", {"ERROR-=- Missing the Data section",
                         "This is not a supported Velmor  The ID 0X00AB was not found in list."},
       "Unlisted"},
      {"SYSID=65536", "[Ids]\r\n0", {"This is not a supported Velmor  The ID read is 0X0000."},
       "Unlisted"},
      {"SYSID=0\r\nIsVelmor=1\r\nDebug=1", "[Ids]\r\n1",
       {"This is not a supported Velmor  The ID read is 0X0000.", "**** DEBUG OVERRIDE ***** "},
       "Listed"},
      {"SYSID=171", "[Ids]\r\n0xab", {"  This is a Velmor with ID  0X00AB"}, "Listed"},
  };
  BothBuilds machines(Os::kWin2000);
  for (auto& machine : machines.all) {
    for (const Case& c : cases) {
      std::vector<std::string> lines =
          Script({"25,Ids,~%V001,Unlisted"},
                 {"[Variables]", "V001=Listed", "[Listed]", "32,in Listed", "[Unlisted]",
                  "32,in Unlisted", c.list});
      lines.insert(lines.begin() + 1, c.data);
      machine->WriteFile(kScript, IniText(lines));
      ::unlink(machine->HostPath(kLog).c_str());  // each case reads its own run
      ASSERT_EQ(machine->Run(kScript + " -silent -noreboot"), 0);
      const std::vector<std::string> log = LogFromFirstCommand(*machine, kLog);
      SCOPED_TRACE(Where(*machine) + " " + c.data + "\n" + ::testing::PrintToString(log));
      std::vector<std::string> expected = c.lines;
      const std::string& section = c.section;
      expected.push_back("  Setting next section to:  " + section);
      expected.push_back(" in " + section);
      std::vector<std::string> wanted = expected;
      wanted.insert(wanted.end(), {" in Listed", " in Unlisted", "ERROR-=- Missing the Data section"});
      EXPECT_EQ(Picked(log, wanted), expected);
    }
  }
  machines.SkipUnlessBoth();
}

}  // namespace
}  // namespace velsetup::testing
