// Start-up on a whole machine, on both builds: the working copy, the options
// kept in it, the log, and the usage box.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::string kScript = "C:\\KIT\\SETUP.INI";
const std::string kLog = "C:\\KIT\\install.log";

std::string LoggingScript(const std::string& extra_data_line = "") {
  std::vector<std::string> lines = {"[DATA]", "Logging=1", "LogFile=" + kLog};
  if (!extra_data_line.empty()) lines.push_back(extra_data_line);
  lines.insert(lines.end(), {"", "[CommandsList]", "5"});
  return IniText(lines);
}

class StartupScenario : public ::testing::TestWithParam<Build> {
 protected:
  void SetUp() override {
    machine_ = MakeScenario(GetParam(), Os::kWin2000);
    if (!machine_->SkipReason().empty()) GTEST_SKIP() << machine_->SkipReason();
  }
  std::string WorkingCopy() const { return machine_->TempDir() + "SETUP.INI"; }

  std::unique_ptr<Scenario> machine_;
};

TEST_P(StartupScenario, CleanStartCopiesTheScriptAndKeepsTheOptionsInTheCopy) {
  machine_->WriteFile(kScript, LoggingScript());
  ASSERT_EQ(machine_->Run(kScript + " -noreboot -silent"), 0);

  ASSERT_TRUE(machine_->Exists(WorkingCopy()));
  const std::string copy = machine_->ReadFile(WorkingCopy());
  EXPECT_NE(copy.find("[DATA]\r\nLogging=1\r\nLogFile=C:\\KIT\\install.log\r\n"), std::string::npos);
  EXPECT_NE(copy.find("SuppressReboot=1\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("SilentMode=1\r\n"), std::string::npos) << copy;
  // The given script is never written.
  EXPECT_EQ(machine_->ReadFile(kScript), LoggingScript());

  const std::vector<std::string> log = LogLines(machine_->ReadFile(kLog));
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1], "T  velsetup.exe> *** Starting C:\\KIT\\velsetup.exe Version: 2.00.5 *** ");
  const std::string joined = [&] {
    std::string all;
    for (const std::string& line : log) all += line + "\n";
    return all;
  }();
  EXPECT_NE(joined.find("-noreboot given"), std::string::npos) << joined;
  EXPECT_NE(joined.find("will be forcing a clean start"), std::string::npos) << joined;
  EXPECT_NE(joined.find("The INI file in use is " + WorkingCopy()), std::string::npos) << joined;
}

