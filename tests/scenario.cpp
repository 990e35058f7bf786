#include "scenario.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/host/files/dos_attributes.h"
#include "platform/host/files/windows_path.h"
#include "platform/host/machine/host_platform.h"
#include "wine_support.h"

namespace velsetup::testing {

namespace {

std::string Env(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

bool HostExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

// One argument for /bin/sh, whatever it holds.
std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') quoted += "'\\''";
    else quoted += c;
  }
  return quoted + "'";
}

// The words of a command line, each one shell argument: the program joins
// them again with single blanks, as Windows hands a program its command line.
std::string QuotedWords(const std::string& command_line) {
  std::string arguments;
  std::istringstream words(command_line);
  for (std::string word; words >> word;) arguments += " " + Quoted(word);
  return arguments;
}

// The components of "C:\a\b" ("a", "b"); the drive is always C:.
std::vector<std::string> Components(const std::string& windows_path) {
  std::vector<std::string> parts;
  std::string part;
  const size_t start = windows_path.size() >= 2 && windows_path[1] == ':' ? 2 : 0;
  for (size_t i = start; i < windows_path.size(); ++i) {
    const char c = windows_path[i];
    if (c == '\\' || c == '/') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The host path of a Windows path under `drive_root`, each existing
// component found case-blind as Windows finds it.
std::string HostPathUnder(const std::string& drive_root, const std::string& windows_path) {
  std::string path = drive_root;
  for (const std::string& part : Components(windows_path)) {
    std::string chosen = part;
    if (DIR* directory = ::opendir(path.c_str())) {
      while (dirent* entry = ::readdir(directory)) {
        if (host::EqualsCaseBlind(entry->d_name, part)) {
          chosen = entry->d_name;
          break;
        }
      }
      ::closedir(directory);
    }
    path += "/" + chosen;
  }
  return path;
}

std::string ReadHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteHostFile(const std::string& path, const std::string& bytes) {
  Shell("mkdir -p " + Quoted(path.substr(0, path.rfind('/'))));
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string UniqueName() {
  static std::atomic<int> counter{0};
  return std::to_string(getpid()) + "_" + std::to_string(counter++);
}

std::string QueryHostRegistry(RegistryApi& registry, const RegistryQuery& query) {
  const struct {
    const char* name;
    RegistryKey key;
  } kRoots[] = {{"HKCR", registry_key::kClassesRoot}, {"HKCU", registry_key::kCurrentUser},
                {"HKU", registry_key::kUsers}, {"HKCC", registry_key::kCurrentConfig}};
  RegistryKey root = registry_key::kLocalMachine;
  for (const auto& known : kRoots) {
    if (query.root == known.name) root = known.key;
  }
  RegistryKey key = 0;
  if (registry.RegOpenKeyExA(root, query.key.c_str(), 0, registry_access::kRead, &key) != 0) {
    return "missing key";
  }
  const char* value = query.value == "@" ? "" : query.value.c_str();
  uint32_t type = 0, size = 0;
  std::string result = "missing value";
  if (registry.RegQueryValueExA(key, value, &type, nullptr, &size) == 0) {
    std::string bytes(size, '\0');
    registry.RegQueryValueExA(key, value, &type, reinterpret_cast<uint8_t*>(&bytes[0]), &size);
    result = std::to_string(type) + ":";
    char hex[3];
    for (uint32_t i = 0; i < size; ++i) {
      std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
      result += hex;
    }
  }
  registry.RegCloseKey(key);
  return result;
}

// The program's place on C: in every scenario, so that both builds log the
// same module path.
constexpr const char* kProgramPath = "C:\\KIT\\velsetup.exe";

class DriveScenario : public Scenario {
 public:
  using Scenario::Scenario;

  void WriteFile(const std::string& windows_path, const std::string& bytes) override {
    WriteHostFile(HostPathUnder(drive_c_, windows_path), bytes);
  }
  std::string ReadFile(const std::string& windows_path) const override {
    return ReadHostFile(HostPathUnder(drive_c_, windows_path));
  }
  bool Exists(const std::string& windows_path) const override {
    return HostExists(HostPathUnder(drive_c_, windows_path));
  }

 protected:
  std::string HostPathOf(const std::string& windows_path) const override {
    return HostPathUnder(drive_c_, windows_path);
  }
  std::string drive_c_;
};

class HostScenario : public DriveScenario {
 public:
  explicit HostScenario(Os os) : DriveScenario(Build::kHost, os) {
    binary_ = Env("VELSETUP_HOST_BINARY", VELSETUP_HOST_BINARY);
    machine_ = Env("TMPDIR", "/tmp") + "/velsetup_scenario_" + UniqueName();
    drive_c_ = machine_ + "/drive_c";
    Shell("rm -rf " + Quoted(machine_) + " && mkdir -p " + Quoted(drive_c_));
    WriteMachineIni("");
  }
  void SetBios(const std::string& signature, uint16_t system_id) override {
    char id[8];
    std::snprintf(id, sizeof id, "0x%04X", system_id);
    WriteMachineIni("[Bios]\nSignature=" + signature + "\nSystemID=" + id + "\n");
  }
  void PlaceDriverFiles() override {
    WriteFile("C:\\KIT\\HWAInt15.VxD", "simulated Windows 9x CMOS driver\r\n");
    WriteFile("C:\\KIT\\HWAMGMT.SYS", "simulated NT CMOS driver\r\n");
  }
  ~HostScenario() override { Shell("rm -rf " + Quoted(machine_)); }

  std::string SkipReason() const override {
    return HostExists(binary_) ? "" : "the host build is missing (" + binary_ + ")";
  }
  std::string TempDir() const override {
    return os() == Os::kNt4 || os() == Os::kWin2000 ? "C:\\WINNT\\TEMP\\" : "C:\\WINDOWS\\TEMP\\";
  }
  int Run(const std::string& command_line, const std::vector<std::string>& answers) override {
    std::string joined;
    for (const std::string& answer : answers) joined += (joined.empty() ? "" : ",") + answer;
    std::string environment;
    for (const auto& [name, value] : run_environment_) environment += " " + name + "=" + Quoted(value);
    return Shell("cd / && VELSETUP_MACHINE=" + Quoted(machine_) + " VELSETUP_ANSWERS=" +
                 Quoted(joined) + environment + " timeout 120 " + Quoted(binary_) +
                 QuotedWords(command_line) + " </dev/null >/dev/null 2>&1");
  }
  std::string ProfileValue(const std::string& windows_path, const std::string& section,
                           const std::string& key) override {
    std::string error;
    auto machine = host::HostPlatform::Open(machine_, binary_, &error);
    if (!machine) return "no machine: " + error;
    char buffer[512];
    const uint32_t length = machine->platform().profile->GetPrivateProfileStringA(
        section.c_str(), key.c_str(), "", buffer, sizeof buffer, windows_path.c_str());
    return std::string(buffer, length);
  }
  bool HasEventLog() const override { return true; }
  bool HasMakersDrivers() const override { return true; }
  std::string Events() const override { return ReadHostFile(machine_ + "/events.jsonl"); }
  void SetAttributes(const std::string& windows_path, uint32_t attributes) override {
    host::DosAttributes().Store(HostPathOf(windows_path), attributes);
  }
  std::vector<std::string> RegistryValues(const std::vector<RegistryQuery>& queries) override {
    std::string error;
    auto machine = host::HostPlatform::Open(machine_, binary_, &error);
    std::vector<std::string> results;
    for (const RegistryQuery& query : queries) {
      results.push_back(machine ? QueryHostRegistry(*machine->platform().registry, query)
                                : "no machine: " + error);
    }
    return results;
  }
  // Every host scenario has a fresh machine.
  void ClearRegistryKey(const std::string&, const std::string&) override {}
  // A shell script serves as the program on the simulated machine.
  void WriteMarkerProgram(const std::string& windows_path) override {
    const std::string path = HostPathOf(windows_path);
    WriteHostFile(path,
                  "#!/bin/sh\n"
                  "file=$(printf '%s' \"$1\" | tr '\\\\' '/')\n"
                  "sleep \"$(awk \"BEGIN { print $2 / 1000 }\")\"\n"
                  "shift 2\n"
                  "for argument in \"$@\"; do printf '%s\\r\\n' \"$argument\"; done > \"$file\"\n");
    ::chmod(path.c_str(), 0755);
  }

 private:
  void WriteMachineIni(const std::string& more) {
    WriteHostFile(machine_ + "/machine.ini", std::string("[Machine]\nOS=") + MachineOs() +
                                                 "\nModulePath=" + kProgramPath +
                                                 "\n[Drives]\nC=drive_c\nZ=\n" + more);
  }
  const char* MachineOs() const {
    switch (os()) {
      case Os::kWin95: return "win95";
      case Os::kWin98: return "win98";
      case Os::kWinMe: return "winme";
      case Os::kNt4: return "nt4";
      case Os::kWin2000: return "win2000";
      case Os::kWinXp: return "winxp";
    }
    return "win2000";
  }

  std::string binary_, machine_;
};

// Wine scenarios share one prefix per Windows version and take it in turn
// (a lock held for the scenario's life): a scenario owns C:\KIT, which is
// emptied when it starts and removed when it ends, and the temp directory,
// which is emptied when it starts (both belong to the prefix, not the user).
class WineScenario : public DriveScenario {
 public:
  explicit WineScenario(Os os) : DriveScenario(Build::kWine, os) {
    exe_ = wine::WindowsBuildDir() + "/velsetup.exe";
    marker_ = wine::WindowsBuildDir() + "/marker_probe.exe";
    skip_ = wine::Missing();
    if (!skip_.empty()) return;
    if (!HostExists(exe_)) {
      skip_ = "the Windows build is missing (" + exe_ + ")";
      return;
    }
    prefix_ = wine::PrefixPath(WineVersion());
    env_ = wine::Environment(prefix_);
    drive_c_ = prefix_ + "/drive_c";
    const std::string lock = prefix_ + ".lock";
    if (Shell(wine::MakePrefixCommand(prefix_, WineVersion())) != 0) {
      skip_ = "the Wine prefix could not be made (" + prefix_ + ")";
      return;
    }
    lock_fd_ = OpenLock(lock);
    Shell("rm -rf " + Quoted(drive_c_ + "/KIT") + " " + Quoted(HostTemp()) + "/*");
    WriteHostFile(HostPathUnder(drive_c_, kProgramPath), ReadHostFile(exe_));
  }
  ~WineScenario() override {
    if (!drive_c_.empty() && skip_.empty()) Shell("rm -rf " + Quoted(drive_c_ + "/KIT"));
    if (lock_fd_ >= 0) ::close(lock_fd_);
  }

  std::string SkipReason() const override { return skip_; }
  std::string TempDir() const override { return "C:\\users\\" + User() + "\\Temp\\"; }
  int Run(const std::string& command_line, const std::vector<std::string>&) override {
    // Started in C:\, the simulated machine's default current directory.
    return Shell("cd " + Quoted(drive_c_) + " && " + env_ + "timeout 120 " + kWine + " " + Quoted(kProgramPath) +
                 QuotedWords(command_line) + " </dev/null >/dev/null 2>&1; status=$?; " + env_ + kWineServer +
                 " -w; exit $status");
  }
  bool HasEventLog() const override { return false; }
  bool HasMakersDrivers() const override { return false; }
  std::string Events() const override {
    return Unavailable("Events(): Wine keeps no record of boxes and restarts");
  }
  std::string ProfileValue(const std::string&, const std::string&, const std::string&) override {
    return Unavailable("ProfileValue(): the host build's profile calls read it");
  }
  void WriteMarkerProgram(const std::string& windows_path) override {
    WriteHostFile(HostPathOf(windows_path), ReadHostFile(marker_));
  }
  std::vector<std::string> RegistryValues(const std::vector<RegistryQuery>& queries) override {
    std::string arguments;
    for (const RegistryQuery& query : queries) {
      arguments += " " + Quoted(query.root) + " " + Quoted(query.key) + " " + Quoted(query.value);
    }
    const std::string output = drive_c_ + "/KIT/registry_probe.txt";
    RunProbe("query" + arguments + " > " + Quoted(output));
    std::vector<std::string> results;
    std::istringstream lines(ReadHostFile(output));
    // The answer is the test's, not the machine's: it must not show in a tree.
    std::remove(output.c_str());
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      results.push_back(line);
    }
    return results;
  }
  void SetBios(const std::string&, uint16_t) override {
    Unavailable("SetBios(): Wine has no maker's driver to read a BIOS with");
  }
  void PlaceDriverFiles() override {
    Unavailable("PlaceDriverFiles(): the simulated drivers cannot run under Wine");
  }
  void ClearRegistryKey(const std::string& root, const std::string& key) override {
    RunProbe("clear " + Quoted(root) + " " + Quoted(key));
  }
  // Wine keeps hidden and system in user.DOSATTRIB and reads read-only from
  // the file's permissions.
  void SetAttributes(const std::string& windows_path, uint32_t attributes) override {
    const std::string path = HostPathOf(windows_path);
    char text[16];
    std::snprintf(text, sizeof text, "0x%x", attributes & 0x6u);
    ::setxattr(path.c_str(), "user.DOSATTRIB", text, std::strlen(text), 0);
    struct stat info;
    if (::stat(path.c_str(), &info) == 0) {
      const mode_t writable = S_IWUSR | S_IWGRP | S_IWOTH;
      ::chmod(path.c_str(), (attributes & 0x1u) != 0 ? info.st_mode & ~writable & 07777
                                                     : (info.st_mode | S_IWUSR) & 07777);
    }
  }

 private:
  static constexpr const char* kWine = wine::kLoader;
  static constexpr const char* kWineServer = wine::kServer;

  static std::string User() { return Env("USER", "root"); }
  // A check that would otherwise pass against an empty answer fails instead.
  static std::string Unavailable(const char* what) {
    ADD_FAILURE() << "not under Wine: " << what;
    return "";
  }
  void RunProbe(const std::string& arguments) {
    const std::string probe = wine::WindowsBuildDir() + "/registry_probe.exe";
    Shell("cd / && " + env_ + kWine + " " + Quoted(probe) + " " + arguments + "; " + env_ +
          kWineServer + " -w");
  }
  std::string HostTemp() const { return drive_c_ + "/users/" + User() + "/Temp"; }
  const char* WineVersion() const {
    switch (os()) {
      case Os::kWin95: return "win95";
      case Os::kWin98: return "win98";
      case Os::kWinMe: return "winme";
      case Os::kNt4: return "nt40";
      case Os::kWin2000: return "win2k";
      case Os::kWinXp: return "winxp";
    }
    return "win2k";
  }
  static int OpenLock(const std::string& path) {
    // flock(1) above made the file; hold it for the scenario's life.
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0) ::lockf(fd, F_LOCK, 0);
    return fd;
  }

  std::string exe_, marker_, prefix_, env_, skip_;
  int lock_fd_ = -1;
};

}  // namespace

const char* BuildName(Build build) { return build == Build::kHost ? "Host" : "Wine"; }

const char* OsName(Os os) {
  switch (os) {
    case Os::kWin95: return "Win95";
    case Os::kWin98: return "Win98";
    case Os::kWinMe: return "WinMe";
    case Os::kNt4: return "Nt4";
    case Os::kWin2000: return "Win2000";
    case Os::kWinXp: return "WinXp";
  }
  return "Win2000";
}

std::unique_ptr<Scenario> MakeScenario(Build build, Os os) {
  if (build == Build::kHost) return std::make_unique<HostScenario>(os);
  return std::make_unique<WineScenario>(os);
}

std::string Where(const Scenario& machine) {
  return std::string(BuildName(machine.build())) + " " + OsName(machine.os());
}

bool HasLine(const std::vector<std::string>& log, const std::string& line) {
  return std::find(log.begin(), log.end(), line) != log.end();
}

std::vector<std::string> Picked(const std::vector<std::string>& log,
                                const std::vector<std::string>& wanted) {
  std::vector<std::string> picked;
  for (const std::string& line : log) {
    if (std::find(wanted.begin(), wanted.end(), line) != wanted.end()) picked.push_back(line);
  }
  return picked;
}

std::vector<std::string> LoggedScript(const std::string& log_path,
                                      const std::vector<std::string>& commands,
                                      const std::vector<std::string>& sections) {
  std::vector<std::string> lines = {"[DATA]", "Logging=1", "LogFile=" + log_path,
                                    "[CommandsList]"};
  lines.insert(lines.end(), commands.begin(), commands.end());
  lines.insert(lines.end(), sections.begin(), sections.end());
  return lines;
}

std::string IniText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

std::vector<std::string> LogLines(const std::string& log_bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < log_bytes.size()) {
    size_t end = log_bytes.find("\r\n", start);
    const bool complete = end != std::string::npos;
    if (!complete) end = log_bytes.size();
    std::string line = log_bytes.substr(start, end - start);
    // "[hh:mm:ss.mmm] " opens every line.
    if (line.size() >= 15 && line[0] == '[' && line[13] == ']') line = "T" + line.substr(14);
    // The CMOS driver's file lines at the start and the end of every run
    // name each machine's system directory; the CMOS tests look at them.
    const bool driver_line = line.find("HWAInt15") != std::string::npos ||
                             line.find("HWAMGMT") != std::string::npos ||
                             line.find("HWAMgmt") != std::string::npos ||
                             line.find("HWAmgmt") != std::string::npos;
    if (!driver_line) lines.push_back(line);
    start = complete ? end + 2 : end;
  }
  return lines;
}

