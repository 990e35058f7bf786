// Start-up scenarios run by the Windows build under Wine: the real profile and
// file calls, checked through the install log and the working copy.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string Env(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class StartupUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = Env("VELSETUP_WIN_BUILD_DIR", VELSETUP_WIN_BUILD_DIR) + "/velsetup.exe";
    if (!Exists(wine_)) GTEST_SKIP() << "Wine is not installed (" << wine_ << ")";
    if (!Exists(exe_)) GTEST_SKIP() << "the Windows build is missing (" << exe_ << ")";
    prefix_ = Env("TMPDIR", "/tmp") + "/velsetup-startup-wine-" + std::to_string(getuid());
    // One prefix for all cases, made under a lock so parallel cases do not race.
    // No path here may hold a hyphen: the tool cuts its script path at the first one.
    const std::string env = "WINEPREFIX=" + prefix_ + " WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= DISPLAY= ";
    ASSERT_EQ(Shell("mkdir -p " + prefix_ + ".d && flock " + prefix_ + ".lock sh -c '[ -d " +
                    prefix_ + "/drive_c/users ] || " + env + wine_ + " wineboot -i >/dev/null 2>&1'"),
              0);
    env_ = env;
    work_ = prefix_ + "/drive_c/kit_" + std::to_string(getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Shell("rm -rf " + work_ + " && mkdir -p " + work_);
    log_ = work_ + "/install.log";
  }
  void TearDown() override {
    if (!work_.empty()) Shell("rm -rf " + work_);
  }

  void Run(const std::string& arguments) {
    ASSERT_EQ(Shell("cd / && " + env_ + wine_ + " " + exe_ + " " + arguments + " </dev/null >/dev/null 2>&1; " +
                    env_ + "/usr/lib/wine/wineserver -w"),
              0);
  }
  std::string WindowsWork() {
    const std::string tail = work_.substr(prefix_.size() + std::string("/drive_c").size());
    std::string path = "C:" + tail;
    for (char& c : path) if (c == '/') c = '\\';
    return path;
  }
  std::string TempDir() { return prefix_ + "/drive_c/users/" + Env("USER", "root") + "/Temp"; }

  std::string wine_ = "/usr/lib/wine/wine64";
  std::string exe_, prefix_, env_, work_, log_;
};

TEST_F(StartupUnderWine, CleanStartCopiesTheScriptAndStoresTheOptions) {
  const std::string name = "clean_" + std::to_string(getpid()) + ".ini";
  WriteFile(work_ + "/" + name, "[DATA]\r\nLogging=1\r\nLogFile=" + WindowsWork() +
                                    "\\install.log\r\n[CommandsList]\r\n5\r\n");
  Run("'" + WindowsWork() + "\\" + name + "' -noreboot -silent");
  const std::string log = ReadFile(log_);
  EXPECT_NE(log.find("velsetup.exe>  \r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("Version: 2.00.5 *** \r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("InitINIFile() -noreboot given...will suppress reboots\r\n"), std::string::npos);
  EXPECT_NE(log.find("InitINIFile() -silent given...will run silent\r\n"), std::string::npos);
  EXPECT_NE(log.find("InitINIFile() system will be forcing a clean start.\r\n"), std::string::npos);
  EXPECT_NE(log.find("has been copied to C:\\users\\"), std::string::npos) << log;
  const std::string copy = ReadFile(TempDir() + "/" + name);
  EXPECT_NE(copy.find("SuppressReboot=1\r\n"), std::string::npos) << copy;
  EXPECT_NE(copy.find("SilentMode=1\r\n"), std::string::npos) << copy;
  // The given script is never written.
  EXPECT_EQ(ReadFile(work_ + "/" + name).find("SuppressReboot"), std::string::npos);

  // A resume keeps the working copy, and the stored option stays in force.
  WriteFile(TempDir() + "/" + name, copy + "Marker=1\r\n");
  Run("'" + WindowsWork() + "\\" + name + "' -resume");
  EXPECT_NE(ReadFile(TempDir() + "/" + name).find("Marker=1"), std::string::npos);
  EXPECT_NE(ReadFile(log_).find("-resume given...will force a resume."), std::string::npos);

  // Without -resume and without ForceCleanStart=0 the copy is refreshed.
  Run("'" + WindowsWork() + "\\" + name + "'");
  EXPECT_EQ(ReadFile(TempDir() + "/" + name).find("Marker=1"), std::string::npos);
  Shell("rm -f " + TempDir() + "/" + name);
}

TEST_F(StartupUnderWine, ScriptPathIsCutAtItsFirstHyphen) {
  Shell("mkdir -p " + work_ + "/my-kit");
  WriteFile(work_ + "/my-kit/a.ini", "[DATA]\r\nLogging=1\r\nLogFile=" + WindowsWork() +
                                         "\\install.log\r\n");
  // Looked for as ...\my, which does not exist: nothing runs, nothing is logged.
  Run("'" + WindowsWork() + "\\my-kit\\a.ini' -silent");
  EXPECT_FALSE(Exists(log_));
  // With a file of that name beside it, the cut name is the script that runs.
  WriteFile(work_ + "/my", "[DATA]\r\nLogging=1\r\nLogFile=" + WindowsWork() + "\\install.log\r\n");
  Run("'" + WindowsWork() + "\\my-kit\\a.ini' -silent");
  EXPECT_NE(ReadFile(log_).find("The INI file in use is C:\\users\\"), std::string::npos);
  EXPECT_NE(ReadFile(log_).find("-silent given"), std::string::npos);
}

}  // namespace
