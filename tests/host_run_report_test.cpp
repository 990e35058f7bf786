// The host program's reading of its arguments and its account of a run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "host_main/host_arguments.h"
#include "host_main/run_report.h"
#include "host_test_support.h"

namespace velsetup::host_main {
namespace {

TEST(RunReportTest, LogLinesCountByTheTagsInTheirPrefix) {
  EXPECT_EQ(ClassifyLogLine("ERROR-=-"), LineKind::kError);
  EXPECT_EQ(ClassifyLogLine("Error-=-"), LineKind::kError);
  EXPECT_EQ(ClassifyLogLine("CMD15_CopyFile() -  Error=19, The media is write protected."),
            LineKind::kError);
  EXPECT_EQ(ClassifyLogLine("WARNINIG-=-"), LineKind::kWarning);
  EXPECT_EQ(ClassifyLogLine("WARNING ERROR-=-"), LineKind::kWarning);
  // A notice is told apart for the lab; the summary counts neither it nor the rest.
  EXPECT_EQ(ClassifyLogLine("NOTICE: "), LineKind::kNotice);
  // The announcement of a command carries the script's own words.
  EXPECT_EQ(ClassifyLogLine("CMD12> CMD32_WriteLog: 32,ERROR in the kit"), LineKind::kOther);
  EXPECT_EQ(ClassifyLogLine("CMDERROR"), LineKind::kError);
}

TEST(RunReportTest, SectionsAreCountedAsTheyStartAndProgressWaitsForALongRun) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point now{};
  char* text = nullptr;
  size_t size = 0;
  std::FILE* terminal = ::open_memstream(&text, &size);
  ASSERT_NE(terminal, nullptr);
  {
    RunReporter reporter(terminal, [&] { return now; });
    reporter.CommandStarting(0, 32, "CommandsList");
    reporter.CommandStarting(1, 0, "CommandsList");
    reporter.CommandStarting(0, 6, "Loop");
    reporter.CommandStarting(1, 0, "Loop");
    reporter.CommandStarting(0, 6, "Loop");  // the section again, after its end
    std::fflush(terminal);
    EXPECT_EQ(size, 0u) << "no progress within the first second";
    now += std::chrono::milliseconds(1500);
    reporter.CommandStarting(1, 32, "Loop");
    reporter.CommandStarting(2, 32, "Loop");  // too soon to redraw
    reporter.ClearProgress();
    EXPECT_EQ(reporter.facts().commands, 5u);
    EXPECT_EQ(reporter.facts().sections, 3u);
  }
  std::fclose(terminal);
  EXPECT_EQ(std::string(text, size),
            "\rvelsetup: 4 commands run, now in section [Loop]\x1b[K\r\x1b[K");
  std::free(text);
}

TEST(HostArgumentsTest, TheToolLiesBesideTheScriptUnlessItIsInsideTheMachine) {
  host::testing::ScratchDir dir;
  const std::string machine = dir / "m";
  const HostArguments host_script = ParseHostArguments({"--strict", "kit/setup.ini", "-silent"});
  EXPECT_TRUE(host_script.strict);
  EXPECT_EQ(host_script.tool_arguments, (std::vector<std::string>{"kit/setup.ini", "-silent"}));
  EXPECT_EQ(ToolLocation("/usr/bin/velsetup", machine, host_script, "/home/a"),
            "/home/a/kit/velsetup");
  EXPECT_EQ(ToolLocation(machine + "/drive_c/KIT/velsetup", machine, host_script, "/home/a"),
            machine + "/drive_c/KIT/velsetup");
  EXPECT_EQ(ToolLocation("/usr/bin/velsetup", machine, ParseHostArguments({"C:\\KIT\\S.INI"}), "/"),
            "C:\\KIT\\velsetup");
  EXPECT_EQ(ToolLocation("/usr/bin/velsetup", machine, ParseHostArguments({"-silent"}), "/home/a"),
            "/home/a/velsetup");

  const auto through_z = [](const std::string& path) -> std::optional<std::string> {
    std::string windows = "Z:";
    for (char c : path) windows += c == '/' ? '\\' : c;
    return windows;
  };
  EXPECT_EQ(ToolCommandLine(host_script, "/home/a", through_z), "Z:\\home\\a\\kit\\setup.ini -silent");
  EXPECT_EQ(ToolCommandLine(ParseHostArguments({"C:\\S.INI", "/x"}), "/", through_z),
            "C:\\S.INI Z:\\x");
}

}  // namespace
}  // namespace velsetup::host_main
