// Paths at the length limits of the file commands, on the host build: a
// directory tree whose deepest names reach 259 characters copied and deleted,
// and the single-path commands at, just past and far beyond their limits.
// The simulated machine refuses what Windows refuses (a path past 259
// characters, a new directory past 248), so a refusal of the tool's own and
// one of the system are both seen here. Wine's file calls take longer paths
// than Windows does, so these cases are the host build's alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "limits_support.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

using limits::Joined;
using limits::kLog;
using limits::kScript;
using limits::Repeat;

const std::string kTooLong = "Error=206, The filename or extension is too long.   ";

// The tool's own refusal of a text past `limit`, naming its first 40 characters.
std::string Refused(const std::string& command, size_t limit, const std::string& path) {
  return "WARNING-=- " + command + " - path longer than " + std::to_string(limit) +
         " characters refused >" + path.substr(0, 40) + "...<";
}

size_t Count(const std::vector<std::string>& log, const std::string& line) {
  return static_cast<size_t>(std::count(log.begin(), log.end(), line));
}

class LimitsPathScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_ = MakeScenario(Build::kHost, Os::kWin2000);
    if (!machine_->SkipReason().empty()) GTEST_SKIP() << machine_->SkipReason();
  }
  // Runs a script (a clean start each time) and returns its log.
  std::vector<std::string> RunScript(const std::vector<std::string>& commands,
                                     const std::vector<std::string>& sections) {
    ::unlink(machine_->HostPath(kLog).c_str());
    machine_->WriteFile(kScript, IniText(LoggedScript(kLog, commands, sections)));
    EXPECT_EQ(machine_->Run(kScript + " -silent"), 0);
    return ToolLog(*machine_, kLog);
  }

  std::unique_ptr<Scenario> machine_;
};

// C:\KIT\S (8 characters) and its copy C:\KIT\D have the same length, so
// every name that fits in the one fits in the other.
const std::string kMiddle =
    "\\" + Repeat('a', 60) + "\\" + Repeat('a', 60) + "\\" + Repeat('a', 60);
const std::string kDeep = kMiddle + "\\" + Repeat('b', 56);        // 240 below the root: 248
const std::string kUnmakeable = kMiddle + "\\" + Repeat('c', 63);  // 255: too long to create
const std::string kAtLimit = kDeep + "\\f2345678.t";               // 259 with the root
const std::string kJustPast = kDeep + "\\g23456789.t";             // 260
const std::string kFarBeyond = kDeep + "\\" + Repeat('h', 151);    // 400
const std::string kInUnmakeable = kUnmakeable + "\\i.t";           // 259

TEST_F(LimitsPathScenario, ATreeAtThePathLimitIsCopiedAndDeleted) {
  ASSERT_EQ(("C:\\KIT\\S" + kDeep).size(), 248u);
  ASSERT_EQ(("C:\\KIT\\S" + kAtLimit).size(), 259u);
  ASSERT_EQ(("C:\\KIT\\S" + kJustPast).size(), 260u);
  ASSERT_EQ(("C:\\KIT\\S" + kFarBeyond).size(), 400u);
  ASSERT_EQ(("C:\\KIT\\S" + kInUnmakeable).size(), 259u);
  for (const std::string& file :
       {std::string("\\top.t"), kAtLimit, kJustPast, kFarBeyond, kInUnmakeable}) {
    machine_->WriteFile("C:\\KIT\\S" + file, file.substr(file.size() - 1));
  }

  std::vector<std::string> log = RunScript({"21,,C:\\KIT\\D", "15,Copy", "32,after the copy"},
                                           {"[Copy]", "C:\\KIT\\S,C:\\KIT\\D"});
  SCOPED_TRACE(Joined(log));
  // Everything within 259 characters is copied, but for the directory
  // Windows does not create and the file in it.
  std::vector<std::string> copied = machine_->Tree("C:\\KIT\\D");
  std::vector<std::string> expected;
  for (const std::string& entry : machine_->Tree("C:\\KIT\\S")) {
    if (entry.find('g') == std::string::npos && entry.find('h') == std::string::npos &&
        entry.find('c') == std::string::npos) {
      expected.push_back(entry);
    }
  }
  EXPECT_EQ(copied, expected);
  EXPECT_NE(std::find(copied.begin(), copied.end(), kAtLimit.substr(1) + "=t"), copied.end());
  EXPECT_EQ(Count(log, Refused("SBCopyFile()", 259, "C:\\KIT\\S" + kJustPast)), 2u);
  EXPECT_TRUE(HasLine(log, "SBCopyFile() -  " + kTooLong)) << "CreateDirectory of 255";
  EXPECT_TRUE(HasLine(log, "function CreateDirectory() failed on Dir=C:\\KIT\\D" + kUnmakeable));
  EXPECT_TRUE(HasLine(log, " after the copy"));

  log = RunScript({"16,,C:\\KIT\\D", "16,,C:\\KIT\\S", "32,after the delete"}, {});
  SCOPED_TRACE(Joined(log));
  EXPECT_FALSE(machine_->Exists("C:\\KIT\\D"));
  // What is past the limit cannot be named, so it stays with the
  // directories above it; everything else is gone.
  std::vector<std::string> left = {
      kMiddle.substr(1, 61),  kMiddle.substr(1, 122),      kMiddle.substr(1) + "\\",
      kDeep.substr(1) + "\\", kFarBeyond.substr(1) + "=h", kJustPast.substr(1) + "=t",
  };
  std::sort(left.begin(), left.end());
  EXPECT_EQ(machine_->Tree("C:\\KIT\\S"), left);
  EXPECT_EQ(Count(log, Refused("RemoveDir()", 259, "C:\\KIT\\S" + kJustPast)), 2u);
  EXPECT_TRUE(HasLine(log, "  Deleting... >C:\\KIT\\S" + kAtLimit + "<"));
  EXPECT_TRUE(HasLine(log, " after the delete"));
}

