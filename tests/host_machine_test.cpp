#include "platform/host/machine/host_machine.h"

#include <ftw.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>

#include "platform/host/machine/host_platform.h"
#include "host_test_support.h"

namespace velsetup::host {
namespace {

using namespace testing;

// Every entry below `root` with its type, size, mode and modification time.
std::map<std::string, std::string> Snapshot(const std::string& root) {
  static std::map<std::string, std::string>* current;
  std::map<std::string, std::string> entries;
  current = &entries;
  ::nftw(root.c_str(),
         [](const char* path, const struct stat* info, int, FTW*) {
           (*current)[path] = std::to_string(info->st_mode) + "/" + std::to_string(info->st_size) +
                              "/" + std::to_string(info->st_mtim.tv_sec) + "." +
                              std::to_string(info->st_mtim.tv_nsec);
           return 0;
         },
         16, FTW_PHYS);
  return entries;
}

TEST(HostMachineTest, AMissingMachineIsMadeAndASecondOpenChangesNothing) {
  ScratchDir dir;
  const std::string machine = dir / "new/machine";
  std::string error;
  auto first = HostPlatform::Open(machine, "/opt/kit/velsetup", &error);
  ASSERT_TRUE(first) << error;
  EXPECT_NE(ReadHostFile(machine + "/machine.ini").find("\nOS=win2000\n"), std::string::npos);
  EXPECT_TRUE(HostExists(machine + "/drive_c/WINNT/system32/drivers"));
  EXPECT_TRUE(HostExists(machine + "/drive_c/WINNT/TEMP"));
  EXPECT_EQ(ReadHostFile(machine + "/cmos.bin"), std::string(128, '\0'));

  Platform platform = first->platform();
  char path[64];
  ASSERT_EQ(platform.system->GetModuleFileNameA(path, sizeof path), 19u);
  EXPECT_STREQ(path, "Z:\\opt\\kit\\velsetup");
  OsVersionInfo version;
  ASSERT_TRUE(platform.system->GetVersionExA(&version));
  EXPECT_EQ(version.build, 2195u);
  EXPECT_EQ(platform.system->GetUserDefaultLangID(), 0x0409);
  EXPECT_EQ(first->WindowsPathOf(machine + "/drive_c/a.ini").value_or("-"), "C:\\a.ini");

  // The user's changes stand; nothing is touched by the next start.
  WriteHostFile(machine + "/cmos.bin", std::string(128, '\x5a'));
  WriteHostFile(machine + "/drive_c/WINNT/own.txt", "mine");
  const auto before = Snapshot(machine);
  first.reset();
  ASSERT_TRUE(HostPlatform::Open(machine, "/opt/kit/velsetup", &error)) << error;
  EXPECT_EQ(Snapshot(machine), before);
}

TEST(HostMachineTest, AHandMadeMachineIsCompletedForItsWindows) {
  ScratchDir dir;
  WriteHostFile(dir / "machine.ini",
                "[Machine]\nOS=win98   ; a comment\nUserLanguage=1031\nCurrentDir=C:\\Kit\n"
                "ModulePath=C:\\Kit\\SETUP.EXE\n[Drives]\nD=drive_d\nZ=\n");
  std::string error;
  auto machine = HostPlatform::Open(dir.path(), "/opt/kit/velsetup", &error);
  ASSERT_TRUE(machine) << error;
  EXPECT_TRUE(HostExists(dir / "drive_c/WINDOWS/SYSTEM"));
  EXPECT_FALSE(HostExists(dir / "drive_c/WINDOWS/SYSTEM/drivers"));
  EXPECT_TRUE(HostExists(dir / "drive_d"));
  Platform platform = machine->platform();
  OsVersionInfo version;
  ASSERT_TRUE(platform.system->GetVersionExA(&version));
  EXPECT_EQ(version.platform_id, kPlatformWin32Windows);
  EXPECT_EQ(version.minor, 10u);
  EXPECT_EQ(platform.system->GetUserDefaultLangID(), 1031);
  char text[64];
  platform.system->GetModuleFileNameA(text, sizeof text);
  EXPECT_STREQ(text, "C:\\Kit\\SETUP.EXE");
  platform.system->GetCurrentDirectoryA(sizeof text, text);
  EXPECT_STREQ(text, "C:\\Kit");
  EXPECT_FALSE(machine->WindowsPathOf("/etc/passwd").has_value());  // Z: is off
  EXPECT_EQ(platform.files->GetFileAttributesA("Z:\\etc"), file_attribute::kInvalid);
}

TEST(HostMachineTest, AnUnknownSystemFallsBackToWindows2000WithAWarning) {
  ScratchDir dir;
  WriteHostFile(dir / "machine.ini", "[Machine]\nOS=win7\nUserLanguage=en\n");
  ::testing::internal::CaptureStderr();
  std::string error;
  auto machine = HostPlatform::Open(dir.path(), "/velsetup", &error);
  const std::string warnings = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(machine) << error;
  EXPECT_NE(warnings.find("OS=win7 is unknown; using win2000"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("UserLanguage=en"), std::string::npos) << warnings;
  EXPECT_EQ(machine->config().os_name, "win2000");
  EXPECT_TRUE(HostExists(dir / "drive_c/WINNT/system32/drivers"));
}

}  // namespace
}  // namespace velsetup::host
