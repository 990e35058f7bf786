#include "engine/startup.h"

#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/path_compare.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

constexpr size_t kCommandLineWork = 260;  // 259 characters and the terminator

std::string WithoutLastExtension(const std::string& name) {
  const size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

// A script is a file; a directory of that name counts as no script, since
// copying it could only fail later with a less helpful report.
bool ScriptFileExists(const std::string& path) {
  const uint32_t attributes = Files().GetFileAttributesA(path.c_str());
  return attributes != file_attribute::kInvalid &&
         (attributes & file_attribute::kDirectory) == 0;
}

// Where the script's name ends: at the first '-' that begins an option, the
// line's first character or one after a blank. A '-' inside a name
// (C:\Drivers-2001\setup.ini) belongs to the name.
size_t ScriptNameEnd(const std::string& line) {
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == '-' && (i == 0 || line[i - 1] == ' ' || line[i - 1] == '\t')) return i;
  }
  return std::string::npos;
}

// Finds the script the command line names, or the one beside the program.
bool LocateScript(const std::string& command_line) {
  RunState& run = Run();
  std::string work = CutTo(command_line, kCommandLineWork);
  const size_t option = ScriptNameEnd(work);
  if (option != std::string::npos) work.resize(option);
  const std::string name = StripCommentsAndEtc(std::string_view(work));

  if (name.empty()) {
    run.script_path = CutTo(
        Format("%s\\%s.INI", run.module_dir.c_str(), WithoutLastExtension(run.module_name).c_str()),
        capacity::kPath);
    if (!ScriptFileExists(run.script_path)) {
      WriteLog("ERROR-=-no INI file found to process with ", command_line);
      return false;
    }
    return true;
  }
  if (name.find(":\\") != std::string::npos) {
    run.script_path = CutTo(name, capacity::kPath);
  } else {
    run.script_path =
        CutTo(Format("%s\\%s", run.module_dir.c_str(), name.c_str()), capacity::kPath);
  }
  if (!ScriptFileExists(run.script_path)) {
    WriteLog("ERROR-=-", "Cannot find INI file to initialize.");
    return false;
  }
  return true;
}

void ReadLogSettings() {
  RunState& run = Run();
  const std::string& script = run.script_path;
  run.log_path = kDefaultLogPath;
  if (ReadProfileInt(script, script_key::kData, script_key::kLogging, 0) != 0) {
    run.logging_enabled = true;
  }
  const std::string log_file = ReadProfileString(script, script_key::kData, script_key::kLogFile,
                                                 kDefaultLogPath, capacity::kPath);
  if (!log_file.empty()) run.log_path = CutTo(log_file, capacity::kLogPath);
}

// Reads the options; returns whether this start refreshes the working copy.
bool ReadOptions(const std::string& command_line) {
  RunState& run = Run();
  if (command_line.find("-noreboot") != std::string::npos) {
    run.suppress_reboot = true;
    WriteLog("InitINIFile()", "-noreboot given...will suppress reboots");
  }
  if (command_line.find("-silent") != std::string::npos) {
    run.silent_mode = true;
    WriteLog("InitINIFile()", "-silent given...will run silent");
  }
  if (command_line.find("-resume") != std::string::npos) {
    WriteLog("InitINIFile()", "-resume given...will force a resume.");
    return false;
  }
  const bool clean_start =
      ReadProfileInt(run.script_path, script_key::kData, script_key::kForceCleanStart, 1) != 0;
  if (clean_start) {
    WriteLog("InitINIFile()", "system will be forcing a clean start.");
    WriteLog("InitINIFile()",
             "To force a resume add [DATA]:ForceCleanStart=0 or use -resume in command line.");
  } else {
    WriteLog("InitINIFile()", "system will resume and not force a clean start.");
  }
  return clean_start;
}

std::string WindowsTempDirectory() {
  char buffer[capacity::kPath] = {};
  const uint32_t length = System().GetWindowsDirectoryA(buffer, capacity::kPath);
  if (length == 0 || length >= capacity::kPath) return "C:\\TEMP\\";
  std::string directory(buffer, length);
  if (directory.back() != '\\') directory += '\\';
  return directory + "TEMP\\";
}

std::string TempDirectory() {
  char buffer[capacity::kPath] = {};
  const uint32_t length = System().GetTempPathA(capacity::kPath, buffer);
  if (length > 0 && length < capacity::kPath) return std::string(buffer, length);
  WriteLog("ERROR-=-", "Need to remalloc for temp path...");
  // A temporary path that does not fit (or none at all) gives way to the
  // Windows directory's TEMP folder, which every installation has.
  return WindowsTempDirectory();
}

bool IsDirectory(const std::string& path) {
  const uint32_t attributes = Files().GetFileAttributesA(path.c_str());
  return attributes != file_attribute::kInvalid &&
         (attributes & file_attribute::kDirectory) != 0;
}

