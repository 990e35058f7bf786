// Over-long texts in a script: each case runs the program at a length limit,
// just past it and far beyond it, and checks where the text is cut (or
// refused), that nothing beyond the cut reaches a file or the log, and that
// the run goes on. The test build runs the host program with the address and
// undefined-behaviour checkers, so a write past a buffer ends the run with a
// failure exit code. The cases that rest only on the profile calls and the
// log run on the Windows build under Wine as well.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "limits_support.h"
#include "scenario.h"

namespace velsetup::testing {
namespace {

using limits::kLog;
using limits::kLogLineMax;
using limits::kScript;
using limits::Repeat;

// A fresh machine that ran `script` with `options`. RunScript is false when
// the build cannot run here (the test is skipped) or the program did not
// end with 0, which is also how a sanitizer report ends it.
template <typename Base>
class LimitsFixture : public Base {
 protected:
  virtual Build build() const { return Build::kHost; }
  bool RunScript(const std::vector<std::string>& commands, const std::vector<std::string>& sections,
                 Os os = Os::kWin2000, const std::string& options = " -silent") {
    machine_ = MakeScenario(build(), os);
    if (!machine_->SkipReason().empty()) {
      [this] { GTEST_SKIP() << machine_->SkipReason(); }();
      return false;
    }
    machine_->WriteFile(kScript, IniText(LoggedScript(kLog, commands, sections)));
    const int status = machine_->Run(kScript + options);
    EXPECT_EQ(status, 0);
    log_ = ToolLog(*machine_, kLog);
    return status == 0;
  }
  std::string WorkingCopy() const { return machine_->ReadFile(machine_->TempDir() + "SETUP.INI"); }
  std::vector<std::string> RawLogLines() const { return limits::RawLogLines(*machine_, kLog); }
  std::string Joined() const {
    std::string all;
    for (const std::string& line : log_) all += Where(*machine_) + ": " + line + "\n";
    return all;
  }

  std::unique_ptr<Scenario> machine_;
  std::vector<std::string> log_;
};

// The cases of the host build alone (message boxes, Windows 98).
using LimitsScenario = LimitsFixture<::testing::Test>;

// The cases that need only the profile calls and the log, the same on both
// builds: the Windows build runs them under Wine as well.
class LimitsBothBuilds : public LimitsFixture<::testing::TestWithParam<Build>> {
 protected:
  Build build() const override { return GetParam(); }
};

// The command number: the slot keeps the first 259 characters of the text
// before the first comma; the loop reads it as a profile integer, which
// takes the first 29 of them. A number whose digits lie past those reads as
// 0 and ends the section like CMD00; a pending switch makes that visible.
TEST_P(LimitsBothBuilds, CommandNumberTextIsCutBeforeItIsRead) {
  const std::string read_whole = Repeat('0', 27) + "32";  // 29 characters: CMD32
  const std::string just_past = Repeat('0', 29) + "32";   // reads as 0: CMD00
  const std::string far_beyond = Repeat('0', 5000) + "32";
  if (!RunScript(
          {read_whole + ",number of 29", "19,Next", just_past + ",just past", "32,not reached"},
          {"[Next]", "32,in next", far_beyond + ",far beyond", "32,after far"}))
    return;

  EXPECT_TRUE(HasLine(log_, "CMD0> CMD32_LogMsg: 32,number of 29 ")) << Joined();
  EXPECT_TRUE(HasLine(log_, " number of 29")) << Joined();
  EXPECT_TRUE(HasLine(log_, " in next")) << Joined();
  for (const char* text : {" just past", " not reached", " far beyond", " after far"}) {
    EXPECT_FALSE(HasLine(log_, text)) << text << "\n" << Joined();
  }
  EXPECT_EQ(log_.back(), "DONE !");
  // The next section was expanded from the CMD00's slot 2 on; its stored
  // number texts are cut to 259 characters, never longer.
  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("\r\nCmd0=" + read_whole + "\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\nCmd3=" + Repeat('0', 259) + "\r\n"), std::string::npos);
  EXPECT_EQ(copy.find("=" + Repeat('0', 260)), std::string::npos);
}

// Field 0 is read into CmdParam0 (255 characters), the line as written into
// the per-command log line (259 characters with its comma), the inline fields
// of CMD26 into 511 characters each.
TEST_P(LimitsBothBuilds, FieldsAreReadWithTheCapacityOfTheirBuffers) {
  const std::string a255 = Repeat('a', 255), b300 = Repeat('b', 300), c2000 = Repeat('c', 2000);
  const std::string key511 = Repeat('k', 511), value511 = Repeat('v', 511);
  const std::string key600 = Repeat('q', 600), value600 = Repeat('w', 5000);
  if (!RunScript(
          {"32," + a255, "32," + b300, "32," + c2000, "26,,Limits," + key511 + "," + value511,
           "26,,Limits," + key600 + "," + value600, "32,after"},
          {}))
    return;

  EXPECT_TRUE(HasLine(log_, " " + a255)) << Joined();
  EXPECT_TRUE(HasLine(log_, " " + Repeat('b', 255))) << Joined();
  EXPECT_TRUE(HasLine(log_, " " + Repeat('c', 255))) << Joined();
  EXPECT_TRUE(HasLine(log_, "CMD1> CMD32_LogMsg: 32," + Repeat('b', 258) + " ")) << Joined();
  EXPECT_TRUE(HasLine(log_, "CMD2> CMD32_LogMsg: 32," + Repeat('c', 258) + " ")) << Joined();
  EXPECT_TRUE(HasLine(log_, " after")) << Joined();

  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("\r\n" + key511 + "=" + value511 + "\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\n" + Repeat('q', 511) + "=" + Repeat('w', 511) + "\r\n"),
            std::string::npos);
  // The slot keeps the whole field; what the command read and wrote is cut.
  EXPECT_NE(copy.find("=" + value600 + "\r\n"), std::string::npos);
  EXPECT_EQ(copy.find(Repeat('q', 512) + "="), std::string::npos);
}

