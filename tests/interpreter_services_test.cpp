// The services the interpreter and its commands share, on a simulated
// machine in the test process: section reads and their growth, version
// queries, program paths, error texts and system-ID lists.
#include <gtest/gtest.h>

#include <string>

#include "engine/run_state.h"
#include "machine_run_fixture.h"
#include "engine/platform_queries.h"
#include "engine/section_reader.h"
#include "services/text_helpers.h"

namespace velsetup::testing {
namespace {

// A section of `lines` lines "key<n>=<value>" of `width` characters each.
std::string SectionText(int lines, int width) {
  std::string text = "[Big]\r\n";
  for (int i = 0; i < lines; ++i) {
    std::string line = "key" + std::to_string(i) + "=";
    line.resize(static_cast<size_t>(width), 'v');
    text += line + "\r\n";
  }
  return text;
}

// The block a section of SectionText lines gives when read whole.
std::string WholeBlock(int lines, int width) {
  std::string block;
  for (int i = 0; i < lines; ++i) {
    std::string line = "key" + std::to_string(i) + "=";
    line.resize(static_cast<size_t>(width), 'v');
    block += line + '\0';
  }
  return block + '\0';
}

using SectionReaderTest = MachineRunTest;

TEST_F(SectionReaderTest, GrowsUntilTheSectionFits) {
  WriteC(kScript, SectionText(10, 29));  // 300 bytes of lines: a second round at 520
  const std::optional<std::string> block = ReadSection("big", kScript);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, WholeBlock(10, 29));
  EXPECT_EQ(GetProfileSectionSize("BIG", kScript), 300u);
  EXPECT_FALSE(ReadSection("missing", kScript));
  EXPECT_EQ(GetProfileSectionSize("missing", kScript), 0u);
}

TEST_F(SectionReaderTest, StopsBelowTheWindows9xLimitWithACutBlock) {
  WriteC(kScript, SectionText(500, 39));  // 20,000 bytes
  const std::optional<std::string> block = ReadSection("Big", kScript);
  ASSERT_TRUE(block);
  // The last buffer holds 16,638 characters: 415 whole lines of 40 with
  // their zeros, then the start of the 416th, which is left out.
  EXPECT_EQ(*block, WholeBlock(415, 39));
  const std::vector<std::string> log = TakeLog();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0], "velsetup.exe> WARINING -=-Section Size is to large for Win9X");
}

TEST_F(SectionReaderTest, ReadsLargeSectionsWholeOnTheNtFamily) {
  OpenMachine("OS=win2000");
  WriteC(kScript, SectionText(500, 39));
  const std::optional<std::string> block = ReadSection("Big", kScript);
  ASSERT_TRUE(block);
  EXPECT_EQ(*block, WholeBlock(500, 39));
  EXPECT_TRUE(TakeLog().empty());
  // The size probe keeps its limit everywhere.
  EXPECT_EQ(GetProfileSectionSize("Big", kScript), 16640u);
}

TEST_F(SectionReaderTest, BlockLinesStopAtTheEmptyLine) {
  const std::string block("a=1\0;note\0b\0\0junk\0", 19);
  const std::vector<std::string_view> lines = BlockLines(block);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1], ";note");
  EXPECT_EQ(lines[2], "b");
}

class VersionQueryTest : public MachineRunTest,
                         public ::testing::WithParamInterface<const char*> {};

TEST_P(VersionQueryTest, ExactlyOneOfTheFourVersionsOrNone) {
  const std::string os = GetParam();
  OpenMachine("OS=" + os);
  EXPECT_EQ(IsWin95(), os == "win95");
  EXPECT_EQ(IsWin98(), os == "win98");
  EXPECT_EQ(IsNT4(), os == "nt4");
  EXPECT_EQ(IsWin2000(), os == "win2000");
}

INSTANTIATE_TEST_SUITE_P(Machines, VersionQueryTest,
                         ::testing::Values("win95", "win98", "winme", "nt4", "win2000", "winxp"));

using PrivilegeTest = MachineRunTest;

