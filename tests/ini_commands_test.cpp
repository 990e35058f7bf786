#include "commands/ini_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include "engine/script_file.h"
#include "engine/text_format.h"
#include "machine_run_fixture.h"
#include "services/variables.h"

namespace velsetup {
namespace {

using Lines = std::vector<std::string>;

const std::string kScriptText = "[DATA]\r\nLogging=1\r\n[Setup]\r\nMode=slow\r\n";
const std::string kExtraText = "[Extra]\r\nKey=1\r\n";

class IniCommandsTest : public testing::MachineRunTest {
 protected:
  void SetUp() override {
    MachineRunTest::SetUp();
    WriteC(kScript, kScriptText);
    WriteC("C:\\KIT\\EXTRA.INI", kExtraText);
  }
  std::string TempPath() const { return "C:\\KIT\\" + TemporaryFileName() + ".INI"; }
  uint32_t Append(const std::string& second) {
    velsetup::Run().cmd_param0 = second;
    TakeLog();
    return Cmd28_AppendINIFile();
  }
  bool TempLeft() const {
    struct stat info;
    return ::stat(HostPath(TempPath()).c_str(), &info) == 0;
  }
};

TEST_F(IniCommandsTest, OverlongDataLineFieldsSkipTheLine) {
  WriteC(kScript, kScriptText + "[Values]\r\nSetup,Long," + std::string(600, 'x') +
                      "\r\nSetup,Short,1\r\n[Vars]\r\nV001," + std::string(512, 'y') +
                      "\r\nV002,ok\r\n");
  velsetup::Run().cmd_param0 = "Values";
  EXPECT_EQ(Cmd26_SetValue(), 0u);
  velsetup::Run().cmd_param0 = "Vars";
  EXPECT_EQ(Cmd27_SetVariable(), 0u);
  const Lines log = TakeLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "velsetup.exe> WARNINIG-=- Field longer than 511 characters, line skipped >" +
                        std::string(40, 'x') + "...<");
  EXPECT_EQ(ReadScriptString("Setup", "Long", "-", 512), "-");
  EXPECT_EQ(ReadScriptString("Setup", "Short", "-", 512), "1");
  EXPECT_EQ(ReadScriptString("Variables", "V001", "-", 512), "-");
  EXPECT_EQ(ReadScriptString("Variables", "V002", "-", 512), "ok");
}

// The fixture's machine is a Windows 98 one: there is no replacing rename, so
// the old script is deleted and the new one renamed into its place.
TEST_F(IniCommandsTest, AppendOnWindows9xReplacesTheScriptByDeleteAndRename) {
  EXPECT_EQ(Append("C:\\KIT\\EXTRA.INI"), 0u);
  // The new script says the command is done, so that a run killed before the
  // loop says so does not append the file twice when it resumes.
  EXPECT_EQ(ReadC(kScript), kScriptText + kExtraText + "[Commands]\r\nCurrentCmd=1\r\n");
  EXPECT_FALSE(TempLeft());
  EXPECT_EQ(TakeLog().back(),
            "velsetup.exe>   renaming " + TempPath() + " to " + std::string(kScript));
  // The appended section is read through the profile calls at once.
  EXPECT_EQ(ReadScriptString("Extra", "Key", "", 512), "1");
}

TEST_F(IniCommandsTest, AppendFailuresLeaveTheScriptAsItWas) {
  // No second file: nothing is written, not even the temporary file.
  EXPECT_EQ(Append("C:\\KIT\\NONE.INI"), 2u);
  EXPECT_EQ(TakeLog(), (Lines{"velsetup.exe>  creating temp file:  " + TempPath(),
                              "velsetup.exe>  coping contents of  " + std::string(kScript),
                              "velsetup.exe> Error-=-  cound not open second file..."}));
  EXPECT_EQ(ReadC(kScript), kScriptText);
  EXPECT_FALSE(TempLeft());

  // The temporary file cannot be made: a directory holds its name.
  ASSERT_EQ(::mkdir(HostPath(TempPath()).c_str(), 0755), 0);
  EXPECT_EQ(Append("C:\\KIT\\EXTRA.INI"), 2u);
  EXPECT_EQ(TakeLog().back(), "velsetup.exe> Error-=-  could not write " + TempPath() +
                                  ", Error=5, Access is denied.  ");
  EXPECT_EQ(ReadC(kScript), kScriptText);
  ::rmdir(HostPath(TempPath()).c_str());
}

class IniCommandsNtTest : public IniCommandsTest {
  void SetUp() override {
    OpenMachine("OS=win2000");
    WriteC(kScript, kScriptText);
    WriteC("C:\\KIT\\EXTRA.INI", kExtraText);
  }
};

TEST_F(IniCommandsNtTest, AppendReplacesTheScriptInOneRename) {
  EXPECT_EQ(Append("C:\\KIT\\EXTRA.INI"), 0u);
  EXPECT_EQ(ReadC(kScript), kScriptText + kExtraText + "[Commands]\r\nCurrentCmd=1\r\n");
  EXPECT_FALSE(TempLeft());
}

TEST_F(IniCommandsNtTest, AReadOnlyScriptIsNotReplaced) {
  ASSERT_TRUE(velsetup::Run().platform.files->SetFileAttributesA(kScript, 0x1));
  EXPECT_EQ(Append("C:\\KIT\\EXTRA.INI"), 2u);
  EXPECT_EQ(TakeLog().back(), std::string("velsetup.exe> Error-=-  could not replace ") + kScript +
                                  ", Error=5, Access is denied.  ");
  EXPECT_EQ(ReadC(kScript), kScriptText);
  EXPECT_FALSE(TempLeft());
}

}  // namespace
}  // namespace velsetup
