#include "platform/host/files/host_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host_files_fixture.h"

namespace velsetup::host {
namespace {

using namespace testing;

WindowsPath Root() { return testing::DriveRoot(); }

class HostFilesTest : public testing::HostFilesFixture {
 protected:
  // Names in drive_c that the simulation made for itself.
  int LeftoverFiles() {
    int count = 0;
    DIR* handle = ::opendir(C("").c_str());
    while (dirent* entry = ::readdir(handle)) {
      if (DosAttributes::IsSimulationFile(entry->d_name)) ++count;
    }
    ::closedir(handle);
    return count;
  }
};

TEST_F(HostFilesTest, AttributesOfFilesDirectoriesAndMissingPaths) {
  WriteHostFile(C("a.txt"), "a");
  EXPECT_EQ(files_.GetFileAttributesA("C:\\A.TXT"), 0x20u);
  EXPECT_EQ(files_.GetFileAttributesA("C:\\DIR"), 0x10u);
  EXPECT_EQ(files_.GetFileAttributesA("C:\\missing.txt"), file_attribute::kInvalid);
  EXPECT_EQ(Error(), 2u);
  EXPECT_EQ(files_.GetFileAttributesA("C:\\nodir\\a.txt"), file_attribute::kInvalid);
  EXPECT_EQ(Error(), 3u);

  EXPECT_TRUE(files_.SetFileAttributesA("C:\\a.txt", 0x1 | 0x2 | 0x10));
  EXPECT_EQ(files_.GetFileAttributesA("C:\\a.txt"), 0x3u);  // no directory bit on a file
  EXPECT_TRUE(files_.SetFileAttributesA("C:\\a.txt", file_attribute::kNormal));
  EXPECT_EQ(files_.GetFileAttributesA("C:\\a.txt"), file_attribute::kNormal);
  EXPECT_TRUE(FailedWith(files_.SetFileAttributesA("C:\\b.txt", file_attribute::kNormal), 2u));
}

TEST_F(HostFilesTest, CopyFailsAsWindowsDoes) {
  WriteHostFile(C("src.txt"), "new");
  WriteHostFile(C("dst.txt"), "old");
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\src.txt", "C:\\dst.txt", true), 80u));
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\none.txt", "C:\\x.txt", false), 2u));
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\dir", "C:\\x.txt", false), 5u));
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\src.txt", "C:\\dir", false), 5u));
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\src.txt", "C:\\nodir\\x.txt", false), 3u));
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\src.txt", "C:\\SRC.TXT", false), 32u));
  // Read-only holds against root too: the simulation enforces it itself.
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\dst.txt", 0x1));
  EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\src.txt", "C:\\dst.txt", false), 5u));
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\dst.txt", 0x2));
  EXPECT_FALSE(files_.CopyFileA("C:\\src.txt", "C:\\dst.txt", false));
  EXPECT_EQ(Error(), 5u);  // a hidden file is not replaced by a visible one
  EXPECT_EQ(ReadHostFile(C("dst.txt")), "old");
  EXPECT_EQ(LeftoverFiles(), 0);
}

TEST_F(HostFilesTest, CopyCarriesContentTimeAndAttributes) {
  WriteHostFile(C("src.txt"), "content");
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, C("src.txt").c_str(), times, 0), 0);
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\src.txt", 0x1 | 0x4));
  WriteHostFile(C("dir/dst.txt"), "older and longer");
  ASSERT_TRUE(files_.CopyFileA("C:\\Src.txt", "C:\\DIR\\DST.TXT", false)) << Error();
  EXPECT_EQ(ReadHostFile(C("dir/dst.txt")), "content");
  EXPECT_EQ(files_.GetFileAttributesA("C:\\dir\\dst.txt"), 0x1u | 0x4 | 0x20);
  struct stat info;
  ASSERT_EQ(::stat(C("dir/dst.txt").c_str(), &info), 0);
  EXPECT_EQ(info.st_mtim.tv_sec, 1000000000);
  ASSERT_TRUE(files_.CopyFileA("C:\\src.txt", "C:\\new.txt", true));
  EXPECT_EQ(ReadHostFile(C("new.txt")), "content");
  // Neither way of giving the copy its name (a rename that may replace, a
  // link that may not) leaves the temporary name behind.
  ASSERT_TRUE(files_.CopyFileA("C:\\src.txt", "C:\\other.txt", false)) << Error();
  EXPECT_EQ(LeftoverFiles(), 0);
}

