// The whole-file pass: what no single command shows.
#include <gtest/gtest.h>

#include <string>

#include "check/diagnostics.h"
#include "check_mistakes.h"

namespace velsetup::check::testing {
namespace {

// A script saved by an editor that writes Unicode: the ANSI profile calls read
// the mark as text of the first line, and find no section in UTF-16.
TEST(CheckEncodingTest, UnicodeScriptsAreNamedAtLineOne) {
  const std::string bom_found = Findings("\xEF\xBB\xBF[CommandsList]\n10\n");
  EXPECT_EQ(bom_found.rfind(
                "1: error: the script starts with a UTF-8 byte order mark, which the profile calls "
                "read as part of the first line: [CommandsList] is never found",
                0),
            0u)
      << bom_found;
  // What the mark costs is reported as well: the start is gone.
  EXPECT_NE(bom_found.find("the script has no [CommandsList]"), std::string::npos) << bom_found;

  const auto utf16 = [](const std::string& ascii, bool little, bool mark) {
    std::string bytes = mark ? (little ? "\xFF\xFE" : "\xFE\xFF") : "";
    for (char c : ascii) bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
  };
  const std::string script = "[CommandsList]\r\n10\r\n";
  for (bool mark : {true, false}) {
    const Diagnostics little = CheckScript(utf16(script, true, mark));
    ASSERT_EQ(little.Sorted().size(), 1u) << "only the encoding, no findings about garbage";
    EXPECT_EQ(little.Sorted()[0].line, 1);
    EXPECT_NE(little.Sorted()[0].message.find("UTF-16 (little-endian)"), std::string::npos);
    const Diagnostics big = CheckScript(utf16(script, false, mark));
    ASSERT_EQ(big.errors(), 1);
    EXPECT_NE(big.Sorted()[0].message.find("UTF-16 (big-endian)"), std::string::npos);
  }
  // ANSI text with characters above 127 is what the tool reads.
  EXPECT_EQ(Findings("[CommandsList]\n32,Gr\xFC\xDF" "e\n"), "");
  EXPECT_EQ(Findings("[CommandsList]\n32,\xEF\xBB\xBF\n"), "");
}

// The section reader's last read on Windows 95 and 98 is of 16,640 bytes,
// 16,638 of them lines: a line whose zero falls past that is not read there,
// nor is any after it.
TEST(CheckSectionSizeTest, LinesPastWhatWindows9xReadsAreNamed) {
  // Each command line is 100 characters and its zero: 164 of them fit.
  const auto commands = [](int count) {
    std::string script = "[CommandsList]\n";
    for (int i = 0; i < count; ++i) script += "32," + std::string(97, 'x') + "\n";
    return script + "10\n";
  };
  const std::string found = Findings(commands(170));
  EXPECT_EQ(found,
            "166: warning: [CommandsList] holds 17173 characters, more than the 16638 Windows 95 "
            "and 98 read: they stop before this line, and CMD32 (line 166), CMD32 (line 167), "
            "CMD32 (line 168), CMD32 (line 169) and 3 more do not run there\n");
  // 164 lines of 101 and "10" with its zero: 16,567 characters, all read.
  EXPECT_EQ(Findings(commands(164)), "");
  // One more line of 101 passes the limit: the last whole line is kept.
  EXPECT_NE(Findings(commands(165)).find("166: warning: [CommandsList] holds 16668"),
            std::string::npos);

  // A data list is read the same way; its keys-only sections are not.
  std::string copies = "[CommandsList]\n15,Files\n[Files]\n";
  for (int i = 0; i < 200; ++i) copies += "C:\\" + std::string(90, 'a') + ",D:\\\n";
  const std::string data = Findings(copies);
  EXPECT_NE(
      data.find("173: warning: [Files] holds 19600 characters, more than the 16638 Windows 95 "
                "and 98 read: they stop before this line, and CMD15 (line 2) gets none of its "
                "lines from here on there"),
      std::string::npos)
      << data;
}

// Scripts are short: [CommandsList] first, "\n" line ends.
const Mistake kMistakes[] = {
    // Sections and how the run reaches them
    {"no CommandsList", "[DATA]\nLogging=1\n", "1: error: the script has no [CommandsList]",
     "[DATA]\nLogging=1\n[CommandsList]\n10\n"},
    {"empty CommandsList", "[CommandsList]\n; later\n", "1: error: [CommandsList] is empty",
     "[CommandsList]\n10 ; later\n"},
    {"section nothing reaches", "[CommandsList]\n10\n[Spare]\n10\n",
     "3: warning: [Spare] is never used", "[CommandsList]\n19,Spare\n[Spare]\n10\n"},
    {"second section of a name", "[CommandsList]\n10\n[CommandsList]\n20\n",
     "3: warning: [CommandsList] again: only the first one (line 1)", "[CommandsList]\n10\n20\n"},
    {"lines before the first section", "Logging=1\n[CommandsList]\n10\n",
     "1: warning: lines before the first section header",
     "[DATA]\nLogging=1\n[CommandsList]\n10\n"},
    {"header without its bracket", "[CommandsList]\n10\n[DATA\nLogging=1\n",
     "3: warning: '[DATA' has no ']': it opens the section", "[CommandsList]\n10\n[DATA]\nLogging=1\n"},
    {"key given twice", "[DATA]\nLogging=1\nlogging=0\n[CommandsList]\n10\n",
     "3: warning: the key 'logging' again: only the first one (line 2)",
     "[DATA]\nLogging=1\n[CommandsList]\n10\n"},
    {"debug override left on", "[DATA]\nIsVelmor=1\nDebug=1\n[CommandsList]\n10\n",
     "3: warning: the debug override is on", "[DATA]\nIsVelmor=1\nDebug=0\n[CommandsList]\n10\n"},
    // The log path has room for 127 characters; the rest is dropped.
    {"log file name longer than the tool keeps",
     "[DATA]\nLogFile=C:\\Logs\\Setup\\nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"
     "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.log\n[CommandsList]\n10\n",
     "2: warning: LogFile is 138 characters long; the tool keeps 127 and logs to "
     "'C:\\Logs\\Setup\\nnn",
     "[DATA]\nLogFile=C:\\Logs\\Setup\\install.log\n[CommandsList]\n10\n"},
};

INSTANTIATE_TEST_SUITE_P(WholeFilePass, CheckMistakeTest, ::testing::ValuesIn(kMistakes),
                         MistakeName);

}  // namespace
}  // namespace velsetup::check::testing
