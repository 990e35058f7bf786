#include "engine/text_cleaning.h"

#include <gtest/gtest.h>

#include "engine/run_state.h"
#include "fake_platform.h"

namespace velsetup {
namespace {

TEST(TextCleaning, StripCommentsCutsAtSemicolonAndTrimsBothEnds) {
  EXPECT_EQ(StripCommentsAndEtc(std::string_view("  \tvalue ; note")), "value");
  EXPECT_EQ(StripCommentsAndEtc(std::string_view(";whole line")), "");
  EXPECT_EQ(StripCommentsAndEtc(std::string_view("   \t  ")), "");
  EXPECT_EQ(StripCommentsAndEtc(std::string_view("a;b")), "a");
  EXPECT_EQ(StripCommentsAndEtc(std::string_view("15,a;b,c")), "15,a");
  // Quotes give a ';' no protection.
  EXPECT_EQ(StripCommentsAndEtc(std::string_view("\"x;y\"")), "\"x");
}

TEST(TextCleaning, TrimBlanksKeepsSemicolons) {
  EXPECT_EQ(TrimBlanks(std::string_view("  HKLM ")), "HKLM");
  EXPECT_EQ(TrimBlanks(std::string_view("")), "");
  EXPECT_EQ(TrimBlanks(std::string_view(" a;b ")), "a;b");
  EXPECT_EQ(TrimBlanks(std::string_view("\r\n\v\f x \r\n\v\f")), "x");
}

TEST(TextCleaning, HighBytesAreDroppedOnlyAtTheStart) {
  EXPECT_EQ(TrimBlanks(std::string_view("\xE9\xFF" "abc\xE9")), "abc\xE9");
  EXPECT_EQ(StripCommentsAndEtc(std::string_view("\x01\x80 x\x01")), "x\x01");
}

TEST(TextCleaning, InPlaceFormsReturnPointersIntoTheCallersText) {
  char text[] = "  12,,D:\\old.txt   ; remove it";
  char* kept = StripCommentsAndEtc(text);
  EXPECT_EQ(kept, text + 2);
  EXPECT_STREQ(kept, "12,,D:\\old.txt");
  char blanks[] = "    ";
  char* trimmed = TrimBlanks(blanks);
  EXPECT_STREQ(trimmed, "");
  // Nothing before the new start is touched.
  EXPECT_EQ(blanks[0], ' ');
}

TEST(TextCleaning, NullTextWarnsInTheLog) {
  testing::FakeMachine machine;
  StartRun(machine.platform());
  velsetup::Run().logging_enabled = true;
  velsetup::Run().log_path = "C:\\log.txt";
  EXPECT_EQ(StripCommentsAndEtc(static_cast<char*>(nullptr)), nullptr);
  EXPECT_EQ(machine.files.appended["C:\\log.txt"],
            "[09:05:03.007]  warning null pointer passed to StripCommentsAndEtc\n");
}

}  // namespace
}  // namespace velsetup
