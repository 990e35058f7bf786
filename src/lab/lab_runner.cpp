#include "lab/lab_runner.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "check/script_text.h"
#include "host_main/run_report.h"
#include "lab/boot.h"
#include "lab/command_lines.h"
#include "lab/diff.h"
#include "lab/host_tree.h"
#include "lab/kit.h"
#include "lab/machine_template.h"
#include "lab/snapshot.h"
#include "lab/tool_run.h"
#include "lab/trace_reader.h"
#include "platform/host/files/path_mapper.h"
#include "platform/host/machine/installation_layout.h"

namespace velsetup::lab {

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

uint64_t TreeSize(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return 0;
  if (!S_ISDIR(info.st_mode)) return static_cast<uint64_t>(info.st_blocks) * 512;
  uint64_t total = 0;
  std::vector<std::string> names;
  ListDirectory(path, &names);
  for (const std::string& name : names) total += TreeSize(path + "/" + name);
  return total;
}

// The last lines of what the host program said, for a finding.
std::string OutputTail(const std::string& path) {
  std::string bytes;
  ReadHostFile(path, &bytes);
  while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
  const size_t cut = bytes.rfind('\n');
  std::string line = cut == std::string::npos ? bytes : bytes.substr(cut + 1);
  if (line.size() > 300) line = line.substr(0, 300) + "...";
  return line;
}

// Everything a lab run shares between its profiles.
struct Shared {
  const LabOptions& options;
  const std::vector<ScriptFile>& files;
  std::string work_dir;
  std::string script_name;
  std::string log_file;  // the script's [DATA] LogFile, folded
  std::vector<std::string> skip;  // never copied into a kit
  MachineTemplates templates;
  CommandLines lines;  // the script's sections, parsed once for all profiles
};

class ProfileRun {
 public:
  ProfileRun(Shared& shared, const Profile& profile, int index)
      : shared_(shared), lines_(shared.lines) {
    result_.profile = profile;
    dir_ = shared.work_dir + "/profile-" + std::to_string(index + 1);
    machine_dir_ = dir_ + "/machine";
  }

  ProfileResult Run(double* tool_seconds) {
    const Clock::time_point start = Clock::now();
    if (Prepare()) {
      std::string problem;
      const Snapshot before = TakeSnapshot(Drives(), machine_dir_ + "/registry.reg", &problem);
      RunThroughRestarts();
      const Snapshot after = TakeSnapshot(Drives(), machine_dir_ + "/registry.reg", &problem);
      if (!problem.empty()) result_.findings.push_back(problem);
      result_.changes = DiffSnapshots(before, after,
                                      [this](const std::string& path) { return ToolOwn(path); });
      for (const auto& entry : after.files) {
        if (!entry.second.directory && entry.second.size >= kFileSizeLimit) {
          result_.findings.push_back(entry.second.path + " reached the " +
                                     std::to_string(kFileSizeLimit >> 20) +
                                     " MiB a file may have in the lab: writes past it failed");
        }
      }
      Keep();
    }
    RemoveTree(dir_);
    *tool_seconds = tool_seconds_;
    result_.seconds = SecondsSince(start);
    return std::move(result_);
  }

 private:
  void Fail(Outcome outcome, const std::string& finding) {
    result_.outcome = outcome;
    result_.findings.push_back(finding);
  }

  bool Prepare() {
    std::string error;
    if (::mkdir(dir_.c_str(), 0755) != 0) {
      Fail(Outcome::kFailed, "the lab could not make the machine's directory " + dir_);
      return false;
    }
    const std::string template_dir = shared_.templates.TemplateFor(result_.profile, &error);
    if (template_dir.empty() ||
        !MakeProfileMachine(template_dir, machine_dir_, result_.profile, &config_, &error) ||
        !PlaceKit(shared_.options.script, machine_dir_ + "/drive_c", shared_.skip, &error)) {
      Fail(Outcome::kFailed, "the lab could not make the machine: " + error);
      return false;
    }
    paths_ = std::make_unique<host::PathMapper>(config_.drives, config_.current_dir);
    return true;
  }

