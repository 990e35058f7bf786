// The file commands inside the test process, for what a scenario cannot set
// up: a file held open by another program in a tree being deleted, and paths
// longer than the commands take.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "commands/copy_commands.h"
#include "commands/delete_commands.h"
#include "machine_run_fixture.h"

namespace velsetup {
namespace {

using Lines = std::vector<std::string>;

class FileCommandsTest : public testing::MachineRunTest {
 protected:
  void SetUp() override {
    MachineRunTest::SetUp();
    WriteC(kScript, "[DATA]\r\nLogging=1\r\n");
  }
  // A command line stored in [Commands] slot 0, as the loop leaves it.
  void Slot(const std::string& param0, const std::vector<std::string>& fields) {
    std::string commands = "[Commands]\r\nCmdSection0.0=" + param0 + "\r\n";
    for (size_t i = 0; i < fields.size(); ++i) {
      commands += "CmdSection0." + std::to_string(i + 1) + "=" + fields[i] + "\r\n";
    }
    WriteC(kScript, ReadC(kScript) + commands);
    velsetup::Run().current_cmd_index = 0;
    velsetup::Run().cmd_param0 = param0;
  }
  bool Exists(const std::string& windows_path) const {
    struct stat info;
    return ::stat(HostPath(windows_path).c_str(), &info) == 0;
  }
  static std::string Logged(const std::string& line) { return "velsetup.exe> " + line; }
};

// Every other file goes; the held one stays, and with it each directory on
// the way to it, every failure in the log.
TEST_F(FileCommandsTest, DeletingATreeWithAFileHeldOpenByAnotherProgram) {
  ::mkdir(HostPath("C:\\KIT\\t").c_str(), 0755);
  WriteC("C:\\KIT\\t\\a.txt", "a");
  ::mkdir(HostPath("C:\\KIT\\t\\x").c_str(), 0755);
  ::mkdir(HostPath("C:\\KIT\\t\\x\\y").c_str(), 0755);
  WriteC("C:\\KIT\\t\\x\\y\\held.txt", "h");
  WriteC("C:\\KIT\\t\\x\\y\\z.txt", "z");
  const int fd = ::open(HostPath("C:\\KIT\\t\\x\\y\\held.txt").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_EX), 0);
  Slot("", {"C:\\KIT\\t"});
  TakeLog();
  EXPECT_EQ(Cmd16_DeleteFileOrDir(), 0u);
  ::close(fd);
  const std::string busy =
      "The process cannot access the file because it is being used by another process.  ";
  const std::string not_empty = "The directory is not empty.  ";
  EXPECT_EQ(TakeLog(),
            (Lines{Logged("   ...deleting directory >C:\\KIT\\t<"),
                   Logged("  Deleting... >C:\\KIT\\t\\a.txt<"),
                   Logged("  Deleting... >C:\\KIT\\t\\x\\y\\held.txt<"),
                   Logged(" DeleteFile(C:\\KIT\\t\\x\\y\\held.txt) failed, (32)-" + busy +
                          " RemoveDir() - Error deleting file - C:\\KIT\\t\\x\\y\\held.txt"),
                   Logged("  Deleting... >C:\\KIT\\t\\x\\y\\z.txt<"),
                   Logged(" RemoveDirectory(C:\\KIT\\t\\x\\y) 145-" + not_empty +
                          " RemoveDir() - Invalid File Handle - C:\\KIT\\t\\x\\y"),
                   Logged(" RemoveDirectory(C:\\KIT\\t\\x) 145-" + not_empty +
                          " RemoveDir() - Invalid File Handle - C:\\KIT\\t\\x"),
                   Logged(" RemoveDirectory(C:\\KIT\\t) 145-" + not_empty +
                          " RemoveDir() - Invalid File Handle - C:\\KIT\\t")}));
  EXPECT_TRUE(Exists("C:\\KIT\\t\\x\\y\\held.txt"));
  EXPECT_FALSE(Exists("C:\\KIT\\t\\x\\y\\z.txt"));
  EXPECT_FALSE(Exists("C:\\KIT\\t\\a.txt"));
}

// A path over a command's limit is refused with a warning, never cut: a cut
// path would name another file.
TEST_F(FileCommandsTest, PathsOverTheLimitsAreRefusedWhole) {
  const std::string long_path = "C:\\KIT\\" + std::string(300, 'p');
  WriteC(kScript, ReadC(kScript) + "[Del]\r\n" + long_path + "\r\nC:\\KIT\\gone.txt\r\n" +
                      "[Dirs]\r\n" + long_path + "\r\nC:\\KIT\\never\r\n");
  WriteC("C:\\KIT\\gone.txt", "");
  const std::string refused = "WARNING-=- %s - path longer than 259 characters refused >" +
                              std::string("C:\\KIT\\") + std::string(33, 'p') + "...<";
  auto refusal = [&](const std::string& command) {
    std::string line = refused;
    line.replace(line.find("%s"), 2, command);
    return Logged(line);
  };

  velsetup::Run().cmd_param0 = "Del";
  TakeLog();
  EXPECT_EQ(Cmd16_DeleteFileOrDir(), 0u);
  Lines log = TakeLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], refusal("CMD16_DeleteFileOrDir()"));
  EXPECT_FALSE(Exists("C:\\KIT\\gone.txt"));  // the next line still ran

  velsetup::Run().cmd_param0 = "Dirs";
  EXPECT_EQ(Cmd21_MakeDir(), 2u);  // a refused line ends the list like a failed one
  EXPECT_EQ(TakeLog(), (Lines{refusal("CMD21_MakeDir()")}));
  EXPECT_FALSE(Exists("C:\\KIT\\never"));

  // The inline copy takes 511 characters.
  Slot("", {"C:\\KIT\\" + std::string(600, 'q'), "C:\\KIT\\b.txt"});
  EXPECT_EQ(Cmd15_CopyFile(), 2u);
  log = TakeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_NE(log[0].find("CMD15_CopyFile() - path longer than 511 characters refused"),
            std::string::npos);
}

// A tree whose entries would make paths too long copies what fits and says
// what it left.
TEST_F(FileCommandsTest, TreeCopySkipsEntriesWhosePathsGrowTooLong) {
  const std::string deep = std::string(120, 'd');
  ::mkdir(HostPath("C:\\KIT\\src").c_str(), 0755);
  ::mkdir(HostPath("C:\\KIT\\src\\" + deep).c_str(), 0755);
  WriteC("C:\\KIT\\src\\short.txt", "s");
  WriteC("C:\\KIT\\src\\" + deep + "\\" + std::string(140, 'f'), "long");
  ::mkdir(HostPath("C:\\KIT\\dst").c_str(), 0755);
  TakeLog();
  SBCopyFile("C:\\KIT\\src", "C:\\KIT\\dst");
  const Lines log = TakeLog();
  EXPECT_EQ(ReadC("C:\\KIT\\dst\\short.txt"), "s");
  EXPECT_TRUE(Exists("C:\\KIT\\dst\\" + deep));
  ASSERT_FALSE(log.empty()) << ::testing::PrintToString(log);
  EXPECT_NE(log.front().find("SBCopyFile() - path longer than 259 characters refused"),
            std::string::npos) << ::testing::PrintToString(log);
}

}  // namespace
}  // namespace velsetup
