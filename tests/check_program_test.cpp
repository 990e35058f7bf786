// velsetup-check as a program: what it prints, how it exits, the scripts the
// project ships, and the Windows build under Wine printing the same.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "host_test_support.h"
#include "wine_support.h"

namespace velsetup::check {
namespace {

namespace wine = velsetup::testing::wine;

using host::testing::HostExists;
using host::testing::ReadHostFile;
using host::testing::ScratchDir;
using host::testing::WriteHostFile;

struct Outcome {
  int status = -1;
  std::string output;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

Outcome RunShell(const std::string& command) {
  Outcome outcome;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return outcome;
  char buffer[512];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) outcome.output.append(buffer, got);
  const int status = ::pclose(pipe);
  outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

// The host program on `files`, run in `directory` so that the names it prints
// are the names given.
Outcome RunCheck(const std::string& directory, const std::vector<std::string>& files) {
  std::string command = "cd " + Quoted(directory) + " && " + Quoted(VELSETUP_CHECK_BINARY);
  for (const std::string& file : files) command += " " + Quoted(file);
  return RunShell(command + " 2>&1");
}

// The fenced ini blocks of a Markdown text.
std::vector<std::string> IniBlocks(const std::string& markdown) {
  std::vector<std::string> blocks;
  std::istringstream lines(markdown);
  std::string line, block;
  bool inside = false;
  while (std::getline(lines, line)) {
    if (!inside && line == "```ini") {
      inside = true;
      block.clear();
    } else if (inside && line == "```") {
      inside = false;
      blocks.push_back(block);
    } else if (inside) {
      block += line + "\n";
    }
  }
  return blocks;
}

std::vector<std::string> ExampleScripts() {
  std::vector<std::string> names;
  const std::string directory = std::string(VELSETUP_SOURCE_DIR) + "/examples";
  if (DIR* dir = ::opendir(directory.c_str())) {
    while (const dirent* entry = ::readdir(dir)) {
      const std::string name = entry->d_name;
      if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ini") == 0) {
        names.push_back(directory + "/" + name);
      }
    }
    ::closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(CheckProgramTest, ShippedScriptsPassClean) {
  ScratchDir scratch;
  std::vector<std::string> files = ExampleScripts();
  ASSERT_FALSE(files.empty());
  const std::vector<std::string> blocks =
      IniBlocks(ReadHostFile(std::string(VELSETUP_SOURCE_DIR) + "/README.md"));
  ASSERT_FALSE(blocks.empty()) << "the README shows no script";
  for (size_t i = 0; i < blocks.size(); ++i) {
    files.push_back(scratch / ("readme" + std::to_string(i) + ".ini"));
    WriteHostFile(files.back(), blocks[i]);
  }
  const Outcome outcome = RunCheck(scratch.path(), files);
  EXPECT_EQ(outcome.output, "0 errors, 0 warnings\n");
  EXPECT_EQ(outcome.status, 0);
}

TEST(CheckProgramTest, PrintsCompilerStyleLinesAndExitsByTheWorstFinding) {
  ScratchDir scratch;
  WriteHostFile(scratch / "bad.ini", "[CommandsList]\n19,Finish\n32,after\n");
  WriteHostFile(scratch / "loose.ini", "[CommandsList]\n32,a, b\n");

  const Outcome bad = RunCheck(scratch.path(), {"bad.ini"});
  EXPECT_EQ(bad.status, 1);
  const std::regex finding("bad\\.ini:[0-9]+: (error|warning): .+");
  std::istringstream lines(bad.output);
  std::vector<std::string> printed;
  for (std::string line; std::getline(lines, line);) printed.push_back(line);
  ASSERT_EQ(printed.size(), 3u) << bad.output;
  EXPECT_TRUE(std::regex_match(printed[0], finding)) << printed[0];
  EXPECT_TRUE(std::regex_match(printed[1], finding)) << printed[1];
  EXPECT_EQ(printed[0].rfind("bad.ini:2: error: CMD19 names [Finish]", 0), 0u) << printed[0];
  EXPECT_EQ(printed[2], "1 error, 1 warning");

  // Warnings alone do not fail a script.
  const Outcome loose = RunCheck(scratch.path(), {"loose.ini"});
  EXPECT_EQ(loose.status, 0);
  EXPECT_NE(loose.output.find("loose.ini:2: warning:"), std::string::npos);

  // One summary over all files; a file that cannot be read outweighs errors.
  const Outcome both = RunCheck(scratch.path(), {"bad.ini", "missing.ini", "loose.ini"});
  EXPECT_EQ(both.status, 2);
  EXPECT_NE(both.output.find("missing.ini: error: cannot read the file\n"), std::string::npos);
  EXPECT_NE(both.output.find("\n2 errors, 2 warnings\n"), std::string::npos) << both.output;

  EXPECT_EQ(RunCheck(scratch.path(), {}).status, 2);
  EXPECT_EQ(RunCheck(scratch.path(), {"."}).status, 2);
}

// Editors and CI read the findings by rule id; a rule's id never changes
// meaning, so ids must be unique and each rule must say what it finds.
TEST(CheckProgramTest, MachineReadableReportsCarryEveryFindingWithItsRule) {
  ScratchDir scratch;
  WriteHostFile(scratch / "bad.ini", "[CommandsList]\n32,a, \"b\"\n19,Finish\n");

  const Outcome json = RunCheck(scratch.path(), {"--format=json", "bad.ini", "gone.ini"});
  EXPECT_EQ(json.status, 2);
  EXPECT_EQ(
      json.output,
      "[\n"
      "{\"file\":\"bad.ini\",\"line\":2,\"severity\":\"warning\",\"rule\":\"VC106\","
      "\"message\":\"CMD32 reads 1 field: ' \\\"b\\\"' after the next comma is ignored (a ',' "
      "inside a value splits it)\"},\n"
      "{\"file\":\"bad.ini\",\"line\":3,\"severity\":\"error\",\"rule\":\"VC202\","
      "\"message\":\"CMD19 names [Finish], which the script does not have: the run shows "
      "\\\"An internal error has occured\\\" there\"},\n"
      "{\"file\":\"gone.ini\",\"severity\":\"error\",\"rule\":\"VC001\","
      "\"message\":\"cannot read the file\"}\n"
      "]\n");

  const Outcome sarif = RunCheck(scratch.path(), {"bad.ini", "--format=sarif"});
  EXPECT_EQ(sarif.status, 1);
  EXPECT_EQ(sarif.output.rfind("{\"$schema\":\"https://json.schemastore.org/sarif-2.1.0.json\","
                               "\"version\":\"2.1.0\",\"runs\":[{\"tool\":{\"driver\":{"
                               "\"name\":\"velsetup-check\"",
                               0),
            0u)
      << sarif.output;
  EXPECT_NE(sarif.output.find("{\"ruleId\":\"VC202\",\"ruleIndex\":"), std::string::npos);
  EXPECT_NE(sarif.output.find("\"artifactLocation\":{\"uri\":\"bad.ini\"},\"region\":{"
                              "\"startLine\":3}"),
            std::string::npos);
  // Every rule once in the driver's list, each with a description; the
  // results' ruleIndex points into that list.
  const std::regex rule(
      "\\{\"id\":\"(VC[0-9]{3})\",\"shortDescription\":\\{\"text\":\"[^\"]+\"\\}\\}");
  std::vector<std::string> ids;
  for (std::sregex_iterator it(sarif.output.begin(), sarif.output.end(), rule), end; it != end;
       ++it) {
    ids.push_back((*it)[1]);
  }
  ASSERT_GT(ids.size(), 50u);
  const size_t index_of_vc202 = std::find(ids.begin(), ids.end(), "VC202") - ids.begin();
  EXPECT_NE(sarif.output.find(
                "\"ruleId\":\"VC202\",\"ruleIndex\":" + std::to_string(index_of_vc202) + ","),
            std::string::npos);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "a rule id is used twice";
}

TEST(CheckProgramTest, OptionsAreNeverTakenForFiles) {
  ScratchDir scratch;
  WriteHostFile(scratch / "ok.ini", "[CommandsList]\n10\n");
  const Outcome help = RunCheck(scratch.path(), {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.output.find("--format=sarif"), std::string::npos);

  for (const char* wrong : {"--fromat=json", "--format=xml", "-x", "--format"}) {
    const Outcome outcome = RunCheck(scratch.path(), {wrong, "ok.ini"});
    EXPECT_EQ(outcome.status, 2) << wrong;
    EXPECT_NE(outcome.output.find(std::string("unknown option '") + wrong + "'"), std::string::npos)
        << outcome.output;
    EXPECT_EQ(outcome.output.find("cannot read"), std::string::npos) << outcome.output;
    EXPECT_EQ(outcome.output.find("0 errors"), std::string::npos) << "checked anyway";
  }
  // After "--" a name that starts with '-' is a file.
  WriteHostFile(scratch / "-dash.ini", "[CommandsList]\n10\n");
  const Outcome dash = RunCheck(scratch.path(), {"--", "-dash.ini"});
  EXPECT_EQ(dash.output, "0 errors, 0 warnings\n");
  EXPECT_EQ(dash.status, 0);
}

// A CMD28 brings the sections of the file it appends: where that file lies
// beside the script (found case-blind, as Windows finds it), they count as
// the script's, and a section none of the appended files has is known to be
// missing; a file that is not there is named.
TEST(CheckProgramTest, FilesThatCmd28AppendsAreCheckedWithTheScript) {
  ScratchDir scratch;
  WriteHostFile(scratch / "extra.ini", "[Extra]\r\n32,from the appended file\r\n");
  WriteHostFile(scratch / "brought.ini",
                "[CommandsList]\r\n28,~%C001\\EXTRA.INI\r\n19,Extra\r\n");
  WriteHostFile(scratch / "absent.ini",
                "[CommandsList]\r\n28,~%C001\\EXTRA.INI\r\n19,Finish\r\n");
  WriteHostFile(scratch / "missing.ini",
                "[CommandsList]\r\n28,C:\\KIT\\GONE.INI\r\n19,Extra\r\n");

  const Outcome brought = RunCheck(scratch.path(), {"brought.ini"});
  EXPECT_EQ(brought.output.find("[Extra]"), std::string::npos) << brought.output;
  EXPECT_EQ(brought.status, 0) << brought.output;

  const Outcome absent = RunCheck(scratch.path(), {"absent.ini"});
  EXPECT_NE(absent.output.find("absent.ini:3: error: CMD19 names [Finish]"), std::string::npos)
      << absent.output;
  EXPECT_EQ(absent.status, 1);

  const Outcome missing = RunCheck(scratch.path(), {"missing.ini"});
  EXPECT_NE(missing.output.find("missing.ini:2: warning: CMD28 appends 'GONE.INI', which is not "
                                "beside the script"),
            std::string::npos)
      << missing.output;
  // Without the file, a section it might bring stays a warning.
  EXPECT_NE(missing.output.find("missing.ini:3: warning: CMD19 names [Extra]"), std::string::npos)
      << missing.output;
}

TEST(CheckProgramTest, WindowsBuildPrintsTheSame) {
  const std::string exe = wine::WindowsBuildDir() + "/velsetup-check.exe";
  if (!wine::Missing().empty()) GTEST_SKIP() << wine::Missing();
  if (!HostExists(exe)) GTEST_SKIP() << "the Windows build is missing (" << exe << ")";

  ScratchDir scratch;
  WriteHostFile(scratch / "a.ini",
                "[DATA]\r\nDecCommand=1\r\n[CommandsList]\r\n5\r\n6\r\n15,Files\r\n"
                "[Files]\r\nC:\\*.txt,D:\\\r\nC:\\a.txt\r\n[Spare]\r\n10\r\n");
  WriteHostFile(scratch / "b.ini", ReadHostFile(ExampleScripts().front()));
  const Outcome host = RunCheck(scratch.path(), {"a.ini", "b.ini", "c.ini"});

  // A prefix of its own, made once and shared by later runs; the engineer's
  // own Windows may be any of the four, so it plays Windows 2000.
  const std::string prefix = wine::PrefixPath("check");
  const std::string env = wine::Environment(prefix);
  const Outcome windows = RunShell(
      wine::MakePrefixCommand(prefix, "win2k") + " && cd " + Quoted(scratch.path()) + " && flock " +
      Quoted(prefix + ".lock") + " env " + env + "timeout 300 " + wine::kLoader + " " +
      Quoted(exe) + " a.ini b.ini c.ini 2>/dev/null; status=$?; " + env + wine::kServer +
      " -w; exit $status");
  std::string output = windows.output;
  output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
  EXPECT_EQ(output, host.output);
  EXPECT_EQ(windows.status, host.status);
  EXPECT_EQ(host.status, 2);
}

}  // namespace
}  // namespace velsetup::check
