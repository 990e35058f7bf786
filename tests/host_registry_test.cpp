#include "platform/host/registry/host_registry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "host_test_support.h"
#include "platform/host/machine/host_platform.h"
#include "platform/host/registry/registry_defaults.h"
#include "platform/host/registry/registry_file.h"

namespace velsetup::host {
namespace {

using testing::ReadHostFile;
using testing::ScratchDir;
using testing::WriteHostFile;
namespace key = registry_key;

constexpr uint32_t kAll = registry_access::kAllAccess;

// One simulated machine's registry, of the Windows `os` names, with the
// registry.reg a new machine gets unless the directory has one.
class Machine {
 public:
  explicit Machine(const std::string& os, const std::string& dir) : path_(dir + "/registry.reg") {
    OsVersionFor(os, &config_.version);
    config_.os_name = os;
    if (!testing::HostExists(path_)) WriteHostFile(path_, DefaultRegistryText(config_));
    system_ = std::make_unique<HostSystem>(config_, "C:\\t.exe", last_error_, events_);
    registry_ = std::make_unique<HostRegistry>(path_, config_, *system_);
  }
  HostRegistry& reg() { return *registry_; }
  HostSystem& system() { return *system_; }
  const std::string& path() const { return path_; }

  RegistryKey Create(RegistryKey base, const char* path, uint32_t options = 0) {
    RegistryKey result = 0;
    EXPECT_EQ(registry_->RegCreateKeyExA(base, path, options, kAll, &result), 0) << path;
    return result;
  }
  int32_t SetText(RegistryKey k, const char* name, const std::string& text) {
    return registry_->RegSetValueExA(k, name, registry_type::kString,
                                     reinterpret_cast<const uint8_t*>(text.c_str()),
                                     static_cast<uint32_t>(text.size() + 1));
  }
  std::string Enum(RegistryKey k, uint32_t index) {
    char name[300];
    const int32_t code = registry_->RegEnumKeyA(k, index, name, sizeof name);
    return code == 0 ? std::string(name) : "#" + std::to_string(code);
  }
  // What registry.reg holds now, parsed afresh.
  RegistryTree OnDisk() {
    RegistryTree tree;
    std::string error;
    EXPECT_TRUE(ParseRegistryFile(ReadHostFile(path_), &tree, &error)) << error;
    return tree;
  }

