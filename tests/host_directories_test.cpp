// Listing, creating and removing directories on the simulated machine, with
// the results Windows gives for each case a file command can meet.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host_files_fixture.h"
#include "platform/host/files/dos_wildcard.h"

namespace velsetup::host {
namespace {

using testing::HostExists;
using testing::WriteHostFile;

class HostDirectoriesTest : public testing::HostFilesFixture {
 protected:
  // Every name a search yields, in order; "!<code>" when it fails at once.
  std::vector<std::string> Names(const char* pattern) {
    FindData data;
    const FindHandle search = files_.FindFirstFileA(pattern, &data);
    if (search == kInvalidFind) return {"!" + std::to_string(last_error_.code)};
    std::vector<std::string> names;
    do names.push_back(data.file_name);
    while (files_.FindNextFileA(search, &data));
    EXPECT_EQ(last_error_.code, win32_error::kNoMoreFiles);
    EXPECT_TRUE(files_.FindClose(search));
    return names;
  }
  using Names_t = std::vector<std::string>;
  // Every entry a search yields with its attributes, in order.
  using Listing_t = std::vector<std::pair<std::string, uint32_t>>;
  Listing_t Listing(const char* pattern) {
    FindData data;
    const FindHandle search = files_.FindFirstFileA(pattern, &data);
    if (search == kInvalidFind) return {{"!", last_error_.code}};
    Listing_t seen;
    do seen.emplace_back(data.file_name, data.attributes);
    while (files_.FindNextFileA(search, &data));
    files_.FindClose(search);
    return seen;
  }
};

TEST_F(HostDirectoriesTest, SearchesListEntriesAsNtfsDoes) {
  WriteHostFile(C("dir/b.TXT"), "bb");
  WriteHostFile(C("dir/a.txt"), "a");
  WriteHostFile(C("dir/_under"), "");
  WriteHostFile(C("dir/README"), "");
  ASSERT_EQ(::mkdir(C("dir/Sub").c_str(), 0755), 0);
  // Below a drive's root "." and ".." come first; names follow case-blind,
  // upper-case order ("_" after the letters).
  EXPECT_EQ(Names("C:\\dir\\*.*"),
            (Names_t{".", "..", "a.txt", "b.TXT", "README", "Sub", "_under"}));
  EXPECT_EQ(Names("C:\\dir\\*"), Names("C:\\dir\\*.*"));
  EXPECT_EQ(Names("C:\\dir\\*.txt"), (Names_t{"a.txt", "b.TXT"}));
  EXPECT_EQ(Names("c:/DIR/?.TXT"), (Names_t{"a.txt", "b.TXT"}));
  EXPECT_EQ(Names("C:\\dir\\readme.*"), (Names_t{"README"}));
  EXPECT_EQ(Names("C:\\dir\\*.none"), (Names_t{"!2"}));
  // The root has no "." and "..".
  EXPECT_EQ(Names("C:\\*.*"), (Names_t{"dir"}));
}

TEST_F(HostDirectoriesTest, SearchesForOnePathAndTheirFailures) {
  WriteHostFile(C("dir/a.txt"), "abc");
  // A name without wild cards finds that entry, spelt as it is stored.
  EXPECT_EQ(Names("C:\\DIR"), (Names_t{"dir"}));
  FindData data;
  const FindHandle one = files_.FindFirstFileA("C:\\dir\\A.TXT", &data);
  ASSERT_NE(one, kInvalidFind);
  EXPECT_EQ(data.file_name, "a.txt");
  EXPECT_EQ(data.size, 3u);
  EXPECT_EQ(data.attributes, file_attribute::kArchive);
  files_.FindClose(one);
  // The root and any path ending in a backslash: 2; a missing directory: 3.
  EXPECT_EQ(Names("C:\\"), (Names_t{"!2"}));
  EXPECT_EQ(Names("C:\\dir\\"), (Names_t{"!2"}));
  EXPECT_EQ(Names("C:\\nodir\\"), (Names_t{"!3"}));
  EXPECT_EQ(Names("C:\\nodir\\*.*"), (Names_t{"!3"}));
  EXPECT_EQ(Names("C:\\dir\\missing"), (Names_t{"!2"}));
  EXPECT_EQ(Names("Q:\\*.*"), (Names_t{"!3"}));
  // Handles that are not open searches.
  EXPECT_TRUE(FailedWith(files_.FindNextFileA(12345, &data), win32_error::kInvalidHandle));
  EXPECT_TRUE(FailedWith(files_.FindClose(one), win32_error::kInvalidHandle));
}

TEST_F(HostDirectoriesTest, ListingsShowAttributesAndHideTheSimulation) {
  WriteHostFile(C("dir/ro.txt"), "");
  ASSERT_EQ(attributes_.Store(C("dir/ro.txt"), file_attribute::kReadOnly | file_attribute::kHidden), 0u);
  ASSERT_EQ(::mkdir(C("dir/sub").c_str(), 0755), 0);
  WriteHostFile(C("dir/x.txt:DOSATTRIB"), "0x1");   // a sidecar
  WriteHostFile(C("dir/.copy:1.2"), "unfinished");  // a copy a killed run left
  WriteHostFile(C("dir/bad|name"), "");             // no Windows name
  EXPECT_EQ(Listing("C:\\dir\\*.*"),
            (Listing_t{{".", 0x10}, {"..", 0x10}, {"ro.txt", 0x3}, {"sub", 0x10}}));
}

TEST_F(HostDirectoriesTest, ListingsReadTheSidecarsBesideTheirEntries) {
  // Files without the extended attribute: one speaks through its sidecar,
  // one has none and reports the default; a sidecar of a file that is gone
  // speaks for nothing.
  WriteHostFile(C("dir/side.txt"), "");
  WriteHostFile(C("dir/side.txt:DOSATTRIB"), "0x2");
  WriteHostFile(C("dir/plain.txt"), "");
  WriteHostFile(C("dir/gone.txt:DOSATTRIB"), "0x1");
  ASSERT_EQ(::mkdir(C("dir/sub").c_str(), 0755), 0);
  WriteHostFile(C("dir/sub:DOSATTRIB"), "0x4");
  EXPECT_EQ(Listing("C:\\dir\\*"), (Listing_t{{".", 0x10}, {"..", 0x10}, {"plain.txt", 0x20},
                                              {"side.txt", 0x2}, {"sub", 0x14}}));
}

TEST_F(HostDirectoriesTest, EntriesDeletedDuringASearchDoNotDisturbIt) {
  for (const char* name : {"1", "2", "3"}) WriteHostFile(C(std::string("dir/") + name), "");
  FindData data;
  const FindHandle search = files_.FindFirstFileA("C:\\dir\\*.*", &data);
  ASSERT_NE(search, kInvalidFind);
  int deleted = 0;
  do {
    if (data.file_name != "." && data.file_name != "..") {
      deleted += files_.DeleteFileA(("C:\\dir\\" + data.file_name).c_str()) ? 1 : 0;
    }
  } while (files_.FindNextFileA(search, &data));
  files_.FindClose(search);
  EXPECT_EQ(deleted, 3);
  EXPECT_TRUE(files_.RemoveDirectoryA("C:\\dir"));
}

TEST_F(HostDirectoriesTest, CreateDirectoryMakesOneLevel) {
  EXPECT_TRUE(files_.CreateDirectoryA("C:\\dir\\New"));
  EXPECT_TRUE(HostExists(C("dir/New")));
  EXPECT_TRUE(FailedWith(files_.CreateDirectoryA("C:\\DIR\\new"), win32_error::kAlreadyExists));
  WriteHostFile(C("file"), "");
  EXPECT_TRUE(FailedWith(files_.CreateDirectoryA("C:\\file"), win32_error::kAlreadyExists));
  EXPECT_TRUE(FailedWith(files_.CreateDirectoryA("C:\\x\\y"), win32_error::kPathNotFound));
  EXPECT_TRUE(FailedWith(files_.CreateDirectoryA("C:\\"), win32_error::kAccessDenied));
  // The A call keeps room for an 8.3 name below the new directory.
  const std::string long_name = "C:\\dir\\" + std::string(245, 'n');
  EXPECT_TRUE(FailedWith(files_.CreateDirectoryA(long_name.c_str()), win32_error::kFilenameTooLong));
}

TEST_F(HostDirectoriesTest, RemoveDirectoryRefusesWhatWindowsRefuses) {
  ASSERT_EQ(::mkdir(C("dir/full").c_str(), 0755), 0);
  WriteHostFile(C("dir/full/f"), "");
  EXPECT_TRUE(FailedWith(files_.RemoveDirectoryA("C:\\dir\\full"), win32_error::kDirNotEmpty));
  EXPECT_TRUE(FailedWith(files_.RemoveDirectoryA("C:\\dir\\full\\f"), win32_error::kDirectory));
  EXPECT_TRUE(FailedWith(files_.RemoveDirectoryA("C:\\dir\\none"), win32_error::kFileNotFound));
  // A read-only directory stays until its attribute is reset.
  ASSERT_EQ(::mkdir(C("dir/ro").c_str(), 0755), 0);
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\dir\\ro", file_attribute::kReadOnly));
  EXPECT_TRUE(FailedWith(files_.RemoveDirectoryA("C:\\dir\\ro"), win32_error::kAccessDenied));
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\dir\\ro", file_attribute::kNormal));
  EXPECT_TRUE(files_.RemoveDirectoryA("C:\\dir\\ro"));
  // Leftovers of the simulation do not keep an otherwise empty one alive.
  ASSERT_EQ(::mkdir(C("dir/left").c_str(), 0755), 0);
  WriteHostFile(C("dir/left/.copy:9.9"), "");
  EXPECT_TRUE(files_.RemoveDirectoryA("C:\\dir\\left"));
  EXPECT_FALSE(HostExists(C("dir/left")));
}

TEST_F(HostDirectoriesTest, AFileAnotherProcessLocksCannotBeDeleted) {
  WriteHostFile(C("dir/held"), "x");
  const int fd = ::open(C("dir/held").c_str(), O_RDONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::flock(fd, LOCK_SH), 0);
  EXPECT_TRUE(FailedWith(files_.DeleteFileA("C:\\dir\\held"), win32_error::kSharingViolation));
  ::close(fd);
  EXPECT_TRUE(files_.DeleteFileA("C:\\dir\\held"));
}

TEST(DosWildcardTest, PatternsMatchAsTheNtFamilyMatches) {
  EXPECT_TRUE(MatchesDosPattern("*.*", "noext"));
  EXPECT_TRUE(MatchesDosPattern("*.*", "."));
  EXPECT_TRUE(MatchesDosPattern("*", "a.b.c"));
  EXPECT_TRUE(MatchesDosPattern("*.TXT", "notes.txt"));
  EXPECT_FALSE(MatchesDosPattern("*.txt", "notes.txt.bak"));
  EXPECT_TRUE(MatchesDosPattern("a*b*c", "aXXbYYbZc"));
  EXPECT_FALSE(MatchesDosPattern("a*b*c", "aXXbYY"));
  EXPECT_TRUE(MatchesDosPattern("file?.log", "FILE1.LOG"));
  EXPECT_FALSE(MatchesDosPattern("file?.log", "file12.log"));
  EXPECT_TRUE(MatchesDosPattern("setup.*", "setup"));
  EXPECT_TRUE(MatchesDosPattern("setup.", "setup"));
  EXPECT_FALSE(MatchesDosPattern("setup.", "setup.ini"));
  // Many stars cost no more than one pass per star.
  EXPECT_FALSE(MatchesDosPattern(std::string(200, '*') + "x", std::string(5000, 'a')));
}

}  // namespace
}  // namespace velsetup::host
