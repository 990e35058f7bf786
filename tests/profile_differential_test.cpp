// The simulated machine's profile engine against the real calls: the probe
// runs the case table under Wine, the engine runs it on host files, and the
// two must answer alike, call by call and byte by byte. Where Wine is known
// to depart from Windows the table holds Windows' answer: the engine must
// give that one, and Wine's answer is only reported.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>

#include "host_test_support.h"
#include "platform/host/profile/profile_store.h"
#include "profile_cases.h"
#include "wine_support.h"

namespace wine = velsetup::testing::wine;

namespace {

using profile_cases::Call;
using profile_cases::Case;

std::string Env(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

using velsetup::host::testing::HostExists;
using velsetup::host::testing::ReadHostFile;

std::string RunOnHost(const Case& c, size_t index, const std::string& directory) {
  const std::string path = directory + "/case" + std::to_string(index) + ".ini";
  ::unlink(path.c_str());
  if (c.fixture != nullptr) std::ofstream(path, std::ios::binary) << profile_cases::FixtureBytes(c.fixture);
  velsetup::host::ProfileStore store;
  std::string buffer(c.number > 0 ? static_cast<size_t>(c.number) + 8 : 8, '\xcc');
  uint32_t error = 0;
  uint32_t returned = 0;
  switch (c.call) {
    case Call::kGetString:
      returned = store.GetString(c.section, c.key, c.text, &buffer[0],
                                 static_cast<uint32_t>(c.number), path, &error);
      break;
    case Call::kGetInt:
      returned = store.GetInt(c.section, c.key, c.number, path, &error);
      break;
    case Call::kGetSection:
      returned = store.GetSection(c.section, &buffer[0], static_cast<uint32_t>(c.number), path,
                                  &error);
      break;
    case Call::kWriteString:
      returned = store.WriteString(c.section, c.key, c.text, path, &error) ? 1 : 0;
      break;
    case Call::kWriteSection: {
      const std::string data = profile_cases::SectionData(c.text);
      returned = store.WriteSection(c.section, data.c_str(), path, &error) ? 1 : 0;
      break;
    }
  }
  const bool exists = HostExists(path);
  const std::string line =
      profile_cases::ResultLine(c, returned, buffer, exists, exists ? ReadHostFile(path) : "");
  ::unlink(path.c_str());
  return line;
}

// "<index> <result>" lines of the probe, by index.
std::map<size_t, std::string> RunProbe(const std::string& probe, const std::string& directory,
                                       std::string* problem) {
  const std::string prefix = wine::PrefixPath("probe");
  const std::string env = wine::Environment(prefix);
  const std::string loader = wine::kLoader;
  // The directory goes to the probe as a Windows path on Z:.
  std::string windows_directory = "Z:" + directory;
  for (char& c : windows_directory) {
    if (c == '/') c = '\\';
  }
  // The host engine follows the NT family: the probe runs as on Windows 2000.
  const std::string windows_command = wine::MakePrefixCommand(prefix, "win2k") + "; cd / && " +
                                      env + loader + " " + probe + " '" + windows_directory +
                                      "' 2>/dev/null";
  std::map<size_t, std::string> results;
  FILE* pipe = ::popen(windows_command.c_str(), "r");
  if (pipe == nullptr) {
    *problem = "cannot start Wine";
    return results;
  }
  char line[1 << 16];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t blank = text.find(' ');
    if (blank == std::string::npos) continue;
    results[std::stoul(text.substr(0, blank))] = text.substr(blank + 1);
  }
  ::pclose(pipe);
  std::system((env + wine::kServer + " -w").c_str());
  return results;
}

TEST(ProfileDifferential, HostEngineAnswersAsWindowsDoes) {
  const std::string probe = wine::WindowsBuildDir() + "/profile_probe.exe";
  if (!wine::Missing().empty()) GTEST_SKIP() << wine::Missing();
  if (!HostExists(probe)) GTEST_SKIP() << "the Windows build is missing (" << probe << ")";

  const std::string directory = Env("TMPDIR", "/tmp") + "/velsetup_profile_cases_" + std::to_string(getpid());
  ASSERT_EQ(std::system(("mkdir -p " + directory).c_str()), 0);
  std::string problem;
  const std::map<size_t, std::string> wine = RunProbe(probe, directory, &problem);
  size_t count = 0;
  const Case* cases = profile_cases::Cases(&count);
  ASSERT_EQ(wine.size(), count) << "the probe did not answer every case " << problem;

  size_t known_differences = 0;
  for (size_t i = 0; i < count; ++i) {
    const Case& c = cases[i];
    const std::string host = RunOnHost(c, i, directory);
    const std::string& under_wine = wine.at(i);
    if (c.windows != nullptr) {
      EXPECT_EQ(host, c.windows) << "case " << i << " (" << c.name << "): Windows' answer";
      if (under_wine != c.windows) {
        ++known_differences;
        std::printf("known Wine difference, case %zu (%s): Windows %s, Wine %s\n", i, c.name,
                    c.windows, under_wine.c_str());
      }
    } else {
      EXPECT_EQ(host, under_wine) << "case " << i << " (" << c.name << ")";
    }
  }
  std::printf("%zu cases, %zu known Wine differences\n", count, known_differences);
  std::system(("rm -rf " + directory).c_str());
}

}  // namespace
