// Scenario tests: the real program run on a script in a fresh machine, once
// as the host build against a simulated machine and once as the Windows build
// under Wine, with the same script, checked through the same files.
//
// A scenario's machine has the drive C: only; the script lives in C:\KIT.
// Paths handed to the helpers are Windows paths on C: ("C:\\KIT\\SETUP.INI").
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velsetup::testing {

enum class Build { kHost, kWine };

// The Windows versions a scenario can name; each build maps them onto its
// own switch (machine.ini OS= on the host, the Wine version on Wine). Me and
// XP are there for the commands that must tell them from the four the tool
// supports.
enum class Os { kWin95, kWin98, kWinMe, kNt4, kWin2000, kWinXp };

// One registry value to look at: root "HKCU", "HKLM", ...; value "@" for
// the key's default value.
struct RegistryQuery {
  std::string root, key, value;
};

const char* BuildName(Build build);
const char* OsName(Os os);

class Scenario {
 public:
  virtual ~Scenario() = default;

  // Why the scenario cannot run here (no Wine, no Windows build), or empty.
  virtual std::string SkipReason() const = 0;

  // Files of the machine's C: drive, by Windows path; missing directories are
  // made. Bytes are written and read as they are (give CR LF yourself).
  virtual void WriteFile(const std::string& windows_path, const std::string& bytes) = 0;
  virtual std::string ReadFile(const std::string& windows_path) const = 0;
  virtual bool Exists(const std::string& windows_path) const = 0;
  // Gives a file the read-only, hidden and system bits of `attributes`, where
  // each build keeps them (Wine: read-only as a missing write permission).
  virtual void SetAttributes(const std::string& windows_path, uint32_t attributes) = 0;
  // Places at `windows_path` a program the tool can start: after the pause
  // its second argument gives (milliseconds) it writes its further
  // arguments, one a line ending in CR LF, into the file its first argument
  // names (relative to its working directory; backslashes as separators).
  virtual void WriteMarkerProgram(const std::string& windows_path) = 0;
  // What the machine's registry holds for each query: "missing key",
  // "missing value", or the type and the bytes in hex ("4:0a000000").
  virtual std::vector<std::string> RegistryValues(const std::vector<RegistryQuery>& queries) = 0;
  // What only the simulated machine has: a record of message boxes and
  // restarts (events.jsonl), and the maker's CMOS drivers with a BIOS behind
  // them. Wine has neither, so a check of them goes behind the question, and
  // the Wine build fails the test that calls Events(), SetBios() or
  // PlaceDriverFiles() without asking: no check passes against an empty
  // answer.
  virtual bool HasEventLog() const = 0;
  virtual bool HasMakersDrivers() const = 0;

  // The maker's signature and the system ID the machine's BIOS holds. An
  // empty signature is a machine of another maker. Needs HasMakersDrivers().
  virtual void SetBios(const std::string& signature, uint16_t system_id) = 0;
  // Puts the maker's two (simulated) driver files beside the program, as a
  // kit carries them. Needs HasMakersDrivers().
  virtual void PlaceDriverFiles() = 0;
  // Removes a key with all its subkeys (machines that outlive a scenario).
  virtual void ClearRegistryKey(const std::string& root, const std::string& key) = 0;
  // Every file and directory below a directory, sorted: "sub\" for a
  // directory, "sub\a.txt=<bytes>" for a file.
  std::vector<std::string> Tree(const std::string& windows_dir) const;

  // The machine's temporary directory as the program sees it ("C:\\...\\").
  virtual std::string TempDir() const = 0;

  // Runs the program with this command line (its arguments joined by blanks,
  // Windows paths as given). `answers` are the message-box buttons to press,
  // in order (host build only; Wine's boxes are not shown, see below).
  // Returns the exit code, or -1 when the program did not end normally.
  virtual int Run(const std::string& command_line,
                  const std::vector<std::string>& answers = {}) = 0;

  // The machine's events.jsonl. Needs HasEventLog().
  virtual std::string Events() const = 0;

  // An environment variable for the runs that follow; an empty value drops
  // it. Host build only: it carries the simulated machine's fault settings.
  void SetRunEnvironment(const std::string& name, const std::string& value) {
    if (value.empty()) run_environment_.erase(name);
    else run_environment_[name] = value;
  }

  // A value of an INI file on C: as a fresh start of the machine's profile
  // calls reads it. Host build only: the Wine build fails the test that asks.
  virtual std::string ProfileValue(const std::string& windows_path, const std::string& section,
                                   const std::string& key) = 0;

  // The host file behind a Windows path of the machine's C: drive.
  std::string HostPath(const std::string& windows_path) const { return HostPathOf(windows_path); }

  Build build() const { return build_; }
  Os os() const { return os_; }

 protected:
  Scenario(Build build, Os os) : build_(build), os_(os) {}
  virtual std::string HostPathOf(const std::string& windows_path) const = 0;

  std::map<std::string, std::string> run_environment_;

 private:
  Build build_;
  Os os_;
};

// A fresh machine for one test; removed with the object.
std::unique_ptr<Scenario> MakeScenario(Build build, Os os);

// One machine per build that can run here (the host build always), and why
// the others cannot.
struct BothBuilds {
  explicit BothBuilds(Os os);
  // Marks the test skipped when only the host build could run: its checks
  // have run, but the comparison with the Windows build it exists for has
  // not. Returns to the caller, so that a test's later cases still run.
  void SkipUnlessBoth() const;
  std::vector<std::unique_ptr<Scenario>> all;
  std::string skipped;
};

// Holds the host build's `text` for a check that both builds must pass alike
// to its record, tests/golden/both_builds/<Suite>.<Test><suffix>.txt: what
// the two builds gave the last time they were compared and agreed. So the
// host build is held to the Windows build's behaviour also where Wine is
// missing. VELSETUP_RECORD=1 writes the record from the host build.
void ExpectAsRecorded(const std::string& text, const std::string& suffix = "");

// A script's lines: [DATA] with logging to `log_path`, [CommandsList] with
// `commands`, then `sections` as they are.
std::vector<std::string> LoggedScript(const std::string& log_path,
                                      const std::vector<std::string>& commands,
                                      const std::vector<std::string>& sections);

// A script's text from lines: joined with CR LF, ending in one.
std::string IniText(const std::vector<std::string>& lines);

// The lines of an install log, CR LF removed, with the time stamp of each
// line replaced by "T" so that two runs compare equal, and without the lines
// about the CMOS driver's file, which name each machine's system directory.
std::vector<std::string> LogLines(const std::string& log_bytes);

// The install log at `log_path` as LogLines gives it, each line without the
// time stamp and the program's name.
std::vector<std::string> ToolLog(const Scenario& machine, const std::string& log_path);
// "Host Win98": the machine a failure comes from.
std::string Where(const Scenario& machine);
// Whether `log` holds `line`.
bool HasLine(const std::vector<std::string>& log, const std::string& line);
// The lines of `log` that are among `wanted`, in the log's order: what a
// test compares when only some lines and their order matter.
std::vector<std::string> Picked(const std::vector<std::string>& log,
                                const std::vector<std::string>& wanted);

// ToolLog from the first command's line on.
std::vector<std::string> LogFromFirstCommand(const Scenario& machine, const std::string& log_path);

}  // namespace velsetup::testing