  std::vector<SnapshotDrive> Drives() const {
    std::vector<SnapshotDrive> drives;
    for (const host::DriveMapping& drive : config_.drives) {
      if (drive.host_root.compare(0, machine_dir_.size() + 1, machine_dir_ + "/") == 0) {
        drives.push_back({drive.letter, drive.host_root});
      }
    }
    return drives;
  }

  // The host path of a Windows path of the machine, found case-blind as
  // Windows finds it; empty when it does not exist.
  std::string HostPathOf(const std::string& windows_path) {
    host::ResolvedPath resolved;
    if (paths_->Resolve(windows_path, &resolved) != 0 || !resolved.exists) return std::string();
    return resolved.host_path;
  }

  // Where the tool keeps its working copy (with the start record beside it):
  // the temporary directory, or C:\TEMP when that is the tool's own.
  std::vector<std::string> WorkingCopies() const {
    std::string temp = config_.temp_dir;
    if (!temp.empty() && temp.back() != '\\') temp += '\\';
    return {temp + shared_.script_name, "C:\\TEMP\\" + shared_.script_name};
  }

  bool ToolOwn(const std::string& path) const {
    const std::string folded = FoldPath(path);
    if (folded == shared_.log_file) return true;
    for (const std::string& copy : WorkingCopies()) {
      if (folded == FoldPath(copy) || folded == FoldPath(copy + ".start")) return true;
    }
    return false;
  }

  // The script ends when the tool removes its working copy; one that is
  // still there after a restart holds state the next start would go on from.
  bool ScriptEnded() {
    for (const std::string& copy : WorkingCopies()) {
      if (!HostPathOf(copy).empty()) return false;
    }
    return true;
  }

  BootMachine Machine() {
    BootMachine machine;
    machine.registry_file = machine_dir_ + "/registry.reg";
    machine.nt_family = config_.nt_family();
    machine.module_path = kToolPath;
    const host::InstallationLayout layout = host::LayoutOf(config_);
    const std::string common = layout.common_startup.Text();
    machine.startup_folders.push_back({common, HostPathOf(common)});
    // The NT family keeps the user's own Startup folder in the profile of
    // the user who logs on; the 9x family without user profiles has one.
    if (config_.nt_family()) {
      std::string user = common;
      const size_t all = FoldPath(user).find("\\ALL USERS\\");
      if (all != std::string::npos) {
        user.replace(all, 11, "\\Administrator\\");
        machine.startup_folders.push_back({user, HostPathOf(user)});
      }
    }
    return machine;
  }

  void RunThroughRestarts() {
    BootStart first;
    first.program = kToolPath;
    first.arguments.push_back(std::string(kKitDirectory) + "\\" + shared_.script_name);
    for (const std::string& option : result_.profile.options) first.arguments.push_back(option);
    std::vector<BootStart> queue{first};
    size_t next = 0;
    int restarts = 0;
    while (next < queue.size()) {
      const BootStart start = queue[next++];
      if (result_.runs > 0 && HostPathOf(start.program).empty()) {
        Fail(Outcome::kFailed, start.started_by + " names " + start.program +
                                   ", which is gone (the script deleted its kit): the tool "
                                   "does not start again");
        return;
      }
      bool restarted = false;
      if (!RunOnce(start, &restarted)) return;
      if (!start.delete_after_key.empty()) {
        DeleteRegistryValue(Machine(), start.delete_after_key, start.delete_after_value);
      }
      if (!restarted) continue;
      Restart restart;
      restart.after_run = result_.runs;
      if (++restarts > kMaxRestarts) {
        result_.restarts.push_back(restart);
        Fail(Outcome::kRestartLoop, "restart loop: the machine was restarted " +
                                        std::to_string(kMaxRestarts) +
                                        " times and the tool asked for another");
        return;
      }
      // What the session started after the restart is not run: the restart
      // ends it, and the next boot starts afresh.
      const BootResult boot = Boot(Machine());
      for (const std::string& finding : boot.findings) result_.findings.push_back(finding);
      if (!boot.starts.empty()) {
        restart.started_by = boot.starts.front().started_by;
        restart.command_line = boot.starts.front().command_line;
      }
      result_.restarts.push_back(restart);
      if (boot.starts.empty()) {
        if (!ScriptEnded()) Fail(Outcome::kNotContinued, OutcomeText(Outcome::kNotContinued));
        return;
      }
      queue = boot.starts;
      next = 0;
    }
  }

