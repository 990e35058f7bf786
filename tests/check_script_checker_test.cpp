// The checker as a whole: the mistakes of every pass are found and their
// right forms come out clean; findings carry the file's line numbers.
#include <gtest/gtest.h>

#include <string>

#include "check_mistakes.h"

namespace velsetup::check::testing {
namespace {

TEST_P(CheckMistakeTest, IsFoundAndItsRightFormIsClean) {
  const Mistake& mistake = GetParam();
  const std::string wrong = Findings(mistake.wrong);
  EXPECT_NE(wrong.find(mistake.expected), std::string::npos)
      << "expected \"" << mistake.expected << "\" among:\n"
      << wrong;
  EXPECT_EQ(Findings(mistake.right), "");
}

TEST(CheckScriptTextTest, CommandLinesAreNumberedByTheFile) {
  // CR LF ends, a comment line and a blank line between the commands.
  const std::string found =
      Findings("[CommandsList]\r\n15,Files\r\n; copy first\r\n\r\n99\r\n[Files]\r\nC:\\a.txt\r\n");
  EXPECT_EQ(found,
            "5: error: there is no command 99: the tool logs it as not defined and goes on\n"
            "7: error: no comma between source and destination: CMD15 skips the line\n");
}

TEST(CheckScriptTextTest, ReportsEachFindingOnceThoughTwoCommandsReadItsSection) {
  const std::string found = Findings("[CommandsList]\n15,Files\n15,Files\n[Files]\nC:\\a.txt\n");
  EXPECT_EQ(found, "5: error: no comma between source and destination: CMD15 skips the line\n");
}

}  // namespace
}  // namespace velsetup::check::testing