TEST_F(PrivilegeTest, EachRefusalIsLoggedAndTheOthersGoOn) {
  OpenMachine("OS=nt4\nFailPrivileges=SeRestorePrivilege");
  EnablePrivileges();
  const std::vector<std::string> log = TakeLog();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], "velsetup.exe> NOTICE: adjusting token privilege for : SE_SHUTDOWN_NAME");
  EXPECT_EQ(log[1], "velsetup.exe> NOTICE: adjusting token privilege for : SE_RESTORE_NAME");
  EXPECT_EQ(log[2].rfind("velsetup.exe> ERROR: adjusting token privilege -> ", 0), 0u) << log[2];
  EXPECT_EQ(log[3], "velsetup.exe> NOTICE: adjusting token privilege for : SE_BACKUP_NAME");
}

TEST_F(PrivilegeTest, NothingOnTheWindows9xFamily) {
  EnablePrivileges();
  EXPECT_TRUE(TakeLog().empty());
}

using TextHelperTest = MachineRunTest;

TEST_F(TextHelperTest, SplitProgramPathTakesTheFirstWord) {
  std::string directory, file;
  ASSERT_TRUE(SplitProgramPath("C:\\setup.exe /s", &directory, &file));
  EXPECT_EQ(directory, "C:\\");
  EXPECT_EQ(file, "setup.exe");
  ASSERT_TRUE(SplitProgramPath("C:\\Program Files\\x.exe", &directory, &file));
  EXPECT_EQ(directory, "C:\\");  // cut at the blank: "C:\Program" splits at its backslash
  EXPECT_EQ(file, "Program");
  ASSERT_TRUE(SplitProgramPath("\"C:\\Program Files\\x.exe\" /s", &directory, &file));
  EXPECT_EQ(directory, "C:\\Program Files");
  EXPECT_EQ(file, "x.exe");
  ASSERT_TRUE(SplitProgramPath("notepad.exe readme.txt", &directory, &file));
  EXPECT_EQ(directory, "C:\\");  // the machine's current directory
  EXPECT_EQ(file, "notepad.exe");
  ASSERT_TRUE(SplitProgramPath("D:tool.exe", &directory, &file));
  EXPECT_EQ(file, "tool.exe");
  EXPECT_FALSE(SplitProgramPath(nullptr, &directory, &file));
}

TEST_F(TextHelperTest, SplitProgramPathCutsToItsBuffers) {
  std::string directory, file;
  const std::string long_name(400, 'n');
  ASSERT_TRUE(SplitProgramPath(("C:\\d\\" + long_name).c_str(), &directory, &file));
  EXPECT_EQ(directory, "C:\\d");
  EXPECT_EQ(file.size(), 259u - 5);  // the 259 characters that count, less "C:\d\"
  ASSERT_TRUE(SplitProgramPath(("C:\\" + long_name + "\\x.exe").c_str(), &directory, &file));
  EXPECT_LE(directory.size(), 259u);
}

TEST_F(TextHelperTest, ErrorCodeTextKeepsItsLineBreakAndIsCut) {
  std::string text;
  EXPECT_EQ(GetErrorCodeText(&text, 2), 2u);
  ASSERT_GE(text.size(), 2u);
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  GetErrorCodeText(&text, 2, 10);
  EXPECT_EQ(text.size(), 9u);
  GetErrorCodeText(&text, 0xDEAD);
  EXPECT_EQ(text, "");
}

TEST_F(TextHelperTest, SystemIdIsFoundInEachOfItsForms) {
  velsetup::Run().cmd_param0 = "Ids";
  auto listed = [&](const std::string& line, uint16_t id) {
    WriteC(kScript, "[Ids]\r\n; 0x0a1b\r\n" + line + "\r\n");
    return IsSystemIdListed(id);
  };
  EXPECT_TRUE(listed("  0x0a1b  ", 0x0A1B));
  EXPECT_TRUE(listed("0X0A1B", 0x0A1B));
  EXPECT_TRUE(listed("a1b", 0x0A1B));
  EXPECT_TRUE(listed("2587", 0x0A1B));
  EXPECT_FALSE(listed("0x0a1c", 0x0A1B));
  for (const char* form : {"0X05", "0X005", "0X0005", "5", "05", "005", "0005"}) {
    EXPECT_TRUE(listed(form, 5)) << form;
  }
  EXPECT_FALSE(listed("0X5", 5));
  EXPECT_FALSE(listed("x", 0x0A1B));  // only the comment names it
  TakeLog();
  velsetup::Run().cmd_param0 = "Missing";
  EXPECT_FALSE(IsSystemIdListed(5));
  EXPECT_EQ(TakeLog(), std::vector<std::string>{"velsetup.exe> ERROR-=- Missing the Data section"});
}

}  // namespace
}  // namespace velsetup::testing
