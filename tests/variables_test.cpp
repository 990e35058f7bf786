#include "services/variables.h"

#include <unistd.h>

#include "engine/script_file.h"
#include "engine/text_format.h"
#include "platform/language_codes.h"
#include "machine_run_fixture.h"

namespace velsetup {
namespace {

using Lines = std::vector<std::string>;

class GetVariableTest : public testing::MachineRunTest {
 protected:
  void SetUp() override {
    MachineRunTest::SetUp();
    WriteC(kScript, "[Variables]\r\nV003=C:\\Temp\r\nV001=one\r\n");
  }
  // The text after expansion in a buffer of `capacity`, and the count.
  std::pair<std::string, int> Expand(std::string text, size_t capacity = 512) {
    const int count = GetVariable(&text, capacity);
    return {text, count};
  }
  void SetVariable(const char* key, const std::string& value) {
    WriteScriptString("Variables", key, value.c_str());
  }
  std::string TempName() const { return Format("TMP%05u", static_cast<unsigned>(::getpid() % 100000)); }
};

using Result = std::pair<std::string, int>;

TEST_F(GetVariableTest, BuiltInDirectoriesAndTheToolsOwnDirectory) {
  EXPECT_EQ(Expand("~%C102\\oem.inf"), Result("C:\\WINDOWS\\inf\\oem.inf", 1));
  EXPECT_EQ(Expand("~%c101"), Result("C:\\WINDOWS", 1));
  EXPECT_EQ(Expand("~%C103"), Result("C:\\WINDOWS\\SYSTEM", 1));
  EXPECT_EQ(Expand("~%C104\\x.sys"), Result("C:\\WINDOWS\\SYSTEM\\Drivers\\x.sys", 1));
  EXPECT_EQ(Expand("~%C001\\setup.ini"), Result("D:\\util\\setup.ini", 1));
  // The token is six characters whatever they hold: " 1\" reads as 1.
  EXPECT_EQ(Expand("~%C 1\\x"), Result("D:\\utilx", 1));
  EXPECT_EQ(Expand("~%C101;~%C103"), Result("C:\\WINDOWS;C:\\WINDOWS\\SYSTEM", 2));
  EXPECT_EQ(Expand("~%C105"), Result("GR", 1));
}

TEST_F(GetVariableTest, ScriptVariablesAndNesting) {
  EXPECT_EQ(Expand("copy ~%V003\\a.txt"), Result("copy C:\\Temp\\a.txt", 1));
  EXPECT_EQ(Expand("copy ~%V004\\a.txt"), Result("copy \\a.txt", 1));  // unset: empty
  EXPECT_EQ(Expand("~%V1ab\\c"), Result("one\\c", 1));
  EXPECT_EQ(Expand("~%v003"), Result("C:\\Temp", 1));
  SetVariable("V010", "~%C101\\~%V003");
  EXPECT_EQ(Expand("[~%V010]"), Result("[C:\\WINDOWS\\C:\\Temp]", 3));
  // Only V and three digits is a variable's key.
  SetVariable("V1", "short");
  EXPECT_EQ(Expand("~%V  1"), Result("one", 1));
}

TEST_F(GetVariableTest, ReplacementLogLines) {
  TakeLog();
  EXPECT_EQ(Expand("no tokens ~ % here"), Result("no tokens ~ % here", 0));
  EXPECT_TRUE(TakeLog().empty());
  Expand("a~%V003b");
  EXPECT_EQ(TakeLog(), (Lines{"velsetup.exe>  replaced variable in string.",
                              "velsetup.exe>  full string now is: aC:\\Tempb"}));
}

TEST_F(GetVariableTest, TemporaryFileDropsTheRestAndIsKeptAsV000) {
  TakeLog();
  const std::string path = "C:\\WINDOWS\\TEMP\\" + TempName();
  EXPECT_EQ(Expand("~%C000.ini"), Result(path, 1));
  EXPECT_EQ(TakeLog(), (Lines{"velsetup.exe>  ** creating " + path + " and will save in V000",
                              "velsetup.exe>  replaced variable in string.",
                              "velsetup.exe>  full string now is: " + path}));
  EXPECT_EQ(ReadScriptString("Variables", "V000", "", 260), path);
  EXPECT_EQ(Expand("~%V000\\x"), Result(path + "\\x", 1));
  EXPECT_EQ(Expand("~%Cxyz"), Result(path, 1));  // no digit reads as 0
}

TEST_F(GetVariableTest, InvalidClassLetterStopsTheExpansion) {
  TakeLog();
  EXPECT_EQ(Expand("~%X001 ~%C101"), Result("~%X001 ~%C101", 0));
  EXPECT_EQ(TakeLog(),
            (Lines{"velsetup.exe> ERROR-=-  variable token ~% found but leading character not valid",
                   "velsetup.exe> ERROR-=- ~%X001 ~%C101"}));
  EXPECT_EQ(Expand("~%C101 ~%Q ~%C101"), Result("C:\\WINDOWS ~%Q ~%C101", 1));
  // The text is logged from the previous token's place on.
  EXPECT_EQ(TakeLog().back(), "velsetup.exe> ERROR-=- C:\\WINDOWS ~%Q ~%C101");
}

TEST_F(GetVariableTest, NamesWithoutAVariableStayAsWrittenAndTheSearchGoesOn) {
  TakeLog();
  EXPECT_EQ(Expand("~%C002\\a"), Result("~%C002\\a", 1));
  EXPECT_EQ(TakeLog(), (Lines{"velsetup.exe> GetVariable( ) variable not found for  ~%C002\\a",
                              "velsetup.exe> ERROR-=-  variable token found but no replacement made.",
                              "velsetup.exe> ERROR-=- ~%C002\\a"}));
  // The token left behind is never met again; the one after it is expanded.
  EXPECT_EQ(Expand("~%C106~%C101"), Result("~%C106C:\\WINDOWS", 2));
  TakeLog();
  EXPECT_EQ(Expand("x ~%V-01y"), Result("x ~%V-01y", 1));
  EXPECT_EQ(TakeLog().front(), "velsetup.exe> GetVariable( ) variable not found for  x ~%V-01y");
}

TEST_F(GetVariableTest, TokensCutShortByTheEndNameNoVariable) {
  EXPECT_EQ(Expand("abc~%C10"), Result("abc~%C10", 1));
  EXPECT_EQ(Expand("abc~%V"), Result("abc~%V", 1));
  EXPECT_EQ(Expand("abc~%"), Result("abc~%", 0));
  EXPECT_EQ(Expand("~%C101~%C1"), Result("C:\\WINDOWS~%C1", 2));
}

TEST_F(GetVariableTest, SelfReferringVariablesEnd) {
  SetVariable("V020", "~%V020");
  SetVariable("V021", "~%V022");
  SetVariable("V022", "x~%V021");
  TakeLog();
  const Result direct = Expand("~%V020");
  EXPECT_EQ(direct.first, "~%V020");
  EXPECT_EQ(direct.second, kMaxReplacementsPerText + 1);
  EXPECT_NE(TakeLog().at(2 * kMaxReplacementsPerText).find("expansion stopped"), std::string::npos);
  // Through another variable the text grows until it no longer fits.
  const Result indirect = Expand("~%V021");
  EXPECT_LE(indirect.first.size(), 511u);
  EXPECT_NE(indirect.first.find("~%V02"), std::string::npos);
}

TEST_F(GetVariableTest, ResultsThatDoNotFitKeepTheToken) {
  SetVariable("V030", std::string(250, 'v'));
  TakeLog();
  // Value and rest beyond the 259 characters of the work buffer.
  const std::string rest(10, 'r');
  EXPECT_EQ(Expand("~%V030" + rest), Result("~%V030" + rest, 1));
  EXPECT_EQ(TakeLog().front(),
            "velsetup.exe> ERROR-=-  replaced text of 260 characters would not fit in 259, token kept.");
  EXPECT_EQ(Expand("~%V030" + rest.substr(1)).first, std::string(250, 'v') + rest.substr(1));
  // The caller's capacity: 10 + 11 characters need a buffer of 22.
  EXPECT_EQ(Expand("~%C101\\abcdefghij", 21).first, "~%C101\\abcdefghij");
  EXPECT_EQ(Expand("~%C101\\abcdefghij", 22).first, "C:\\WINDOWS\\abcdefghij");
  // A text full of tokens is expanded whole, well within the bound; behind a
  // token no more than the work buffer's 259 characters fit.
  std::string many;
  for (int i = 0; i < 43; ++i) many += "~%V009";
  EXPECT_EQ(Expand(many), Result("", 43));
  EXPECT_EQ(Expand("~%V009~%V009" + many).first, "~%V009");
}

TEST(LanguageCodeOf, TableWithItsSublanguages) {
  const std::pair<uint16_t, const char*> cases[] = {
      {0x0401, "AR"}, {0x0402, "BU"}, {0x0804, "CH"}, {0x0404, "TW"}, {0x0C04, "TW"},
      {0x1004, "TW"}, {0x1404, nullptr}, {0x0405, "CS"}, {0x0406, "DK"}, {0x0407, "GR"},
      {0x0C07, "GR"}, {0x0408, "GK"}, {0x0409, "US"}, {0x0809, "US"}, {0x040A, "SP"},
      {0x0C0A, "SP"}, {0x040B, "FI"}, {0x040C, "FR"}, {0x040D, "IL"}, {0x040E, "HU"},
      {0x0410, "IT"}, {0x0411, "JP"}, {0x0412, "KR"}, {0x0413, "NL"}, {0x0414, "NO"},
      {0x0814, "NO"}, {0x0415, "PL"}, {0x0416, "BR"}, {0x0816, "PT"}, {0x0418, "RO"},
      {0x0419, "RU"}, {0x041B, "SK"}, {0x041D, "SE"}, {0x041E, "TH"}, {0x041F, "TR"},
      {0x0421, "ID"}, {0x0424, "SL"}, {0x0000, nullptr}, {0x0403, nullptr},
      {0x040F, nullptr}, {0x0426, nullptr}, {0x0417, nullptr}, {0x041A, nullptr}};
  for (const auto& [id, code] : cases) {
    const char* got = LanguageCodeOf(id);
    EXPECT_EQ(got == nullptr ? "(none)" : std::string(got), code == nullptr ? "(none)" : code)
        << std::hex << id;
  }
}

class GetVariableLanguageTest : public testing::MachineRunTest {
  void SetUp() override { OpenMachine("OS=win2000\nUserLanguage=0x0403"); }
};

TEST_F(GetVariableLanguageTest, ALanguageWithoutACodeLeavesTheToken) {
  std::string text = "~%C105\\readme.txt";
  EXPECT_EQ(GetVariable(&text, 512), 1);
  EXPECT_EQ(text, "~%C105\\readme.txt");
  const Lines log = TakeLog();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "velsetup.exe> ERROR-=-  variable token found but no replacement made.");
  std::string system = "~%C104";
  GetVariable(&system, 512);
  EXPECT_EQ(system, "C:\\WINNT\\system32\\Drivers");
}

}  // namespace
}  // namespace velsetup
