// The lab's boot: what Windows starts after a restart, in its order, and the
// RunOnce values it removes on the way.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "host_test_support.h"
#include "lab/boot.h"

namespace velsetup::lab {
namespace {

using host::testing::ReadHostFile;
using host::testing::ScratchDir;
using host::testing::WriteHostFile;

// A shell link with a LinkInfo local base path and arguments (the full
// layout is checked in lab_shell_link_test.cpp).
std::string Link(const std::string& target, const std::string& arguments) {
  std::string bytes;
  auto put32 = [&bytes](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(v >> (8 * i) & 0xFF));
  };
  put32(0x4C);
  const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  bytes.append(reinterpret_cast<const char*>(clsid), 16);
  put32(0x2 | 0x20);
  bytes.append(0x4C - bytes.size(), '\0');
  const uint32_t size = 0x1C + static_cast<uint32_t>(target.size()) + 2;
  put32(size);
  put32(0x1C);
  put32(1);
  put32(0);
  put32(0x1C);
  put32(0);
  put32(0x1C + static_cast<uint32_t>(target.size()) + 1);
  bytes += target + '\0' + '\0';
  bytes.push_back(static_cast<char>(arguments.size()));
  bytes.push_back('\0');
  bytes += arguments;
  return bytes;
}

constexpr const char kVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion";

class LabBoot : public ::testing::Test {
 protected:
  void SetUp() override {
    machine_.registry_file = dir_ / "registry.reg";
    machine_.module_path = "C:\\KIT\\velsetup.exe";
    ::mkdir((dir_ / "common").c_str(), 0755);
    ::mkdir((dir_ / "user").c_str(), 0755);
    machine_.startup_folders = {{"C:\\All\\Startup", dir_ / "common"},
                                {"C:\\Me\\Startup", dir_ / "user"}};
  }
  void Registry(const std::string& body) {
    WriteHostFile(machine_.registry_file, "REGEDIT4\r\n\r\n" + body);
  }
  std::string Key(const char* hive, const char* last) {
    return std::string("[") + hive + "\\" + kVersion + "\\" + last + "]\r\n";
  }

