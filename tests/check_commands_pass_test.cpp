// The commands pass: a command line's number, what it is written with and
// its fields.
#include <gtest/gtest.h>

#include <string>

#include "check_mistakes.h"

namespace velsetup::check::testing {
namespace {

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
    {"box that asks nothing given sections",
     "[CommandsList]\n17,Hi,1,Next\n[Hi.US]\nMessage1=Hello\n[Next]\n10\n",
     "2: warning: a CMD17 box of type 1 asks nothing",
     "[CommandsList]\n17,Hi,2,Next\n[Hi.US]\nMessage1=Hello\n[Next]\n10\n"},

    // Texts the engine cuts, and texts it does not cut where one might think
    {"comma inside a value", "[CommandsList]\n32,Hello, world\n",
     "2: warning: CMD32 reads 1 field: ' world' after the next comma is ignored",
     "[CommandsList]\n32,Hello world\n"},
    {"fields a command does not take", "[CommandsList]\n20,now\n",
     "2: warning: CMD20 takes no fields", "[CommandsList]\n20\n"},
    {"semicolon inside a command line", "[CommandsList]\n32,a;b\n",
     "2: warning: ';' starts a comment here: 'b'", "[CommandsList]\n32,a ; note\n"},
    {"wild card in an inline path", "[CommandsList]\n16,,C:\\temp\\?.tmp\n",
     "2: error: 'C:\\temp\\?.tmp' in field 1 of CMD16 holds a wild card",
     "[CommandsList]\n16,,C:\\temp\\a.tmp\n"},

    // Flags and numbers
    {"flag that is not TRUE", "[CommandsList]\n11,,C:\\x.exe,yes\n",
     "2: warning: 'yes' in field 2 of CMD11 is neither TRUE nor FALSE",
     "[CommandsList]\n11,,C:\\x.exe,true\n"},
    {"sleep that is no number", "[CommandsList]\n13,abc\n",
     "2: warning: 'abc' in field 0 of CMD13 is not a number", "[CommandsList]\n13,1500\n"},
    {"command without its value", "[CommandsList]\n31,,C:\\a\n",
     "2: error: CMD31 needs a path in field 2", "[CommandsList]\n31,,C:\\a,C:\\b\n"},
};

INSTANTIATE_TEST_SUITE_P(CommandsPass, CheckMistakeTest, ::testing::ValuesIn(kMistakes),
                         MistakeName);

}  // namespace
}  // namespace velsetup::check::testing
