#include "check/script_text.h"

#include <gtest/gtest.h>

namespace velsetup::check {
namespace {

// The checker reads with the profile calls' rules: the first section and
// key of a name, case-blind; values trimmed and unquoted; comments and blank
// lines out of a section read; lines counted as the file's text has them.
TEST(CheckScriptTextTest, ReadsAsTheProfileCallsRead) {
  const ScriptText script = ScriptText::Parse(
      "; heading\r\n[Setup]\r\n  Name = \"C:\\x\"  \r\n\r\nname=second\r\n; "
      "note\r\nbare\r[SETUP]\nName=third\n");
  const ScriptSection* setup = script.Find("setup");
  ASSERT_NE(setup, nullptr);
  EXPECT_EQ(setup->header_line, 2);
  ASSERT_EQ(setup->lines.size(), 3u);
  EXPECT_EQ(setup->lines[0].text, "Name=\"C:\\x\"");
  EXPECT_EQ(setup->lines[2].text, "bare");
  EXPECT_EQ(setup->lines[2].line, 7);
  const auto name = script.Key(*setup, "NAME");
  ASSERT_TRUE(name.has_value());
  EXPECT_EQ(name->value, "C:\\x");
  EXPECT_EQ(name->line, 3);
  ASSERT_EQ(script.shadowed_sections().size(), 1u);
  EXPECT_EQ(script.shadowed_sections()[0].header_line, 8);
}

}  // namespace
}  // namespace velsetup::check
