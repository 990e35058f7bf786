// The grammar of script lines that the tool acts on and the checker reports:
// what each reader takes from a line and why it refuses one.
#include "engine/script_lines.h"

#include <gtest/gtest.h>

namespace velsetup {
namespace {

TEST(ScriptLinesTest, CommandLineSplitsAsASectionStartStoresIt) {
  const CommandLineParts parts = SplitCommandLine("15,, C:\\a.txt ;x,D:\\b,");
  EXPECT_EQ(parts.number, "15");
  EXPECT_EQ(parts.rest, ",, C:\\a.txt ;x,D:\\b,");
  EXPECT_EQ(parts.fields, (std::vector<std::string>{"", "C:\\a.txt", "D:\\b", ""}));

  const CommandLineParts bare = SplitCommandLine("10");
  EXPECT_EQ(bare.number, "10");
  EXPECT_EQ(bare.rest, "");
  EXPECT_TRUE(bare.fields.empty()) << "a line without a comma has no field 0";
}

TEST(ScriptLinesTest, PathPairVerdicts) {
  PathPair pair;
  EXPECT_EQ(ReadPathPair(" C:\\a , D:\\b ; note", &pair), LineVerdict::kTaken);
  EXPECT_EQ(pair.source, "C:\\a");
  EXPECT_EQ(pair.destination, "D:\\b");
  EXPECT_EQ(ReadPathPair("C:\\a D:\\b", &pair), LineVerdict::kNoComma);
  EXPECT_EQ(ReadPathPair(";C:\\a,D:\\b", &pair), LineVerdict::kComment);
  EXPECT_EQ(ReadPathPair("  ,D:\\b", &pair), LineVerdict::kNoSource);
  EXPECT_EQ(ReadPathPair("C:\\a, ;gone", &pair), LineVerdict::kNoDestination);
}

TEST(ScriptLinesTest, ValueAndNameLinesTestTheirPartsBeforeTrimming) {
  ValueLine value;
  EXPECT_EQ(ReadValueLine("S, ,v", &value), LineVerdict::kTaken) << "blanks are a key";
  EXPECT_EQ(value.key, " ");
  EXPECT_EQ(ReadValueLine("S,,v", &value), LineVerdict::kNoKey);
  EXPECT_EQ(ReadValueLine(",k,v", &value), LineVerdict::kNoSection);
  EXPECT_EQ(ReadValueLine("S,k", &value), LineVerdict::kNoSecondComma);
  EXPECT_EQ(value.section, "S") << "the warning names the part before the comma";
  EXPECT_EQ(ReadValueLine("S", &value), LineVerdict::kNoComma);
  EXPECT_EQ(ReadValueLine(";S,k,v", &value), LineVerdict::kComment);
  EXPECT_EQ(ReadValueLine("S,k,a,b", &value), LineVerdict::kTaken);
  EXPECT_EQ(value.value, "a,b") << "the value runs to the end of the line";

  NameValueLine name;
  EXPECT_EQ(ReadNameValueLine(" ,v", &name), LineVerdict::kTaken);
  EXPECT_EQ(ReadNameValueLine(",v", &name), LineVerdict::kNoName);
  EXPECT_EQ(ReadNameValueLine("V001", &name), LineVerdict::kNoComma);
  EXPECT_EQ(ReadNameValueLine(";V001,x", &name), LineVerdict::kComment);
}

}  // namespace
}  // namespace velsetup
