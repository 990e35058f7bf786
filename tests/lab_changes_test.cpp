// What the lab reports a script changed: snapshots of a machine's disk,
// registry and INI files before and after, and the lines its commands came
// from.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>

#include "host_test_support.h"
#include "lab/command_lines.h"
#include "lab/diff.h"
#include "lab/snapshot.h"

namespace velsetup::lab {
namespace {

using host::testing::ScratchDir;
using host::testing::WriteHostFile;

const FileChange* FindFile(const Changes& changes, const std::string& path) {
  for (const FileChange& change : changes.files) {
    if (change.path == path) return &change;
  }
  return nullptr;
}

TEST(LabChanges, FilesRegistryAndIniKeysAreAddedChangedAndRemoved) {
  ScratchDir dir;
  const std::string c = dir / "drive_c";
  ::mkdir(c.c_str(), 0755);
  ::mkdir((c + "/Old").c_str(), 0755);
  ::mkdir((c + "/WINDOWS").c_str(), 0755);
  WriteHostFile(c + "/same.txt", "same");
  WriteHostFile(c + "/edit.txt", "abcd");
  WriteHostFile(c + "/Old/gone.txt", "x");
  WriteHostFile(c + "/WINDOWS/win.ini", "[a]\r\nk=1\r\ngone=2\r\n[b]\r\nk=3\r\n");
  WriteHostFile(dir / "registry.reg",
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\A]\r\n\"v\"=\"one\"\r\n"
                "\"n\"=dword:00000001\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Gone]\r\n"
                "\"x\"=\"y\"\r\n");
  const std::vector<SnapshotDrive> drives = {{'C', c}};
  std::string problem;
  const Snapshot before = TakeSnapshot(drives, dir / "registry.reg", &problem);
  EXPECT_TRUE(problem.empty()) << problem;

  WriteHostFile(c + "/edit.txt", "abce");  // same size, other bytes
  ::setxattr((c + "/same.txt").c_str(), "user.DOSATTRIB", "0x21", 4, 0);
  ::unlink((c + "/Old/gone.txt").c_str());
  ::rmdir((c + "/Old").c_str());
  ::mkdir((c + "/New").c_str(), 0755);
  WriteHostFile(c + "/New/log.txt", "12345");
  WriteHostFile(c + "/WINDOWS/win.ini", "[a]\r\nk=2\r\n[b]\r\nk=3\r\nnew=4\r\n");
  WriteHostFile(dir / "registry.reg",
                "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\A]\r\n\"v\"=\"two\"\r\n"
                "\"n\"=dword:00000001\r\n@=hex:01,02\r\n\r\n"
                "[HKEY_LOCAL_MACHINE\\Software\\A\\Sub]\r\n");
  const Snapshot after = TakeSnapshot(drives, dir / "registry.reg", &problem);
  const Changes changes = DiffSnapshots(
      before, after, [](const std::string& path) { return path == "C:\\New\\log.txt"; });

  const FileChange* edit = FindFile(changes, "C:\\edit.txt");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->change, Change::kChanged);
  EXPECT_EQ(edit->new_size, 4u);
  const FileChange* same = FindFile(changes, "C:\\same.txt");
  if (::getxattr((c + "/same.txt").c_str(), "user.DOSATTRIB", nullptr, 0) > 0) {
    ASSERT_NE(same, nullptr);  // only the attributes changed
    EXPECT_EQ(same->new_attributes, 0x21u);
  }
  ASSERT_NE(FindFile(changes, "C:\\Old"), nullptr);
  EXPECT_EQ(FindFile(changes, "C:\\Old")->change, Change::kRemoved);
  EXPECT_TRUE(FindFile(changes, "C:\\Old")->directory);
  EXPECT_EQ(FindFile(changes, "C:\\Old\\gone.txt")->change, Change::kRemoved);
  EXPECT_EQ(FindFile(changes, "C:\\New")->change, Change::kAdded);
  EXPECT_TRUE(FindFile(changes, "C:\\New\\log.txt")->tool_own);
  EXPECT_FALSE(FindFile(changes, "C:\\edit.txt")->tool_own);
  EXPECT_EQ(FindFile(changes, "C:\\WINDOWS"), nullptr);

  std::vector<std::string> registry;
  for (const RegistryChange& change : changes.registry) {
    registry.push_back(std::string(ChangeWord(change.change)) + " " + change.key +
                       (change.key_only ? "" : " " + change.value + " " + change.old_data +
                                                   " -> " + change.new_data));
  }
  EXPECT_EQ(registry, (std::vector<std::string>{
                          "added HKEY_LOCAL_MACHINE\\Software\\A @  -> hex:01,02",
                          "changed HKEY_LOCAL_MACHINE\\Software\\A v \"one\" -> \"two\"",
                          "added HKEY_LOCAL_MACHINE\\Software\\A\\Sub",
                          "removed HKEY_LOCAL_MACHINE\\Software\\Gone",
                          "removed HKEY_LOCAL_MACHINE\\Software\\Gone x \"y\" -> ",
                      }));