 private:
  std::string path_;
  MachineConfig config_;
  LastError last_error_;
  EventLog events_{"/dev/null"};
  std::unique_ptr<HostSystem> system_;
  std::unique_ptr<HostRegistry> registry_;
};

TEST(HostRegistryTest, NamesAreCaseBlindKeepTheirCaseAndKeysAreMadeOnTheWay) {
  ScratchDir dir;
  Machine m("win2000", dir.path());
  const RegistryKey kit = m.Create(key::kLocalMachine, "Software\\Velmor\\Kit Tools\\");
  ASSERT_EQ(m.SetText(kit, "InstallDir", "C:\\KIT"), 0);
  ASSERT_EQ(m.SetText(kit, "INSTALLDIR", "D:\\KIT"), 0);  // the same value

  RegistryKey again = 0;
  ASSERT_EQ(m.reg().RegOpenKeyExA(key::kLocalMachine, "SOFTWARE\\VELMOR\\kit tools", 0,
                                  registry_access::kRead, &again), 0);
  uint32_t type = 0, size = 0;
  ASSERT_EQ(m.reg().RegQueryValueExA(again, "installdir", &type, nullptr, &size), 0);
  EXPECT_EQ(type, registry_type::kString);
  EXPECT_EQ(size, 7u);
  RegistryKey velmor = 0;
  ASSERT_EQ(m.reg().RegOpenKeyExA(key::kLocalMachine, "software\\velmor", 0, kAll, &velmor), 0);
  EXPECT_EQ(m.Enum(velmor, 0), "Kit Tools");
  const RegistryTree disk = m.OnDisk();
  const RegistryNode* stored = disk.Find(Hive::kLocalMachine, {"SOFTWARE", "Velmor", "Kit Tools"});
  ASSERT_NE(stored, nullptr);
  ASSERT_EQ(stored->values().size(), 1u);
  EXPECT_EQ(stored->values()[0].name, "InstallDir");
  EXPECT_EQ(stored->values()[0].data, std::string("D:\\KIT", 7));

  // A predefined key opened without a sub key is itself; a handle is new.
  RegistryKey same = 0;
  EXPECT_EQ(m.reg().RegOpenKeyExA(key::kCurrentUser, "", 0, kAll, &same), 0);
  EXPECT_EQ(same, key::kCurrentUser);
  EXPECT_EQ(m.reg().RegOpenKeyExA(kit, nullptr, 0, kAll, &same), 0);
  EXPECT_NE(same, kit);
  for (RegistryKey k : {kit, again, velmor, same}) EXPECT_EQ(m.reg().RegCloseKey(k), 0);
}

TEST(HostRegistryTest, QueriesFollowTheBufferContract) {
  ScratchDir dir;
  Machine m("nt4", dir.path());
  const RegistryKey k = m.Create(key::kCurrentUser, "Software\\Q");
  ASSERT_EQ(m.SetText(k, "", "default"), 0);
  ASSERT_EQ(m.reg().RegSetValueExA(k, "Bare", registry_type::kString,
                                   reinterpret_cast<const uint8_t*>("abc"), 3), 0);
  uint8_t buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  uint32_t size = 4, type = 0;
  EXPECT_EQ(m.reg().RegQueryValueExA(k, nullptr, &type, buffer, &size), 234);
  EXPECT_EQ(size, 8u);  // "default" and its zero
  EXPECT_EQ(buffer[0], '#');
  size = sizeof buffer;
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "", &type, buffer, &size), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "default");
  // A string stored without its zero gets one where the buffer has room.
  std::memset(buffer, '#', sizeof buffer);
  size = 3;
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "bare", nullptr, buffer, &size), 0);
  EXPECT_EQ(buffer[3], '#');
  size = 4;
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "bare", nullptr, buffer, &size), 0);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(buffer[3], 0);
  // A missing value: 2; a size query learns 0, a read leaves the size alone.
  size = 77;
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "none", nullptr, nullptr, &size), 2);
  EXPECT_EQ(size, 0u);
  size = 9;
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "none", nullptr, buffer, &size), 2);
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "", nullptr, buffer, nullptr), 87);
  EXPECT_EQ(m.reg().RegDeleteValueA(k, "NONE"), 2);
  EXPECT_EQ(m.reg().RegDeleteValueA(k, "BARE"), 0);
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "bare", nullptr, nullptr, &size), 2);
}

TEST(HostRegistryTest, TheNtFamilyRefusesWhatItRefuses) {
  ScratchDir dir;
  Machine m("win2000", dir.path());
  const RegistryKey tree = m.Create(key::kLocalMachine, "Software\\T\\A\\B");
  RegistryKey result = 99;
  EXPECT_EQ(m.reg().RegOpenKeyExA(key::kLocalMachine, "Software\\Missing", 0, kAll, &result), 2);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(m.reg().RegDeleteKeyA(key::kLocalMachine, "Software\\Missing"), 2);
  EXPECT_EQ(m.reg().RegDeleteKeyA(key::kLocalMachine, "Software\\T"), 5);  // has subkeys
  EXPECT_NE(m.OnDisk().Find(Hive::kLocalMachine, {"Software", "T", "A", "B"}), nullptr);
  EXPECT_EQ(m.reg().RegDeleteKeyA(key::kLocalMachine, ""), 5);  // never a whole hive
  EXPECT_EQ(m.reg().RegDeleteKeyA(key::kLocalMachine, nullptr), 5);  // the key itself on 2000
  EXPECT_EQ(m.reg().RegCreateKeyExA(key::kLocalMachine, "\\Software", 0, kAll, &result), 161);
  EXPECT_EQ(m.reg().RegCreateKeyExA(key::kLocalMachine, (std::string(256, 'n')).c_str(), 0,
                                    kAll, &result), 87);
  EXPECT_EQ(m.reg().RegCreateKeyExA(key::kLocalMachine, (std::string(255, 'n')).c_str(), 0,
                                    kAll, &result), 0);
  EXPECT_EQ(m.SetText(tree, std::string(260, 'v').c_str(), "x"), 0);
  EXPECT_EQ(m.SetText(tree, std::string(261, 'v').c_str(), "x"), 234);
  EXPECT_EQ(m.reg().RegSetValueExA(tree, "x", 1, nullptr, 4), 998);

  // Bad handles: never issued, closed, null; hives the family lacks.
  EXPECT_EQ(m.reg().RegCloseKey(tree), 0);
  EXPECT_EQ(m.reg().RegCloseKey(tree), 6);
  EXPECT_EQ(m.SetText(tree, "x", "y"), 6);
  EXPECT_EQ(m.reg().RegEnumKeyA(0x1234, 0, nullptr, 0), 6);
  EXPECT_EQ(m.reg().RegFlushKey(key::kNone), 6);
  EXPECT_EQ(m.reg().RegOpenKeyExA(key::kDynData, "PerfStats", 0, kAll, &result), 6);
  EXPECT_EQ(m.reg().RegOpenKeyExA(key::kPerformanceData, "Global", 0, kAll, &result), 6);
  EXPECT_EQ(m.reg().RegCloseKey(key::kPerformanceData), 0);

  // A handle's access is kept: a read-only handle sets nothing.
  RegistryKey read_only = 0;
  ASSERT_EQ(m.reg().RegOpenKeyExA(key::kLocalMachine, "Software\\T", 0, registry_access::kRead,
                                  &read_only), 0);
  EXPECT_EQ(m.SetText(read_only, "x", "y"), 5);
  EXPECT_EQ(m.reg().RegDeleteValueA(read_only, "x"), 5);
  EXPECT_EQ(m.Enum(read_only, 0), "A");
}

