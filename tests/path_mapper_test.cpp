#include "platform/host/files/path_mapper.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host_test_support.h"
#include "platform/platform.h"

namespace velsetup::host {
namespace {

using testing::HostExists;
using testing::ScratchDir;
using testing::WriteHostFile;

WindowsPath Full(const std::string& text) {
  WindowsPath path;
  EXPECT_TRUE(ParseAbsoluteWindowsPath(text, &path)) << text;
  return path;
}

std::string FullText(const std::string& path, const std::string& current = "C:\\work\\sub") {
  WindowsPath full;
  const uint32_t error = ParseWindowsPath(path, Full(current), &full);
  return error == 0 ? full.Text() : "error " + std::to_string(error);
}

TEST(WindowsPathTest, FormsTheFullPathAsWindowsDoes) {
  EXPECT_EQ(FullText("C:/a\\b//c"), "C:\\a\\b\\c");
  EXPECT_EQ(FullText("c:\\a\\.\\b\\..\\c\\"), "C:\\a\\c");
  EXPECT_EQ(FullText("C:\\..\\..\\x"), "C:\\x");  // never above the root
  EXPECT_EQ(FullText("C:\\dir. \\name.txt.."), "C:\\dir\\name.txt");
  EXPECT_EQ(FullText("C:\\a\\...\\b"), "C:\\a\\b");
  EXPECT_EQ(FullText("file.ini"), "C:\\work\\sub\\file.ini");
  EXPECT_EQ(FullText("..\\up"), "C:\\work\\up");
  EXPECT_EQ(FullText("\\rooted"), "C:\\rooted");
  EXPECT_EQ(FullText("C:rel"), "C:\\work\\sub\\rel");
  EXPECT_EQ(FullText("D:rel"), "D:\\rel");
  EXPECT_EQ(FullText("d:\\"), "D:\\");
}

TEST(WindowsPathTest, RefusesWhatWindowsRefuses) {
  EXPECT_EQ(FullText(""), "error 3");
  EXPECT_EQ(FullText("\\\\server\\share\\a"), "error 3");
  EXPECT_EQ(FullText("C:\\a*.txt"), "error 123");
  EXPECT_EQ(FullText("C:\\a\\b:c"), "error 123");
  EXPECT_EQ(FullText("C:\\a\tb"), "error 123");
  const std::string name(256, 'n');
  EXPECT_EQ(FullText("C:\\" + name), "error 206");
  // 259 characters is the most a path may have; the terminator makes 260.
  const std::string longest = "C:\\" + std::string(254, 'a') + "\\bc";
  ASSERT_EQ(longest.size(), 260u);
  EXPECT_EQ(FullText(longest.substr(0, 259)), longest.substr(0, 259));
  EXPECT_EQ(FullText(longest.substr(0, 260)), "error 206");
  // Relative paths are measured after the current directory is put before them.
  EXPECT_EQ(FullText(std::string(250, 'r')), "error 206");
}

class PathMapperTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    ::mkdir((dir_ / "drive_c").c_str(), 0755);
    ::mkdir((dir_ / "drive_c/WINNT").c_str(), 0755);
    ::mkdir((dir_ / "drive_c/WINNT/system32").c_str(), 0755);
    WriteHostFile(dir_ / "drive_c/WINNT/system32/Kernel32.DLL", "x");
  }
  PathMapper Mapper(const std::string& current = "C:\\") {
    return PathMapper({{'C', dir_ / "drive_c"}, {'Z', "/"}}, Full(current));
  }
  std::string Host(PathMapper& mapper, const std::string& windows, uint32_t* error = nullptr) {
    ResolvedPath resolved;
    const uint32_t code = mapper.Resolve(windows, &resolved);
    if (error != nullptr) *error = code;
    return code == 0 ? resolved.host_path : std::string();
  }
  ScratchDir dir_;
};

TEST_F(PathMapperTest, FindsExistingComponentsCaseBlindAndKeepsTheCaseOfNewOnes) {
  PathMapper mapper = Mapper();
  EXPECT_EQ(Host(mapper, "C:\\WinNT\\System32\\kernel32.dll"),
            dir_ / "drive_c/WINNT/system32/Kernel32.DLL");
  EXPECT_EQ(Host(mapper, "c:/winnt/SYSTEM32/New.Txt"), dir_ / "drive_c/WINNT/system32/New.Txt");
  EXPECT_EQ(Host(mapper, "C:\\"), dir_ / "drive_c");
  EXPECT_EQ(Host(mapper, "C:\\..\\winnt"), dir_ / "drive_c/WINNT");

  // Two names that differ in case only: the exact one wins.
  ::mkdir((dir_ / "drive_c/winnt").c_str(), 0755);
  EXPECT_EQ(Host(mapper, "C:\\winnt"), dir_ / "drive_c/winnt");
  EXPECT_EQ(Host(mapper, "C:\\WINNT"), dir_ / "drive_c/WINNT");
}

TEST_F(PathMapperTest, ReportsMissingDirectoriesAndUnmappedDrives) {
  PathMapper mapper = Mapper();
  uint32_t error = 0;
  ResolvedPath resolved;
  ASSERT_EQ(mapper.Resolve("C:\\WINNT\\absent.txt", &resolved), 0u);
  EXPECT_FALSE(resolved.exists);
  EXPECT_EQ(Host(mapper, "C:\\nodir\\file.txt", &error), "");
  EXPECT_EQ(error, win32_error::kPathNotFound);
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\system32\\kernel32.dll\\x", &error), "");
  EXPECT_EQ(error, win32_error::kPathNotFound);  // a file used as a directory
  EXPECT_EQ(Host(mapper, "Q:\\file.txt", &error), "");
  EXPECT_EQ(error, win32_error::kPathNotFound);
}

