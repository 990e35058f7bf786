// The data sections pass: the section a command names, its lines and its
// keys.
#include <gtest/gtest.h>

#include <string>

#include "check_mistakes.h"

namespace velsetup::check::testing {
namespace {

// Scripts are short: [CommandsList] first, "\n" line ends.
const Mistake kMistakes[] = {
    {"missing message section", "[CommandsList]\n17,Hello\n",
     "2: error: CMD17 reads the data section [Hello.US], which the script does not have",
     "[CommandsList]\n17,Hello\n[Hello.US]\nTitle=Setup\nMessage1=Hi\n"},

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
};

INSTANTIATE_TEST_SUITE_P(DataPass, CheckMistakeTest, ::testing::ValuesIn(kMistakes),
                         MistakeName);

}  // namespace
}  // namespace velsetup::check::testing
