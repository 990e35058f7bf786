// The script checker: each mistake it knows, shown by a script that makes it
// and by the same script written right, which must come out clean.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/report.h"
#include "check/script_checker.h"
#include "check/script_text.h"

namespace velsetup::check {
namespace {

std::string Findings(const std::string& script) {
  std::string out;
  for (const Diagnostic& d : CheckScript(script).Sorted()) {
    out += std::to_string(d.line) + (d.severity == Severity::kError ? ": error: " : ": warning: ") +
           d.message + "\n";
  }
  return out;
}

struct Mistake {
  const char* name;
  const char* wrong;
  const char* expected;  // "line: error: " or "line: warning: " and a part of the message
  const char* right;
};

// Scripts are short: [CommandsList] first, "\n" line ends.
const Mistake kMistakes[] = {
    // Command numbers
    {"unknown number", "[CommandsList]\n99\n", "2: error: there is no command 99",
     "[CommandsList]\n10\n"},
    {"negative number", "[CommandsList]\n-1\n", "2: error: there is no command -1",
     "[CommandsList]\n10\n"},
    {"not a number", "[CommandsList]\ncopy,a,b\n10\n", "2: error: 'copy' is not a command number",
     "[CommandsList]\n15,,a,b\n10\n"},
    {"number read loosely", "[CommandsList]\n0x0A\n",
     "2: warning: the command number '0x0A' reads as 10", "[CommandsList]\n10\n"},
    {"unsupported", "[CommandsList]\n23,x\n10\n", "2: warning: CMD23_MergeINIFile is not supported",
     "[CommandsList]\n28,C:\\more.ini\n10\n"},
    {"lines after command 0", "[CommandsList]\n32,a\n0\n32,b\n",
     "4: warning: not run with its section: line 3", "[CommandsList]\n32,a\n32,b\n0\n"},

    // Sections and how the run reaches them
    {"no CommandsList", "[DATA]\nLogging=1\n", "1: error: the script has no [CommandsList]",
     "[DATA]\nLogging=1\n[CommandsList]\n10\n"},
    {"empty CommandsList", "[CommandsList]\n; later\n", "1: error: [CommandsList] is empty",
     "[CommandsList]\n10 ; later\n"},
    {"section nothing reaches", "[CommandsList]\n10\n[Spare]\n10\n",
     "3: warning: [Spare] is never used", "[CommandsList]\n19,Spare\n[Spare]\n10\n"},
    {"jump to a missing section", "[CommandsList]\n19,Finish\n",
     "2: error: CMD19 names [Finish], which the script does not have",
     "[CommandsList]\n19,Finish\n[Finish]\n10\n"},
    {"jump to an empty section", "[CommandsList]\n19,Finish\n[Finish]\n; soon\n",
     "2: error: CMD19 names [Finish], which is empty", "[CommandsList]\n19,Finish\n[Finish]\n10\n"},
    {"branch without a section for one outcome", "[CommandsList]\n18,A,,A,A,A\n[A]\n10\n",
     "2: error: CMD18 for Windows 95 names no section", "[CommandsList]\n18,A,A,A,A,A\n[A]\n10\n"},
    {"maker branch to a missing section", "[CommandsList]\n9,Ours,Theirs\n[Ours]\n10\n",
     "2: error: CMD09 for any other machine names [Theirs]",
     "[CommandsList]\n9,Ours,Theirs\n[Ours]\n10\n[Theirs]\n20\n"},
    {"power branch to a missing section", "[CommandsList]\n30,A,A,Acpi\n[A]\n10\n",
     "2: error: CMD30 for Windows 98 with ACPI names [Acpi]",
     "[CommandsList]\n30,A,A,Acpi\n[A]\n10\n[Acpi]\n10\n"},
    {"branch to its own section", "[CommandsList]\n32,again\n19,CommandsList\n",
     "3: warning: CMD19 names its own section",
     "[CommandsList]\n32,again\n19,Again\n[Again]\n32,again\n"},
    {"branch not last", "[CommandsList]\n19,Next\n32,after\n[Next]\n10\n",
     "2: warning: the commands after this CMD19 still run",
     "[CommandsList]\n32,before\n19,Next\n[Next]\n10\n"},
    {"answer picks a missing section",
     "[CommandsList]\n17,Ask,3,Yes,Nope\n[Ask.US]\nMessage1=Go on?\n[Yes]\n10\n",
     "2: error: CMD17 for the answer No names [Nope]",
     "[CommandsList]\n17,Ask,3,Yes\n[Ask.US]\nMessage1=Go on?\n[Yes]\n10\n"},
    {"box that asks nothing given sections",
     "[CommandsList]\n17,Hi,1,Next\n[Hi.US]\nMessage1=Hello\n[Next]\n10\n",
     "2: warning: a CMD17 box of type 1 asks nothing",
     "[CommandsList]\n17,Hi,2,Next\n[Hi.US]\nMessage1=Hello\n[Next]\n10\n"},
    {"missing message section", "[CommandsList]\n17,Hello\n",
     "2: error: CMD17 reads the data section [Hello.US], which the script does not have",
     "[CommandsList]\n17,Hello\n[Hello.US]\nTitle=Setup\nMessage1=Hi\n"},
    {"NextSection written by CMD26", "[CommandsList]\n26,,State,NextSection,Finish\n",
     "2: error: CMD26 as [State] NextSection names [Finish]",
     "[CommandsList]\n26,,State,NextSection,Finish\n[Finish]\n10\n"},
    {"jump whose variable matches no section", "[CommandsList]\n19,Lang.~%C105\n[Lang]\n10\n",
     "2: error: CMD19 names 'Lang.~%C105', which no section of the script matches",
     "[CommandsList]\n19,Lang.~%C105\n[Lang.US]\n10\n[Lang.GR]\n10\n"},
    {"section the appended file may bring", "[CommandsList]\n28,C:\\more.ini\n19,More\n",
     "3: warning: CMD19 names [More], which the script does not have",
     "[CommandsList]\n28,C:\\more.ini\n19,More\n[More]\n10\n"},
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

    // Data sections and data lines
    {"missing data section", "[CommandsList]\n15,Files\n",
     "2: error: CMD15 reads the data section [Files], which the script does not have",
     "[CommandsList]\n15,Files\n[Files]\nC:\\a.txt,D:\\a.txt\n"},
    {"empty data section", "[CommandsList]\n16,Old\n[Old]\n; none yet\n",
     "2: error: CMD16 reads the data section [Old], which is empty",
     "[CommandsList]\n16,Old\n[Old]\nC:\\old\n"},
    {"command that needs a data section", "[CommandsList]\n14\n",
     "2: error: CMD14 needs the name of its data section",
     "[CommandsList]\n14,Edits\n[Edits]\n3,HKLM,Software\\X,Old,0,\n"},
    {"pair without its comma", "[CommandsList]\n31,Moves\n[Moves]\nC:\\a.txt C:\\b.txt\n",
     "4: error: no comma between source and destination",
     "[CommandsList]\n31,Moves\n[Moves]\nC:\\a.txt,C:\\b.txt\n"},
    {"pair without a destination", "[CommandsList]\n15,Files\n[Files]\nC:\\a.txt,\n",
     "4: error: the destination is missing",
     "[CommandsList]\n15,Files\n[Files]\nC:\\a.txt,C:\\b\n"},
    {"value line short of a comma", "[CommandsList]\n26,Values\n[Values]\nSetup,Key\n",
     "4: error: CMD26 needs section,key,value",
     "[CommandsList]\n26,Values\n[Values]\nSetup,Key,1\n"},
    {"value line without a key", "[CommandsList]\n26,Values\n[Values]\nSetup,,1\n",
     "4: error: the key is missing", "[CommandsList]\n26,Values\n[Values]\nSetup,Key,1\n"},
    // The tool tests the parts for emptiness before it trims them.
    {"value line with a key of blanks", "[CommandsList]\n26,Values\n[Values]\nSetup, ,1\n",
     "4: warning: the key is only blanks: CMD26 writes the value under an empty key name",
     "[CommandsList]\n26,Values\n[Values]\nSetup,Key,1\n"},
    {"variable line without a comma", "[CommandsList]\n27,Vars\n[Vars]\nV001\n",
     "4: error: CMD27 needs name,value", "[CommandsList]\n27,Vars\n[Vars]\nV001,C:\\x\n"},
    {"registry edit short of a comma",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Name,1\n",
     "4: error: the line lacks the comma before its data",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Name,1,00\n"},
    // Two digits a byte from the left: a lone last digit is a high half.
    {"registry DWORD with an odd number of digits",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Count,2,1\n",
     "4: warning: the DWORD data '1' has an odd number of digits: CMD14 stores 0x00000010 (16), "
     "not 0x00000001 (1); write it with a leading 0: '01'",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Count,2,01\n"},
    {"registry DWORD of three digits",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Port,2,3F8\n",
     "4: warning: the DWORD data '3F8' has an odd number of digits: CMD14 stores 0x00003F80 "
     "(16256), not 0x000003F8 (1016)",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Port,2,03F8\n"},
    // The log path has room for 127 characters; the rest is dropped.
    {"log file name longer than the tool keeps",
     "[DATA]\nLogFile=C:\\Logs\\Setup\\nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn"
     "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.log\n[CommandsList]\n10\n",
     "2: warning: LogFile is 138 characters long; the tool keeps 127 and logs to "
     "'C:\\Logs\\Setup\\nnn",
     "[DATA]\nLogFile=C:\\Logs\\Setup\\install.log\n[CommandsList]\n10\n"},
    {"jump to a section spelt almost right", "[CommandsList]\n19,Finsh\n[Finish]\n10\n",
     "2: error: CMD19 names [Finsh], which the script does not have: the run shows \"An internal "
     "error has occured\" there; did you mean [Finish]?",
     "[CommandsList]\n19,Finish\n[Finish]\n10\n"},
    {"data section spelt almost right", "[CommandsList]\n15,File\n[Files]\nC:\\a,C:\\b\n",
     "2: error: CMD15 reads the data section [File], which the script does not have; did you mean "
     "[Files]?",
     "[CommandsList]\n15,Files\n[Files]\nC:\\a,C:\\b\n"},
    {"registry edit action", "[CommandsList]\n14,Edits\n[Edits]\n7,HKLM,Software\\X,Name,0,a\n",
     "4: error: action 7 is none of",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,Software\\X,Name,0,a\n"},
    {"registry edit root",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKEY_CURRENT_USER,Software\\X,N,0,a\n",
     "4: warning: the root 'HKEY_CURRENT_USER' is none of",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKCU,Software\\X,N,0,a\n"},
    {"registry edit of a whole root", "[CommandsList]\n14,Edits\n[Edits]\n2,HKCU,,,0,\n",
     "4: error: action 2 with no key",
     "[CommandsList]\n14,Edits\n[Edits]\n2,HKCU,Software\\Old,,0,\n"},
    {"registry data not hexadecimal", "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,S\\X,N,2,0x10\n",
     "4: warning: the data '0x10' is not all hexadecimal",
     "[CommandsList]\n14,Edits\n[Edits]\n1,HKLM,S\\X,N,2,10\n"},
    {"hive by its abbreviation", "[CommandsList]\n3,Reg\n[Reg]\nRegHive=HKCU\nRegKey=Software\\X\n",
     "4: warning: RegHive 'HKCU' is no full hive name",
     "[CommandsList]\n3,Reg\n[Reg]\nRegHive=HKEY_CURRENT_USER\nRegKey=Software\\X\n"},
    {"single value stored as characters",
     "[CommandsList]\n3,Reg\n[Reg]\nRegKey=S\\X\nRegData=1\nRegDataType=2\n",
     "6: warning: CMD03 stores the characters of RegData",
     "[CommandsList]\n3,Reg\n[Reg]\nRegKey=S\\X\nRegData=1\n"},
    {"key the command does not read", "[CommandsList]\n4,Reg\n[Reg]\nRegKey=S\\X\nRegName=Old\n",
     "5: warning: CMD04 does not read the key 'RegName'",
     "[CommandsList]\n4,Reg\n[Reg]\nRegKey=S\\X\nRegValue=Old\n"},
    {"key tree of a whole hive", "[CommandsList]\n12,Reg\n[Reg]\nRegHive=HKEY_CURRENT_USER\n",
     "3: error: CMD12 with no RegKey",
     "[CommandsList]\n12,Reg\n[Reg]\nRegHive=HKEY_CURRENT_USER\nRegKey=S\\X\n"},
    {"program section without a program", "[CommandsList]\n11,Run\n[Run]\nWaitToExit=TRUE\n",
     "3: error: [Run] has no Program",
     "[CommandsList]\n11,Run\n[Run]\nProgram=C:\\setup.exe\nWaitToExit=TRUE\n"},
    {"link section without a link", "[CommandsList]\n1,Link\n[Link]\nLinkFile=C:\\a.lnk\n",
     "3: error: [Link] has no AddLinkFile",
     "[CommandsList]\n1,Link\n[Link]\nAddLinkFile=C:\\a.lnk\n"},
    {"line without '=' among keys",
     "[CommandsList]\n2,Link\n[Link]\nDeleteLinkFile=a.lnk\nold.lnk\n",
     "5: warning: 'old.lnk' has no '='", "[CommandsList]\n2,Link\n[Link]\nDeleteLinkFile=a.lnk\n"},
    {"comment inside a registry edit list",
     "[CommandsList]\n14,Edits\n[Edits]\n; the flag\n1,HKLM,S\\X,Flag,2,01\n",
     "4: warning: a comment line in the list of CMD14",
     "[CommandsList]\n14,Edits ; the flag\n[Edits]\n1,HKLM,S\\X,Flag,2,01\n"},
    {"ID that no system has", "[CommandsList]\n25,IDs,A,A\n[IDs]\n0x5\n[A]\n10\n",
     "4: warning: '0x5' spells no system ID",
     "[CommandsList]\n25,IDs,A,A\n[IDs]\n0x05\n171\n[A]\n10\n"},
    {"missing ID list", "[CommandsList]\n25,IDs,A,A\n[A]\n10\n",
     "2: error: CMD25 reads the data section [IDs]",
     "[CommandsList]\n25,IDs,A,A\n[IDs]\n00AB\n[A]\n10\n"},

    // Texts the engine cuts, and texts it does not cut where one might think
    {"comma inside a value", "[CommandsList]\n32,Hello, world\n",
     "2: warning: CMD32 reads 1 field: ' world' after the next comma is ignored",
     "[CommandsList]\n32,Hello world\n"},
    {"fields a command does not take", "[CommandsList]\n20,now\n",
     "2: warning: CMD20 takes no fields", "[CommandsList]\n20\n"},
    {"semicolon inside a command line", "[CommandsList]\n32,a;b\n",
     "2: warning: ';' starts a comment here: 'b'", "[CommandsList]\n32,a ; note\n"},
    {"semicolon inside a destination", "[CommandsList]\n15,Files\n[Files]\nC:\\a,D:\\a;b\n",
     "4: warning: ';' starts a comment in the destination",
     "[CommandsList]\n15,Files\n[Files]\nC:\\a,D:\\a ; the copy\n"},
    {"comment that stays in a value", "[CommandsList]\n26,Values\n[Values]\nSetup,Key,1 ; on\n",
     "4: warning: ';' starts no comment inside a value",
     "[CommandsList]\n26,Values\n[Values]\nSetup,Key,1\n"},
    {"comment that stays in a key", "[CommandsList]\n11,Run\n[Run]\nProgram=C:\\x.exe ; setup\n",
     "4: warning: ';' starts no comment",
     "[CommandsList]\n11,Run\n[Run]\n; setup\nProgram=C:\\x.exe\n"},

    // Wild cards
    {"wild card a copy list refuses", "[CommandsList]\n15,Files\n[Files]\nC:\\*.txt,D:\\\n",
     "4: error: CMD15 refuses wild cards", "[CommandsList]\n15,Files\n[Files]\nC:\\a.txt,D:\\\n"},
    {"wild card a delete list refuses", "[CommandsList]\n16,Old\n[Old]\nC:\\temp\\*.tmp\n",
     "4: error: CMD16 refuses wild cards", "[CommandsList]\n16,Old\n[Old]\nC:\\temp\n"},
    {"wild card in an inline path", "[CommandsList]\n16,,C:\\temp\\?.tmp\n",
     "2: error: 'C:\\temp\\?.tmp' in field 1 of CMD16 holds a wild card",
     "[CommandsList]\n16,,C:\\temp\\a.tmp\n"},

    // Variables
    {"bad class letter", "[CommandsList]\n16,,~%X001\\a\n", "2: error: '~%X001' is no variable",
     "[CommandsList]\n16,,~%C001\\a\n"},
    {"built-in that does not exist", "[CommandsList]\n21,,~%C002\\a\n",
     "2: error: '~%C002' names no variable", "[CommandsList]\n21,,~%C103\\a\n"},
    {"number of fewer digits", "[CommandsList]\n11,,~%C1\\setup.exe\n",
     "2: warning: the number of '~%C1\\s' reads as 1", "[CommandsList]\n11,,~%C001\\setup.exe\n"},
    {"token cut short", "[CommandsList]\n16,,C:\\~%V1\n", "2: error: '~%V1' is cut short",
     "[CommandsList]\n16,,C:\\~%V001\n[Variables]\nV001=x\n"},
    {"variable never set", "[CommandsList]\n16,,~%V005\\a\n", "2: warning: V005 is never set",
     "[CommandsList]\n27,,V005,C:\\x\n16,,~%V005\\a\n"},
    {"temporary name with text behind it", "[CommandsList]\n16,,~%C000.ini\n",
     "2: warning: '~%C000' drops the rest of the text", "[CommandsList]\n16,,~%C000\n16,,~%V000\n"},
    {"variable where nothing expands", "[CommandsList]\n32,~%C101\n",
     "2: warning: variables are not expanded in field 0 of CMD32", "[CommandsList]\n32,done\n"},
    {"variable in a data section's name", "[CommandsList]\n16,Old~%C105\n[Old~%C105]\nC:\\a\n",
     "2: warning: variables are not expanded in the data section name of CMD16",
     "[CommandsList]\n16,Old\n[Old]\nC:\\a\n"},
    {"variable name expansion never reads", "[CommandsList]\n27,,V1,x\n",
     "2: warning: CMD27 sets 'V1', which the expansion never reads",
     "[CommandsList]\n27,,v001,x\n"},
    {"variable line name expansion never reads", "[CommandsList]\n27,Vars\n[Vars]\nPath,C:\\x\n",
     "4: warning: CMD27 sets 'Path'", "[CommandsList]\n27,Vars\n[Vars]\nV010,C:\\x\n"},
    {"key of [Variables] never read", "[Variables]\nTemp=C:\\t\n[CommandsList]\n16,,~%V001\n",
     "2: warning: 'Temp' in [Variables] is never read",
     "[Variables]\nV001=C:\\t\n[CommandsList]\n16,,~%V001\n"},

    // Moving the command index
    {"move back by nothing", "[CommandsList]\n11,,C:\\x.exe\n6\n",
     "3: error: CMD06 does nothing: [DATA] DecCommand is missing",
     "[DATA]\nDecCommand=2\n[CommandsList]\n11,,C:\\x.exe,TRUE\n20\n6\n"},
    {"move forward by nothing", "[DATA]\nIncCommand=0\n[CommandsList]\n7\n32,skipped\n",
     "4: error: CMD07 does nothing: [DATA] IncCommand is '0'",
     "[DATA]\nIncCommand=1\n[CommandsList]\n7\n32,skipped\n"},
    {"loop without an end", "[DATA]\nDecCommand=2\n[CommandsList]\n5\n13,100\n6\n",
     "6: error: CMD06 moves back to line 4 and nothing in between ends the loop",
     "[DATA]\nDecCommand=2\n[CommandsList]\n5\n20\n6\n"},
    {"loop a branch cannot end", "[DATA]\nDecCommand=1\n[CommandsList]\n19,Out\n6\n[Out]\n10\n",
     "5: error: CMD06 moves back to line 4",
     "[DATA]\nDecCommand=1\n[CommandsList]\n20\n6\n19,Out\n[Out]\n10\n"},
    {"loop ended by a change of its count",
     "[DATA]\nDecCommand=1\n[CommandsList]\n26,,DATA,IncCommand,0\n6\n",
     "5: error: CMD06 moves back to line 4",
     "[DATA]\nDecCommand=1\n[CommandsList]\n26,,DATA,DecCommand,0\n6\n"},
    {"loop left by a jump forward",
     "[DATA]\nDecCommand=2\nIncCommand=1\n[CommandsList]\n7\n32,x\n6\n",
     "7: error: CMD06 moves back to line 5",
     "[DATA]\nDecCommand=2\nIncCommand=2\n[CommandsList]\n7\n32,x\n6\n"},
    {"move back before the section", "[DATA]\nDecCommand=3\n[CommandsList]\n10\n6\n",
     "5: warning: CMD06 moves back 3 commands but only 1 come before it",
     "[DATA]\nDecCommand=1\n[CommandsList]\n10\n6\n"},
    {"skip past the section's end", "[DATA]\nIncCommand=3\n[CommandsList]\n7\n32,x\n",
     "4: warning: CMD07 skips 3 commands but only 1 follow it",
     "[DATA]\nIncCommand=1\n[CommandsList]\n7\n32,x\n"},

    // Flags and numbers
    {"flag that is not TRUE", "[CommandsList]\n11,,C:\\x.exe,yes\n",
     "2: warning: 'yes' in field 2 of CMD11 is neither TRUE nor FALSE",
     "[CommandsList]\n11,,C:\\x.exe,true\n"},
    {"sleep that is no number", "[CommandsList]\n13,abc\n",
     "2: warning: 'abc' in field 0 of CMD13 is not a number", "[CommandsList]\n13,1500\n"},
    {"command without its value", "[CommandsList]\n31,,C:\\a\n",
     "2: error: CMD31 needs a path in field 2", "[CommandsList]\n31,,C:\\a,C:\\b\n"},
};

class CheckMistakeTest : public ::testing::TestWithParam<Mistake> {};

TEST_P(CheckMistakeTest, IsFoundAndItsRightFormIsClean) {
  const Mistake& mistake = GetParam();
  const std::string wrong = Findings(mistake.wrong);
  EXPECT_NE(wrong.find(mistake.expected), std::string::npos)
      << "expected \"" << mistake.expected << "\" among:\n"
      << wrong;
  EXPECT_EQ(Findings(mistake.right), "");
}

std::string MistakeName(const ::testing::TestParamInfo<Mistake>& info) {
  std::string name;
  for (const char* c = info.param.name; *c != '\0'; ++c) {
    name +=
        (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ? *c : '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(CheckScripts, CheckMistakeTest, ::testing::ValuesIn(kMistakes),
                         MistakeName);

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

// Scripts are in the machine's code page; the JSON and SARIF reports must
// stay valid UTF-8 and valid JSON whatever bytes a message quotes.
TEST(CheckReportTest, JsonStringsStayValidWhateverBytesTheScriptHolds) {
  EXPECT_EQ(JsonString("C:\\a \"b\"\t\x01"), "\"C:\\\\a \\\"b\\\"\\u0009\\u0001\"");
  EXPECT_EQ(JsonString("Gr\xFC\xDF" "e"),
            "\"Gr\xC3\xBC\xC3\x9F"
            "e\"");
}

}  // namespace
}  // namespace velsetup::check