namespace {

void CollectTree(const std::string& host_dir, const std::string& prefix,
                 std::vector<std::string>* entries) {
  DIR* directory = ::opendir(host_dir.c_str());
  if (directory == nullptr) return;
  std::vector<std::string> names;
  while (dirent* entry = ::readdir(directory)) {
    const std::string name = entry->d_name;
    // The simulation's sidecars and unfinished copies are no files of the machine.
    if (name != "." && name != ".." && name.find(':') == std::string::npos) names.push_back(name);
  }
  ::closedir(directory);
  for (const std::string& name : names) {
    const std::string path = host_dir + "/" + name;
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      entries->push_back(prefix + name + "\\");
      CollectTree(path, prefix + name + "\\", entries);
    } else {
      entries->push_back(prefix + name + "=" + ReadHostFile(path));
    }
  }
}

}  // namespace

std::vector<std::string> Scenario::Tree(const std::string& windows_dir) const {
  std::vector<std::string> entries;
  CollectTree(HostPathOf(windows_dir), "", &entries);
  std::sort(entries.begin(), entries.end());
  return entries;
}

BothBuilds::BothBuilds(Os os) {
  for (Build build : {Build::kHost, Build::kWine}) {
    auto machine = MakeScenario(build, os);
    if (machine->SkipReason().empty()) {
      all.push_back(std::move(machine));
    } else {
      skipped += machine->SkipReason() + "; ";
    }
  }
}