  // One start of the tool; false when the profile ends with it (a time-out,
  // a crash, a machine grown past its bound).
  bool RunOnce(const BootStart& start, bool* restarted) {
    const int run = ++result_.runs;
    const std::string trace = dir_ + "/trace-" + std::to_string(run) + ".jsonl";
    ChildRequest request;
    request.program = shared_.options.tool;
    request.arguments = start.arguments;
    request.environment = {"VELSETUP_MACHINE=" + machine_dir_,
                           "VELSETUP_ANSWERS=" + result_.profile.answers,
                           "VELSETUP_TRACE=" + trace};
    request.output_file = dir_ + "/output-" + std::to_string(run) + ".txt";
    request.timeout_seconds = shared_.options.timeout_seconds;
    request.file_size_limit = kFileSizeLimit;
    const std::string machine_dir = machine_dir_;
    request.stop_check = [machine_dir] { return TreeSize(machine_dir) > kMachineSizeLimit; };
    const ChildResult child = RunChild(request);
    tool_seconds_ += child.seconds;
    bool startup_failed = false;
    const bool ended = ReadTrace(run, trace, &startup_failed);
    ReadEvents(run, restarted);
    if (!child.started || !child.error.empty()) {
      Fail(Outcome::kFailed, "run " + std::to_string(run) + ": " + child.error);
      return false;
    }
    if (child.timed_out) {
      Fail(Outcome::kTimedOut, "run " + std::to_string(run) + " went on past the limit of " +
                                   FormatSeconds(shared_.options.timeout_seconds) +
                                   " seconds and was stopped");
      return false;
    }
    if (child.stopped) {
      Fail(Outcome::kFailed, "run " + std::to_string(run) + " was stopped: the machine grew past " +
                                 std::to_string(kMachineSizeLimit >> 20) + " MiB");
      return false;
    }
    if (child.signal != 0 || child.exit_code != 0 || !ended) {
      std::string how = child.signal != 0 ? "was ended by signal " + std::to_string(child.signal)
                                          : "exited with " + std::to_string(child.exit_code);
      Fail(Outcome::kFailed, "run " + std::to_string(run) + ": the host program " + how + ": " +
                                 OutputTail(request.output_file));
      return false;
    }
    if (startup_failed) {
      Fail(Outcome::kFailed, "run " + std::to_string(run) +
                                 ": the tool could not start its script and showed its usage "
                                 "box: " + OutputTail(request.output_file));
      return false;
    }
    return true;
  }

  static std::string FormatSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
  }

  // True when the trace reached its end; `*startup_failed` when the tool
  // could not start its script.
  bool ReadTrace(int run, const std::string& trace, bool* startup_failed) {
    uint64_t offset = 0;
    bool ended = false;
    for (const JsonLine& event : ReadJsonLines(trace, &offset)) {
      const std::string kind = event.Get("event");
      if (kind == "section") {
        const std::string section = event.Get("section");
        lines_.SectionStarted(section, static_cast<int32_t>(event.Number("first_slot")));
        result_.sections.push_back({run, section});
      } else if (kind == "command") {
        CommandRun command;
        command.run = run;
        command.section = event.Get("section");
        command.number = static_cast<uint32_t>(event.Number("number"));
        const LineRef line = lines_.Find(static_cast<int32_t>(event.Number("slot")),
                                         command.section);
        command.file = line.file;
        command.line = line.line;
        // The empty slot that ends a section is no command of the script.
        if (command.number != 0 || line.file >= 0) result_.commands.push_back(command);
      } else if (kind == "log") {
        const std::string prefix = event.Get("prefix");
        const char* word = nullptr;
        switch (host_main::ClassifyLogLine(prefix)) {
          case host_main::LineKind::kError: word = "ERROR"; break;
          case host_main::LineKind::kWarning: word = "WARNING"; break;
          case host_main::LineKind::kNotice: word = "NOTICE"; break;
          case host_main::LineKind::kOther: break;
        }
        if (word != nullptr) {
          result_.log.push_back({run, word, prefix + " " + event.Get("message")});
        }
      } else if (kind == "end") {
        ended = true;
        *startup_failed = event.True("startup_failed");
      }
    }
    return ended;
  }

