// A fresh machine looks like a fresh installation of its Windows: its
// folders, the registry values installers read, and on the maker's PCs the
// description file; a hand-made machine gets what it lacks and keeps the rest.
#include <gtest/gtest.h>

#include "host_test_support.h"
#include "platform/host/machine/host_platform.h"

namespace velsetup::host {
namespace {

using namespace testing;

struct Installation {
  const char* os;
  std::vector<const char*> folders;  // below drive_c
  std::vector<const char*> registry_lines;
};

const Installation kInstallations[] = {
    {"win95",
     {"WINDOWS/INF", "WINDOWS/FONTS", "WINDOWS/HELP", "WINDOWS/COMMAND", "WINDOWS/Desktop",
      "WINDOWS/Start Menu/Programs/StartUp", "Program Files/Common Files"},
     {"\"VersionNumber\"=\"4.00.950\"", "\"SystemRoot\"=\"C:\\\\WINDOWS\"",
      "\"ProgramFilesDir\"=\"C:\\\\Program Files\"",
      "\"CommonFilesDir\"=\"C:\\\\Program Files\\\\Common Files\"",
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices]"}},
    {"win98", {"WINDOWS/COMMAND", "WINDOWS/INF"}, {"\"VersionNumber\"=\"4.10.1998\""}},
    {"winme", {"WINDOWS/COMMAND"}, {"\"VersionNumber\"=\"4.90.3000\""}},
    {"nt4",
     {"WINNT/inf", "WINNT/Fonts", "WINNT/Help", "WINNT/Profiles/All Users/Desktop",
      "WINNT/Profiles/Default User/Start Menu/Programs",
      "WINNT/Profiles/All Users/Start Menu/Programs/Startup", "Program Files/Common Files"},
     {"\"CurrentVersion\"=\"4.0\"", "\"CurrentBuildNumber\"=\"1381\"",
      "\"CSDVersion\"=\"Service Pack 6\"", "\"SystemRoot\"=\"C:\\\\WINNT\""}},
    {"win2000",
     {"WINNT/inf", "Documents and Settings/All Users/Start Menu/Programs/Startup",
      "Documents and Settings/Administrator/Desktop", "Program Files/Common Files"},
     {"\"CurrentVersion\"=\"5.0\"", "\"CurrentBuildNumber\"=\"2195\"",
      "\"ProductName\"=\"Microsoft Windows 2000\"",
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall]",
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce]"}},
    {"winxp",
     {"WINDOWS/inf", "Documents and Settings/Default User/Desktop"},
     {"\"CurrentVersion\"=\"5.1\"", "\"CurrentBuildNumber\"=\"2600\"",
      "\"SystemRoot\"=\"C:\\\\WINDOWS\""}},
};

TEST(InstallationLayoutTest, AFreshMachineHasTheFoldersAndRegistryOfItsWindows) {
  for (const Installation& installation : kInstallations) {
    SCOPED_TRACE(installation.os);
    ScratchDir dir;
    WriteHostFile(dir / "machine.ini",
                  std::string("[Machine]\nOS=") + installation.os + "\n[Drives]\nZ=\n");
    std::string error;
    ASSERT_TRUE(HostPlatform::Open(dir.path(), "/velsetup", &error)) << error;
    for (const char* folder : installation.folders) {
      EXPECT_TRUE(HostExists(dir / (std::string("drive_c/") + folder))) << folder;
    }
    const std::string registry = ReadHostFile(dir / "registry.reg");
    for (const char* line : installation.registry_lines) {
      EXPECT_NE(registry.find(std::string(line) + "\r\n"), std::string::npos) << line;
    }
    const std::string os = installation.os;
    const bool nt = os == "nt4" || os == "win2000" || os == "winxp";
    EXPECT_EQ(registry.find("Windows NT\\CurrentVersion]") != std::string::npos, nt);
    EXPECT_FALSE(HostExists(dir / "drive_c/WINDOWS/COMMAND") && nt);
  }
}

TEST(InstallationLayoutTest, OnlyTheMakersPcsCarryTheDescriptionFile) {
  ScratchDir dir;
  WriteHostFile(dir / "machine.ini", "[Machine]\nUserLanguage=0x0407\n[Drives]\nZ=\n");
  std::string error;
  ASSERT_TRUE(HostPlatform::Open(dir.path(), "/velsetup", &error)) << error;
  EXPECT_EQ(ReadHostFile(dir / "drive_c/system.sav/util/rix.ini"),
            "[Description]\r\nVelmorLanguage=GR\r\n");

  ScratchDir foreign;
  WriteHostFile(foreign / "machine.ini", "[Drives]\nZ=\n[Bios]\nSignature=\n");
  ASSERT_TRUE(HostPlatform::Open(foreign.path(), "/velsetup", &error)) << error;
  EXPECT_FALSE(HostExists(foreign / "drive_c/system.sav"));
  EXPECT_TRUE(HostExists(foreign / "drive_c/WINNT/inf"));
}

TEST(InstallationLayoutTest, AHandMadeMachineKeepsWhatItHas) {
  ScratchDir dir;
  WriteHostFile(dir / "machine.ini", "[Machine]\nOS=win98\n[Drives]\nZ=\n");
  ::system(("mkdir -p '" + (dir / "drive_c/system.sav/util") + "'").c_str());
  WriteHostFile(dir / "drive_c/system.sav/util/rix.ini", "[Description]\nVelmorLanguage=\n");
  const std::string own_registry = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Own]\r\n\r\n";
  WriteHostFile(dir / "registry.reg", own_registry);
  WriteHostFile(dir / "drive_c/WINDOWS", "");  // not even a directory: a clear refusal
  std::string error;
  EXPECT_FALSE(HostPlatform::Open(dir.path(), "/velsetup", &error));
  EXPECT_NE(error.find("is a file, not a directory"), std::string::npos) << error;

  ::unlink((dir / "drive_c/WINDOWS").c_str());
  ASSERT_TRUE(HostPlatform::Open(dir.path(), "/velsetup", &error)) << error;
  EXPECT_TRUE(HostExists(dir / "drive_c/WINDOWS/COMMAND"));
  EXPECT_EQ(ReadHostFile(dir / "drive_c/system.sav/util/rix.ini"),
            "[Description]\nVelmorLanguage=\n");
  // A registry is its owner's: never rewritten behind their back.
  EXPECT_EQ(ReadHostFile(dir / "registry.reg"), own_registry);
}

}  // namespace
}  // namespace velsetup::host
