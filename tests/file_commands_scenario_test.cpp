// The file commands on a whole machine, on both builds: trees copied and
// deleted whatever their attributes, renames, directories made level by
// level, the Startup folder link, and the end of a run that deletes its
// working copy. Both builds must write the same log; Wine's system texts
// differ from Windows' and are mapped onto them first (WithWindowsTexts).
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <map>
#include <string>

#include "scenario.h"

namespace velsetup::testing {
namespace {

const std::string kScript = "C:\\KIT\\SETUP.INI";
const std::string kLog = "C:\\KIT\\install.log";
constexpr uint32_t kReadOnly = 0x1, kHidden = 0x2;
const std::string kPathNotFound = "Error=3, The system cannot find the path specified.   ";

std::vector<std::string> Script(const std::vector<std::string>& commands,
                                const std::vector<std::string>& sections) {
  return LoggedScript(kLog, commands, sections);
}

// C:\KIT\src, three levels deep, with a read-only and a hidden file.
void WriteSourceTree(Scenario& machine) {
  machine.WriteFile("C:\\KIT\\src\\a.txt", "a");
  machine.WriteFile("C:\\KIT\\src\\sub\\b.txt", "b");
  machine.WriteFile("C:\\KIT\\src\\sub\\deep\\c.txt", "c");
  machine.WriteFile("C:\\KIT\\src\\sub\\deep\\more\\d.txt", "d");
  machine.SetAttributes("C:\\KIT\\src\\sub\\b.txt", kReadOnly);
  machine.SetAttributes("C:\\KIT\\src\\sub\\deep\\c.txt", kHidden);
}

const std::vector<std::string> kSourceTree = {
    "a.txt=a", "sub\\", "sub\\b.txt=b", "sub\\deep\\", "sub\\deep\\c.txt=c",
    "sub\\deep\\more\\", "sub\\deep\\more\\d.txt=d"};

// Wine's texts for the codes these scenarios meet, and Windows' own.
std::string WithWindowsTexts(std::string line) {
  static const std::map<std::string, std::string> texts = {
      {"Path not found.", "The system cannot find the path specified."},
      {"File not found.", "The system cannot find the file specified."},
      {"Access denied.", "Access is denied."},
      {"Sharing violation.", "The process cannot access the file because it is being used by another process."},
      {"Directory not empty.", "The directory is not empty."},
  };
  for (const auto& [wine, windows] : texts) {
    const size_t at = line.find(wine);
    if (at != std::string::npos) line.replace(at, wine.size(), windows);
  }
  return line;
}

// The log from the first command on, in Windows' texts.
std::vector<std::string> CommandLog(const Scenario& machine) {
  const std::vector<std::string> lines = LogFromFirstCommand(machine, kLog);
  const auto first = lines.begin();
  std::vector<std::string> log;
  for (auto line = first; line != lines.end(); ++line) log.push_back(WithWindowsTexts(*line));
  return log;
}

void Report(const BothBuilds& machines) {
  machines.SkipUnlessBoth();
}

// Runs `script` on both builds; `check` sees each machine after its run.
template <typename Check>
void OnBothBuilds(Os os, const std::vector<std::string>& script, Check check,
                  void (*prepare)(Scenario&) = nullptr, const std::string& options = " -silent") {
  BothBuilds machines(os);
  for (auto& machine : machines.all) {
    if (prepare != nullptr) prepare(*machine);
    machine->WriteFile(kScript, IniText(script));
    ASSERT_EQ(machine->Run(kScript + options), 0);
    SCOPED_TRACE(Where(*machine) + "\n" + ::testing::PrintToString(CommandLog(*machine)));
    check(*machine);
  }
  Report(machines);
}

std::vector<std::string> Prefixed(const std::string& prefix, std::vector<std::string> entries) {
  for (std::string& entry : entries) entry = prefix + entry;
  return entries;
}

TEST(FileCommandsScenario, CopyTreesFilesAndDataLines) {
  for (Os os : {Os::kWin2000, Os::kWin98}) {
    OnBothBuilds(
        os,
        Script({"21,Dirs", "15,Copy", "15,,C:\\KIT\\src\\a.txt,C:\\KIT\\inline.txt",
                "15,,C:\\KIT\\missing.txt,C:\\KIT\\x.txt", "15,Fails"},
               {"[Dirs]", "C:\\KIT\\dst", "C:\\KIT\\dst\\into", "[Copy]",
                "C:\\KIT\\src,C:\\KIT\\dst\\", "C:\\KIT\\src\\a.txt,C:\\KIT\\dst\\into",
                "C:\\KIT\\src\\a.txt,C:\\KIT\\renamed.txt ; the new name",
                "C:\\KIT\\*.txt,C:\\KIT\\dst", "nocomma", ",C:\\KIT\\x", "C:\\KIT\\src\\a.txt,",
                "C:\\KIT\\nothere.txt,C:\\KIT\\dst", "C:\\KIT\\src\\sub\\deep,C:\\KIT\\newtree",
                "[Fails]", "C:\\KIT\\src\\a.txt,C:\\KIT\\f1.txt",
                "C:\\KIT\\src\\a.txt,C:\\KIT\\nodir\\f2.txt", "C:\\KIT\\src\\a.txt,C:\\KIT\\f3.txt"}),
        [](Scenario& machine) {
          const std::vector<std::string> expected = {
              "CMD0> CMD21_MakeDir: 21,Dirs ",
              "CMD1> CMD15_CopyFile: 15,Copy ",
              "WARNINIG-=- CMD15_CopyFile() -  removing trailing \\ from destination",
              "   CMD - copy C:\\KIT\\src to C:\\KIT\\dst",
              "    Copying C:\\KIT\\src\\a.txt to C:\\KIT\\dst\\a.txt",
              "    Copying C:\\KIT\\src\\sub\\b.txt to C:\\KIT\\dst\\sub\\b.txt",
              "    Copying C:\\KIT\\src\\sub\\deep\\c.txt to C:\\KIT\\dst\\sub\\deep\\c.txt",
              "    Copying C:\\KIT\\src\\sub\\deep\\more\\d.txt to C:\\KIT\\dst\\sub\\deep\\more\\d.txt",
              "   CMD - copy C:\\KIT\\src\\a.txt to C:\\KIT\\dst\\into",
              "    Copying C:\\KIT\\src\\a.txt to C:\\KIT\\dst\\into\\a.txt",
              "   CMD - copy C:\\KIT\\src\\a.txt to C:\\KIT\\renamed.txt",
              "    Copying C:\\KIT\\src\\a.txt to C:\\KIT\\renamed.txt",
              "NOTICE: Wild Cards not supported yet.",
              "WARNINIG-=- CMD15_CopyFile() -   Missing comma >nocomma<",
              "WARNINIG-=- CMD15_CopyFile() -  Invalid Parameters : Source Missing",
              "WARNINIG-=- CMD15_CopyFile() -  Invalid Parameters : Destination Missing",
              "   CMD - copy C:\\KIT\\nothere.txt to C:\\KIT\\dst",
              "CMD15_CopyFile() -  Invalid Parameters : SourceFile (C:\\KIT\\nothere.txt) does not "
              "Exist ",
              // A tree copied where no directory receives it: every entry fails.
              "   CMD - copy C:\\KIT\\src\\sub\\deep to C:\\KIT\\newtree",
              "    Copying C:\\KIT\\src\\sub\\deep\\c.txt to C:\\KIT\\newtree\\c.txt",
              "SBCopyFile -  " + kPathNotFound,
              "function CopyFile() failed on src=C:\\KIT\\src\\sub\\deep\\c.txt, "
              "dst=C:\\KIT\\newtree\\c.txt",
              "SBCopyFile() -  " + kPathNotFound,
              "function CreateDirectory() failed on Dir=C:\\KIT\\newtree\\more",
              "    Copying C:\\KIT\\src\\sub\\deep\\more\\d.txt to C:\\KIT\\newtree\\more\\d.txt",
              "SBCopyFile -  " + kPathNotFound,
              "function CopyFile() failed on src=C:\\KIT\\src\\sub\\deep\\more\\d.txt, "
              "dst=C:\\KIT\\newtree\\more\\d.txt",
              "CMD2> CMD15_CopyFile: 15,,C:\\KIT\\src\\a.txt,C:\\KIT\\inline.txt ",
              "    Copying C:\\KIT\\src\\a.txt to C:\\KIT\\inline.txt",
              "CMD3> CMD15_CopyFile: 15,,C:\\KIT\\missing.txt,C:\\KIT\\x.txt ",
              "CMD15_CopyFile() -  Error=2, The system cannot find the file specified.   ",
              "function CopyFile() failed on src=C:\\KIT\\missing.txt, dst=C:\\KIT\\x.txt",
              // The failed copy ends the list: f3.txt is never made.
              "CMD4> CMD15_CopyFile: 15,Fails ",
              "   CMD - copy C:\\KIT\\src\\a.txt to C:\\KIT\\f1.txt",
              "    Copying C:\\KIT\\src\\a.txt to C:\\KIT\\f1.txt",
              "   CMD - copy C:\\KIT\\src\\a.txt to C:\\KIT\\nodir\\f2.txt",
              "    Copying C:\\KIT\\src\\a.txt to C:\\KIT\\nodir\\f2.txt",
              "CMD15_CopyFile() -  " + kPathNotFound,
              "function CopyFile() failed on src=C:\\KIT\\src\\a.txt, dst=C:\\KIT\\nodir\\f2.txt",
              "No More commands ",
          };
          std::vector<std::string> log = CommandLog(machine);
          if (log.size() > expected.size()) log.resize(expected.size());
          EXPECT_EQ(log, expected);
          std::vector<std::string> dst = Prefixed("", kSourceTree);
          dst.push_back("into\\");
          dst.push_back("into\\a.txt=a");
          std::sort(dst.begin(), dst.end());
          EXPECT_EQ(machine.Tree("C:\\KIT\\dst"), dst);
          EXPECT_EQ(machine.ReadFile("C:\\KIT\\renamed.txt"), "a");
          EXPECT_EQ(machine.ReadFile("C:\\KIT\\inline.txt"), "a");
          EXPECT_TRUE(machine.Exists("C:\\KIT\\f1.txt"));
          EXPECT_FALSE(machine.Exists("C:\\KIT\\f3.txt"));
          EXPECT_FALSE(machine.Exists("C:\\KIT\\newtree"));
        },
        WriteSourceTree);
  }
}

// The copy of a read-only file is read-only too, so copying the tree again
// fails on it. Known Wine difference: Wine (run as root here) overwrites the
// read-only copy, where Windows refuses with access denied.
TEST(FileCommandsScenario, CopyOverAReadOnlyCopyIsRefused) {
  OnBothBuilds(
      Os::kWin2000,
      Script({"21,,C:\\KIT\\dst", "15,Copy", "15,Copy"}, {"[Copy]", "C:\\KIT\\src,C:\\KIT\\dst"}),
      [](Scenario& machine) {
        const std::vector<std::string> log = CommandLog(machine);
        const std::string refused = "SBCopyFile -  Error=5, Access is denied.   ";
        const auto failures = std::count(log.begin(), log.end(), refused);
        EXPECT_EQ(failures, machine.build() == Build::kHost ? 1 : 0);
        EXPECT_EQ(machine.Tree("C:\\KIT\\dst"), kSourceTree);
      },
      WriteSourceTree);
}

TEST(FileCommandsScenario, DeleteTreesWhateverTheirAttributes) {
  OnBothBuilds(
      Os::kNt4,
      Script({"21,,C:\\KIT\\dst", "15,,C:\\KIT\\src\\a.txt,C:\\KIT\\one.txt", "15,Copy", "16,Del",
              "16,,C:\\KIT\\one.txt", "16,Nowhere"},
             {"[Copy]", "C:\\KIT\\src,C:\\KIT\\dst", "[Del]", "C:\\KIT\\dst", "C:\\KIT\\nothere",
              "C:\\KIT\\*.tmp", "C:\\KIT\\src\\sub\\b.txt"}),
      [](Scenario& machine) {
        const std::vector<std::string> log = CommandLog(machine);
        const std::vector<std::string> deletion = {
            "CMD3> CMD16_DeleteFileOrDir: 16,Del ",
            "   ...deleting directory >C:\\KIT\\dst<",
            "  Deleting... >C:\\KIT\\dst\\a.txt<",
            "  Deleting... >C:\\KIT\\dst\\sub\\b.txt<",
            "  Deleting... >C:\\KIT\\dst\\sub\\deep\\c.txt<",
            "  Deleting... >C:\\KIT\\dst\\sub\\deep\\more\\d.txt<",
            "WARNING-=- Cannot find >C:\\KIT\\nothere< to delete",
            "NOTICE: Wild Card syntax not supported",
            "   ...deleting file <C:\\KIT\\src\\sub\\b.txt>",
            "CMD4> CMD16_DeleteFileOrDir: 16,,C:\\KIT\\one.txt ",
            "   ...deleting file <C:\\KIT\\one.txt>",
            "CMD5> CMD16_DeleteFileOrDir: 16,Nowhere ",
            "ERROR-=- Missing the Data section",
        };
        const auto from = std::find(log.begin(), log.end(), deletion.front());
        ASSERT_NE(from, log.end());
        EXPECT_EQ(std::vector<std::string>(from, std::min(from + deletion.size(), log.end())),
                  deletion);
        EXPECT_FALSE(machine.Exists("C:\\KIT\\dst"));
        EXPECT_FALSE(machine.Exists("C:\\KIT\\one.txt"));
        // The read-only source file went too: its attributes were reset first.
        EXPECT_FALSE(machine.Exists("C:\\KIT\\src\\sub\\b.txt"));
        EXPECT_TRUE(machine.Exists("C:\\KIT\\src\\sub\\deep\\c.txt"));
      },
      WriteSourceTree);
}

TEST(FileCommandsScenario, RenameFilesAndDirectories) {
  OnBothBuilds(
      Os::kWin2000,
      Script({"31,,C:\\KIT\\src\\a.txt,C:\\KIT\\a2.txt", "31,,C:\\KIT\\gone.txt,C:\\KIT\\x.txt",
              "31,Moves", "31,Nowhere"},
             {"[Moves]", "C:\\KIT\\a2.txt,C:\\KIT\\src\\sub\\b.txt", "; C:\\KIT\\old,C:\\KIT\\new",
              "noComma", "C:\\KIT\\*.txt,C:\\KIT\\x", ",C:\\KIT\\x", "C:\\KIT\\a2.txt,",
              "C:\\KIT\\src\\sub,C:\\KIT\\moved\\ ; the whole tree", "C:\\KIT\\a2.txt,C:\\KIT\\moved\\a3.txt"}),
      [](Scenario& machine) {
        const std::vector<std::string> expected = {
            "CMD0> CMD31_RenameFile: 31,,C:\\KIT\\src\\a.txt,C:\\KIT\\a2.txt ",
            "   Rename C:\\KIT\\src\\a.txt to C:\\KIT\\a2.txt",
            "CMD1> CMD31_RenameFile: 31,,C:\\KIT\\gone.txt,C:\\KIT\\x.txt ",
            "WARNING-=- function rename() failed on src=C:\\KIT\\gone.txt, dst=C:\\KIT\\x.txt",
            "CMD2> CMD31_RenameFile: 31,Moves ",
            // Onto an existing file: refused, and the list goes on.
            "WARNING-=- function rename() failed on src=C:\\KIT\\a2.txt, "
            "dst=C:\\KIT\\src\\sub\\b.txt",
            "WARNINIG-=- Missing comma >noComma<",
            "NOTICE: Wild Cards not supported yet.",
            "WARNINIG-=- Invalid Parameters : Source Missing",
            "WARNINIG-=- Invalid Parameters : Destination Missing",
            "WARNINIG-=- Removing trailing \\ from destination >C:\\KIT\\moved<",
            "   renamed C:\\KIT\\src\\sub to C:\\KIT\\moved",
            "   renamed C:\\KIT\\a2.txt to C:\\KIT\\moved\\a3.txt",
            "CMD3> CMD31_RenameFile: 31,Nowhere ",
            "ERROR-=- Missing the Data section or need an extra comma",
        };
        std::vector<std::string> log = CommandLog(machine);
        if (log.size() > expected.size()) log.resize(expected.size());
        EXPECT_EQ(log, expected);
        EXPECT_EQ(machine.Tree("C:\\KIT\\moved"),
                  (std::vector<std::string>{"a3.txt=a", "b.txt=b", "deep\\", "deep\\c.txt=c",
                                            "deep\\more\\", "deep\\more\\d.txt=d"}));
        EXPECT_EQ(machine.Tree("C:\\KIT\\src"), std::vector<std::string>{});
      },
      WriteSourceTree);
}

TEST(FileCommandsScenario, MakeDirectoriesOneLevelAtATime) {
  OnBothBuilds(Os::kWin98,
               Script({"21,Levels", "21,,C:\\KIT\\x\\y", "21,Again", "21,,C:\\KIT\\single",
                       "21,Nowhere"},
                      {"[Levels]", "C:\\KIT\\a", "C:\\KIT\\a\\b", "[Again]", "C:\\KIT\\c",
                       "C:\\KIT\\a", "C:\\KIT\\d"}),
               [](Scenario& machine) {
                 const std::vector<std::string> expected = {
                     "CMD0> CMD21_MakeDir: 21,Levels ",
                     "CMD1> CMD21_MakeDir: 21,,C:\\KIT\\x\\y ",
                     "WARNING-=- function MakeDirectory () failed on src=C:\\KIT\\x\\y",
                     "CMD2> CMD21_MakeDir: 21,Again ",
                     "WARNING-=- function MakeDirectory () failed on src=C:\\KIT\\a",
                     "CMD3> CMD21_MakeDir: 21,,C:\\KIT\\single ",
                     "CMD4> CMD21_MakeDir: 21,Nowhere ",
                     "ERROR-=- Missing the Data section or an extra comma.",
                 };
                 std::vector<std::string> log = CommandLog(machine);
                 if (log.size() > expected.size()) log.resize(expected.size());
                 EXPECT_EQ(log, expected);
                 const std::vector<std::string> tree = machine.Tree("C:\\KIT");
                 for (const char* made : {"a\\", "a\\b\\", "c\\", "single\\"}) {
                   EXPECT_NE(std::find(tree.begin(), tree.end(), made), tree.end()) << made;
                 }
                 // The line after the failed one was not carried out.
                 EXPECT_FALSE(machine.Exists("C:\\KIT\\d"));
                 EXPECT_FALSE(machine.Exists("C:\\KIT\\x"));
               });
}

TEST(FileCommandsScenario, StartupFolderLinkPlacedAndRemoved) {
  OnBothBuilds(
      Os::kWin2000,
      Script({"21,,C:\\KIT\\Startup", "1,AddLink", "1,Missing", "2,DelLink", "2,DelLink"},
             // The maker's machine reads its language from rix.ini, a Wine
             // prefix has none: the folder is named for both.
             {"[Data.XX]", "CommonStartupFolder=C:\\KIT\\Startup\\", "[Data.US]",
              "CommonStartupFolder=C:\\KIT\\Startup\\", "[AddLink]",
              "AddLinkFile=C:\\KIT\\tools\\Setup.lnk", "[Missing]",
              "AddLinkFile=C:\\KIT\\tools\\None.lnk", "[DelLink]", "DeleteLinkFile=Setup.lnk"}),
      [](Scenario& machine) {
        const std::vector<std::string> expected = {
            "CMD0> CMD21_MakeDir: 21,,C:\\KIT\\Startup ",
            "CMD1> CMD01_Copy_Lnk2StartF_W2000: 1,AddLink ",
            "... CopyFile(C:\\KIT\\tools\\Setup.lnk,C:\\KIT\\Startup\\Setup.lnk)",
            "CMD2> CMD01_Copy_Lnk2StartF_W2000: 1,Missing ",
            "... CopyFile(C:\\KIT\\tools\\None.lnk,C:\\KIT\\Startup\\None.lnk)",
            "FAIL - Failure with CopyFile( ) 2 - The system cannot find the file specified.  ",
            "CMD3> CMD02_DEL_LnkInStartF_W2000: 2,DelLink ",
            "... DeleteFile(C:\\KIT\\Startup\\Setup.lnk)",
            "CMD4> CMD02_DEL_LnkInStartF_W2000: 2,DelLink ",
            "... DeleteFile(C:\\KIT\\Startup\\Setup.lnk)",
            "FAIL - Failure with DeleteFile( ) 2 - The system cannot find the file specified.  ",
        };
        std::vector<std::string> log = CommandLog(machine);
        if (log.size() > expected.size()) log.resize(expected.size());
        EXPECT_EQ(log, expected);
        EXPECT_EQ(machine.Tree("C:\\KIT\\Startup"), std::vector<std::string>{});
      },
      [](Scenario& machine) { machine.WriteFile("C:\\KIT\\tools\\Setup.lnk", "link"); });
}

// CMD29 deletes what its line names and the working copy, and no index is
// stored after it: the next start begins the script afresh.
TEST(FileCommandsScenario, ExitAndDeleteTheWorkingCopy) {
  struct Case {
    std::string restart_field;
    std::string options;
    std::string outcome;
    bool restarts;
  };
  const std::vector<Case> cases = {
      {",true", " -silent", " will issue a system reboot.", true},
      {"", " -silent", " will NOT issue a system reboot.", false},
      {",TRUE", " -silent -noreboot", " Not setting to reboot system since SuppressReboot is set",
       false},
  };
  for (const Case& c : cases) {
    BothBuilds machines(Os::kWin2000);
    for (auto& machine : machines.all) {
      WriteSourceTree(*machine);
      machine->WriteFile(kScript, IniText(Script({"5", "29,,C:\\KIT\\src" + c.restart_field, "5"},
                                                 {})));
      ASSERT_EQ(machine->Run(kScript + c.options), 0);
      const std::vector<std::string> log = CommandLog(*machine);
      SCOPED_TRACE(Where(*machine) + c.options + "\n" + ::testing::PrintToString(log));
      const std::string copy = machine->TempDir() + "SETUP.INI";
      const std::vector<std::string> expected = {
          "CMD0> CMD05_IncRunningCounter: 5 ",
          "CMD1> CMD29_ExitAndDeleteINIFile: 29,,C:\\KIT\\src" + c.restart_field + " ",
          " attempting to delete files....",
          "   ...deleting directory >C:\\KIT\\src<",
          "  Deleting... >C:\\KIT\\src\\a.txt<",
          "  Deleting... >C:\\KIT\\src\\sub\\b.txt<",
          "  Deleting... >C:\\KIT\\src\\sub\\deep\\c.txt<",
          "  Deleting... >C:\\KIT\\src\\sub\\deep\\more\\d.txt<",
          c.outcome,
          "will delete : " + copy,
          c.restarts ? "DONE  Shutting down system." : "DONE !",
      };
      EXPECT_EQ(log, expected);
      EXPECT_FALSE(machine->Exists("C:\\KIT\\src"));
      EXPECT_FALSE(machine->Exists(copy));
      EXPECT_TRUE(machine->Exists(kScript));
      if (machine->HasEventLog()) {
        EXPECT_EQ(machine->Events().find("\"restart\"") != std::string::npos, c.restarts);
      }
      // A resume finds no working copy: the script starts again from the top.
      ASSERT_EQ(machine->Run(kScript + " -resume -silent -noreboot"), 0);
      const std::vector<std::string> both = CommandLog(*machine);
      EXPECT_EQ(std::count(both.begin(), both.end(), expected[0]), 2);
    }
    Report(machines);
  }
}

// Without CommonStartupFolder the link goes where Windows 2000 keeps the
// folder, which a simulated Windows 2000 machine has (a Wine prefix does not).
TEST(FileCommandsScenario, StartupFolderDefaultsToTheWindows2000Place) {
  auto machine = MakeScenario(Build::kHost, Os::kWin2000);
  machine->WriteFile("C:\\KIT\\tools\\Setup.lnk", "link");
  machine->WriteFile(kScript, IniText(Script({"1,AddLink"}, {"[AddLink]",
                                                            "AddLinkFile=C:\\KIT\\tools\\Setup.lnk"})));
  ASSERT_EQ(machine->Run(kScript + " -silent"), 0);
  EXPECT_EQ(machine->ReadFile(
                "C:\\Documents and Settings\\All Users\\Start Menu\\Programs\\Startup\\Setup.lnk"),
            "link");
}

}  // namespace
}  // namespace velsetup::testing
