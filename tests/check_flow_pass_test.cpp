// The branches and loops pass: where targets lead, what runs after a branch
// or a command 0, and the moves of CMD06 and CMD07.
#include <gtest/gtest.h>

#include <string>

#include "check_mistakes.h"

namespace velsetup::check::testing {
namespace {

// Scripts are short: [CommandsList] first, "\n" line ends.
const Mistake kMistakes[] = {
    {"lines after command 0", "[CommandsList]\n32,a\n0\n32,b\n",
     "4: warning: not run with its section: line 3", "[CommandsList]\n32,a\n32,b\n0\n"},
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
    {"NextSection written by CMD26", "[CommandsList]\n26,,State,NextSection,Finish\n",
     "2: error: CMD26 as [State] NextSection names [Finish]",
     "[CommandsList]\n26,,State,NextSection,Finish\n[Finish]\n10\n"},
    {"jump whose variable matches no section", "[CommandsList]\n19,Lang.~%C105\n[Lang]\n10\n",
     "2: error: CMD19 names 'Lang.~%C105', which no section of the script matches",
     "[CommandsList]\n19,Lang.~%C105\n[Lang.US]\n10\n[Lang.GR]\n10\n"},
    {"section the appended file may bring", "[CommandsList]\n28,C:\\more.ini\n19,More\n",
     "3: warning: CMD19 names [More], which the script does not have",
     "[CommandsList]\n28,C:\\more.ini\n19,More\n[More]\n10\n"},
    {"jump to a section spelt almost right", "[CommandsList]\n19,Finsh\n[Finish]\n10\n",
     "2: error: CMD19 names [Finsh], which the script does not have: the run shows \"An internal "
     "error has occured\" there; did you mean [Finish]?",
     "[CommandsList]\n19,Finish\n[Finish]\n10\n"},

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
};

INSTANTIATE_TEST_SUITE_P(FlowPass, CheckMistakeTest, ::testing::ValuesIn(kMistakes),
                         MistakeName);

}  // namespace
}  // namespace velsetup::check::testing
