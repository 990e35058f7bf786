// The script model the checker's passes read: what a run reaches, what the
// commands read and set. The passes trust these facts instead of collecting
// them as they go, so they are pinned here apart from any message.
#include "check/script_model.h"

#include <gtest/gtest.h>

#include "check/command_rules.h"
#include "commands/command_table.h"

namespace velsetup::check {
namespace {

TEST(CheckModelTest, ReachesSectionsThroughBranchesBoxesAndNextSectionWrites) {
  const ScriptText script = ScriptText::Parse(
      "[CommandsList]\n18,Other,W95,Other,Other,Other\n17,Ask,3,Yes\n26,,State,NextSection,Late\n"
      "[W95]\n10\n[Other]\n10\n[Yes]\n10\n[Late]\n10\n[Ask.US]\nMessage1=Go on?\n"
      "[Lonely]\n10\n");
  const ScriptModel model(script);
  std::vector<std::string> reached;
  for (const CommandSection& section : model.command_sections()) reached.push_back(section.section->name);
  EXPECT_EQ(reached, (std::vector<std::string>{"CommandsList", "Other", "W95", "Yes", "Late"}));
  EXPECT_TRUE(model.IsUsed("ask.us")) << "the box reads its message section";
  EXPECT_TRUE(model.IsKeyed("Ask.US"));
  EXPECT_FALSE(model.IsUsed("Lonely"));
  EXPECT_EQ(model.start(), StartSection::kFound);
}

TEST(CheckModelTest, KnowsWhatTheCommandsSetBeforeAnyPassRuns) {
  const ScriptText script = ScriptText::Parse(
      "[CommandsList]\n27,,V002,x\n26,Values\n6\n28,C:\\more.ini\n"
      "[Values]\nDATA,DecCommand,2\nVariables, V003 ,y\nS,,skipped\n"
      "[Variables]\nV001=a\n");
  const ScriptModel model(script);
  EXPECT_TRUE(model.VariableSet(1));
  EXPECT_TRUE(model.VariableSet(2));
  EXPECT_TRUE(model.VariableSet(3)) << "a CMD26 data line writes [Variables] too";
  EXPECT_FALSE(model.VariableSet(4));
  EXPECT_EQ(model.CountWrites("deccommand"), (std::vector<std::string>{"2"}));
  EXPECT_TRUE(model.appends());
  EXPECT_TRUE(model.IsUsed("Values"));
}

TEST(CheckModelTest, AStartThatIsMissingOrEmptyReachesNothing) {
  EXPECT_EQ(ScriptModel(ScriptText::Parse("[DATA]\nLogging=1\n")).start(), StartSection::kMissing);
  const ScriptText empty = ScriptText::Parse("[CommandsList]\n; nothing\n");
  const ScriptModel model(empty);
  EXPECT_EQ(model.start(), StartSection::kEmpty);
  EXPECT_TRUE(model.command_sections().empty());
}

// The loop and the checker read one table; the facts they both use agree.
TEST(CheckModelTest, TheCommandTableGivesTheLoopAndTheCheckerOneAnswer) {
  const CommandTable table = Commands();
  ASSERT_EQ(table.count, kCommandCount);
  for (uint32_t n = 0; n < kCommandCount; ++n) {
    const CommandFacts& facts = table.entries[n];
    EXPECT_EQ(facts.number, n);
    ASSERT_NE(table.Find(n), nullptr) << n;
    EXPECT_EQ(std::string(facts.name).compare(0, 5, ShortName(n)), 0) << facts.name;
    // A command that keeps the index must end the run or the section when it returns nonzero.
    if (facts.after == AfterCommand::kKeep) {
      EXPECT_TRUE(facts.result_ends_run()) << n;
    }
    if (facts.course == Course::kMovesBack || facts.course == Course::kMovesForward) {
      EXPECT_NE(facts.count_key, nullptr) << n;
    }
  }
  EXPECT_EQ(table.Find(kCommandCount), nullptr);
}

}  // namespace
}  // namespace velsetup::check
