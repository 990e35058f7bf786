// The lab's page in a real browser: headless Chromium loads it from a file,
// and it must render the graph, log no error and give a screenshot. Skipped
// where no Chromium is installed (the CI machine installs it).
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "lab/lab_report.h"
#include "lab_sample.h"

namespace velsetup::lab {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChromium = "/usr/bin/chromium";
constexpr auto kBrowserTimeLimit = std::chrono::seconds(30);

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Browsed {
  bool finished = false;  // exited by itself within the time limit
  int status = -1;
  std::string out, err;
};

// Runs Chromium on the page, with a profile directory of its own so that no
// other browser's state comes in, and stops it (and whatever it started)
// when it runs past the time limit.
Browsed Browse(const fs::path& dir, const fs::path& page, std::vector<std::string> options) {
  const fs::path out = dir / "browser.out", err = dir / "browser.err";
  std::vector<std::string> args = {kChromium, "--headless", "--disable-gpu", "--no-sandbox",
                                   "--no-first-run", "--no-default-browser-check",
                                   "--user-data-dir=" + (dir / "profile").string()};
  args.insert(args.end(), options.begin(), options.end());
  args.push_back("file://" + page.string());
  Browsed browsed;
  const pid_t child = fork();
  if (child < 0) return browsed;
  if (child == 0) {
    setpgid(0, 0);
    const int out_fd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out_fd < 0 || err_fd < 0) _exit(127);
    dup2(out_fd, 1);
    dup2(err_fd, 2);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(kChromium, argv.data());
    _exit(127);
  }
  setpgid(child, child);
  const auto deadline = std::chrono::steady_clock::now() + kBrowserTimeLimit;
  int status = 0;
  while (true) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) {
      browsed.finished = true;
      browsed.status = status;
      break;
    }
    if (done < 0 || std::chrono::steady_clock::now() > deadline) {
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  // The browser's helpers share its process group: none outlives the test.
  kill(-child, SIGKILL);
  browsed.out = ReadAll(out);
  browsed.err = ReadAll(err);
  return browsed;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

class LabHtmlBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    if (access(kChromium, X_OK) != 0) GTEST_SKIP() << "no " << kChromium;
    char pattern[] = "/tmp/velsetup-lab-browser-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    result_ = sample::Result();
    page_ = dir_ / "lab.html";
    std::ofstream(page_, std::ios::binary) << HtmlReport(result_, Analyse(result_));
  }
  void TearDown() override {
    std::error_code ignored;
    if (!dir_.empty()) fs::remove_all(dir_, ignored);
  }

  fs::path dir_, page_;
  LabResult result_;
};

TEST_F(LabHtmlBrowser, RendersTheGraphAndLogsNoError) {
  const Browsed browsed = Browse(dir_, page_, {"--dump-dom", "--enable-logging=stderr", "--v=0"});
  ASSERT_TRUE(browsed.finished) << "the browser did not finish within the time limit\n" << browsed.err;
  ASSERT_TRUE(WIFEXITED(browsed.status) && WEXITSTATUS(browsed.status) == 0) << browsed.err;
  // The DOM as the browser built it: the graph is there, a node a section.
  const std::string& dom = browsed.out;
  EXPECT_EQ(Count(dom, "<svg"), 1u);
  EXPECT_EQ(Count(dom, "class=\"node section"), 12u);
  EXPECT_EQ(Count(dom, "class=\"edge\""), 9u);
  EXPECT_NE(dom.find("data-name=\"Ask.US\""), std::string::npos);
  // The 8-bit byte came through as its character, UTF-8 in the DOM.
  EXPECT_NE(dom.find("caf\xc3\xa9"), std::string::npos);
  std::istringstream lines(browsed.err);
  for (std::string line; std::getline(lines, line);) {
    EXPECT_EQ(line.find("Uncaught"), std::string::npos) << line;
    EXPECT_EQ(line.find("ERROR:CONSOLE"), std::string::npos) << line;
    EXPECT_EQ(line.find(":CONSOLE("), std::string::npos) << line;
  }
}

TEST_F(LabHtmlBrowser, GivesAScreenshot) {
  const fs::path shot = dir_ / "lab.png";
  const Browsed browsed =
      Browse(dir_, page_, {"--screenshot=" + shot.string(), "--window-size=1400,1000",
                           "--hide-scrollbars"});
  ASSERT_TRUE(browsed.finished) << browsed.err;
  ASSERT_TRUE(fs::exists(shot)) << browsed.err;
  const std::string png = ReadAll(shot);
  ASSERT_GT(png.size(), 1000u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
}

}  // namespace
}  // namespace velsetup::lab