// A temporary directory that is the program's own would put the working
// copy over a script beside the program: such a machine gets c:\temp
// instead, made when it is missing. The system's path ends in a backslash
// and the program's directory does not, so the two are compared as paths.
std::string TemporaryDirectoryForCopies() {
  const std::string temp = TempDirectory();
  if (!SameWindowsPath(temp, Run().module_dir)) return temp;
  const std::string fallback = "c:\\temp\\";
  Files().CreateDirectoryA(fallback.c_str());
  return fallback;
}

// Where the working copy goes: the temporary directory, followed directly by
// the script's name. When that would be the script itself (the temporary
// directory is the script's own) the run would write into the author's file,
// so the Windows directory's TEMP folder and then C:\TEMP are tried instead.
// Returns an empty text when no place keeps the script safe, or when the path
// would not fit (a cut path could name another file).
std::string WorkingCopyPath(const std::string& script) {
  const std::string name = SplitPath(script).name;
  std::string copy = TemporaryDirectoryForCopies() + name;
  if (SameWindowsPath(copy, script)) {
    copy.clear();
    for (const std::string& directory : {WindowsTempDirectory(), std::string("C:\\TEMP\\")}) {
      if (IsDirectory(directory) && !SameWindowsPath(directory + name, script)) {
        copy = directory + name;
        break;
      }
    }
  }
  if (copy.size() >= capacity::kPath) return {};
  return copy;
}

bool MakeWorkingCopy(bool clean_start) {
  RunState& run = Run();
  const std::string copy = WorkingCopyPath(run.script_path);
  if (copy.empty()) {
    WriteLog("ERROR-=-", Format("no place for a working copy of %s", run.script_path.c_str()));
    return false;
  }
  if (clean_start || Files().GetFileAttributesA(copy.c_str()) == file_attribute::kInvalid) {
    Files().SetFileAttributesA(copy.c_str(), file_attribute::kNormal);
    if (!Files().CopyFileA(run.script_path.c_str(), copy.c_str(), false)) {
      const std::string message = Format("ERROR-=-function CopyFile() failed on src=%s, dst=%s",
                                         run.script_path.c_str(), copy.c_str());
      std::string error_text;
      const uint32_t code = GetLastErrorText(&error_text);
      WriteLog(Format("InitINIandLogFiles() -  Error=%u, %s", code, error_text.c_str()), message);
      return false;
    }
    WriteLog("InitINIFile()",
             Format("%s has been copied to %s", run.script_path.c_str(), copy.c_str()));
  }
  run.script_path = copy;
  Files().SetFileAttributesA(copy.c_str(), file_attribute::kNormal);
  return true;
}

void StoreAndReadFlags() {
  RunState& run = Run();
  if (run.suppress_reboot) WriteScriptString(script_key::kData, script_key::kSuppressReboot, "1");
  if (run.silent_mode) WriteScriptString(script_key::kData, script_key::kSilentMode, "1");
  FlushScript();
  WriteLog("InitINIFile()", Format("The INI file in use is %s", run.script_path.c_str()));
  if (ReadScriptInt(script_key::kData, script_key::kSuppressReboot, 0) != 0) {
    run.suppress_reboot = true;
  }
  if (ReadScriptInt(script_key::kData, script_key::kSilentMode, 0) != 0) run.silent_mode = true;
}

}  // namespace

SplitPathResult SplitPath(std::string_view path) {
  const size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {std::string(), std::string(path)};
  return {std::string(path.substr(0, slash)), std::string(path.substr(slash + 1))};
}

bool InitINIandLogFiles(const std::string& command_line) {
  if (!LocateScript(command_line)) return false;
  ReadLogSettings();
  RunState& run = Run();
  WriteLog("", "");
  WriteLog(Format("*** Starting %s\\%s Version: %s ***", run.module_dir.c_str(),
                  run.module_name.c_str(), kVersionText),
           "");
  const bool clean_start = ReadOptions(command_line);
  if (!MakeWorkingCopy(clean_start)) return false;
  StoreAndReadFlags();
  return true;
}

void ShowUsageBox() {
  const std::string title = Format("Velmor Setup Utility - %s", Run().module_name.c_str());
  const std::string text = Concat(
      "Usage:  <module.exe> <INI_FILE> -silent -noreboot -resume\n\n",
      "INI_FILE is either full path or just name if in same dir as EXE.\n",
      "-silent will  suppress all GUI prompts\n", "-noreboot will suppress reboots\n",
      "-resume will force a resume of the INI file processing\n\n");
  Ui().MessageBoxA(text.c_str(), title.c_str(),
                   message_box::kOk | message_box::kIconStop | message_box::kSystemModal);
}

}  // namespace velsetup
