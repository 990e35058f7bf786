// The trace the host program writes for velsetup-lab (VELSETUP_TRACE): every
// section start with the slot it filled from, every command, every log line,
// and its end, also for the completion of a start a killed process left.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_test_support.h"

namespace velsetup::host::testing {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::vector<std::string> Matching(const std::vector<std::string>& lines, const std::string& part) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.find(part) != std::string::npos) found.push_back(line);
  }
  return found;
}

class HostTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteHostFile(dir_ / "s.ini",
                  "[DATA]\r\nLogging=1\r\n[CommandsList]\r\n32,one\r\n; a comment\r\n"
                  "19,Second\r\n[Second]\r\n32,\"two\"\r\n32,three\r\n");
  }
  // Runs the host program on machine `machine` with the trace in `trace`.
  void Run(const std::string& machine, const std::string& trace, const std::string& options,
           const std::string& environment = "") {
    ShellOutput("cd '" + dir_.path() + "' && " + environment + " VELSETUP_MACHINE='" + machine +
                "' VELSETUP_TRACE='" + trace + "' " + VELSETUP_HOST_BINARY + " s.ini " +
                options + " </dev/null >/dev/null 2>&1");
  }
  ScratchDir dir_;
};

TEST_F(HostTrace, TellsSectionsWithTheirFirstSlotCommandsLogLinesAndTheEnd) {
  Run(dir_ / "m", dir_ / "trace.jsonl", "-noreboot");
  const std::vector<std::string> lines = Lines(ReadHostFile(dir_ / "trace.jsonl"));
  EXPECT_EQ(Matching(lines, "\"event\":\"section\""),
            (std::vector<std::string>{
                "{\"event\":\"section\",\"section\":\"CommandsList\",\"first_slot\":0}",
                "{\"event\":\"section\",\"section\":\"Second\",\"first_slot\":2}"}));
  const std::vector<std::string> commands = Matching(lines, "\"event\":\"command\"");
  ASSERT_EQ(commands.size(), 6u);  // two, the empty slot, two, the empty slot
  EXPECT_EQ(commands[1], "{\"event\":\"command\",\"slot\":1,\"number\":19,\"section\":\"CommandsList\"}");
  // [Second] fills from the empty slot that ended [CommandsList].
  EXPECT_EQ(commands[3], "{\"event\":\"command\",\"slot\":2,\"number\":32,\"section\":\"Second\"}");
  EXPECT_FALSE(Matching(lines, "{\"event\":\"log\",\"prefix\":\"CMD2> CMD32_LogMsg: 32,\\\"two\\\"\"").empty());
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "{\"event\":\"end\",\"restart_asked\":false,\"startup_failed\":false}");
  // Without the variable, nothing of it is written anywhere.
  Run(dir_ / "m2", "", "-noreboot");
  EXPECT_TRUE(HostExists(dir_ / "m2/drive_c/system.sav/util/install.log"));
}

TEST_F(HostTrace, TheCompletionOfAStartCutShortIsASectionStartToo) {
  // Kill the first run at each of its writes in turn; where the switch to
  // [Second] was cut short, the resumed run completes it and says so.
  int completed = 0;
  for (int writes = 1; writes <= 60 && completed == 0; ++writes) {
    const std::string machine = dir_ / ("k" + std::to_string(writes));
    const std::string trace = machine + ".jsonl";
    Run(machine, dir_ / "first.jsonl", "-noreboot",
        "VELSETUP_KILL_AFTER_WRITES=" + std::to_string(writes));
    Run(machine, trace, "-noreboot -resume");
    const std::vector<std::string> lines = Lines(ReadHostFile(trace));
    if (Matching(lines, "completing the start of [Second]").empty()) continue;
    ++completed;
    EXPECT_EQ(Matching(lines, "\"event\":\"section\"").front(),
              "{\"event\":\"section\",\"section\":\"Second\",\"first_slot\":2}");
  }
  EXPECT_EQ(completed, 1);
}

TEST_F(HostTrace, ATraceThatCannotBeOpenedStopsTheRunBeforeItStarts) {
  const std::string output = ShellOutput(
      "cd '" + dir_.path() + "' && VELSETUP_MACHINE='" + dir_ / "m" + "' VELSETUP_TRACE='" +
      dir_ / "no/such/dir/t.jsonl" + "' " + VELSETUP_HOST_BINARY +
      " s.ini -noreboot </dev/null 2>&1; echo \"exit=$?\"");
  EXPECT_NE(output.find("cannot open the trace"), std::string::npos) << output;
  EXPECT_NE(output.find("exit=2"), std::string::npos) << output;
  EXPECT_FALSE(HostExists(dir_ / "m/drive_c/system.sav/util/install.log"));
}

}  // namespace
}  // namespace velsetup::host::testing
