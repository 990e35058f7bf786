// The variables pass: ~%Cnnn and ~%Vnnn tokens and the keys of [Variables].
#include <gtest/gtest.h>

#include <string>

#include "check_mistakes.h"

namespace velsetup::check::testing {
namespace {

// Scripts are short: [CommandsList] first, "\n" line ends.
const Mistake kMistakes[] = {
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
};

INSTANTIATE_TEST_SUITE_P(VariablesPass, CheckMistakeTest, ::testing::ValuesIn(kMistakes),
                         MistakeName);

}  // namespace
}  // namespace velsetup::check::testing
