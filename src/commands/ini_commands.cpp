#include "commands/ini_commands.h"

#include <optional>
#include <string>
#include <string_view>

#include "commands/command_params.h"
#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/script_lines.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"
#include "services/variables.h"

namespace velsetup {

namespace {

constexpr uint32_t kMissing = 2;
constexpr uint32_t kFlushDelayMs = 500;
constexpr const char* kWarning = "WARNINIG-=-";

std::string InlineField(int32_t field) { return velsetup::InlineField(field, capacity::kField); }

std::string Expanded(std::string text) {
  GetVariable(&text, capacity::kField);
  return text;
}

void LogWriting(const std::string& section, const std::string& key, const std::string& value) {
  WriteLog("Writing: ", Format("[%s]:%s=%s", section.c_str(), key.c_str(), value.c_str()));
}

// Hands each line of the command's data section to `take`; false, after
// logging, when there is no data section.
template <typename Take>
bool EachDataLine(Take take) {
  const std::optional<std::string> block =
      ReadDataSection("Missing the Data section or an extra comma.");
  if (!block) return false;
  for (std::string_view line : BlockLines(*block)) take(line);
  return true;
}

// Cleaned data-line fields, each for a buffer of 512 characters, then with
// their variables replaced. A field that would not fit makes the line be
// skipped with a warning before any is replaced: a value cut short would be
// written as if it were whole.
bool CleanFields(std::initializer_list<std::string*> fields) {
  for (std::string* field : fields) {
    *field = TrimBlanks(std::string_view(*field));
    if (field->size() >= capacity::kField) {
      WriteLog(kWarning, Format("Field longer than %u characters, line skipped >%s...<",
                                static_cast<unsigned>(capacity::kField - 1),
                                CutTo(*field, 41).c_str()));
      return false;
    }
  }
  for (std::string* field : fields) GetVariable(field, capacity::kField);
  return true;
}

std::string ErrorText() {
  std::string text;
  const uint32_t code = GetLastErrorText(&text);
  return Format("Error=%u, %s", static_cast<unsigned>(code), text.c_str());
}

// The script's directory (up to its last backslash) and the temporary name.
std::string TemporaryScriptPath() {
  const std::string& script = Run().script_path;
  const size_t backslash = script.rfind('\\');
  const std::string directory = backslash == std::string::npos ? "" : script.substr(0, backslash + 1);
  return directory + TemporaryFileName() + ".INI";
}

// Puts the finished temporary file in the script's place. A replacing rename
// leaves the old script or the new one whatever happens; the Windows 9x family
// has none, so there the old script is deleted and the new one renamed into
// its place, and a failure between the two keeps the new script in `temp`.
bool ReplaceScript(const std::string& temp) {
  const std::string& script = Run().script_path;
  if (Files().MoveFileExA(temp.c_str(), script.c_str(),
                          move_file::kReplaceExisting | move_file::kWriteThrough)) {
    return true;
  }
  if (System().GetLastError() == win32_error::kCallNotImplemented) {
    if (Files().DeleteFileA(script.c_str())) {
      if (Files().MoveFileA(temp.c_str(), script.c_str())) return true;
      WriteLog("Error-=-", Format(" could not rename %s to %s, %s; the script is kept in %s",
                                  temp.c_str(), script.c_str(), ErrorText().c_str(),
                                  temp.c_str()));
      return false;
    }
  }
  WriteLog("Error-=-", Format(" could not replace %s, %s", script.c_str(), ErrorText().c_str()));
  Files().DeleteFileA(temp.c_str());
  return false;
}

// Logs why a data line of CMD26 or CMD27 is passed over; true when it is
// taken. `first_field` is what the line held before its second comma.
bool Taken(LineVerdict verdict, std::string_view line, const std::string& first_field) {
  switch (verdict) {
    case LineVerdict::kTaken: return true;
    case LineVerdict::kNoComma: WriteLog(kWarning, Concat("Missing comma >", line, "<")); return false;
    case LineVerdict::kNoSecondComma:
      WriteLog(kWarning, Concat("Missing comma >", first_field, "<"));
      return false;
    case LineVerdict::kNoSection: WriteLog(kWarning, "Invalid Parameters : no section ><"); return false;
    case LineVerdict::kNoKey:
      WriteLog(kWarning, Concat("Invalid Parameters : no Key >", first_field, "<"));
      return false;
    case LineVerdict::kNoName: WriteLog(kWarning, "Invalid Parameters : no Key ><"); return false;
    default: return false;
  }
}

}  // namespace

uint32_t Cmd26_SetValue() {
  if (Run().cmd_param0.empty()) {
    const std::string section = Expanded(InlineField(1));
    const std::string key = Expanded(InlineField(2));
    const std::string value = Expanded(InlineField(3));
    LogWriting(section, key, value);
    WriteScriptString(section.c_str(), key.c_str(), value.c_str());
  } else {
    const bool found = EachDataLine([](std::string_view line) {
      ValueLine parts;
      if (!Taken(ReadValueLine(line, &parts), line, parts.section)) return;
      if (!CleanFields({&parts.section, &parts.key, &parts.value})) return;
      WriteScriptString(parts.section.c_str(), parts.key.c_str(), parts.value.c_str());
    });
    if (!found) return kMissing;
  }
  FlushScript();
  return 0;
}

uint32_t Cmd27_SetVariable() {
  if (Run().cmd_param0.empty()) {
    const std::string name = InlineField(1);
    const std::string value = Expanded(InlineField(2));
    LogWriting(script_key::kVariables, name, value);
    WriteScriptString(script_key::kVariables, name.c_str(), value.c_str());
  } else {
    const bool found = EachDataLine([](std::string_view line) {
      NameValueLine parts;
      if (!Taken(ReadNameValueLine(line, &parts), line, parts.name)) return;
      if (!CleanFields({&parts.name, &parts.value})) return;
      WriteScriptString(script_key::kVariables, parts.name.c_str(), parts.value.c_str());
    });
    if (!found) return kMissing;
  }
  FlushScript();
  return 0;
}

// The script is replaced only by a file that holds both contents whole: both
// files are read before anything is written, the temporary file is written
// and flushed in full, and only then renamed over the script. On a failure the
// script stays as it was and the temporary file is removed (it is never more
// than a partial copy), except in the one case ReplaceScript explains.
uint32_t Cmd28_AppendINIFile() {
  RunState& run = Run();
  GetVariable(&run.cmd_param0, capacity::kParam0);
  const std::string& second = run.cmd_param0;
  const std::string& script = run.script_path;

  const std::string temp = TemporaryScriptPath();
  WriteLog(" creating temp file: ", temp);
  if (temp.size() >= capacity::kPath) {
    WriteLog("Error-=-", Format(" temp file path longer than %u characters.",
                                static_cast<unsigned>(capacity::kPath - 1)));
    return kMissing;
  }

  // Whatever the system still holds of the script goes to disk first.
  FlushScript();
  FlushScript();
  System().Sleep(kFlushDelayMs);

  std::string contents;
  if (!Files().ReadWholeFile(script.c_str(), &contents)) {
    WriteLog("Error-=-", Format(" could not read %s, %s", script.c_str(), ErrorText().c_str()));
    return kMissing;
  }
  WriteLog(" coping contents of ", script);

  std::string appended;
  if (!Files().ReadWholeFile(second.c_str(), &appended)) {
    WriteLog("Error-=-", " cound not open second file...");
    return kMissing;
  }
  WriteLog(" coping contents of ", second);
  contents += appended;

  if (!Files().WriteNewFile(temp.c_str(), contents)) {
    WriteLog("Error-=-", Format(" could not write %s, %s", temp.c_str(), ErrorText().c_str()));
    Files().DeleteFileA(temp.c_str());
    return kMissing;
  }
  // The new script already says this command is done, as the loop says it
  // next: a process killed between the replacement and that store would
  // otherwise append the file a second time when the run resumes. The loop's
  // store then finds the value there and changes nothing.
  WriteProfileString(temp, script_key::kCommands, script_key::kCurrentCmd,
                     std::to_string(run.current_cmd_index + 1).c_str());
  FlushProfile(temp);
  if (!ReplaceScript(temp)) return kMissing;
  WriteLog(" ", Format("renaming %s to %s", temp.c_str(), script.c_str()));
  return 0;
}

}  // namespace velsetup