TEST_F(HostFilesTest, AFailedCopyLeavesTheDestinationAsItWas) {
  WriteHostFile(C("big.bin"), std::string(256 * 1024, 'b'));
  WriteHostFile(C("dst.bin"), "old");
  // The write fails part-way through: files may not grow past 64 KiB.
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*previous)(int) = ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool copied = files_.CopyFileA("C:\\big.bin", "C:\\dst.bin", false);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::signal(SIGXFSZ, previous);
  EXPECT_TRUE(FailedWith(copied, 112u));
  EXPECT_EQ(ReadHostFile(C("dst.bin")), "old");
  EXPECT_EQ(LeftoverFiles(), 0);
}

TEST_F(HostFilesTest, DeleteFailsAsWindowsDoes) {
  WriteHostFile(C("ro.txt"), "r");
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\ro.txt", 0x1));
  EXPECT_TRUE(FailedWith(files_.DeleteFileA("C:\\ro.txt"), 5u));
  EXPECT_TRUE(HostExists(C("ro.txt")));
  EXPECT_TRUE(FailedWith(files_.DeleteFileA("C:\\dir"), 5u));
  EXPECT_TRUE(FailedWith(files_.DeleteFileA("C:\\gone.txt"), 2u));
  EXPECT_TRUE(FailedWith(files_.DeleteFileA("C:\\nodir\\gone.txt"), 3u));
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\ro.txt", file_attribute::kNormal));
  EXPECT_TRUE(files_.DeleteFileA("C:\\RO.TXT"));
  EXPECT_FALSE(HostExists(C("ro.txt")));
}

// A child process holds a lock on `path` until the returned pipe is closed.
struct LockHolder {
  LockHolder(const std::string& path, bool use_flock) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) return;
    pid = ::fork();
    if (pid == 0) {
      ::close(ready[0]);
      ::close(release[1]);  // else the child would keep its own pipe open
      const int fd = ::open(path.c_str(), O_RDWR);
      struct flock lock {};
      lock.l_type = F_WRLCK;
      lock.l_whence = SEEK_SET;
      const bool held = use_flock ? ::flock(fd, LOCK_EX) == 0 : ::fcntl(fd, F_SETLK, &lock) == 0;
      char byte = held ? 'y' : 'n';
      ssize_t ignored = ::write(ready[1], &byte, 1);
      ignored = ::read(release[0], &byte, 1);
      (void)ignored;
      ::_exit(0);
    }
    char byte = 0;
    held = ::read(ready[0], &byte, 1) == 1 && byte == 'y';
    ::close(ready[0]);
    ::close(ready[1]);
    ::close(release[0]);
    release_fd = release[1];
  }
  ~LockHolder() { Release(); }
  void Release() {
    if (release_fd >= 0) ::close(release_fd);
    release_fd = -1;
    if (pid > 0) ::waitpid(pid, nullptr, 0);
    pid = -1;
  }
  pid_t pid = -1;
  int release_fd = -1;
  bool held = false;
};

