// velsetup-lab: runs a script on every kind of machine it will meet, through
// its restarts, and reports what it did on each.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "lab/host_tree.h"
#include "lab/lab_arguments.h"
#include "lab/lab_report.h"
#include "lab/lab_runner.h"
#include "lab/matrix.h"

namespace {

constexpr int kClean = 0;
constexpr int kFindings = 1;
constexpr int kBadInput = 2;

int BadInput(const std::string& problem) {
  std::fprintf(stderr, "velsetup-lab: %s\n", problem.c_str());
  return kBadInput;
}

std::string OwnBinary(const char* argv0) {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string(argv0);
}

bool WriteReport(const std::string& path, const std::string& text) {
  std::string error;
  if (velsetup::lab::WriteHostFile(path, text, &error)) return true;
  std::fprintf(stderr, "velsetup-lab: %s\n", error.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace velsetup::lab;
  LabArguments arguments;
  std::string error;
  if (!ParseLabArguments(std::vector<std::string>(argv + 1, argv + argc), &arguments, &error)) {
    std::fprintf(stderr, "velsetup-lab: %s\n%s", error.c_str(), LabUsage());
    return kBadInput;
  }
  if (arguments.help) {
    std::fputs(LabUsage(), stdout);
    return kClean;
  }
  if (::access(arguments.script.c_str(), R_OK) != 0) {
    return BadInput("cannot read the script " + arguments.script);
  }
  LabOptions options;
  options.script = RealPath(arguments.script);
  if (arguments.matrix.empty()) {
    options.profiles = DefaultMatrix();
  } else {
    std::string bytes;
    if (!ReadHostFile(arguments.matrix, &bytes)) {
      return BadInput("cannot read the matrix " + arguments.matrix);
    }
    if (!ParseMatrix(bytes, arguments.matrix, &options.profiles, &error)) return BadInput(error);
  }
  if (!arguments.keep.empty()) {
    // Made when missing, one level only: a mistyped path must not build a tree.
    ::mkdir(arguments.keep.c_str(), 0755);
    if (::access(arguments.keep.c_str(), W_OK) != 0) {
      return BadInput("--keep " + arguments.keep + ": not a writable directory");
    }
    options.keep = RealPath(arguments.keep);
  }
  const unsigned cores = std::thread::hardware_concurrency();
  options.jobs = arguments.jobs > 0 ? arguments.jobs : static_cast<int>(cores > 0 ? cores : 1);
  options.timeout_seconds = arguments.timeout_seconds;
  options.tool = DefaultTool(OwnBinary(argv[0]));
  const char* temp = std::getenv("TMPDIR");
  options.temp_root = temp != nullptr && *temp != '\0' ? temp : "/tmp";

  LabResult result;
  if (!RunLab(options, &result, &error)) return BadInput(error);
  const LabAnalysis analysis = Analyse(result);
  std::fputs(TerminalReport(result, analysis).c_str(), stdout);
  bool written = true;
  if (!arguments.json.empty()) written = WriteReport(arguments.json, JsonReport(result, analysis)) && written;
  if (!arguments.html.empty()) written = WriteReport(arguments.html, HtmlReport(result, analysis)) && written;
  bool clean = written;
  for (const ProfileResult& profile : result.profiles) {
    if (profile.errors() > 0 || profile.outcome != Outcome::kEnded) clean = false;
  }
  return clean ? kClean : kFindings;
}
