// Expanding a command section into the slots of [Commands]: how each form of
// line is stored, where the slots start, and when the current section simply
// goes on.
#include <gtest/gtest.h>

#include <string>

#include "engine/command_section.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "machine_run_fixture.h"

namespace velsetup::testing {
namespace {

class CommandSectionTest : public MachineRunTest {
 protected:
  std::string Key(const char* section, const std::string& key) {
    return ReadScriptString(section, key.c_str(), "<absent>", 512);
  }
  std::string Slot(const std::string& key) { return Key("Commands", key); }
};

TEST_F(CommandSectionTest, EachLineFormIsStoredAsItsSlot) {
  WriteC(kScript,
         "[CommandsList]\r\n"
         "16\r\n"
         "; a comment takes no slot\r\n"
         "   \t\r\n"
         "18,A,,B\r\n"
         "18,A,\r\n"
         "15,a;b,c\r\n"
         "16, , D:\\old.txt ; remove it\r\n"
         "copy,x\r\n");
  ASSERT_EQ(InitCommandSection(), SectionStart::kStarted);

  EXPECT_EQ(Slot("Cmd0"), "16");
  EXPECT_EQ(Slot("FullCmdSection0"), "");
  EXPECT_EQ(Slot("CmdSection0.0"), "<absent>");

  EXPECT_EQ(Slot("Cmd1"), "18");
  EXPECT_EQ(Slot("FullCmdSection1"), ",A,,B");
  EXPECT_EQ(Slot("CmdSection1.0"), "A");
  EXPECT_EQ(Slot("CmdSection1.1"), "");
  EXPECT_EQ(Slot("CmdSection1.2"), "B");

  EXPECT_EQ(Slot("CmdSection2.0"), "A");
  EXPECT_EQ(Slot("CmdSection2.1"), "");
  EXPECT_EQ(Slot("CmdSection2.2"), "<absent>");

  // The comment starts at the first ';', also inside a field.
  EXPECT_EQ(Slot("FullCmdSection3"), ",a");
  EXPECT_EQ(Slot("CmdSection3.1"), "<absent>");

  EXPECT_EQ(Slot("FullCmdSection4"), ", , D:\\old.txt");
  EXPECT_EQ(Slot("CmdSection4.0"), "");
  EXPECT_EQ(Slot("CmdSection4.1"), "D:\\old.txt");

  // Stored as text; the loop reads it as command 0.
  EXPECT_EQ(Slot("Cmd5"), "copy");
  EXPECT_EQ(Slot("Cmd6"), "<absent>");

  EXPECT_EQ(Key("State", "CurrentSection"), "CommandsList");
  EXPECT_EQ(Key("State", "NextSection"), "");
  EXPECT_EQ(velsetup::Run().current_section_name, "CommandsList");
}

TEST_F(CommandSectionTest, OnlyTheFirst259CharactersOfTheNumberCount) {
  WriteC(kScript, "[CommandsList]\r\n" + std::string(300, '7') + ",x\r\n");
  ASSERT_EQ(InitCommandSection(), SectionStart::kStarted);
  EXPECT_EQ(Slot("Cmd0"), std::string(259, '7'));
  EXPECT_EQ(Slot("CmdSection0.0"), "x");
}

TEST_F(CommandSectionTest, SwitchExpandsFromTheCurrentIndexAndKeepsHigherSlots) {
  WriteC(kScript,
         "[B]\r\n5\r\n10\r\n"
         "[Commands]\r\nCmd0=5\r\nCmd7=0\r\nCmd9=20\r\nCmd10=5\r\nCmdSection8.3=old\r\n"
         "[State]\r\nCurrentSection=A\r\nNextSection=b\r\n");
  velsetup::Run().current_cmd_index = 7;
  ASSERT_EQ(InitCommandSection(), SectionStart::kStarted);
  EXPECT_EQ(Slot("Cmd7"), "5");
  EXPECT_EQ(Slot("Cmd8"), "10");
  EXPECT_EQ(Slot("CmdSection8.3"), "old");  // never removed slot by slot
  EXPECT_EQ(Slot("Cmd9"), "20");
  EXPECT_EQ(Slot("Cmd10"), "5");
  EXPECT_EQ(Key("State", "CurrentSection"), "b");
  EXPECT_EQ(Key("State", "NextSection"), "");
  const std::vector<std::string> log = TakeLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0], "velsetup.exe> InitCommandSection()  starting from [b]");
  EXPECT_EQ(log[1], "velsetup.exe> **   Starting section >b<");
  EXPECT_EQ(log[2], "velsetup.exe> InitCommandSection()  initializtion complete.");
}

TEST_F(CommandSectionTest, CurrentSectionGoesOnWithoutTouchingTheSlots) {
  const std::string heads[] = {
      "[State]\r\nCurrentSection=A\r\nNextSection=a\r\n",  // the same section, any case
      "[State]\r\nCurrentSection=A\r\nNextSection=\r\n",   // nothing pending
      "[State]\r\nCurrentSection=A\r\n",                   // no NextSection key at all
  };
  for (const std::string& state : heads) {
    const std::string text = "[A]\r\n10\r\n[Commands]\r\nCmd0=5\r\n" + state;
    WriteC(kScript, text);
    EXPECT_EQ(InitCommandSection(), SectionStart::kContinued) << state;
    EXPECT_EQ(ReadC(kScript), text);
    EXPECT_EQ(velsetup::Run().current_section_name, "A");
  }
  // No slot 0: a pending switch is declined too.
  const std::string no_slot_zero = "[B]\r\n10\r\n[Commands]\r\nCmd1=5\r\n"
                                   "[State]\r\nCurrentSection=A\r\nNextSection=B\r\n";
  WriteC(kScript, no_slot_zero);
  EXPECT_EQ(InitCommandSection(), SectionStart::kContinued);
  EXPECT_EQ(ReadC(kScript), no_slot_zero);
  TakeLog();
}

TEST_F(CommandSectionTest, MissingOrEmptySectionFailsAndKeepsTheNewState) {
  WriteC(kScript, "[Commands]\r\nCmd0=5\r\n[State]\r\nCurrentSection=A\r\nNextSection=Gone\r\n");
  EXPECT_EQ(InitCommandSection(), SectionStart::kFailed);
  EXPECT_EQ(Key("State", "CurrentSection"), "Gone");
  EXPECT_EQ(TakeLog().back(), "velsetup.exe> ERROR-=- section [Gone] is empty..cannot initialize");

  WriteC(kScript, "[CommandsList]\r\n");
  EXPECT_EQ(InitCommandSection(), SectionStart::kFailed);
  EXPECT_EQ(Key("State", "CurrentSection"), "CommandsList");
}

}  // namespace
}  // namespace velsetup::testing
