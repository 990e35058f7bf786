#include "platform/host/machine/host_system.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/host/machine/system_messages.h"

namespace velsetup::host {
namespace {

MachineConfig Config(const std::string& temp_dir) {
  MachineConfig config;
  OsVersionFor("win2000", &config.version);
  ParseAbsoluteWindowsPath("C:\\WINNT", &config.windows_dir);
  ParseAbsoluteWindowsPath("C:\\WINNT\\system32", &config.system_dir);
  ParseAbsoluteWindowsPath("C:\\", &config.current_dir);
  config.temp_dir = temp_dir;
  return config;
}

TEST(HostSystemTest, DirectoryQueriesFollowTheWin32BufferContract) {
  LastError last_error;
  EventLog events("/dev/null");
  HostSystem system(Config("C:\\WINNT\\TEMP\\"), "Z:\\opt\\velsetup", last_error, events);
  char buffer[32];
  std::memset(buffer, '#', sizeof buffer);
  // "C:\WINNT\TEMP\" is 14 characters: 15 bytes with the terminator.
  EXPECT_EQ(system.GetTempPathA(14, buffer), 15u);
  EXPECT_EQ(buffer[0], '#');  // too small: nothing written
  EXPECT_EQ(system.GetTempPathA(0, nullptr), 15u);
  EXPECT_EQ(system.GetTempPathA(15, buffer), 14u);
  EXPECT_STREQ(buffer, "C:\\WINNT\\TEMP\\");
  EXPECT_EQ(system.GetCurrentDirectoryA(sizeof buffer, buffer), 3u);
  EXPECT_STREQ(buffer, "C:\\");
  EXPECT_EQ(system.GetSystemDirectoryA(buffer, 8), 18u);  // C:\WINNT\system32
  EXPECT_EQ(system.GetWindowsDirectoryA(buffer, sizeof buffer), 8u);
  EXPECT_STREQ(buffer, "C:\\WINNT");
}

TEST(HostSystemTest, ModuleFileNameIsCutAsOnWindows2000) {
  LastError last_error;
  EventLog events("/dev/null");
  last_error.code = 77;
  HostSystem system(Config("C:\\"), "Z:\\opt\\velsetup", last_error, events);  // 15 characters
  char buffer[32];
  EXPECT_EQ(system.GetModuleFileNameA(buffer, sizeof buffer), 15u);
  EXPECT_STREQ(buffer, "Z:\\opt\\velsetup");
  EXPECT_EQ(system.GetModuleFileNameA(buffer, 16), 15u);  // just fits
  EXPECT_EQ(system.GetModuleFileNameA(buffer, 15), 14u);
  EXPECT_STREQ(buffer, "Z:\\opt\\velsetu");
  EXPECT_EQ(system.GetModuleFileNameA(buffer, 1), 0u);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(system.GetModuleFileNameA(buffer, 0), 0u);
  EXPECT_EQ(last_error.code, 77u);  // no error set on a cut
}

TEST(HostSystemTest, VersionsOfTheSimulatedSystems) {
  OsVersionInfo v;
  ASSERT_TRUE(OsVersionFor("WIN98", &v));
  EXPECT_EQ(v.major * 100 + v.minor, 410u);
  EXPECT_EQ(v.platform_id, kPlatformWin32Windows);
  EXPECT_EQ(v.build & 0xFFFF, 1998u);
  ASSERT_TRUE(OsVersionFor("nt4", &v));
  EXPECT_EQ(v.major * 100 + v.minor, 400u);
  EXPECT_EQ(v.build, 1381u);
  EXPECT_EQ(v.platform_id, kPlatformWin32Nt);
  EXPECT_EQ(v.service_pack, "Service Pack 6");
  ASSERT_TRUE(OsVersionFor("winxp", &v));
  EXPECT_EQ(v.major * 100 + v.minor, 501u);
  EXPECT_FALSE(OsVersionFor("win7", &v));
}

TEST(HostSystemTest, SystemMessagesEndInCrLfAndUnknownCodesHaveNone) {
  LastError last_error;
  EventLog events("/dev/null");
  HostSystem system(Config("C:\\"), "C:\\t.exe", last_error, events);
  std::string text;
  ASSERT_TRUE(system.FormatSystemMessage(2, &text));
  EXPECT_EQ(text, "The system cannot find the file specified.\r\n");
  ASSERT_TRUE(system.FormatSystemMessage(1326, &text));
  EXPECT_EQ(text, "Logon failure: unknown user name or bad password.\r\n");
  EXPECT_FALSE(system.FormatSystemMessage(99999, &text));
  EXPECT_EQ(text, "");
  for (uint32_t code = 0; code < 2000; ++code) {
    if (const char* message = SystemMessageText(code)) {
      const std::string m = message;
      EXPECT_EQ(m.substr(m.size() - 2), "\r\n") << code;
    }
  }
  // Looked up by halves: an entry out of order would go missing here.
  for (uint32_t code : {0u, 1u, 5u, 32u, 80u, 87u, 183u, 206u, 1056u, 1060u, 1073u, 1300u, 1314u}) {
    EXPECT_NE(SystemMessageText(code), nullptr) << code;
  }
}

}  // namespace
}  // namespace velsetup::host
