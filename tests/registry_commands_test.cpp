// The registry commands' own rules: how an edit line is cut into fields,
// the bytes each data form gives, and the privileges the backup-and-restore
// open needs on the NT family.
#include "commands/registry_commands.h"

#include "commands/registry_edit_line.h"
#include "machine_run_fixture.h"
#include "engine/platform_queries.h"

namespace velsetup {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RegistryEditLineTest, FieldsAreCutAfterTrimmingTheRest) {
  RegistryEditLine line;
  ASSERT_EQ(ParseEditLine(" 1x,  HKLM , Software\\A ,  Name,2 , a, b ,c  ", &line),
            EditLineGap::kComplete);
  EXPECT_EQ(line.action, 1);
  EXPECT_EQ(line.root, "HKLM ");  // a blank before its comma stays
  EXPECT_EQ(line.key, "Software\\A ");
  EXPECT_EQ(line.value_name, "Name");
  EXPECT_EQ(line.type_code, 2);
  EXPECT_EQ(line.data, "a, b ,c");
  RegistryKey key = 0;
  EXPECT_FALSE(RootKeyOf(line.root, &key));
  EXPECT_TRUE(RootKeyOf("hklm", &key));
  EXPECT_EQ(key, registry_key::kLocalMachine);
}

TEST(RegistryEditLineTest, EachMissingCommaIsNamed) {
  RegistryEditLine line;
  EXPECT_EQ(ParseEditLine("; set the flag", &line), EditLineGap::kRoot);
  EXPECT_EQ(ParseEditLine("1,HKLM", &line), EditLineGap::kKey);
  EXPECT_EQ(ParseEditLine("1,HKLM,Key", &line), EditLineGap::kValueName);
  EXPECT_EQ(ParseEditLine("1,HKLM,Key,Name", &line), EditLineGap::kDataType);
  EXPECT_EQ(ParseEditLine("1,HKLM,Key,Name,0", &line), EditLineGap::kData);
  EXPECT_EQ(ParseEditLine("1,HKLM,Key,Name,0,", &line), EditLineGap::kComplete);
  EXPECT_EQ(line.data, "");
}

TEST(RegistryEditLineTest, DataFormsGiveTheBytesTheRegistryStores) {
  EXPECT_EQ(EditLineData(1, "0a0B0c"), (Bytes{0x0a, 0x0b, 0x0c}));
  EXPECT_EQ(EditLineData(1, "ABC"), (Bytes{0xab}));
  EXPECT_EQ(EditLineData(1, "0x10"), (Bytes{0x00, 0x10}));
  EXPECT_EQ(EditLineData(1, "zz"), (Bytes{0x00}));
  EXPECT_EQ(EditLineData(2, "0000000A"), (Bytes{0x0a, 0, 0, 0}));
  EXPECT_EQ(EditLineData(2, "1"), (Bytes{0x10, 0, 0, 0}));
  EXPECT_EQ(EditLineData(2, "123456789A"), (Bytes{0x9a, 0x78, 0x56, 0x34}));
  EXPECT_EQ(EditLineData(2, ""), (Bytes{0, 0, 0, 0}));
  EXPECT_EQ(EditLineData(4, "a"), (Bytes{'a', 0}));  // no second zero for a multi string
  EXPECT_EQ(SingleValueData(2, "1"), (Bytes{'1'}));
  EXPECT_EQ(SingleValueData(0, ""), (Bytes{0}));
  EXPECT_EQ(RegistryTypeOf(4), registry_type::kMultiString);
  EXPECT_EQ(RegistryTypeOf(-1), registry_type::kString);
  EXPECT_EQ(HiveKeyOf("HKCU"), registry_key::kLocalMachine);
  EXPECT_EQ(HiveKeyOf("hkey_users"), registry_key::kUsers);
}

class RegistryPrivilegesTest : public testing::MachineRunTest {};

// Without the backup and restore privileges the NT family refuses the
// multi-line edit's open; the single-value commands do not need them.
TEST_F(RegistryPrivilegesTest, BackupRestoreOpenNeedsThePrivileges) {
  OpenMachine("OS=win2000\nFailPrivileges=SeBackupPrivilege,SeRestorePrivilege");
  WriteC(kScript, "[Edits]\r\n1,HKLM,Software\\T,Flag,2,1\r\n"
                  "[One]\r\nRegHive=HKEY_LOCAL_MACHINE\r\nRegKey=Software\\T\r\nRegValue=V\r\n");
  EnablePrivileges();
  velsetup::Run().cmd_param0 = "Edits";
  TakeLog();
  EXPECT_EQ(Cmd14_MultiRegEdit(), 0u);
  const std::vector<std::string> log = TakeLog();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[1], "velsetup.exe> ERROR opening key:  Software\\T");
  velsetup::Run().cmd_param0 = "One";
  velsetup::Run().current_cmd_number = 3;
  EXPECT_EQ(Cmd03_04_12_SingleRegValue(), 0u);
  EXPECT_EQ(TakeLog(), (std::vector<std::string>{
                           "velsetup.exe> ...adding key:  HKEY_LOCAL_MACHINE\\Software\\T\\V:<>"}));
}

}  // namespace
}  // namespace velsetup