TEST(HostRegistryTest, TheNineXFamilyDeletesTreesAndHasItsOwnHive) {
  ScratchDir dir;
  Machine m("win98", dir.path());
  RegistryKey leaf = m.Create(key::kLocalMachine, "Software\\T\\A\\B");
  RegistryKey result = 0;
  EXPECT_EQ(m.reg().RegCreateKeyExA(key::kLocalMachine, "\\Software\\Lead", 0, kAll, &result), 0);
  EXPECT_EQ(m.reg().RegDeleteKeyA(key::kLocalMachine, "Software\\T"), 0);
  EXPECT_EQ(m.OnDisk().Find(Hive::kLocalMachine, {"Software", "T"}), nullptr);
  EXPECT_NE(m.OnDisk().Find(Hive::kLocalMachine, {"Software", "Lead"}), nullptr);
  EXPECT_EQ(m.SetText(leaf, "x", "y"), 1018);  // the handle's key went with the tree
  EXPECT_EQ(m.reg().RegDeleteKeyA(key::kLocalMachine, nullptr), 1010);
  EXPECT_EQ(m.reg().RegOpenKeyExA(key::kDynData, "PerfStats", 0, kAll, &result), 0);
  EXPECT_EQ(m.reg().RegOpenKeyExA(key::kPerformanceData, "", 0, kAll, &result), 1010);
  // No security: the option and the access asked for change nothing.
  RegistryKey backup = m.Create(key::kCurrentUser, "Software\\B", registry_option::kBackupRestore);
  EXPECT_EQ(m.SetText(backup, "x", "y"), 0);
  EXPECT_EQ(m.SetText(backup, std::string(256, 'v').c_str(), "y"), 87);
  EXPECT_EQ(m.reg().RegCloseKey(backup), 0);
  EXPECT_EQ(m.reg().RegCloseKey(backup), 0);  // a second close is no error there
  EXPECT_EQ(m.reg().RegCloseKey(key::kNone), 1010);
  EXPECT_EQ(m.SetText(0xABC0, "x", "y"), 1010);
}

TEST(HostRegistryTest, EnumerationRenumbersAfterADeleteAndCutsNothing) {
  ScratchDir dir;
  Machine m("nt4", dir.path());
  const RegistryKey root = m.Create(key::kCurrentUser, "Software\\E");
  for (const char* name : {"charlie", "Alpha", "bravo"}) m.reg().RegCloseKey(m.Create(root, name));
  EXPECT_EQ(m.Enum(root, 0), "Alpha");
  EXPECT_EQ(m.Enum(root, 1), "bravo");
  EXPECT_EQ(m.Enum(root, 2), "charlie");
  EXPECT_EQ(m.Enum(root, 3), "#259");
  char small[6];
  std::memset(small, '#', sizeof small);
  EXPECT_EQ(m.reg().RegEnumKeyA(root, 1, small, 6), 0);  // "bravo" and its zero
  EXPECT_STREQ(small, "bravo");
  EXPECT_EQ(m.reg().RegEnumKeyA(root, 1, small, 5), 234);
  ASSERT_EQ(m.reg().RegDeleteKeyA(root, "BRAVO"), 0);
  EXPECT_EQ(m.Enum(root, 1), "charlie");
  EXPECT_EQ(m.Enum(root, 2), "#259");
  // Removing a tree as the tool does: always index 0, until no more items.
  while (m.Enum(root, 0)[0] != '#') ASSERT_EQ(m.reg().RegDeleteKeyA(root, m.Enum(root, 0).c_str()), 0);
  EXPECT_EQ(m.Enum(root, 0), "#259");
}