// The data lines of CMD26: a field of 511 characters is written whole; one
// longer is not cut (a cut value would be written as if whole) but its line
// is skipped with a warning, and the next line is still carried out.
TEST_P(LimitsBothBuilds, DataLineFieldsLongerThan511AreSkipped) {
  const std::string v511 = Repeat('v', 511), v512 = Repeat('x', 512), v9000 = Repeat('y', 9000);
  if (!RunScript(
          {"26,Values", "32,after"},
          {"[Values]", "Out,AtLimit," + v511, "Out,JustPast," + v512, "Out,FarBeyond," + v9000,
           "Out," + Repeat('k', 512) + ",key too long", "Out,Last,written"}))
    return;

  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("\r\nAtLimit=" + v511 + "\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\nLast=written\r\n"), std::string::npos);
  EXPECT_EQ(copy.find("JustPast="), std::string::npos);
  EXPECT_EQ(copy.find("FarBeyond="), std::string::npos);
  EXPECT_EQ(copy.find("=key too long"), std::string::npos);
  const std::vector<std::string> warnings = {
      "WARNINIG-=- Field longer than 511 characters, line skipped >" + Repeat('x', 40) + "...<",
      "WARNINIG-=- Field longer than 511 characters, line skipped >" + Repeat('y', 40) + "...<",
      "WARNINIG-=- Field longer than 511 characters, line skipped >" + Repeat('k', 40) + "...<"};
  EXPECT_EQ(Picked(log_, warnings), warnings) << Joined();
  EXPECT_TRUE(HasLine(log_, " after")) << Joined();
}

// Section names are held in 128 characters. A name of 127 is reached as it
// stands; a longer one reaches the section its first 127 characters name.
// CMD19 reads its target as field 0, so a name past 255 is looked for cut
// there, is not found, and the run goes on with the next command.
TEST_P(LimitsBothBuilds, SectionNamesHold127Characters) {
  const std::string s127 = "S" + Repeat('n', 126);
  const std::string t127 = "T" + Repeat('n', 126), t128 = t127 + "X";
  const std::string u300 = "U" + Repeat('n', 299);
  if (!RunScript({"19," + s127},
                 {"[" + s127 + "]", "32,127 reached", "19," + t128, "[" + t127 + "]",
                  "32,cut name reached", "19," + u300, "32,after far", "[" + t128 + "]",
                  "32,whole name reached", "[" + u300 + "]", "32,far reached"}))
    return;

  const std::vector<std::string> wanted = {" 127 reached", " cut name reached", " after far",
                                           " whole name reached", " far reached"};
  EXPECT_EQ(Picked(log_, wanted),
            (std::vector<std::string>{" 127 reached", " cut name reached", " after far"}))
      << Joined();
  EXPECT_TRUE(HasLine(log_, "**   Starting section >" + t127 + "<")) << Joined();
  EXPECT_TRUE(HasLine(log_, "ERROR-=- Section [" + u300.substr(0, 255) + "] is not found!"))
      << Joined();
  EXPECT_EQ(log_.back(), "DONE !");
}

