// The profile engine writes only the bytes an edit changes. Whatever the mix
// of edits, the file on disk must equal the whole document written anew, and
// a fresh reader must see what the writer sees.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "host_test_support.h"
#include "profile/profile_document.h"
#include "platform/host/profile/profile_store.h"

namespace velsetup::host {
namespace {

using profile::ProfileDocument;
using testing::ReadHostFile;

class ProfileIncrementalWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "/incremental_" + std::to_string(getpid()) + ".ini";
    std::ofstream(path_, std::ios::binary) << kStart;
    model_ = ProfileDocument::Parse(kStart);
  }
  void TearDown() override { ::unlink(path_.c_str()); }

  static constexpr const char* kStart =
      "; head\r\n[A]\r\nk1=v1\r\n\r\n[B]\nx = 1\n;c\n\n[A]\r\nk9=dup\r\n[C]\rlast=no end";

  std::string path_;
  ProfileDocument model_;
  ProfileStore store_;
};

TEST_F(ProfileIncrementalWrite, RandomEditsMatchAWholeRewrite) {
  std::mt19937 random(7);
  const char* sections[] = {"A", "b", "C", "New", "Other"};
  const char* keys[] = {"k1", "X", "last", "n1", "n2", "k9"};
  const char* values[] = {"1", "22", "", "a longer value", "v1"};
  for (int step = 0; step < 400; ++step) {
    const char* section = sections[random() % 5];
    const char* key = keys[random() % 6];
    const char* value = values[random() % 5];
    uint32_t error = 0;
    switch (random() % 10) {
      case 0:
        ASSERT_TRUE(store_.WriteString(section, nullptr, nullptr, path_, &error));
        model_.DeleteSection(section);
        break;
      case 1:
      case 2:
        ASSERT_TRUE(store_.WriteString(section, key, nullptr, path_, &error));
        model_.DeleteKey(section, key);
        break;
      case 3:
        ASSERT_TRUE(store_.WriteSection(section, "p=1\0q=2\0", path_, &error));
        model_.ReplaceSection(section, {"p=1", "q=2"});
        break;
      default:
        ASSERT_TRUE(store_.WriteString(section, key, value, path_, &error));
        model_.SetValue(section, key, value);
    }
    ASSERT_EQ(ReadHostFile(path_), model_.Bytes()) << "after step " << step;

    char mine[256], fresh[256];
    ProfileStore reader;
    store_.GetString(section, key, "-", mine, sizeof mine, path_, &error);
    reader.GetString(section, key, "-", fresh, sizeof fresh, path_, &error);
    ASSERT_STREQ(mine, fresh) << "after step " << step;
  }
}

TEST_F(ProfileIncrementalWrite, ChangeMadeBehindTheStoresBackIsSeen) {
  uint32_t error = 0;
  char value[32];
  ASSERT_TRUE(store_.WriteString("A", "k1", "mine", path_, &error));
  // Another writer replaces the file with one of the same size.
  std::string bytes = ReadHostFile(path_);
  bytes.replace(bytes.find("k1=mine"), 7, "k1=them");
  std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  store_.GetString("A", "k1", "", value, sizeof value, path_, &error);
  EXPECT_STREQ(value, "them");
}

// The store keeps the file open between writes; what it writes must still
// go to the file the path names, and another process's lock must still be
// seen through the descriptor it keeps.
TEST_F(ProfileIncrementalWrite, TheKeptDescriptorFollowsThePathAndSeesLocks) {
  uint32_t error = 0;
  ASSERT_TRUE(store_.WriteString("A", "k1", "mine", path_, &error));
  const std::string replacement = path_ + ".new";
  std::ofstream(replacement, std::ios::binary) << "[A]\r\nk1=theirs\r\n";
  ASSERT_EQ(std::rename(replacement.c_str(), path_.c_str()), 0);
  ASSERT_TRUE(store_.WriteString("A", "k2", "added", path_, &error));
  EXPECT_EQ(ReadHostFile(path_), "[A]\r\nk1=theirs\r\nk2=added\r\n");

  EXPECT_FALSE(store_.IsLockedByOther(path_));
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = ::fork();
  if (holder == 0) {
    const int fd = ::open(path_.c_str(), O_RDONLY);
    ::flock(fd, LOCK_EX);
    (void)::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  EXPECT_TRUE(store_.IsLockedByOther(path_));
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_FALSE(store_.IsLockedByOther(path_));
}

// A program that holds the file without read sharing (an exclusive lock)
// keeps the profile calls from reading it: the default comes back with a
// sharing violation. One that shares reading (a shared lock) lets them read
// but not write. Windows NT family, as recorded in Wine's conformance tests
// of these calls (a handle without FILE_SHARE_READ fails the read; every
// handle that does not share writing fails the write with error 32).
TEST_F(ProfileIncrementalWrite, AnExclusiveHoldKeepsReadsOutASharedOneOnlyWrites) {
  for (const int kind : {LOCK_EX, LOCK_SH}) {
    SCOPED_TRACE(kind == LOCK_EX ? "exclusive" : "shared");
    uint32_t error = 0;
    char value[32];
    // Parsed beforehand: a cached parse must not slip past the hold.
    store_.GetString("A", "k1", "-", value, sizeof value, path_, &error);
    const int fd = ::open(path_.c_str(), O_RDONLY);
    ASSERT_EQ(::flock(fd, kind), 0);
    error = 0;
    store_.GetString("A", "k1", "-", value, sizeof value, path_, &error);
    char section[64];
    uint32_t section_error = 0;
    const uint32_t listed = store_.GetSection("A", section, sizeof section, path_, &section_error);
    if (kind == LOCK_EX) {
      EXPECT_STREQ(value, "-");
      EXPECT_EQ(error, 32u);
      EXPECT_EQ(listed, 0u);
      EXPECT_EQ(section_error, 32u);
    } else {
      EXPECT_STREQ(value, "v1");
      EXPECT_EQ(error, 0u);
      EXPECT_EQ(listed, 6u);  // "k1=v1" and its zero
    }
    EXPECT_TRUE(store_.IsLockedByOther(path_));
    ::close(fd);
    EXPECT_FALSE(store_.IsLockedByOther(path_));
  }
}

}  // namespace
}  // namespace velsetup::host
