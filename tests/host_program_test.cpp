// The host program as its user meets it: run as a subprocess on a machine of
// its own, with the program and a kit outside the machine directory. It must
// leave the host as it was whatever a script does, and say on standard error
// what went wrong and what a run did.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "host_test_support.h"
#include "host_tree_snapshot.h"

namespace velsetup::host {
namespace {

using namespace testing;

struct Outcome {
  int status = -1;
  std::string output;  // standard error, the program writes nothing else
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

bool Holds(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

class HostProgramTest : public ::testing::Test {
 protected:
  // The kit lies in kit/, outside the machine in machine/; `environment` is
  // put before the program ("VELSETUP_FAIL_CALL=... ").
  Outcome Run(const std::string& arguments, const std::string& environment = "") {
    const std::string command = "cd " + Quoted(dir_.path()) + " && VELSETUP_MACHINE=" +
                                Quoted(machine_) + " " + environment + " " +
                                Quoted(VELSETUP_HOST_BINARY) + " " + arguments +
                                " 2>&1 </dev/null";
    Outcome outcome;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
      char buffer[512];
      size_t got;
      while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        outcome.output.append(buffer, got);
      }
      const int status = ::pclose(pipe);
      outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return outcome;
  }
  void MakeKit(const std::string& script) {
    ::mkdir(kit_.c_str(), 0755);
    ::mkdir((kit_ + "/drivers").c_str(), 0755);
    WriteHostFile(kit_ + "/setup.ini", script);
    WriteHostFile(kit_ + "/readme.txt", "the kit's readme");
    WriteHostFile(kit_ + "/drivers/net.inf", "[Version]\r\n");
    // The maker's CMOS drivers travel beside the tool.
    WriteHostFile(kit_ + "/HWAInt15.VxD", "9x driver");
    WriteHostFile(kit_ + "/HWAMGMT.SYS", "NT driver");
  }
  std::string WindowsKit() const {
    std::string path = "Z:";
    for (char c : kit_) path += c == '/' ? '\\' : c;
    return path;
  }

  ScratchDir dir_;
  std::string machine_ = dir_ / "machine";
  std::string kit_ = dir_ / "kit";
};

TEST_F(HostProgramTest, AScriptThatAttacksTheHostLeavesItAsItWasAndTheKitReadable) {
  // Another host directory, mapped as D: without being lent to the machine.
  ::mkdir(machine_.c_str(), 0755);
  ::mkdir((dir_ / "share").c_str(), 0755);
  WriteHostFile(dir_ / "share/keep.txt", "keep");
  WriteHostFile(machine_ + "/machine.ini", "[Drives]\nD=" + (dir_ / "share") + "\n");
  MakeKit(
      "[DATA]\nLogging=1\nLogFile=C:\\install.log\n"
      "[CommandsList]\n"
      "15,FromKit\n"
      "15,OntoHost\n"
      "31,Moves\n"
      "21,Dirs\n"
      "16,Deletes\n"
      "29,,~%C001\n"
      "[FromKit]\n~%C001\\drivers,C:\\\n~%C001\\readme.txt,C:\\readme.txt\n"
      "[OntoHost]\nC:\\readme.txt,~%C001\\setup.ini\nC:\\readme.txt,D:\\keep.txt\n"
      "C:\\readme.txt,~%C001\\new.txt\n"
      "[Moves]\n~%C001\\readme.txt,C:\\moved.txt\nD:\\keep.txt,D:\\renamed.txt\n"
      "[Dirs]\n~%C001\\newdir\nD:\\newdir\n" +
      WindowsKit() + "\\other\n"
      "[Deletes]\n~%C001\\drivers\nD:\\keep.txt\nZ:\\" +
      (dir_.path().substr(1)) + "\n");
  const auto kit_before = TreeSnapshot(kit_);
  const auto share_before = TreeSnapshot(dir_ / "share");

  const Outcome outcome = Run(Quoted(kit_ + "/setup.ini") + " -silent -noreboot");
  EXPECT_EQ(outcome.status, 0) << outcome.output;
  EXPECT_EQ(TreeSnapshot(kit_), kit_before);
  EXPECT_EQ(TreeSnapshot(dir_ / "share"), share_before);
  // Read from the kit: the tool's directory is the script's.
  EXPECT_EQ(ReadHostFile(machine_ + "/drive_c/net.inf"), "[Version]\r\n");
  EXPECT_EQ(ReadHostFile(machine_ + "/drive_c/readme.txt"), "the kit's readme");
  const std::string log = ReadHostFile(machine_ + "/drive_c/install.log");
  EXPECT_TRUE(Holds(log, "Error=19")) << log;
  EXPECT_TRUE(Holds(outcome.output, "install log " + machine_ + "/drive_c/install.log"))
      << outcome.output;
}

TEST_F(HostProgramTest, HelpAndBadFaultVariablesRunNothing) {
  const Outcome help = Run("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(Holds(help.output, "Usage: velsetup [--strict] <script>")) << help.output;
  EXPECT_EQ(Run("-h").output, help.output);

  const Outcome typo = Run("x.ini", "VELSETUP_FAIL_CALL=CopyFile:112");
  EXPECT_EQ(typo.status, 2);
  EXPECT_TRUE(Holds(typo.output, "no call named 'CopyFile'")) << typo.output;
  for (const char* bad : {"VELSETUP_FAIL_CALL=CopyFileA", "VELSETUP_FAIL_CALL=CopyFileA:x",
                          "VELSETUP_FAIL_CALL=CopyFileA:5:0", "VELSETUP_FAIL_CALL=CopyFileA:5,",
                          "VELSETUP_FAIL_CALL=CopyFileA:5@", "VELSETUP_KILL_AFTER_WRITES=ten",
                          "VELSETUP_KILL_AFTER_WRITES=0"}) {
    const Outcome refused = Run("x.ini", bad);
    EXPECT_EQ(refused.status, 2) << bad;
    EXPECT_TRUE(Holds(refused.output, "nothing was run")) << bad << ": " << refused.output;
  }
  EXPECT_FALSE(HostExists(machine_));
}

TEST_F(HostProgramTest, AScriptThatCannotBeUsedIsNamedWithTheReason) {
  MakeKit("[CommandsList]\n32,hello\n");
  const Outcome missing = Run("kit/nothing.ini -silent");
  EXPECT_EQ(missing.status, 0);
  EXPECT_TRUE(Holds(missing.output, "the script " + WindowsKit() + "\\nothing.ini (" + kit_ +
                                        "/nothing.ini) does not exist"))
      << missing.output;
  EXPECT_TRUE(Holds(missing.output, "start-up failed (usage box)")) << missing.output;

  ::mkdir((kit_ + "/dir.ini").c_str(), 0755);
  const Outcome directory = Run("--strict kit/dir.ini");
  EXPECT_EQ(directory.status, 1);
  EXPECT_TRUE(Holds(directory.output, "/dir.ini) is a directory")) << directory.output;

  // A '-' inside a name is part of it; one after a blank begins an option.
  ::mkdir((dir_ / "my-kit").c_str(), 0755);
  WriteHostFile(dir_ / "my-kit/setup.ini", "[CommandsList]\n32,hello\n");
  const Outcome hyphen = Run(Quoted(dir_ / "my-kit/setup.ini"));
  EXPECT_FALSE(Holds(hyphen.output, "start-up failed")) << hyphen.output;
  ::mkdir((dir_ / "my kit -2").c_str(), 0755);
  WriteHostFile(dir_ / "my kit -2/setup.ini", "[CommandsList]\n32,hello\n");
  const Outcome cut = Run(Quoted(dir_ / "my kit -2/setup.ini"));
  EXPECT_TRUE(Holds(cut.output, "up to a blank followed by '-'")) << cut.output;
  EXPECT_TRUE(Holds(cut.output, "(" + (dir_ / "my kit") + ") does not exist")) << cut.output;

  if (::geteuid() != 0) {  // root reads every file
    ::chmod((kit_ + "/setup.ini").c_str(), 0);
    const Outcome unreadable = Run("kit/setup.ini");
    EXPECT_TRUE(Holds(unreadable.output, "cannot be read")) << unreadable.output;
  }
}

TEST_F(HostProgramTest, EveryRunEndsWithItsSummaryAndStrictFailsOnErrors) {
  MakeKit(
      "[DATA]\nLogging=1\n"
      "[CommandsList]\n32,first\n19,Second\n[Second]\n32,second\n20\n");
  const Outcome clean = Run("kit/setup.ini");
  EXPECT_EQ(clean.status, 0) << clean.output;
  EXPECT_TRUE(Holds(clean.output,
                    "velsetup: 4 commands run in 2 sections; 0 ERROR lines, 0 WARNING lines; "
                    "restart asked for; install log " +
                        machine_ + "/drive_c/system.sav/util/install.log\n"))
      << clean.output;

  WriteHostFile(kit_ + "/setup.ini", "[CommandsList]\n15,,C:\\none.txt,C:\\b.txt\n");
  const Outcome failing = Run("kit/setup.ini -noreboot --strict");
  EXPECT_EQ(failing.status, 1) << failing.output;
  EXPECT_TRUE(Holds(failing.output, "1 command run in 1 section; 1 ERROR line, 0 WARNING lines; "
                                    "no restart (restarts suppressed); install log off"))
      << failing.output;
  EXPECT_EQ(Run("kit/setup.ini").status, 0);
}

}  // namespace
}  // namespace velsetup::host