// A message box's title and each of its lines hold 127 characters; the
// message section's name, field 0 and ".US", is a section name of 127.
TEST_F(LimitsScenario, MessageBoxTextsHold127CharactersALine) {
  const std::string title = Repeat('t', 300), line127 = Repeat('l', 127),
                    line300 = Repeat('m', 300);
  const std::string fits = "B" + Repeat('n', 123), past = fits + "o";  // 127 and 128 with ".US"
  if (!RunScript({"17," + fits, "17," + past, "32,after"},
                 {"[" + fits + ".US]", "Title=" + title, "Message1=" + line127,
                  "Message2=" + line300, "[" + past + ".US]", "Message1=never shown"},
                 Os::kWin2000, ""))
    return;
  const std::string events = machine_->Events();
  EXPECT_NE(events.find("\"title\":\"" + Repeat('t', 127) + "\",\"text\":\"" + line127 + "\\n" +
                        Repeat('m', 127) + "\\n\""),
            std::string::npos)
      << events;
  EXPECT_EQ(events.find("never shown"), std::string::npos);
  EXPECT_TRUE(
      HasLine(log_, "ERROR-=- Missing the Message Section [" + (past + ".US").substr(0, 127) + "]"))
      << Joined();
  EXPECT_TRUE(HasLine(log_, " after")) << Joined();
}

// Script variables are read into 260 characters, and a replacement (value and
// the rest of the text) must fit 259: a longer one keeps its token.
TEST_P(LimitsBothBuilds, ScriptVariablesAreCutTo259Characters) {
  const std::string v259 = Repeat('a', 259), v300 = Repeat('b', 300);
  if (!RunScript(
          {"26,,Out,AtLimit,~%V001", "26,,Out,Cut,~%V002", "26,,Out,WithRest,~%V001x", "32,after"},
          {"[Variables]", "V001=" + v259, "V002=" + v300}))
    return;

  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("\r\nAtLimit=" + v259 + "\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\nCut=" + Repeat('b', 259) + "\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\nWithRest=~%V001x\r\n"), std::string::npos);
  EXPECT_TRUE(
      HasLine(log_, "ERROR-=-  replaced text of 260 characters would not fit in 259, token kept."))
      << Joined();
  EXPECT_TRUE(HasLine(log_, " after")) << Joined();
}

// Several replacements grow a 512-character parameter past its buffer: those
// that fit are made, the one that would pass 511 characters keeps its token.
TEST_P(LimitsBothBuilds, ExpansionStopsAtTheParameterBuffer) {
  const std::string a = Repeat('a', 200), b = Repeat('b', 200);
  if (!RunScript({"26,,Out,Exact,~%V001~%V002~%V003", "26,,Out,Over,~%V001~%V002~%V004", "26,Lines",
                  "32,after"},
                 {"[Variables]", "V001=" + a, "V002=" + b, "V003=" + Repeat('c', 111),
                  "V004=" + Repeat('d', 112), "V005=" + Repeat('e', 240), "[Lines]",
                  "Out,Far,~%V005~%V005~%V005~%V005"}))
    return;

  const std::string copy = WorkingCopy();
  EXPECT_NE(copy.find("\r\nExact=" + a + b + Repeat('c', 111) + "\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\nOver=" + a + b + "~%V004\r\n"), std::string::npos);
  EXPECT_NE(copy.find("\r\nFar=" + Repeat('e', 480) + "~%V005~%V005\r\n"), std::string::npos);
  EXPECT_TRUE(
      HasLine(log_, "ERROR-=-  replaced text of 512 characters would not fit in 511, token kept."))
      << Joined();
  EXPECT_TRUE(HasLine(log_, " after")) << Joined();
  for (const std::string& line : RawLogLines()) EXPECT_LE(line.size(), kLogLineMax);
}

// A log line is formatted into 512 characters: 511 are written whole, a
// longer line loses what lies past them, and the next line follows intact.
TEST_P(LimitsBothBuilds, LogLinesAreCutAt511Characters) {
  // "[hh:mm:ss.mmm]  velsetup.exe> Writing:  [Out]:" is 46 characters before
  // the key, then the key, "=" and the value.
  const size_t head = 46;
  const std::string key = "K";
  const std::string fits = Repeat('f', kLogLineMax - head - key.size() - 1);
  const std::string over = fits + "g";
  if (!RunScript({"26,,Out," + key + "," + fits, "26,,Out," + key + "," + over,
                  "26,,Out," + Repeat('h', 511) + "," + Repeat('i', 511), "32,after"},
                 {}))
    return;

  const std::vector<std::string> raw = RawLogLines();
  std::vector<std::string> writing;
  for (const std::string& line : raw) {
    EXPECT_LE(line.size(), kLogLineMax);
    if (line.find("Writing: ") != std::string::npos) writing.push_back(line);
  }
  ASSERT_EQ(writing.size(), 3u);
  EXPECT_EQ(writing[0].size(), kLogLineMax);
  EXPECT_EQ(writing[0].substr(head - 6), "[Out]:" + key + "=" + fits) << writing[0];
  EXPECT_EQ(writing[1].substr(15), writing[0].substr(15));  // the character past 511 is gone
  EXPECT_EQ(writing[2].size(), kLogLineMax);
  EXPECT_EQ(writing[2].substr(head - 6), "[Out]:" + Repeat('h', kLogLineMax - head));
  EXPECT_TRUE(HasLine(log_, " after")) << Joined();
}