  std::vector<std::string> ini;
  for (const IniChange& change : changes.ini) {
    ini.push_back(std::string(ChangeWord(change.change)) + " " + change.file + " [" +
                  change.section + "] " + change.key + " " + change.old_value + " -> " +
                  change.new_value);
  }
  EXPECT_EQ(ini, (std::vector<std::string>{
                     "removed C:\\WINDOWS\\win.ini [a] gone 2 -> ",
                     "changed C:\\WINDOWS\\win.ini [a] k 1 -> 2",
                     "added C:\\WINDOWS\\win.ini [b] new  -> 4",
                 }));
}

TEST(LabChanges, RegistryDataIsWrittenAsTheRegistryEditorWritesIt) {
  EXPECT_EQ(RegistryDataText(1, std::string("a\"b\\c\0", 6)), "\"a\\\"b\\\\c\"");
  EXPECT_EQ(RegistryDataText(4, std::string("\x01\x00\x00\x80", 4)), "dword:80000001");
  EXPECT_EQ(RegistryDataText(3, "\x01\xff"), "hex:01,ff");
  EXPECT_EQ(RegistryDataText(2, std::string("%a%\0", 4)), "hex(2):25,61,25,00");
  EXPECT_EQ(RegistryDataText(1, "no zero"), "hex(1):6e,6f,20,7a,65,72,6f");
}

std::vector<ScriptFile> Files(std::initializer_list<std::vector<std::string>> texts) {
  std::vector<ScriptFile> files;
  for (const auto& lines : texts) files.push_back({"f", "f", lines});
  return files;
}

TEST(LabCommandLines, SlotsMapToTheLinesTheSectionStartExpanded) {
  const CommandLines lines(Files({
      {"[DATA]", "Logging=1", "", "[CommandsList]", "; a comment line", "5", "",
       "32,two   ; comment", "   ;only a comment after blanks", "19,Next", "[Next]", "32,a",
       "32,b", "[next]", "32,shadowed"},
      {"[Next]", "32,not this one", "[Appended]", "32,from the appended file"},
  }));
  CommandLines run = lines;
  run.SectionStarted("CommandsList", 0);
  EXPECT_EQ(run.Find(0, "CommandsList").line, 6);
  EXPECT_EQ(run.Find(1, "CommandsList").line, 8);
  EXPECT_EQ(run.Find(2, "COMMANDSLIST").line, 10);
  EXPECT_EQ(run.Find(3, "CommandsList").file, -1);  // the empty slot that ends it
  // The next section goes on from the slot where the last one ended; a
  // second section of the name, in the file or an appended one, is unseen.
  run.SectionStarted("next", 3);
  EXPECT_EQ(run.Find(3, "Next").line, 12);
  EXPECT_EQ(run.Find(4, "Next").line, 13);
  EXPECT_EQ(run.Find(4, "Next").file, 0);
  // A resumed run keeps what earlier runs started.
  run.SectionStarted("Appended", 5);
  EXPECT_EQ(run.Find(5, "Appended").file, 1);
  EXPECT_EQ(run.Find(5, "Appended").line, 4);
  EXPECT_EQ(run.Find(4, "Next").line, 13);
  EXPECT_EQ(run.Find(1, "Missing").file, -1);
  run.SectionStarted("NoSuchSection", 9);
  EXPECT_EQ(run.Find(9, "NoSuchSection").file, -1);
}

TEST(LabCommandLines, TheFilesACmd28AppendsAreFoundBesideTheScriptCaseBlind) {
  ScratchDir dir;
  WriteHostFile(dir / "s.ini",
                "[CommandsList]\n28,~%C001\\EXTRA.INI\n28,~%C001\\~%V001.ini\n"
                "28,C:\\KIT\\missing.ini\n19,Brought\n");
  WriteHostFile(dir / "extra.ini", "[Brought]\r\n32,from extra\r\n");
  std::vector<ScriptFile> files;
  std::string error;
  ASSERT_TRUE(LoadScriptFiles(dir / "s.ini", &files, &error)) << error;
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].name, "s.ini");
  EXPECT_EQ(files[1].name, "extra.ini");
  EXPECT_EQ(files[1].lines, (std::vector<std::string>{"[Brought]", "32,from extra"}));
  CommandLines lines(files);
  lines.SectionStarted("Brought", 4);
  EXPECT_EQ(lines.Find(4, "Brought").file, 1);
  EXPECT_EQ(lines.Find(4, "Brought").line, 2);
  EXPECT_FALSE(LoadScriptFiles(dir / "none.ini", &files, &error));
  EXPECT_NE(error.find("none.ini"), std::string::npos);
}

}  // namespace
}  // namespace velsetup::lab