TEST_P(StartupScenario, ResumeKeepsTheWorkingCopyAndItsOptions) {
  machine_->WriteFile(kScript, LoggingScript("ForceCleanStart=0"));
  ASSERT_EQ(machine_->Run(kScript + " -noreboot -silent"), 0);
  // The second start has no options: the copy still holds them.
  machine_->WriteFile(WorkingCopy(), machine_->ReadFile(WorkingCopy()) + "[Mark]\r\nKept=1\r\n");
  ASSERT_EQ(machine_->Run(kScript), 0);
  const std::string copy = machine_->ReadFile(WorkingCopy());
  EXPECT_NE(copy.find("[Mark]\r\nKept=1\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("SuppressReboot=1\r\n"), std::string::npos) << copy;
}

TEST_P(StartupScenario, AStartWithoutResumeRefreshesTheCopy) {
  machine_->WriteFile(kScript, LoggingScript());
  ASSERT_EQ(machine_->Run(kScript + " -silent"), 0);
  machine_->WriteFile(WorkingCopy(), machine_->ReadFile(WorkingCopy()) + "[Mark]\r\nKept=1\r\n");
  ASSERT_EQ(machine_->Run(kScript + " -silent"), 0);
  EXPECT_EQ(machine_->ReadFile(WorkingCopy()).find("[Mark]"), std::string::npos);
}

// The script's name ends at the first '-' that begins an option: a '-'
// inside a path is part of it, a blank and a '-' end the name even there.
TEST_P(StartupScenario, ScriptNameEndsWhereAnOptionBegins) {
  machine_->WriteFile("C:\\KIT\\MY-KIT\\A.INI", LoggingScript());
  ASSERT_EQ(machine_->Run("C:\\KIT\\MY-KIT\\A.INI -silent"), 0);
  EXPECT_NE(machine_->ReadFile(kLog).find("The INI file in use is " + machine_->TempDir() + "A.INI\r\n"),
            std::string::npos)
      << machine_->ReadFile(kLog);
  EXPECT_NE(machine_->ReadFile(kLog).find("-silent given"), std::string::npos);

  machine_->WriteFile("C:\\KIT\\MY KIT", LoggingScript());
  ASSERT_EQ(machine_->Run("C:\\KIT\\MY KIT -2\\A.INI"), 0);
  EXPECT_NE(machine_->ReadFile(kLog).find("The INI file in use is " + machine_->TempDir() + "MY KIT\r\n"),
            std::string::npos)
      << machine_->ReadFile(kLog);
}

// A machine whose temporary directory is the program's own (written there
// with a backslash, the program's directory without one, in other case):
// the working copy goes to c:\temp\, made for it, and the script beside the
// program is left as its author wrote it.
TEST(StartupScenarioHost, ATemporaryDirectoryThatIsTheProgramsOwnGivesWayToCTemp) {
  std::unique_ptr<Scenario> machine = MakeScenario(Build::kHost, Os::kWin2000);
  if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
  const std::string drive_c = machine->HostPath("C:\\KIT");
  const std::string machine_dir = drive_c.substr(0, drive_c.rfind("/drive_c/"));
  std::ofstream(machine_dir + "/machine.ini")
      << "[Machine]\nOS=win2000\nModulePath=C:\\KIT\\velsetup.exe\nTempDir=c:\\kit\\\n"
      << "[Drives]\nC=drive_c\nZ=\n";
  machine->WriteFile(kScript, LoggingScript());
  ASSERT_EQ(machine->Run("SETUP.INI -silent"), 0);
  EXPECT_EQ(machine->ReadFile(kScript), LoggingScript());
  ASSERT_TRUE(machine->Exists("C:\\TEMP\\SETUP.INI"));
  EXPECT_NE(machine->ReadFile("C:\\TEMP\\SETUP.INI").find("SilentMode=1"), std::string::npos);
  const std::string log = machine->ReadFile(kLog);
  EXPECT_NE(log.find("C:\\KIT\\SETUP.INI has been copied to c:\\temp\\SETUP.INI"), std::string::npos)
      << log;
  EXPECT_NE(log.find("The INI file in use is c:\\temp\\SETUP.INI"), std::string::npos) << log;
}

// A missing script is found before the options are read: the box comes
// even with -silent, and nothing is copied.
TEST_P(StartupScenario, MissingScriptShowsTheUsageBoxEvenWhenSilent) {
  EXPECT_EQ(machine_->Run("C:\\KIT\\NOWHERE.INI -silent"), 0);
  EXPECT_FALSE(machine_->Exists(machine_->TempDir() + "NOWHERE.INI"));
  if (machine_->HasEventLog()) {
    EXPECT_NE(machine_->Events().find("Usage:"), std::string::npos) << machine_->Events();
  }
}

INSTANTIATE_TEST_SUITE_P(Builds, StartupScenario, ::testing::Values(Build::kHost, Build::kWine),
                         [](const auto& info) { return std::string(BuildName(info.param)); });

TEST(StartupScenarioHost, UsageBoxIsOneStopBoxAnsweredOk) {
  auto machine = MakeScenario(Build::kHost, Os::kWin98);
  if (!machine->SkipReason().empty()) GTEST_SKIP() << machine->SkipReason();
  EXPECT_EQ(machine->Run("C:\\KIT\\NOWHERE.INI", {"OK"}), 0);
  const std::string events = machine->Events();
  EXPECT_EQ(events.find("\"event\":\"messagebox\""), events.rfind("\"event\":\"messagebox\""));
  EXPECT_NE(events.find("\"title\":\"Velmor Setup Utility - velsetup.exe\""), std::string::npos)
      << events;
  EXPECT_NE(events.find("\"style\":4112,\"answer\":\"OK\""), std::string::npos) << events;
}

// The same start on both builds writes the same working copy and the same
// log, the place of the temporary directory aside.
TEST(StartupScenarioBothBuilds, WriteTheSameFiles) {
  auto host = MakeScenario(Build::kHost, Os::kWin2000);
  auto wine = MakeScenario(Build::kWine, Os::kWin2000);
  if (!host->SkipReason().empty()) GTEST_SKIP() << host->SkipReason();
  if (!wine->SkipReason().empty()) GTEST_SKIP() << wine->SkipReason();
  for (Scenario* machine : {host.get(), wine.get()}) {
    machine->WriteFile(kScript, IniText({"[DATA]", "Logging=1", "LogFile=" + kLog, "[CommandsList]", "5"}));
    ASSERT_EQ(machine->Run(kScript + " -noreboot"), 0);
  }
  EXPECT_EQ(host->ReadFile(host->TempDir() + "SETUP.INI"),
            wine->ReadFile(wine->TempDir() + "SETUP.INI"));
  auto normalized = [](Scenario& machine) {
    std::vector<std::string> lines = LogLines(machine.ReadFile(kLog));
    for (std::string& line : lines) {
      const size_t at = line.find(machine.TempDir());
      if (at != std::string::npos) line.replace(at, machine.TempDir().size(), "<TEMP>\\");
    }
    return lines;
  };
  EXPECT_EQ(normalized(*host), normalized(*wine));
}

}  // namespace
}  // namespace velsetup::testing

namespace velsetup::testing {
namespace {

// Windows writes a profile file line by line and keeps every other line as
// it was; Wine writes the whole file anew in its own form (CR LF everywhere,
// a line end after the last line, blank lines dropped). The host build keeps
// to Windows; this is where the two builds' working copies may differ.
TEST(StartupScenarioHost, WorkingCopyKeepsTheScriptsOwnLineEnds) {
  auto host = MakeScenario(Build::kHost, Os::kWin2000);
  if (!host->SkipReason().empty()) GTEST_SKIP() << host->SkipReason();
  host->WriteFile(kScript, "[DATA]\nLogging=1\nLogFile=" + kLog + "\n\n[CommandsList]\n10");
  ASSERT_EQ(host->Run(kScript + " -noreboot"), 0);
  // The run's own sections follow; the last line of the script gets the line
  // end it lacked.
  const std::string expected =
      "[DATA]\nLogging=1\nLogFile=" + kLog + "\nSuppressReboot=1\r\n\n[CommandsList]\n10\r\n[State]\r\n";
  EXPECT_EQ(host->ReadFile(host->TempDir() + "SETUP.INI").substr(0, expected.size()), expected);
}

}  // namespace
}  // namespace velsetup::testing
