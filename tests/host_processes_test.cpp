// Programs on the simulated machine: which file a command line starts, the
// arguments it gets, and the errors CreateProcessA gives.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "engine/text_format.h"
#include "host_files_fixture.h"
#include "platform/host/processes/host_processes.h"
#include "platform/host/processes/windows_command_line.h"

namespace velsetup::host {
namespace {

using Words = std::vector<std::string>;
using testing::ReadHostFile;
using testing::WriteHostFile;

TEST(WindowsCommandLineTest, ArgumentsFollowTheRuntimeRules) {
  EXPECT_EQ(SplitArguments("prog a b"), (Words{"a", "b"}));
  EXPECT_EQ(SplitArguments("  \"C:\\a b\\p.exe\"  x\t y "), (Words{"x", "y"}));
  EXPECT_EQ(SplitArguments("p \"two words\" a\\\"b"), (Words{"two words", "a\"b"}));
  EXPECT_EQ(SplitArguments("p c:\\dir\\ \"c:\\dir\\\\\" x\\\\\\\"y"),
            (Words{"c:\\dir\\", "c:\\dir\\", "x\\\"y"}));
  EXPECT_EQ(SplitArguments("p \"say \"\"hi\"\"\" \"\""), (Words{"say \"hi\"", ""}));
  EXPECT_EQ(SplitArguments("p \"open"), (Words{"open"}));
  EXPECT_EQ(SplitArguments(""), Words{});
}

TEST(WindowsCommandLineTest, UnquotedNamesAreTriedUpToEachBlank) {
  EXPECT_EQ(ProgramCandidates("C:\\Program Files\\x.exe /s"),
            (Words{"C:\\Program", "C:\\Program Files\\x.exe", "C:\\Program Files\\x.exe /s"}));
  EXPECT_EQ(ProgramCandidates("\"C:\\Program Files\\x.exe\" /s"), Words{"C:\\Program Files\\x.exe"});
  EXPECT_EQ(ProgramCandidates("   "), Words{});
}

TEST(ReadDecimalTest, ReadLikeAtoiAndHeldWithin32Bits) {
  EXPECT_EQ(ReadDecimal("1500"), 1500);
  EXPECT_EQ(ReadDecimal("  +20ms"), 20);
  EXPECT_EQ(ReadDecimal("abc"), 0);
  EXPECT_EQ(ReadDecimal("-5"), -5);
  EXPECT_EQ(ReadDecimal("99999999999999999999999"), INT32_MAX);
  EXPECT_EQ(ReadDecimal("-99999999999999999999999"), INT32_MIN);
}

class HostProcessesTest : public testing::HostFilesFixture {
 protected:
  HostProcessesTest()
      : events_(dir_ / "events.jsonl"),
        processes_(paths_, last_error_, events_, {"C:\\dir", "C:\\"}) {}
  void WriteProgram(const std::string& name, const std::string& body, mode_t mode = 0755) {
    WriteHostFile(C(name), "#!/bin/sh\n" + body + "\n");
    ::chmod(C(name).c_str(), mode);
  }
  uint32_t StartFails(const char* command_line, const char* directory = "C:\\") {
    ProcessHandle process = 0;
    EXPECT_FALSE(processes_.CreateProcessA(command_line, directory, 0, &process));
    return last_error_.code;
  }
  EventLog events_;
  HostProcesses processes_;
};

TEST_F(HostProcessesTest, ProgramsAreFoundAsWindowsFindsThem) {
  WriteProgram("dir/tool.exe", "pwd > out.txt; printf '%s|' \"$@\" >> out.txt");
  ASSERT_EQ(::mkdir(C("work").c_str(), 0755), 0);
  ProcessHandle process = 0;
  // A bare name without extension: ".exe" added, found in a search directory.
  ASSERT_TRUE(processes_.CreateProcessA("TOOL \"a b\" c", "C:\\work", process::kStartfUsePosition,
                                        &process));
  EXPECT_EQ(processes_.WaitForSingleObject(process, 0xFFFFFFFFu), process::kWaitObject0);
  EXPECT_EQ(processes_.WaitForSingleObject(process, 0), process::kWaitObject0);
  EXPECT_TRUE(processes_.CloseHandle(process));
  EXPECT_EQ(ReadHostFile(C("work/out.txt")), C("work") + "\na b|c|");
  EXPECT_NE(ReadHostFile(dir_ / "events.jsonl")
                .find("{\"event\":\"spawn\",\"command_line\":\"TOOL \\\"a b\\\" c\",\"directory\":"
                      "\"C:\\\\work\",\"wait\":true,\"position\":true}"),
            std::string::npos);
  // A running program times out; a closed handle is no handle.
  WriteProgram("slow.exe", "sleep 5");
  ASSERT_TRUE(processes_.CreateProcessA("C:\\slow.exe", nullptr, 0, &process));
  EXPECT_EQ(processes_.WaitForSingleObject(process, 20), process::kWaitTimeout);
  EXPECT_TRUE(processes_.CloseHandle(process));
  EXPECT_EQ(processes_.WaitForSingleObject(process, 0), process::kWaitFailed);
  EXPECT_EQ(last_error_.code, win32_error::kInvalidHandle);
}

TEST_F(HostProcessesTest, StartFailuresGiveWindowsCodes) {
  WriteProgram("dir/plain.exe", "true", 0644);
  WriteHostFile(C("dir/pe.exe"), "MZ not for this host");
  ::chmod(C("dir/pe.exe").c_str(), 0755);
  EXPECT_EQ(StartFails("C:\\dir\\none.exe"), win32_error::kFileNotFound);
  EXPECT_EQ(StartFails("none"), win32_error::kFileNotFound);
  EXPECT_EQ(StartFails(""), win32_error::kFileNotFound);
  EXPECT_EQ(StartFails("C:\\nodir\\x.exe"), win32_error::kPathNotFound);
  EXPECT_EQ(StartFails("C:\\dir\\plain.exe"), 193u);
  EXPECT_EQ(StartFails("C:\\dir\\pe.exe"), 193u);
  WriteProgram("dir/ok.exe", "true");
  EXPECT_EQ(StartFails("C:\\dir\\ok.exe", "C:\\nodir"), win32_error::kDirectory);
}

}  // namespace
}  // namespace velsetup::host
