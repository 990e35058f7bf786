// The lab's matrix file and its command line: what a user writes by hand,
// read strictly, since a typo would otherwise test a machine nobody meant.
#include <gtest/gtest.h>

#include "lab/lab_arguments.h"
#include "lab/matrix.h"

namespace velsetup::lab {
namespace {

std::string ValueOf(const Profile& profile, const std::string& section, const std::string& key) {
  for (const Profile::Setting& setting : profile.machine) {
    if (setting.section == section && setting.key == key) return setting.value;
  }
  return "<absent>";
}

TEST(LabMatrix, DefaultsApplyToEveryProfileAndAProfileOverridesThem) {
  const std::string text =
      "; engineers' matrix\n"
      "[Defaults]\n"
      "options=-silent  -noreboot\n"
      "UserLanguage=0x0407\n"
      "Answers=Yes,No\n"
      "[win98-acpi]\n"
      "OS=Win98\n"
      "power=acpi\n"
      "[nt4-foreign]\n"
      "OS=nt4\n"
      "Signature=\n"
      "UserLanguage=0x0409\n"
      "systemid=0x12\n";
  std::vector<Profile> profiles;
  std::string error;
  ASSERT_TRUE(ParseMatrix(text, "m.ini", &profiles, &error)) << error;
  ASSERT_EQ(profiles.size(), 2u);
  EXPECT_EQ(profiles[0].name, "win98-acpi");
  EXPECT_EQ(profiles[0].os, "win98");
  EXPECT_EQ(profiles[0].power, "ACPI");
  EXPECT_EQ(profiles[0].answers, "Yes,No");
  EXPECT_EQ(profiles[0].options, (std::vector<std::string>{"-silent", "-noreboot"}));
  EXPECT_EQ(ValueOf(profiles[0], "Machine", "UserLanguage"), "0x0407");
  EXPECT_EQ(ValueOf(profiles[0], "Bios", "Signature"), "<absent>");

  EXPECT_EQ(profiles[1].os, "nt4");
  EXPECT_EQ(profiles[1].power, "");
  EXPECT_EQ(ValueOf(profiles[1], "Machine", "UserLanguage"), "0x0409");
  EXPECT_EQ(ValueOf(profiles[1], "Bios", "Signature"), "");
  // Keys go to their machine.ini section in machine.ini's spelling.
  EXPECT_EQ(ValueOf(profiles[1], "Bios", "SystemID"), "0x12");
  // The lab's own keys never reach machine.ini.
  for (const Profile::Setting& setting : profiles[1].machine) {
    EXPECT_TRUE(setting.section == "Machine" || setting.section == "Bios") << setting.section;
  }
}

TEST(LabMatrix, AProfileWithoutOsIsTheMachinesDefault) {
  std::vector<Profile> profiles;
  std::string error;
  ASSERT_TRUE(ParseMatrix("[plain]\nIdString=LAB\n", "m.ini", &profiles, &error)) << error;
  EXPECT_EQ(profiles[0].os, "win2000");
}

TEST(LabMatrix, BadInputIsRefusedNamingFileSectionAndKey) {
  struct Case {
    const char* text;
    std::vector<std::string> said;
  };
  const Case cases[] = {
      {"[a]\nOS=win98\nModulePath=C:\\x.exe\n", {"m.ini", "[a]", "ModulePath"}},
      {"[Defaults]\nColour=blue\n[a]\n", {"m.ini", "[Defaults]", "Colour"}},
      {"[a]\nOS=win31\n", {"m.ini", "[a]", "OS", "win31"}},
      {"[a]\nOS=winxp\nPower=ACPI\n", {"[a]", "Power", "winxp"}},
      {"[a]\nOS=win98\nPower=battery\n", {"[a]", "Power", "battery"}},
      {"[Defaults]\nOS=win98\n", {"m.ini", "no profile"}},
      {"", {"m.ini", "no profile"}},
      {"[a]\n[A]\n", {"[A]", "second profile"}},
      {"OS=win98\n[a]\n", {"m.ini", "before any"}},
      {"[a]\nOS\n", {"[a]", "OS"}},
      {"[../up]\nOS=win95\n", {"[../up]", "name"}},
      {"[a b]\nOS=win95\n", {"[a b]", "name"}},
  };
  for (const Case& c : cases) {
    std::vector<Profile> profiles;
    std::string error;
    EXPECT_FALSE(ParseMatrix(c.text, "m.ini", &profiles, &error)) << c.text;
    for (const std::string& word : c.said) {
      EXPECT_NE(error.find(word), std::string::npos) << c.text << " -> " << error;
    }
  }
}

TEST(LabMatrix, TheDefaultMatrixHasEveryWindowsAsTheMakersAndAsAForeignPc) {
  const std::vector<Profile> profiles = DefaultMatrix();
  ASSERT_EQ(profiles.size(), 14u);
  std::vector<std::string> names;
  for (const Profile& profile : profiles) names.push_back(profile.name);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "win95", "win95-foreign", "win98-apm", "win98-apm-foreign", "win98-acpi",
                       "win98-acpi-foreign", "winme", "winme-foreign", "nt4", "nt4-foreign",
                       "win2000", "win2000-foreign", "winxp", "winxp-foreign"}));
  EXPECT_EQ(profiles[4].power, "ACPI");
  EXPECT_EQ(profiles[2].power, "APM");
  EXPECT_EQ(ValueOf(profiles[4], "Bios", "Signature"), "<absent>");
  EXPECT_EQ(ValueOf(profiles[5], "Bios", "Signature"), "");
  EXPECT_EQ(profiles[8].os, "nt4");
}

TEST(LabArguments, OptionsTakeTheirValueEitherWayAndBadOnesAreNamed) {
  LabArguments parsed;
  std::string error;
  ASSERT_TRUE(ParseLabArguments({"s.ini", "--matrix", "m.ini", "--jobs=3", "--timeout", "5",
                                 "--json", "r.json", "--keep=k"},
                                &parsed, &error))
      << error;
  EXPECT_EQ(parsed.script, "s.ini");
  EXPECT_EQ(parsed.matrix, "m.ini");
  EXPECT_EQ(parsed.jobs, 3);
  EXPECT_EQ(parsed.timeout_seconds, 5);
  EXPECT_EQ(parsed.json, "r.json");
  EXPECT_EQ(parsed.keep, "k");
  EXPECT_TRUE(ParseLabArguments({"--help"}, &parsed, &error));
  EXPECT_TRUE(parsed.help);

  const std::vector<std::vector<std::string>> bad = {
      {}, {"a.ini", "b.ini"}, {"a.ini", "--jobs", "0"}, {"a.ini", "--timeout", "x"},
      {"a.ini", "--json"}, {"a.ini", "--colour"}, {"a.ini", "--matrix="}};
  for (const auto& arguments : bad) {
    error.clear();
    EXPECT_FALSE(ParseLabArguments(arguments, &parsed, &error));
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
}  // namespace velsetup::lab
