// Names and values that a written line does not give back as written: a
// section name in brackets, a key that starts a comment or a header, text
// with a line break. The file gets them as given; what the writing store
// answers afterwards must be what a store that reads the file afresh
// answers, as after a restart of the tool.
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "profile/profile_document.h"
#include "platform/host/profile/profile_store.h"

namespace velsetup::host {
namespace {

using profile::ProfileDocument;
using testing::ReadHostFile;

class ProfileReadBack : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "/read_back_" + std::to_string(getpid()) + ".ini";
  }
  void TearDown() override { ::unlink(path_.c_str()); }

  void Start(const std::string& bytes) {
    std::ofstream(path_, std::ios::binary | std::ios::trunc) << bytes;
  }

  // Every answer a reader gives about `section` and `key`, as one text.
  std::string Answers(ProfileStore& store, const char* section, const char* key) {
    uint32_t error = 0;
    std::vector<char> buffer(4096);
    std::string all;
    const auto add = [&](uint32_t length) {
      all.append(buffer.data(), length);
      all += '|';
    };
    add(store.GetString(section, key, "-", buffer.data(), 4096, path_, &error));
    add(store.GetString(section, nullptr, "", buffer.data(), 4096, path_, &error));
    add(store.GetString(nullptr, nullptr, "", buffer.data(), 4096, path_, &error));
    add(store.GetSection(section, buffer.data(), 4096, path_, &error));
    return all;
  }

  std::string path_;
};

// Windows writes the name between brackets as given: "[x]" becomes the
// header "[[x]]", which a read takes to name the section "[x". The writer
// knows the section by that name too, so a write it reports as done reads
// back the same before and after a restart.
TEST_F(ProfileReadBack, ABracketedSectionNameIsKnownByWhatItsHeaderReadsAs) {
  Start("[A]\r\nk=1\r\n");
  ProfileStore store;
  uint32_t error = 0;
  ASSERT_TRUE(store.WriteString("[x]", "k", "value", path_, &error));
  EXPECT_EQ(ReadHostFile(path_), "[A]\r\nk=1\r\n[[x]]\r\nk=value\r\n");

  char value[32];
  store.GetString("[x", "k", "-", value, sizeof value, path_, &error);
  EXPECT_STREQ(value, "value");
  ProfileStore fresh;
  EXPECT_EQ(Answers(store, "[x]", "k"), Answers(fresh, "[x]", "k"));
  EXPECT_EQ(Answers(store, "[x", "k"), Answers(fresh, "[x", "k"));
}

TEST_F(ProfileReadBack, EveryOddWriteReadsTheSameFromAFreshStore) {
  const char* const starts[] = {"", "[A]\r\nk=1\r\n; tail\r\n\r\n[B]\r\nz=2", "[[x]]\r\nk=old\r\n"};
  const char* const sections[] = {"A", "[x]", "[x", "a]b", "New", "A\r\nk", " [A] "};
  const char* const keys[] = {"k", "=", ";c", "[h", "k\nz", " k ", "z"};
  const char* const values[] = {"v", "a\r\n[B]", "", "x\rz=9", "=;["};
  for (const char* start : starts) {
    for (const char* section : sections) {
      for (const char* key : keys) {
        for (const char* value : values) {
          SCOPED_TRACE(std::string("start '") + start + "' section '" + section + "' key '" + key +
                       "' value '" + value + "'");
          for (int kind = 0; kind < 3; ++kind) {
            Start(start);
            ProfileStore store;
            // Parsed before the write, as a run that read the file first has it.
            Answers(store, section, key);
            uint32_t error = 0;
            if (kind == 0) {
              ASSERT_TRUE(store.WriteString(section, key, value, path_, &error));
            } else if (kind == 1) {
              const std::string data = std::string(key) + "=" + value + '\0' + value + '\0';
              ASSERT_TRUE(store.WriteSection(section, data.c_str(), path_, &error));
            } else {
              ASSERT_TRUE(store.WriteString(section, key, value, path_, &error));
              ASSERT_TRUE(store.WriteString(section, "later", "1", path_, &error));
            }
            const std::string bytes = ReadHostFile(path_);
            ASSERT_EQ(ProfileDocument::Parse(bytes).Bytes(), bytes);
            ProfileStore fresh;
            for (const char* asked : {section, "[x", "B", "A"}) {
              for (const char* asked_key : {key, "k", "later", "z", ""}) {
                ASSERT_EQ(Answers(store, asked, asked_key), Answers(fresh, asked, asked_key))
                    << "kind " << kind << ", asked '" << asked << "' '" << asked_key << "'";
              }
            }
          }
        }
      }
    }
  }
}

// A document edited in memory has the shape a parse of its bytes gives: a
// key line that reads as a comment sits among the section's trailing lines,
// so the next key goes before it, as it would after a restart.
TEST_F(ProfileReadBack, AnEditedDocumentEditsOnAsItsOwnParseDoes) {
  ProfileDocument edited = ProfileDocument::Parse("[A]\r\nk=1\r\n");
  edited.SetValue("A", ";note", "x");
  ProfileDocument parsed = ProfileDocument::Parse(edited.Bytes());
  edited.SetValue("A", "n", "2");
  parsed.SetValue("A", "n", "2");
  EXPECT_EQ(edited.Bytes(), parsed.Bytes());
  EXPECT_EQ(edited.Bytes(), "[A]\r\nk=1\r\nn=2\r\n;note=x\r\n");
}

}  // namespace
}  // namespace velsetup::host