TEST(HostRegistryTest, AHandleToADeletedKeyFailsUntilItIsClosed) {
  ScratchDir dir;
  Machine m("win2000", dir.path());
  const RegistryKey k = m.Create(key::kCurrentUser, "Software\\Gone");
  ASSERT_EQ(m.reg().RegDeleteKeyA(key::kCurrentUser, "software\\gone"), 0);
  RegistryKey result = 0;
  uint32_t size = 0;
  EXPECT_EQ(m.SetText(k, "x", "y"), 1018);
  EXPECT_EQ(m.reg().RegQueryValueExA(k, "x", nullptr, nullptr, &size), 1018);
  EXPECT_EQ(m.reg().RegEnumKeyA(k, 0, nullptr, 0), 1018);
  EXPECT_EQ(m.reg().RegCreateKeyExA(k, "child", 0, kAll, &result), 1018);
  EXPECT_EQ(m.reg().RegOpenKeyExA(k, "", 0, kAll, &result), 1018);
  EXPECT_EQ(m.reg().RegFlushKey(k), 1018);
  EXPECT_EQ(m.reg().RegCloseKey(k), 0);
  // The key deleted through its own handle.
  const RegistryKey self = m.Create(key::kCurrentUser, "Software\\Self");
  EXPECT_EQ(m.reg().RegDeleteKeyA(self, ""), 0);
  EXPECT_EQ(m.reg().RegFlushKey(self), 1018);
}

TEST(HostRegistryTest, BackupRestoreOpensNeedTheTokensPrivilegesOnNt) {
  ScratchDir dir;
  Machine m("win2000", dir.path());
  RegistryKey result = 0;
  EXPECT_EQ(m.reg().RegCreateKeyExA(key::kLocalMachine, "Software\\P", registry_option::kBackupRestore,
                                    kAll, &result), 5);
  EXPECT_EQ(m.OnDisk().Find(Hive::kLocalMachine, {"Software", "P"}), nullptr);
  ASSERT_TRUE(m.system().OpenProcessToken());
  ASSERT_TRUE(m.system().EnablePrivilege("SeBackupPrivilege"));
  EXPECT_TRUE(m.system().IsPrivilegeEnabled("sebackupprivilege"));
  const RegistryKey reader =
      m.Create(key::kLocalMachine, "Software\\P", registry_option::kBackupRestore);
  EXPECT_EQ(m.SetText(reader, "x", "y"), 5);  // backup alone reads
  ASSERT_TRUE(m.system().EnablePrivilege("SeRestorePrivilege"));
  const RegistryKey writer =
      m.Create(key::kLocalMachine, "Software\\P", registry_option::kBackupRestore);
  EXPECT_EQ(m.SetText(writer, "x", "y"), 0);
  EXPECT_FALSE(m.system().IsPrivilegeEnabled("SeShutdownPrivilege"));
}

TEST(HostRegistryTest, VolatileKeysStayOutOfTheFile) {
  ScratchDir dir;
  Machine m("win2000", dir.path());
  const RegistryKey v = m.Create(key::kLocalMachine, "Software\\Run", registry_option::kVolatile);
  EXPECT_EQ(m.SetText(v, "x", "y"), 0);
  RegistryKey result = 0;
  EXPECT_EQ(m.reg().RegCreateKeyExA(v, "Stable", 0, kAll, &result), 1021);
  EXPECT_EQ(m.reg().RegCreateKeyExA(v, "Fleeting", registry_option::kVolatile, kAll, &result), 0);
  EXPECT_EQ(m.OnDisk().Find(Hive::kLocalMachine, {"Software", "Run"}), nullptr);
  EXPECT_EQ(m.Enum(v, 0), "Fleeting");
}

