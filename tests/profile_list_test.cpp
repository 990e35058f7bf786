// The lists the profile engine returns (a section's lines, a section's key
// names, the file's section names) at every buffer size: whole with room to
// spare, otherwise cut after size - 2 characters and ended in two zeros, and
// never a byte past the buffer.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "host_test_support.h"
#include "platform/host/profile/profile_store.h"

namespace velsetup::host {
namespace {

using testing::ScratchDir;

// What a buffer of `size` bytes receives for the list whose whole block
// (items, each ended by a zero, and the final zero) is `block`, and the count
// the call returns.
std::pair<std::string, uint32_t> Expected(const std::string& block, uint32_t size) {
  if (size == 0) return {"", 0};
  if (size == 1) return {std::string(1, '\0'), 0};
  const uint32_t total = static_cast<uint32_t>(block.size()) - 1;
  if (total + 1 < size) return {block, total};
  return {block.substr(0, size - 2) + std::string(2, '\0'), size - 2};
}

class ProfileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.path().empty());
    std::ofstream(path_, std::ios::binary)
        << "[First]\r\n"
           "alpha = one\r\n"
           "; a comment is not listed\r\n"
           "bare entry\r\n"
           "\r\n"
           "=no name\r\n"
           "beta=\r\n"
           "[Second]\r\n"
           "gamma=\"quoted\"\r\n";
  }

  // Calls `read` with every buffer size from 0 to a few past the whole list
  // and compares each result with the rule.
  template <typename Read>
  void CheckEverySize(const std::string& block, Read read) {
    for (uint32_t size = 0; size < block.size() + 4; ++size) {
      std::string buffer(size + 8, '\x7f');
      const uint32_t returned = read(&buffer[0], size);
      const auto [bytes, count] = Expected(block, size);
      EXPECT_EQ(returned, count) << "size " << size;
      EXPECT_EQ(buffer.substr(0, bytes.size()), bytes) << "size " << size;
      // Past the buffer nothing changes.
      EXPECT_EQ(buffer.substr(size), std::string(8, '\x7f')) << "size " << size;
    }
  }

  ScratchDir dir_;
  std::string path_ = dir_ / "list.ini";
  ProfileStore store_;
  uint32_t error_ = 0;
};

TEST_F(ProfileListTest, SectionLinesAreCutAtEveryBufferSize) {
  const std::string block("alpha=one\0bare entry\0=no name\0beta=\0\0", 37);
  CheckEverySize(block, [&](char* buffer, uint32_t size) {
    return store_.GetSection("first", buffer, size, path_, &error_);
  });
}

TEST_F(ProfileListTest, KeyAndSectionNamesAreCutTheSameWay) {
  CheckEverySize(std::string("alpha\0beta\0\0", 12), [&](char* buffer, uint32_t size) {
    return store_.GetString("First", nullptr, "", buffer, size, path_, &error_);
  });
  CheckEverySize(std::string("First\0Second\0\0", 14), [&](char* buffer, uint32_t size) {
    return store_.GetString(nullptr, nullptr, "", buffer, size, path_, &error_);
  });
}

TEST_F(ProfileListTest, ASectionWithoutEntriesIsAnEmptyList) {
  std::ofstream(path_, std::ios::binary) << "[Empty]\r\n; only a comment\r\n[Next]\r\nx=1\r\n";
  for (uint32_t size : {2u, 3u, 260u}) {
    std::string buffer(size, '\x7f');
    EXPECT_EQ(store_.GetSection("Empty", &buffer[0], size, path_, &error_), 0u);
    EXPECT_EQ(buffer.substr(0, 2), std::string(2, '\0'));
  }
}

}  // namespace
}  // namespace velsetup::host