  void ReadEvents(int run, bool* restarted) {
    for (const JsonLine& event : ReadJsonLines(machine_dir_ + "/events.jsonl", &events_offset_)) {
      const std::string kind = event.Get("event");
      if (kind == "restart") {
        *restarted = true;
      } else if (kind == "messagebox") {
        result_.boxes.push_back({run, event.Get("title"), event.Get("text"), event.Get("answer")});
      } else if (kind == "spawn") {
        result_.programs.push_back({run, event.Get("command_line")});
      }
    }
  }

  void Keep() {
    const std::string& keep = shared_.options.keep;
    if (keep.empty()) return;
    const std::string target = keep + "/" + result_.profile.name;
    RemoveTree(target);
    std::string error;
    if (::rename(machine_dir_.c_str(), target.c_str()) != 0 &&
        !CopyTree(machine_dir_, target, {}, &error)) {
      result_.findings.push_back("the machine could not be kept in " + target + ": " + error);
      return;
    }
    result_.kept_machine = target;
  }

  Shared& shared_;
  CommandLines lines_;
  ProfileResult result_;
  std::string dir_;
  std::string machine_dir_;
  host::MachineConfig config_;
  std::unique_ptr<host::PathMapper> paths_;
  uint64_t events_offset_ = 0;
  double tool_seconds_ = 0;
};

std::string LogFileOf(const std::vector<ScriptFile>& files) {
  std::string bytes;
  for (const std::string& line : files.front().lines) bytes += line + "\n";
  const check::ScriptText text = check::ScriptText::Parse(bytes);
  std::string log = "C:\\system.sav\\util\\install.log";
  if (const check::ScriptSection* data = text.Find("DATA")) {
    if (auto value = text.Key(*data, "LogFile")) {
      if (!value->value.empty()) log = value->value;
    }
  }
  return FoldPath(log);
}

}  // namespace

std::string DefaultTool(const std::string& lab_binary) {
  if (const char* tool = std::getenv("VELSETUP_LAB_TOOL")) {
    if (*tool != '\0') return tool;
  }
  const size_t slash = lab_binary.rfind('/');
  return (slash == std::string::npos ? std::string(".") : lab_binary.substr(0, slash)) +
         "/velsetup";
}

bool RunLab(const LabOptions& options, LabResult* result, std::string* error) {
  const Clock::time_point start = Clock::now();
  result->script = options.script;
  if (!LoadScriptFiles(options.script, &result->files, error)) return false;
  if (::access(options.tool.c_str(), X_OK) != 0) {
    *error = "the host program " + options.tool + " is missing or not executable";
    return false;
  }
  std::vector<std::string> skip;
  if (!options.keep.empty()) skip.push_back(RealPath(options.keep));
  if (!CheckKitSize(options.script, skip, error)) return false;
  std::string pattern = (options.temp_root.empty() ? "/tmp" : options.temp_root) +
                        "/velsetup-lab.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    *error = "cannot make a work directory under " + options.temp_root;
    return false;
  }
  Shared shared{options, result->files, pattern, FileNameOf(options.script),
                LogFileOf(result->files), {RealPath(pattern)}, MachineTemplates(pattern),
                CommandLines(result->files)};
  if (!options.keep.empty()) shared.skip.push_back(RealPath(options.keep));

  result->profiles.assign(options.profiles.size(), ProfileResult());
  std::vector<double> tool_seconds(options.profiles.size(), 0);
  std::atomic<size_t> next{0};
  auto worker = [&] {
    for (size_t i; (i = next++) < options.profiles.size();) {
      ProfileRun run(shared, options.profiles[i], static_cast<int>(i));
      result->profiles[i] = run.Run(&tool_seconds[i]);
    }
  };
  const int jobs = std::max(1, std::min<int>(options.jobs, static_cast<int>(options.profiles.size())));
  std::vector<std::thread> threads;
  for (int i = 1; i < jobs; ++i) threads.emplace_back(worker);
  worker();
  for (std::thread& thread : threads) thread.join();

  RemoveTree(pattern);
  result->tool_seconds = 0;
  for (double seconds : tool_seconds) result->tool_seconds += seconds;
  result->seconds = SecondsSince(start);
  return true;
}

}  // namespace velsetup::lab
