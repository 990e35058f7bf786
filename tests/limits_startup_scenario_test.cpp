// Over-long texts at start-up, on the host build: the command line, the
// script's name in it, the log file's name and the program's own name, each
// at its limit and past it. The program runs with the address and
// undefined-behaviour checkers, which end it with a failure exit code when a
// text is written past its buffer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "limits_support.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

using limits::Joined;
using limits::kLog;
using limits::kLogLineMax;
using limits::kScript;
using limits::RawLogLines;
using limits::Repeat;

class LimitsStartupScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = MakeScenario(Build::kHost, Os::kWin2000);
    if (!machine_->SkipReason().empty()) GTEST_SKIP() << machine_->SkipReason();
  }
  std::unique_ptr<Scenario> machine_;
};

// The options are looked for in the whole command line, however long; the
// script's name ends at the first hyphen of its first 259 characters.
TEST_F(LimitsStartupScenario, ACommandLineOf64Kilobytes) {
  machine_->WriteFile(kScript, IniText(LoggedScript(kLog, {"32,ran"}, {})));
  ASSERT_EQ(machine_->Run(kScript + " -silent " + Repeat('x', 65536) + " -noreboot"), 0);
  const std::vector<std::string> log = ToolLog(*machine_, kLog);
  EXPECT_TRUE(HasLine(log, "InitINIFile() -noreboot given...will suppress reboots")) << Joined(log);
  EXPECT_TRUE(HasLine(log, " ran")) << Joined(log);
  EXPECT_NE(machine_->ReadFile(machine_->TempDir() + "SETUP.INI").find("SuppressReboot=1\r\n"),
            std::string::npos);
  for (const std::string& line : RawLogLines(*machine_, kLog)) EXPECT_LE(line.size(), kLogLineMax);
}

TEST_F(LimitsStartupScenario, TheScriptNameIsTakenFromTheFirst259Characters) {
  // 259 characters; the working copy takes only the name, 51 of them.
  const std::string named = "C:\\KIT\\" + Repeat('d', 200) + "\\" + Repeat('n', 51);
  ASSERT_EQ(named.size(), 259u);
  machine_->WriteFile(named, IniText(LoggedScript(kLog, {"32,cut name ran"}, {})));
  ASSERT_EQ(machine_->Run(named + Repeat('n', 60000) + " -silent"), 0);
  EXPECT_TRUE(HasLine(ToolLog(*machine_, kLog), " cut name ran"));
  EXPECT_TRUE(machine_->Exists(machine_->TempDir() + Repeat('n', 51)));

  // A name that is not whole within the 259 characters is not found; the
  // usage box says so before the options are read, so even when silent.
  ::unlink(machine_->HostPath(kLog).c_str());
  ASSERT_EQ(machine_->Run("C:\\KIT\\" + Repeat('m', 70000) + " -silent"), 0);
  EXPECT_FALSE(machine_->Exists(kLog));
  EXPECT_NE(machine_->Events().find("Usage:"), std::string::npos);
}

// [DATA] LogFile is read into 260 characters and kept in 127: the log goes
// to the file that the first 127 characters name, and to no other.
TEST_F(LimitsStartupScenario, LogFileIsCutTo127Characters) {
  for (size_t length : {size_t{127}, size_t{128}, size_t{300}}) {
    SCOPED_TRACE(length);
    auto machine = MakeScenario(Build::kHost, Os::kWin98);
    const std::string directory = "C:\\KIT\\";
    const std::string log_file = directory + Repeat('L', length - directory.size());
    const std::string kept = log_file.substr(0, 127);
    machine->WriteFile(kScript, IniText({"[DATA]", "Logging=1", "LogFile=" + log_file,
                                         "[CommandsList]", "32,logged"}));
    ASSERT_EQ(machine->Run(kScript + " -silent"), 0);
    EXPECT_TRUE(HasLine(ToolLog(*machine, kept), " logged"));
    EXPECT_EQ(machine->Tree("C:\\KIT").size(), 2u);  // the script and the one log
  }
}

// The program's own name is kept in 64 characters: a longer one is cut to
// 63 in every log line, and the script found beside the program without an
// argument is named after the cut name.
TEST_F(LimitsStartupScenario, TheProgramNameIsCutTo63Characters) {
  const std::string name = Repeat('p', 70) + ".exe";
  const std::string kept = name.substr(0, 63);  // the extension is cut off too
  const std::string drive_c = machine_->HostPath("C:\\KIT");
  const std::string machine_dir = drive_c.substr(0, drive_c.rfind("/drive_c/"));
  std::ofstream(machine_dir + "/machine.ini")
      << "[Machine]\nOS=win2000\nModulePath=C:\\KIT\\" << name << "\n[Drives]\nC=drive_c\nZ=\n";
  const std::string beside = "C:\\KIT\\" + kept + ".INI";
  machine_->WriteFile(beside, IniText(LoggedScript(kLog, {"32,found beside"}, {})));
  ASSERT_EQ(machine_->Run(""), 0);
  const std::vector<std::string> raw = RawLogLines(*machine_, kLog);
  ASSERT_FALSE(raw.empty());
  bool found = false;
  for (const std::string& line : raw) {
    if (line.rfind("[", 0) != 0) continue;  // the driver's level lines have no stamp and name
    EXPECT_NE(line.find("]  " + kept + "> "), std::string::npos) << line;
    found = found || line.find(kept + ">  found beside") != std::string::npos;
  }
  EXPECT_TRUE(found) << Joined(raw);
}

}  // namespace
}  // namespace velsetup::testing