TEST(HostRegistryTest, EveryChangeIsOnDiskAndChangesOnDiskAreSeen) {
  ScratchDir dir;
  Machine first("win2000", dir.path());
  std::string error;
  ASSERT_TRUE(first.reg().Open(&error)) << error;
  const RegistryKey k = first.Create(key::kCurrentUser, "Software\\D");
  ASSERT_EQ(first.SetText(k, "A", "1"), 0);
  ASSERT_NE(first.OnDisk().Find(Hive::kCurrentUser, {"Software", "D"}), nullptr);

  Machine second("win2000", dir.path());
  ASSERT_TRUE(second.reg().Open(&error)) << error;
  RegistryKey seen = 0;
  ASSERT_EQ(second.reg().RegOpenKeyExA(key::kCurrentUser, "Software\\D", 0, kAll, &seen), 0);
  ASSERT_EQ(second.SetText(seen, "B", "2"), 0);
  // The first notices the second's write and its handle follows its key.
  uint32_t size = 0;
  EXPECT_EQ(first.reg().RegQueryValueExA(k, "B", nullptr, nullptr, &size), 0);
  EXPECT_EQ(size, 2u);
  ASSERT_EQ(second.reg().RegDeleteKeyA(key::kCurrentUser, "Software\\D"), 0);
  EXPECT_EQ(first.SetText(k, "C", "3"), 1018);

  // A file that cannot be parsed is reported and never overwritten.
  const std::string broken = "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\nnot a value\r\n";
  WriteHostFile(first.path(), broken);
  EXPECT_EQ(first.reg().RegCreateKeyExA(key::kCurrentUser, "Y", 0, kAll, &seen), 1009);
  EXPECT_EQ(ReadHostFile(first.path()), broken);
  Machine third("win2000", dir.path());
  EXPECT_FALSE(third.reg().Open(&error));
  EXPECT_NE(error.find("registry.reg: line 3: cannot be read"), std::string::npos) << error;
  WriteHostFile(first.path(), "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"v\"=dword:00000007\r\n");
  RegistryKey x = 0;
  ASSERT_EQ(first.reg().RegOpenKeyExA(key::kCurrentUser, "x", 0, kAll, &x), 0);
  EXPECT_EQ(first.reg().RegQueryValueExA(x, "V", nullptr, nullptr, &size), 0);
  EXPECT_EQ(size, 4u);
  // The hives the hand-written file left out are there, empty.
  EXPECT_NE(first.Create(key::kCurrentConfig, "Software"), 0u);
}

TEST(HostRegistryTest, TheMachineGetsARegistryAndKeepsAUsersOne) {
  ScratchDir dir;
  WriteHostFile(dir / "machine.ini", "[Machine]\nOS=win95\n[Drives]\nZ=\n");
  std::string error;
  auto machine = HostPlatform::Open(dir.path(), "/velsetup", &error);
  ASSERT_TRUE(machine) << error;
  const std::string made = ReadHostFile(dir / "registry.reg");
  EXPECT_EQ(made.rfind("REGEDIT4\r\n", 0), 0u);
  EXPECT_NE(made.find("[HKEY_DYN_DATA]"), std::string::npos);
  RegistryKey k = 0;
  Platform platform = machine->platform();
  ASSERT_NE(platform.registry, nullptr);
  ASSERT_EQ(platform.registry->RegCreateKeyExA(key::kLocalMachine, "SOFTWARE\\Kit", 0, kAll, &k), 0);
  machine.reset();

  const std::string users = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Mine]\n";
  WriteHostFile(dir / "registry.reg", users);
  ASSERT_TRUE(HostPlatform::Open(dir.path(), "/velsetup", &error)) << error;
  EXPECT_EQ(ReadHostFile(dir / "registry.reg"), users);
  WriteHostFile(dir / "registry.reg", "REGEDIT5\n");
  EXPECT_FALSE(HostPlatform::Open(dir.path(), "/velsetup", &error));
  EXPECT_NE(error.find("not a registry file"), std::string::npos) << error;
  EXPECT_EQ(ReadHostFile(dir / "registry.reg"), "REGEDIT5\n");
}

}  // namespace
}  // namespace velsetup::host