  ScratchDir dir_;
  BootMachine machine_;
};

TEST_F(LabBoot, StartsTheToolInWindowsOrderAndRemovesRunOnceValues) {
  Registry(Key("HKEY_LOCAL_MACHINE", "RunOnce") +
           "\"b\"=\"C:\\\\KIT\\\\VELSETUP.EXE C:\\\\KIT\\\\s.ini -resume\"\r\n"
           "\"other\"=\"C:\\\\WINDOWS\\\\notepad.exe\"\r\n"
           "\"!keep\"=\"\\\"C:\\\\KIT\\\\velsetup.exe\\\" \\\"C:\\\\KIT\\\\my s.ini\\\"\"\r\n\r\n" +
           Key("HKEY_LOCAL_MACHINE", "Run") + "\"r\"=\"velsetup.exe a.ini\"\r\n\r\n" +
           Key("HKEY_CURRENT_USER", "Run") + "\"u\"=\"C:\\\\KIT\\\\velsetup.exe u.ini\"\r\n\r\n" +
           Key("HKEY_CURRENT_USER", "RunOnce") + "\"o\"=\"C:\\\\KIT\\\\velsetup.exe o.ini\"\r\n");
  WriteHostFile(dir_ / "user/b.lnk", Link("C:\\KIT\\velsetup.exe", "user.ini"));
  WriteHostFile(dir_ / "common/a.LNK", Link("C:\\KIT\\velsetup.exe", "common.ini"));
  WriteHostFile(dir_ / "common/other.lnk", Link("C:\\WINDOWS\\calc.exe", ""));
  WriteHostFile(dir_ / "common/readme.txt", "not a link");

  const BootResult boot = Boot(machine_);
  EXPECT_TRUE(boot.findings.empty());
  std::vector<std::string> order;
  for (const BootStart& start : boot.starts) order.push_back(start.started_by);
  const std::string hklm = std::string("HKEY_LOCAL_MACHINE\\") + kVersion;
  const std::string hkcu = std::string("HKEY_CURRENT_USER\\") + kVersion;
  EXPECT_EQ(order, (std::vector<std::string>{
                       "RunOnce value " + hklm + "\\RunOnce\\b",
                       "RunOnce value " + hklm + "\\RunOnce\\!keep",
                       "Run value " + hklm + "\\Run\\r",
                       "Run value " + hkcu + "\\Run\\u",
                       "Startup shortcut C:\\All\\Startup\\a.LNK",
                       "Startup shortcut C:\\Me\\Startup\\b.lnk",
                       "RunOnce value " + hkcu + "\\RunOnce\\o",
                   }));
  ASSERT_EQ(boot.starts.size(), 7u);
  EXPECT_EQ(boot.starts[0].arguments, (std::vector<std::string>{"C:\\KIT\\s.ini", "-resume"}));
  EXPECT_EQ(boot.starts[1].arguments, (std::vector<std::string>{"C:\\KIT\\my s.ini"}));
  EXPECT_EQ(boot.starts[1].delete_after_key, hklm + "\\RunOnce");
  EXPECT_EQ(boot.starts[4].arguments, (std::vector<std::string>{"common.ini"}));
  EXPECT_EQ(boot.starts[4].command_line, "C:\\KIT\\velsetup.exe common.ini");

  // RunOnce values are gone, the tool's and the others alike, except the
  // '!' one, which goes after its run; Run values stay.
  const std::string after = ReadHostFile(machine_.registry_file);
  EXPECT_EQ(after.find("\"b\""), std::string::npos);
  EXPECT_EQ(after.find("\"other\""), std::string::npos);
  EXPECT_EQ(after.find("\"o\""), std::string::npos);
  EXPECT_NE(after.find("\"!keep\""), std::string::npos);
  EXPECT_NE(after.find("\"r\""), std::string::npos);
  EXPECT_TRUE(DeleteRegistryValue(machine_, boot.starts[1].delete_after_key, "!keep"));
  EXPECT_EQ(ReadHostFile(machine_.registry_file).find("\"!keep\""), std::string::npos);

  // The next boot finds only the Run values and the shortcuts.
  EXPECT_EQ(Boot(machine_).starts.size(), 4u);
}

TEST_F(LabBoot, ADamagedShortcutIsAFindingAndTheOthersStillStart) {
  Registry("");
  WriteHostFile(dir_ / "common/broken.lnk", std::string("L\0\0\0", 4));
  WriteHostFile(dir_ / "common/good.lnk", Link("C:\\KIT\\velsetup.exe", "s.ini"));
  const BootResult boot = Boot(machine_);
  ASSERT_EQ(boot.findings.size(), 1u);
  EXPECT_NE(boot.findings[0].find("C:\\All\\Startup\\broken.lnk"), std::string::npos);
  ASSERT_EQ(boot.starts.size(), 1u);
  EXPECT_EQ(boot.starts[0].arguments, std::vector<std::string>{"s.ini"});
}

TEST_F(LabBoot, ARegistryThatDoesNotParseIsAFinding) {
  Registry("[HKEY_NOWHERE\\x]\r\n\"a\"=\"b\"\r\n");
  WriteHostFile(machine_.registry_file, "not a registry");
  const BootResult boot = Boot(machine_);
  ASSERT_EQ(boot.findings.size(), 1u);
  EXPECT_TRUE(boot.starts.empty());
}

TEST(LabBootTool, TheToolIsKnownByItsFileNameOrItsModulePath) {
  EXPECT_TRUE(IsTool("C:\\KIT\\VelSetup.EXE", "C:\\KIT\\velsetup.exe"));
  EXPECT_TRUE(IsTool("velsetup.exe", "C:\\KIT\\velsetup.exe"));
  EXPECT_TRUE(IsTool("c:\\kit\\setup.exe", "C:\\KIT\\SETUP.EXE"));
  EXPECT_FALSE(IsTool("C:\\KIT\\velsetup.exe.bak", "C:\\KIT\\velsetup.exe"));
  EXPECT_FALSE(IsTool("", "C:\\KIT\\velsetup.exe"));
  std::string program;
  std::vector<std::string> arguments;
  SplitCommand("C:\\KIT\\velsetup.exe C:\\KIT\\a b.ini -resume", "C:\\KIT\\velsetup.exe", &program,
               &arguments);
  EXPECT_EQ(program, "C:\\KIT\\velsetup.exe");
  EXPECT_EQ(arguments, (std::vector<std::string>{"C:\\KIT\\a", "b.ini", "-resume"}));
}

}  // namespace
}  // namespace velsetup::lab
