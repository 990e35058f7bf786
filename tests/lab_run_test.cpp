// velsetup-lab end to end: small scripts on small matrices, through the host
// program, as an engineer runs them. Each case is one way a script meets its
// machines: branches, a restart continued as in the field or not, a restart
// loop, a run that never ends, a kit the script deletes.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>

#include <set>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "lab/host_tree.h"
#include "lab/kit.h"
#include "lab/lab_runner.h"
#include "lab/matrix.h"

namespace velsetup::lab {
namespace {

using host::testing::ReadHostFile;
using host::testing::ScratchDir;
using host::testing::WriteHostFile;

constexpr const char kRunOnceLine[] =
    "1,HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce,lab,0,"
    "C:\\KIT\\velsetup.exe C:\\KIT\\s.ini -resume\n";

std::vector<std::string> Listing(const std::string& directory) {
  std::vector<std::string> names;
  if (DIR* listing = ::opendir(directory.c_str())) {
    while (const dirent* entry = ::readdir(listing)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(listing);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class LabRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir((dir_ / "kit").c_str(), 0755);
    ::mkdir((dir_ / "tmp").c_str(), 0755);
    // The CMOS driver files travel beside the tool.
    for (const char* driver : {"HWAInt15.VxD", "HWAMGMT.SYS"}) {
      WriteHostFile(dir_ / std::string("kit/") + driver,
                    ReadHostFile(std::string(VELSETUP_SOURCE_DIR) + "/examples/" + driver));
    }
  }

  LabResult Run(const std::string& script, const std::string& matrix, double timeout = 30) {
    WriteHostFile(dir_ / "kit/s.ini", script);
    LabOptions options;
    options.script = dir_ / "kit/s.ini";
    std::string error;
    EXPECT_TRUE(ParseMatrix(matrix, "m.ini", &options.profiles, &error)) << error;
    options.jobs = 2;
    options.timeout_seconds = timeout;
    options.tool = VELSETUP_HOST_BINARY;
    options.temp_root = dir_ / "tmp";
    const std::vector<std::string> kit_before = Listing(dir_ / "kit");
    LabResult result;
    EXPECT_TRUE(RunLab(options, &result, &error)) << error;
    // Nothing outside the lab's work directory, which it removes again.
    EXPECT_EQ(Listing(dir_ / "kit"), kit_before);
    EXPECT_TRUE(Listing(dir_ / "tmp").empty());
    return result;
  }

  static std::vector<std::string> Sections(const ProfileResult& profile) {
    std::vector<std::string> names;
    for (const SectionRun& section : profile.sections) {
      names.push_back(std::to_string(section.run) + ":" + section.name);
    }
    return names;
  }

  ScratchDir dir_;
};

TEST_F(LabRun, EachProfileTakesItsOwnBranchesWithTheLinesItRan) {
  const std::string script =
      "[DATA]\nLogging=1\n\n"
      "[CommandsList]\n9,Maker,Foreign\n\n"
      "[Maker]\n18,Other,W95,W98,NT4,W2K\n"
      "[Foreign]\n18,Other,W95,W98,NT4,W2K\n"
      "[W95]\n32,on 95\n"
      "[W98]\n30,Other,APM,ACPI\n"
      "[APM]\n32,apm\n"
      "[ACPI]\n32,acpi\n"
      "[NT4]\n32,nt4\n"
      "[W2K]\n32,w2k\n"
      "[Other]\n32,other\n";
  const LabResult result = Run(script,
                               "[win95]\nOS=win95\n"
                               "[win98-acpi]\nOS=win98\nPower=ACPI\n"
                               "[win98-apm-foreign]\nOS=win98\nPower=APM\nSignature=\n"
                               "[winxp]\nOS=winxp\n");
  ASSERT_EQ(result.profiles.size(), 4u);
  EXPECT_EQ(result.files.size(), 1u);
  EXPECT_EQ(result.files[0].name, "s.ini");
  EXPECT_EQ(Sections(result.profiles[0]),
            (std::vector<std::string>{"1:CommandsList", "1:Maker", "1:W95"}));
  EXPECT_EQ(Sections(result.profiles[1]),
            (std::vector<std::string>{"1:CommandsList", "1:Maker", "1:W98", "1:ACPI"}));
  EXPECT_EQ(Sections(result.profiles[2]),
            (std::vector<std::string>{"1:CommandsList", "1:Foreign", "1:W98", "1:APM"}));
  // XP loads the 9x driver the tool knows it by, finds none, and takes the
  // foreign branch even on the maker's PC: what the lab is there to show.
  EXPECT_EQ(Sections(result.profiles[3]),
            (std::vector<std::string>{"1:CommandsList", "1:Foreign", "1:Other"}));
  for (const ProfileResult& profile : result.profiles) {
    EXPECT_EQ(profile.outcome, Outcome::kEnded) << profile.profile.name;
    EXPECT_EQ(profile.errors(), 0) << profile.profile.name;
    EXPECT_EQ(profile.runs, 1);
    // Every command is tied to its line.
    for (const CommandRun& command : profile.commands) {
      ASSERT_EQ(command.file, 0) << profile.profile.name << " " << command.section;
      const std::string& line = result.files[0].lines[static_cast<size_t>(command.line - 1)];
      EXPECT_EQ(line.substr(0, line.find(',')), std::to_string(command.number));
    }
  }
  const CommandRun& last = result.profiles[1].commands.back();
  EXPECT_EQ(last.section, "ACPI");
  EXPECT_EQ(last.line, 18);
}

TEST_F(LabRun, ARestartContinuedByRunOnceEndsCleanAndRemovesTheValue) {
  const LabResult result =
      Run(std::string("[DATA]\nLogging=1\n[CommandsList]\n32,first\n14,Continue\n19,Second\n20\n"
                      "[Second]\n32,second\n29,,C:\\KIT\\none.tmp\n[Continue]\n") +
              kRunOnceLine,
          "[nt4]\nOS=nt4\n");
  const ProfileResult& profile = result.profiles[0];
  EXPECT_EQ(profile.outcome, Outcome::kEnded) << (profile.findings.empty() ? "" : profile.findings[0]);
  EXPECT_EQ(profile.runs, 2);
  ASSERT_EQ(profile.restarts.size(), 1u);
  EXPECT_EQ(profile.restarts[0].started_by,
            "RunOnce value HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\"
            "RunOnce\\lab");
  EXPECT_EQ(profile.restarts[0].command_line, "C:\\KIT\\velsetup.exe C:\\KIT\\s.ini -resume");
  EXPECT_EQ(Sections(profile), (std::vector<std::string>{"1:CommandsList", "2:Second"}));
  ASSERT_FALSE(profile.commands.empty());
  EXPECT_EQ(profile.commands.back().run, 2);
  EXPECT_EQ(profile.commands.back().line, 10);  // 29,,C:\KIT\none.tmp
  // Written by the first run, removed at boot: no change is left.
  for (const RegistryChange& change : profile.changes.registry) {
    EXPECT_EQ(change.key.find("RunOnce"), std::string::npos) << change.key;
  }
  bool log_seen = false;
  for (const FileChange& change : profile.changes.files) {
    if (change.path == "C:\\system.sav\\util\\install.log") log_seen = change.tool_own;
    if (change.path == "C:\\system.sav\\util\\rix.ini") ADD_FAILURE() << "the maker's file is new";
  }
  EXPECT_TRUE(log_seen);
  EXPECT_GT(result.tool_seconds, 0);
}

TEST_F(LabRun, RestartsThatNothingContinuesOrThatNeverStopAreFindings) {
  const LabResult not_continued = Run("[CommandsList]\n32,first\n19,Second\n20\n[Second]\n32,x\n",
                                      "[win98]\nOS=win98\n");
  EXPECT_EQ(not_continued.profiles[0].outcome, Outcome::kNotContinued);
  ASSERT_EQ(not_continued.profiles[0].findings.size(), 1u);
  EXPECT_EQ(not_continued.profiles[0].findings[0],
            "a restart was asked for, but nothing starts the tool again");

  const LabResult loop = Run(
      "[CommandsList]\n14,Always\n20\n[Always]\n"
      "1,HKLM,Software\\Microsoft\\Windows\\CurrentVersion\\Run,lab,0,C:\\KIT\\velsetup.exe "
      "C:\\KIT\\s.ini\n",
      "[win2000]\nOS=win2000\n");
  EXPECT_EQ(loop.profiles[0].outcome, Outcome::kRestartLoop);
  EXPECT_EQ(loop.profiles[0].runs, kMaxRestarts + 1);
  EXPECT_NE(loop.profiles[0].findings.at(0).find("restart loop"), std::string::npos);
}

TEST_F(LabRun, ARunThatNeverEndsIsStoppedAndADeletedKitStopsTheNextStart) {
  const LabResult forever = Run("[CommandsList]\n19,A\n[A]\n13,,50\n19,B\n[B]\n13,,50\n19,A\n",
                                "[winme]\nOS=winme\n[xp]\nOS=winxp\n", 1);
  for (const ProfileResult& profile : forever.profiles) {
    EXPECT_EQ(profile.outcome, Outcome::kTimedOut) << profile.profile.name;
    EXPECT_GE(profile.sections.size(), 3u);  // what it did before the stop is kept
  }

  const LabResult deleted =
      Run(std::string("[CommandsList]\n14,Continue\n16,,C:\\KIT\n20\n[Continue]\n") + kRunOnceLine,
          "[nt4]\nOS=nt4\n");
  const ProfileResult& profile = deleted.profiles[0];
  EXPECT_EQ(profile.outcome, Outcome::kFailed);
  ASSERT_FALSE(profile.findings.empty());
  EXPECT_NE(profile.findings.back().find("C:\\KIT\\velsetup.exe, which is gone"), std::string::npos)
      << profile.findings.back();
}

TEST_F(LabRun, TheKitIsTheScriptsDirectoryWithItsKitFolderMergedIn) {
  ::mkdir((dir_ / "kit/kit").c_str(), 0755);
  ::mkdir((dir_ / "kit/kit/tools").c_str(), 0755);
  WriteHostFile(dir_ / "kit/kit/tools/a.txt", "a");
  WriteHostFile(dir_ / "kit/s.ini", "[CommandsList]\n");
  ::mkdir((dir_ / "c").c_str(), 0755);
  ::mkdir((dir_ / "kit/work").c_str(), 0755);
  std::string error;
  // The lab's work directory may lie beside the script; it is never copied.
  ASSERT_TRUE(PlaceKit(dir_ / "kit/s.ini", dir_ / "c", {RealPath(dir_ / "kit/work")}, &error))
      << error;
  EXPECT_FALSE(host::testing::HostExists(dir_ / "c/KIT/work"));
  EXPECT_TRUE(host::testing::HostExists(dir_ / "c/KIT/s.ini"));
  EXPECT_TRUE(host::testing::HostExists(dir_ / "c/KIT/tools/a.txt"));
  EXPECT_TRUE(host::testing::HostExists(dir_ / "c/KIT/HWAMGMT.SYS"));
  EXPECT_TRUE(host::testing::HostExists(dir_ / "c/KIT/velsetup.exe"));
  EXPECT_FALSE(host::testing::HostExists(dir_ / "c/KIT/kit"));
}

// The program itself: its exit status, its table, its refusals.
int RunLabProgram(const std::string& arguments, const std::string& tmp, std::string* output) {
  const std::string command = "TMPDIR='" + tmp + "' " + VELSETUP_LAB_BINARY + " " + arguments +
                              " 2>&1";
  *output = host::testing::ShellOutput(command + "; echo \"exit=$?\"");
  const size_t at = output->rfind("exit=");
  return at == std::string::npos ? -1 : std::atoi(output->c_str() + at + 5);
}

TEST_F(LabRun, TheProgramExitsByWhatItFoundAndRefusesBadInput) {
  WriteHostFile(dir_ / "kit/s.ini", "[CommandsList]\n32,hello\n");
  WriteHostFile(dir_ / "m.ini", "[a]\nOS=win95\n[b]\nOS=nt4\nSignature=\n");
  std::string output;
  EXPECT_EQ(RunLabProgram(dir_ / "kit/s.ini --matrix " + dir_ / "m.ini", dir_ / "tmp", &output), 0)
      << output;
  EXPECT_NE(output.find("a "), std::string::npos);
  WriteHostFile(dir_ / "kit/s.ini", "[CommandsList]\n32,hello\n20\n");
  EXPECT_EQ(RunLabProgram(dir_ / "kit/s.ini --matrix " + dir_ / "m.ini" + " --keep " + dir_ / "keep",
                          dir_ / "tmp", &output),
            1)
      << output;
  EXPECT_EQ(Listing(dir_ / "keep"), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(host::testing::HostExists(dir_ / "keep/a/drive_c/KIT/s.ini"));

  WriteHostFile(dir_ / "bad.ini", "[a]\nOS=win31\n");
  EXPECT_EQ(RunLabProgram(dir_ / "kit/s.ini --matrix " + dir_ / "bad.ini", dir_ / "tmp", &output), 2);
  EXPECT_NE(output.find("bad.ini [a]: key 'OS'"), std::string::npos) << output;
  EXPECT_EQ(RunLabProgram(dir_ / "missing.ini", dir_ / "tmp", &output), 2);
  EXPECT_NE(output.find("missing.ini"), std::string::npos) << output;
  EXPECT_EQ(RunLabProgram(dir_ / "kit/s.ini --jobs 0", dir_ / "tmp", &output), 2);
  EXPECT_EQ(RunLabProgram("--help", dir_ / "tmp", &output), 0);
  EXPECT_NE(output.find("usage: velsetup-lab SCRIPT"), std::string::npos);
  EXPECT_TRUE(Listing(dir_ / "tmp").empty());
}

}  // namespace
}  // namespace velsetup::lab