// A data section of a megabyte (CMD16 with 10,000 paths): the NT family
// reads it whole; Windows 98 stops growing the buffer past 32 KB, warns, and
// carries out what the cut block holds.
TEST_F(LimitsScenario, ASectionOfOneMegabyte) {
  std::vector<std::string> sections = {"[Gone]"};
  for (int i = 0; i < 10000; ++i) {
    sections.push_back("C:\\KIT\\gone\\" + Repeat('g', 80) + std::to_string(10000 + i));
  }
  sections.push_back("C:\\KIT\\last.t");
  for (Os os : {Os::kWin2000, Os::kWin98}) {
    SCOPED_TRACE(OsName(os));
    machine_ = MakeScenario(Build::kHost, os);
    machine_->WriteFile("C:\\KIT\\last.t", "last");
    machine_->WriteFile(kScript, IniText(LoggedScript(kLog, {"16,Gone", "32,after"}, sections)));
    ASSERT_EQ(machine_->Run(kScript + " -silent"), 0);
    log_ = ToolLog(*machine_, kLog);
    const bool whole = os == Os::kWin2000;
    EXPECT_EQ(machine_->Exists("C:\\KIT\\last.t"), !whole);
    EXPECT_EQ(HasLine(log_, "WARINING -=-Section Size is to large for Win9X"), !whole);
    const auto missing = std::count_if(log_.begin(), log_.end(), [](const std::string& line) {
      return line.rfind("WARNING-=- Cannot find >C:\\KIT\\gone\\", 0) == 0;
    });
    // 97 characters and a zero a line: 16,638 characters hold 169 whole lines.
    EXPECT_EQ(missing, whole ? 10000 : 169);
    EXPECT_TRUE(HasLine(log_, " after"));
    EXPECT_EQ(log_.back(), "DONE !");
  }
}

// On Windows 98 the cut of a large section can fall inside a line. That
// line is left out: cut short, C:\KIT\keep.t.old would name C:\KIT\keep.t.
TEST_F(LimitsScenario, TheLineACutSectionEndsInIsLeftOut) {
  // The block of the last read holds 16,638 characters of lines and their
  // zeros: 166 lines of 100, one of 25, then the first 13 characters of
  // the 17 of C:\KIT\keep.t.old.
  std::vector<std::string> sections = {"[Gone]"};
  for (int i = 0; i < 166; ++i) sections.push_back("C:\\KIT\\gone\\" + Repeat('g', 86) + "x");
  sections.push_back("C:\\KIT\\gone\\" + Repeat('g', 12));
  sections.push_back("C:\\KIT\\keep.t.old");
  for (int i = 0; i < 10; ++i) sections.push_back("C:\\KIT\\gone\\" + Repeat('g', 86) + "y");
  machine_ = MakeScenario(Build::kHost, Os::kWin98);
  machine_->WriteFile("C:\\KIT\\keep.t", "keep");
  machine_->WriteFile(kScript, IniText(LoggedScript(kLog, {"16,Gone", "32,after"}, sections)));
  ASSERT_EQ(machine_->Run(kScript + " -silent"), 0);
  log_ = ToolLog(*machine_, kLog);
  EXPECT_TRUE(HasLine(log_, "WARINING -=-Section Size is to large for Win9X")) << Joined();
  EXPECT_EQ(machine_->ReadFile("C:\\KIT\\keep.t"), "keep");
  EXPECT_TRUE(
      HasLine(log_, "WARNING-=- Cannot find >C:\\KIT\\gone\\" + Repeat('g', 12) + "< to delete"))
      << Joined();
  EXPECT_EQ(Joined().find("keep.t"), std::string::npos) << Joined();
  EXPECT_EQ(Joined().find("gy<"), std::string::npos) << Joined();
  EXPECT_TRUE(HasLine(log_, " after"));
}

INSTANTIATE_TEST_SUITE_P(Builds, LimitsBothBuilds, ::testing::Values(Build::kHost, Build::kWine),
                         [](const auto& info) { return std::string(BuildName(info.param)); });

}  // namespace
}  // namespace velsetup::testing