void BothBuilds::SkipUnlessBoth() const {
  if (all.size() < 2) GTEST_SKIP() << "the Windows build did not run beside the host build: " << skipped;
}

void ExpectAsRecorded(const std::string& text, const std::string& suffix) {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name() + suffix;
  std::replace(name.begin(), name.end(), '/', '_');
  const std::string record =
      std::string(VELSETUP_SOURCE_DIR) + "/tests/golden/both_builds/" + name + ".txt";
  if (std::getenv("VELSETUP_RECORD") != nullptr) {
    Shell("mkdir -p " + Quoted(std::string(VELSETUP_SOURCE_DIR) + "/tests/golden/both_builds"));
    WriteHostFile(record, text);
  }
  if (!HostExists(record)) {
    ADD_FAILURE() << "no record " << record << " (VELSETUP_RECORD=1 writes it)";
    return;
  }
  EXPECT_EQ(text, ReadHostFile(record)) << "record: " << record;
}

std::vector<std::string> ToolLog(const Scenario& machine, const std::string& log_path) {
  std::vector<std::string> lines;
  for (const std::string& line : LogLines(machine.ReadFile(log_path))) {
    const std::string marker = "velsetup.exe> ";
    const size_t at = line.find(marker);
    lines.push_back(at == std::string::npos ? line : line.substr(at + marker.size()));
  }
  return lines;
}

std::vector<std::string> LogFromFirstCommand(const Scenario& machine, const std::string& log_path) {
  std::vector<std::string> lines = ToolLog(machine, log_path);
  const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
    return line.rfind("CMD0> ", 0) == 0;
  });
  return std::vector<std::string>(first, lines.end());
}

}  // namespace velsetup::testing