TEST_F(HostFilesTest, AFileLockedByAnotherProcessIsNotReplacedDeletedOrWritten) {
  WriteHostFile(C("src.txt"), "new");
  for (const bool use_flock : {true, false}) {
    SCOPED_TRACE(use_flock ? "flock" : "fcntl");
    WriteHostFile(C("busy.txt"), "busy");
    LockHolder holder(C("busy.txt"), use_flock);
    ASSERT_TRUE(holder.held);
    EXPECT_TRUE(FailedWith(files_.CopyFileA("C:\\src.txt", "C:\\busy.txt", false), 32u));
    EXPECT_TRUE(FailedWith(files_.DeleteFileA("C:\\busy.txt"), 32u));
    EXPECT_TRUE(FailedWith(files_.AppendText("C:\\busy.txt", "x\n"), 32u));
    // Reading is not blocked.
    EXPECT_TRUE(files_.CopyFileA("C:\\busy.txt", "C:\\copy.txt", false));
    holder.Release();
    EXPECT_TRUE(files_.CopyFileA("C:\\src.txt", "C:\\busy.txt", false));
    EXPECT_EQ(ReadHostFile(C("busy.txt")), "new");
  }
}

TEST_F(HostFilesTest, AppendTextWritesLikeATextModeStream) {
  EXPECT_TRUE(files_.AppendText("C:\\DIR\\log.txt", "one\ntwo\r\n"));
  EXPECT_TRUE(files_.AppendText("C:\\dir\\LOG.TXT", "three\n"));
  EXPECT_EQ(ReadHostFile(C("dir/log.txt")), "one\r\ntwo\r\r\nthree\r\n");
  // "a+" drops a CTRL+Z that ends the file.
  WriteHostFile(C("z.txt"), "text\x1a");
  EXPECT_TRUE(files_.AppendText("C:\\z.txt", "more"));
  EXPECT_EQ(ReadHostFile(C("z.txt")), "textmore");

  EXPECT_TRUE(FailedWith(files_.AppendText("C:\\nodir\\log.txt", "x"), 3u));
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\z.txt", 0x1));
  EXPECT_TRUE(FailedWith(files_.AppendText("C:\\z.txt", "x"), 5u));
  EXPECT_TRUE(FailedWith(files_.AppendText("C:\\dir", "x"), 5u));
}

TEST_F(HostFilesTest, WholeFilesAreReadAndWrittenAsCreateFileDoes) {
  WriteHostFile(C("a.bin"), std::string("a\0\r\nb", 5));
  std::string bytes;
  EXPECT_TRUE(files_.ReadWholeFile("C:\\A.BIN", &bytes));
  EXPECT_EQ(bytes, std::string("a\0\r\nb", 5));
  EXPECT_TRUE(FailedWith(files_.ReadWholeFile("C:\\none.bin", &bytes), 2u));
  EXPECT_TRUE(FailedWith(files_.ReadWholeFile("C:\\nodir\\a.bin", &bytes), 3u));
  EXPECT_TRUE(FailedWith(files_.ReadWholeFile("C:\\dir", &bytes), 5u));

  EXPECT_TRUE(files_.WriteNewFile("C:\\a.bin", "new"));
  EXPECT_EQ(ReadHostFile(C("a.bin")), "new");
  EXPECT_EQ(files_.GetFileAttributesA("C:\\a.bin"), 0x20u);
  EXPECT_TRUE(files_.WriteNewFile("C:\\dir\\b.bin", ""));
  EXPECT_TRUE(HostExists(C("dir/b.bin")));
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\a.bin", 0x1));
  EXPECT_TRUE(FailedWith(files_.WriteNewFile("C:\\a.bin", "x"), 5u));
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\a.bin", 0x2));
  EXPECT_FALSE(files_.WriteNewFile("C:\\a.bin", "x"));  // hidden, created as normal
  EXPECT_EQ(Error(), 5u);
  EXPECT_TRUE(FailedWith(files_.WriteNewFile("C:\\nodir\\a.bin", "x"), 3u));
  EXPECT_EQ(ReadHostFile(C("a.bin")), "new");
  EXPECT_EQ(LeftoverFiles(), 0);
}

