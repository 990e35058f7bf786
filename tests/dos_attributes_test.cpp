#include "platform/host/files/dos_attributes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "host_test_support.h"

namespace velsetup::host {
namespace {

using testing::HostExists;
using testing::ReadHostFile;
using testing::ScratchDir;
using testing::ShellOutput;
using testing::WriteHostFile;

TEST(DosAttributesTest, ReadsTheFormsTheAttributeMayHold) {
  uint32_t bits = 0;
  EXPECT_TRUE(ParseDosAttributes("0x21", &bits));
  EXPECT_EQ(bits, 0x21u);
  EXPECT_TRUE(ParseDosAttributes(std::string("0x3\0", 4), &bits));
  EXPECT_EQ(bits, 0x3u);
  EXPECT_TRUE(ParseDosAttributes("33", &bits));
  EXPECT_EQ(bits, 33u);
  EXPECT_TRUE(ParseDosAttributes(std::string("\x01", 1), &bits));  // setfattr -v 0x01
  EXPECT_EQ(bits, 1u);
  EXPECT_TRUE(ParseDosAttributes(" ", &bits));  // one raw byte 0x20
  EXPECT_EQ(bits, 0x20u);
  EXPECT_FALSE(ParseDosAttributes("0x", &bits));
  EXPECT_FALSE(ParseDosAttributes("0xZZ", &bits));
  EXPECT_FALSE(ParseDosAttributes("readonly", &bits));
  EXPECT_EQ(FormatDosAttributes(0x21), "0x21");
}

TEST(DosAttributesTest, DefaultsForFilesAndDirectories) {
  ScratchDir dir;
  WriteHostFile(dir / "f", "x");
  DosAttributes attributes;
  EXPECT_EQ(attributes.Reported(dir / "f", false), 0x20u);
  EXPECT_EQ(attributes.Reported(dir.path(), true), 0x10u);
  ASSERT_EQ(attributes.Store(dir / "f", 0), 0u);
  EXPECT_EQ(attributes.Reported(dir / "f", false), 0x80u);  // FILE_ATTRIBUTE_NORMAL
  ASSERT_EQ(attributes.Store(dir.path(), 0x2 | 0x10), 0u);  // the directory bit is not stored
  EXPECT_EQ(attributes.Reported(dir.path(), true), 0x12u);
}

TEST(DosAttributesTest, SharesTheExtendedAttributeWithTheAttrTools) {
  if (std::system("command -v getfattr >/dev/null && command -v setfattr >/dev/null") != 0) {
    GTEST_SKIP() << "the attr tools are not installed";
  }
  ScratchDir dir;
  const std::string file = dir / "f.txt";
  WriteHostFile(file, "x");
  DosAttributes attributes;
  ASSERT_EQ(attributes.Store(file, 0x1 | 0x2), 0u);
  EXPECT_EQ(ShellOutput("getfattr --only-values -n user.DOSATTRIB '" + file + "' 2>/dev/null"), "0x3");
  EXPECT_FALSE(HostExists(DosAttributes::SidecarOf(file)));

  ASSERT_EQ(std::system(("setfattr -n user.DOSATTRIB -v '\"0x4\"' '" + file + "'").c_str()), 0);
  EXPECT_EQ(attributes.Reported(file, false), 0x4u);
  ASSERT_EQ(std::system(("setfattr -n user.DOSATTRIB -v 0x21 '" + file + "'").c_str()), 0);
  EXPECT_EQ(attributes.Reported(file, false), 0x21u);
  EXPECT_TRUE(attributes.IsReadOnly(file));
}

TEST(DosAttributesTest, KeepsASidecarThatNoWindowsPathCanName) {
  ScratchDir dir;
  const std::string file = dir / "f.txt";
  WriteHostFile(file, "x");
  DosAttributes attributes(/*use_xattrs=*/false);
  ASSERT_EQ(attributes.Store(file, 0x1), 0u);
  EXPECT_EQ(ReadHostFile(dir / "f.txt:DOSATTRIB"), "0x1");
  EXPECT_TRUE(attributes.IsReadOnly(file));
  EXPECT_TRUE(DosAttributes::IsSimulationFile("f.txt:DOSATTRIB"));
  EXPECT_FALSE(DosAttributes::IsSimulationFile("f.txt"));
  attributes.Forget(file);
  EXPECT_FALSE(HostExists(dir / "f.txt:DOSATTRIB"));
  EXPECT_EQ(attributes.Reported(file, false), 0x20u);
  // A sidecar carried over from such a file system still counts where
  // xattrs work, until the next store replaces it.
  WriteHostFile(dir / "f.txt:DOSATTRIB", "0x1");
  DosAttributes with_xattrs;
  EXPECT_TRUE(with_xattrs.IsReadOnly(file));
  ASSERT_EQ(with_xattrs.Store(file, 0x20), 0u);
  EXPECT_FALSE(HostExists(dir / "f.txt:DOSATTRIB"));
  EXPECT_FALSE(with_xattrs.IsReadOnly(file));
}

}  // namespace
}  // namespace velsetup::host