// The single-path commands: each limit reached is taken as it stands, one
// character more is refused with a warning, and the run goes on.
TEST_F(LimitsPathScenario, FileCommandPathsAtAndPastTheirLimits) {
  const std::string p259 = "C:\\KIT\\" + Repeat('p', 252), p260 = p259 + "p";
  const std::string r259 = "C:\\KIT\\" + Repeat('r', 252), r260 = r259 + "r";
  const std::string q511 = "C:\\KIT\\" + Repeat('q', 504), q512 = q511 + "q";
  const std::string far = "C:\\KIT\\" + Repeat('z', 4000);
  machine_->WriteFile(p259, "p");
  const std::vector<std::string> log = RunScript(
      {"15,Copy", "15,,C:\\KIT\\SETUP.INI," + q512, "15,,C:\\KIT\\SETUP.INI," + q511,
       "31,,C:\\KIT\\copy.t," + r260, "31,,C:\\KIT\\copy.t," + r259, "16,," + far, "16,," + p260,
       "16,," + p259, "21,,C:\\KIT\\" + Repeat('m', 249), "21,,C:\\KIT\\" + Repeat('m', 248),
       "21,,C:\\KIT\\" + Repeat('m', 241), "21,Dirs", "32,after"},
      {"[Copy]", p260 + ",C:\\KIT\\x.t", far + ",C:\\KIT\\x.t", "C:\\KIT\\SETUP.INI," + q512,
       p259 + ",C:\\KIT\\copy.t", "C:\\KIT\\SETUP.INI," + q511, "C:\\KIT\\SETUP.INI,C:\\KIT\\no.t",
       "[Dirs]", "C:\\KIT\\" + Repeat('d', 241), "C:\\KIT\\" + Repeat('e', 242), "C:\\KIT\\never"});
  SCOPED_TRACE(Joined(log));

  // CMD15: data-line sources up to 259, destinations (and inline paths) up
  // to 511; a destination that long reaches the system, which refuses it,
  // and the failed copy ends the section's lines.
  EXPECT_TRUE(HasLine(log, Refused("CMD15_CopyFile()", 259, p260)));
  EXPECT_TRUE(HasLine(log, Refused("CMD15_CopyFile()", 259, far)));
  EXPECT_EQ(Count(log, Refused("CMD15_CopyFile()", 511, q512)), 2u);
  EXPECT_FALSE(machine_->Exists("C:\\KIT\\copy.t"));  // copied, then renamed below
  EXPECT_EQ(Count(log, "CMD15_CopyFile() -  " + kTooLong), 2u);
  EXPECT_FALSE(machine_->Exists("C:\\KIT\\no.t"));
  EXPECT_FALSE(machine_->Exists("C:\\KIT\\x.t"));

  // CMD31: 259 both ways.
  EXPECT_TRUE(HasLine(log, Refused("CMD31_RenameFile()", 259, r260)));
  EXPECT_EQ(machine_->ReadFile(r259), "p");
  // CMD16: 259.
  EXPECT_TRUE(HasLine(log, Refused("CMD16_DeleteFileOrDir()", 259, far)));
  EXPECT_TRUE(HasLine(log, Refused("CMD16_DeleteFileOrDir()", 259, p260)));
  EXPECT_FALSE(machine_->Exists(p259));
  // CMD21: the inline key text holds 255; the system makes directories of
  // up to 248 and the first directory it refuses ends a data section.
  EXPECT_TRUE(HasLine(log, Refused("CMD21_MakeDir()", 255, "C:\\KIT\\" + Repeat('m', 249))));
  EXPECT_TRUE(HasLine(
      log, "WARNING-=- function MakeDirectory () failed on src=C:\\KIT\\" + Repeat('m', 248)));
  EXPECT_TRUE(machine_->Exists("C:\\KIT\\" + Repeat('m', 241)));
  EXPECT_TRUE(machine_->Exists("C:\\KIT\\" + Repeat('d', 241)));
  EXPECT_FALSE(machine_->Exists("C:\\KIT\\" + Repeat('e', 242)));
  EXPECT_TRUE(HasLine(
      log, "WARNING-=- function MakeDirectory () failed on src=C:\\KIT\\" + Repeat('e', 242)));
  EXPECT_FALSE(machine_->Exists("C:\\KIT\\never"));
  EXPECT_TRUE(HasLine(log, " after"));
}

}  // namespace
}  // namespace velsetup::testing