TEST_F(PathMapperTest, ADriveWhoseDirectoryIsMissingHasNoPaths) {
  // Mapped, but its directory is absent or a file: every path on it fails
  // as a missing directory, not as a missing last component.
  WriteHostFile(dir_ / "drive_f", "a file");
  PathMapper mapper({{'E', dir_ / "absent"}, {'F', dir_ / "drive_f"}}, Full("C:\\"));
  for (const char* path : {"E:\\file.txt", "E:\\dir\\file.txt", "F:\\file.txt"}) {
    uint32_t error = 0;
    EXPECT_EQ(Host(mapper, path, &error), "") << path;
    EXPECT_EQ(error, win32_error::kPathNotFound) << path;
  }
}

TEST_F(PathMapperTest, RelativePathsStartAtTheMachinesCurrentDirectory) {
  PathMapper mapper = Mapper("C:\\WINNT");
  EXPECT_EQ(Host(mapper, "SYSTEM32\\kernel32.dll"), dir_ / "drive_c/WINNT/system32/Kernel32.DLL");
  EXPECT_EQ(Host(mapper, "..\\x.ini"), dir_ / "drive_c/x.ini");
}

TEST_F(PathMapperTest, SeesEntriesMadeRightAfterALookup) {
  PathMapper mapper = Mapper();
  // Listing cached on a miss, then a file appears within the same instant.
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\system32\\FRESH.TXT"), dir_ / "drive_c/WINNT/system32/FRESH.TXT");
  WriteHostFile(dir_ / "drive_c/WINNT/system32/fresh.txt", "y");
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\system32\\FRESH.TXT"), dir_ / "drive_c/WINNT/system32/fresh.txt");
}

TEST_F(PathMapperTest, AKeptListingIsDroppedWhenTheDirectoryChanges) {
  PathMapper mapper = Mapper();
  // Only a listing of a directory left alone for a while is kept.
  ::usleep(2100 * 1000);
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\SYSTEM32\\KERNEL32.dll"),
            dir_ / "drive_c/WINNT/system32/Kernel32.DLL");
  WriteHostFile(dir_ / "drive_c/WINNT/system32/Later.Txt", "z");
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\system32\\LATER.TXT"), dir_ / "drive_c/WINNT/system32/Later.Txt");
  ASSERT_EQ(::rename((dir_ / "drive_c/WINNT/system32/Later.Txt").c_str(),
                     (dir_ / "drive_c/WINNT/system32/Renamed.txt").c_str()), 0);
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\system32\\later.txt"), dir_ / "drive_c/WINNT/system32/later.txt");
  EXPECT_EQ(Host(mapper, "C:\\WINNT\\system32\\RENAMED.TXT"),
            dir_ / "drive_c/WINNT/system32/Renamed.txt");
}

TEST_F(PathMapperTest, FollowsLinksOnlyWhileTheyStayOnTheDrives) {
  ScratchDir outside;
  WriteHostFile(outside / "secret", "s");
  ASSERT_EQ(::symlink(outside.path().c_str(), (dir_ / "drive_c/out").c_str()), 0);
  ASSERT_EQ(::symlink((dir_ / "drive_c/WINNT").c_str(), (dir_ / "drive_c/in").c_str()), 0);
  PathMapper only_c({{'C', dir_ / "drive_c"}}, Full("C:\\"));
  uint32_t error = 0;
  EXPECT_EQ(Host(only_c, "C:\\out\\secret", &error), "");
  EXPECT_EQ(error, win32_error::kAccessDenied);
  EXPECT_EQ(Host(only_c, "C:\\in\\system32"), dir_ / "drive_c/in/system32");
  // With the host's root as Z:, the same link leads nowhere forbidden.
  PathMapper mapper = Mapper();
  EXPECT_EQ(Host(mapper, "C:\\out\\secret"), dir_ / "drive_c/out/secret");
}

TEST_F(PathMapperTest, MapsHostPathsBackThroughTheLongestDrive) {
  PathMapper mapper = Mapper();
  EXPECT_EQ(mapper.WindowsPathOf("/home/a/s.ini").value_or("-"), "Z:\\home\\a\\s.ini");
  EXPECT_EQ(mapper.WindowsPathOf(dir_ / "drive_c/WINNT/x.ini").value_or("-"), "C:\\WINNT\\x.ini");
  EXPECT_EQ(mapper.WindowsPathOf(dir_ / "drive_c").value_or("-"), "C:\\");
  EXPECT_EQ(mapper.WindowsPathOf(dir_ / "drive_c/../drive_c/./a").value_or("-"), "C:\\a");
  EXPECT_EQ(mapper.WindowsPathOf("/").value_or("-"), "Z:\\");
  PathMapper only_c({{'C', dir_ / "drive_c"}}, Full("C:\\"));
  EXPECT_FALSE(only_c.WindowsPathOf("/home/a/s.ini").has_value());
  EXPECT_FALSE(only_c.WindowsPathOf(dir_ / "drive_cx/a").has_value());
}

}  // namespace
}  // namespace velsetup::host