TEST_F(HostFilesTest, MovesReplaceOnlyWhenAskedAndCarryTheAttributes) {
  WriteHostFile(C("old.txt"), "old");
  WriteHostFile(C("new.txt"), "new");
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\new.txt", 0x2 | 0x20));
  EXPECT_TRUE(FailedWith(files_.MoveFileA("C:\\new.txt", "C:\\old.txt"), 183u));
  EXPECT_TRUE(FailedWith(files_.MoveFileExA("C:\\new.txt", "C:\\old.txt", 0), 183u));
  EXPECT_TRUE(files_.MoveFileExA("C:\\new.txt", "C:\\OLD.TXT", move_file::kReplaceExisting));
  EXPECT_EQ(ReadHostFile(C("old.txt")), "new");
  EXPECT_FALSE(HostExists(C("new.txt")));
  EXPECT_EQ(files_.GetFileAttributesA("C:\\old.txt"), 0x22u);

  EXPECT_TRUE(files_.MoveFileA("C:\\old.txt", "C:\\dir\\moved.txt"));
  EXPECT_EQ(ReadHostFile(C("dir/moved.txt")), "new");
  EXPECT_TRUE(FailedWith(files_.MoveFileA("C:\\old.txt", "C:\\x.txt"), 2u));
  WriteHostFile(C("ro.txt"), "ro");
  ASSERT_TRUE(files_.SetFileAttributesA("C:\\ro.txt", 0x1));
  EXPECT_FALSE(
      files_.MoveFileExA("C:\\dir\\moved.txt", "C:\\ro.txt", move_file::kReplaceExisting));
  EXPECT_EQ(Error(), 5u);
  EXPECT_EQ(ReadHostFile(C("ro.txt")), "ro");
}

TEST(HostFilesWin9x, HasNoMoveFileEx) {
  ScratchDir dir;
  ASSERT_EQ(::mkdir((dir / "drive_c").c_str(), 0755), 0);
  LastError last_error;
  PathMapper paths({{'C', dir / "drive_c"}}, Root());
  DosAttributes attributes;
  HostFiles files(paths, attributes, last_error, /*nt_family=*/false);
  WriteHostFile(dir / "drive_c/a.txt", "a");
  EXPECT_FALSE(files.MoveFileExA("C:\\a.txt", "C:\\b.txt", move_file::kReplaceExisting));
  EXPECT_EQ(last_error.code, 120u);
  EXPECT_TRUE(files.MoveFileA("C:\\a.txt", "C:\\b.txt"));
}

}  // namespace
}  // namespace velsetup::host

namespace velsetup::host {
namespace {

// Two drives whose directories lie on one host file system: a directory
// still cannot move from one to the other (error 17, not the same device),
// a file can, and MoveFileExA without MOVEFILE_COPY_ALLOWED moves no file
// across either, as MoveFile's documentation gives it.
TEST(HostFilesDrives, ADirectoryStaysOnItsDriveAFileMoves) {
  ScratchDir dir;
  ASSERT_EQ(::mkdir((dir / "drive_c").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir / "drive_d").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir / "drive_c/tree").c_str(), 0755), 0);
  LastError last_error;
  PathMapper paths({{'C', dir / "drive_c"}, {'D', dir / "drive_d"}}, Root());
  DosAttributes attributes;
  HostFiles files(paths, attributes, last_error, /*nt_family=*/true);
  WriteHostFile(dir / "drive_c/tree/a.txt", "a");
  WriteHostFile(dir / "drive_c/b.txt", "b");

  EXPECT_FALSE(files.MoveFileA("C:\\tree", "D:\\tree"));
  EXPECT_EQ(last_error.code, 17u);
  EXPECT_TRUE(HostExists(dir / "drive_c/tree/a.txt"));
  EXPECT_FALSE(HostExists(dir / "drive_d/tree"));

  EXPECT_FALSE(files.MoveFileExA("C:\\b.txt", "D:\\b.txt", 0));
  EXPECT_EQ(last_error.code, 17u);
  EXPECT_TRUE(files.MoveFileA("C:\\b.txt", "D:\\b.txt"));
  EXPECT_EQ(ReadHostFile(dir / "drive_d/b.txt"), "b");
  EXPECT_FALSE(HostExists(dir / "drive_c/b.txt"));
  EXPECT_TRUE(files.MoveFileA("C:\\tree", "C:\\moved"));
}

}  // namespace
}  // namespace velsetup::host
