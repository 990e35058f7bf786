#include "commands/message_commands.h"

#include "commands/command_params.h"
#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"

namespace velsetup {

namespace {

constexpr size_t kMessageText = 128;  // titles and lines: 127 characters
constexpr size_t kSectionField = 256;
constexpr const char* kNoText = "NO TEXT";

struct BoxType {
  uint32_t style;
  int silent_answer;  // 0: no box in silent mode and no branch
};

BoxType BoxTypeOf(int32_t type) {
  using namespace message_box;
  switch (type) {
    case 2: return {kOkCancel | kSystemModal, kIdOk};
    case 3: return {kYesNo | kSystemModal, kIdYes};
    case 4: return {kYesNoCancel | kSystemModal, kIdYes};
    case 5: return {kIconExclamation | kSystemModal, 0};
    case 6: return {kIconStop | kSystemModal, 0};
    default: return {kOk | kSystemModal, 0};
  }
}

// The field of the command line that an answer of a question box chooses;
// 0 for none (no answer, or one the box has no button for).
int32_t ChosenField(int32_t type, int answer) {
  using namespace message_box;
  switch (answer) {
    case kIdOk: return type == 2 ? 2 : 0;
    case kIdYes: return type == 3 || type == 4 ? 2 : 0;
    case kIdNo: return type == 3 || type == 4 ? 3 : 0;
    case kIdCancel: return type == 2 ? 3 : type == 4 ? 4 : 0;
    default: return 0;
  }
}

}  // namespace

std::string AssembleMessageText(const std::string& section) {
  std::string text;
  for (int line = 1;; ++line) {
    const std::string key = Format("Message%d", line);
    std::string value = ReadScriptString(section.c_str(), key.c_str(), kNoText, kMessageText);
    if (value.empty()) break;
    if (value[0] == ';') value.clear();
    if (EqualsIgnoreCase(value, kNoText)) break;
    text += value;
    text += '\n';
  }
  return text;
}

uint32_t Cmd17_DisplayMessageBox() {
  RunState& run = Run();
  const std::string section = CutTo(Format("%s.%s", run.cmd_param0.c_str(), "US"),
                                    capacity::kSectionName);
  const std::string title =
      ReadScriptString(section.c_str(), "Title", "Velmor Setup", kMessageText);
  if (GetProfileSectionSize(section, run.script_path) == 0 ||
      !ReadSection(section, run.script_path)) {
    WriteLog("ERROR-=-", Format("Missing the Message Section [%s]", section.c_str()));
    return 0;
  }
  const std::string text = AssembleMessageText(section);
  const int32_t type = ReadScriptInt(script_key::kCommands,
                                     CmdSectionKey(run.current_cmd_index, 1).c_str(), 1);
  const BoxType box = BoxTypeOf(type);
  int answer = box.silent_answer;
  if (!run.silent_mode) answer = Ui().MessageBoxA(text.c_str(), title.c_str(), box.style);
  if (type < 2 || type > 4) return 0;

  const int32_t field = ChosenField(type, answer);
  if (field == 0) {
    // A box that could not be shown has no answer: nothing is chosen.
    const ErrorReport error = LastError();
    WriteLog("ERROR-=-", Format("MessageBox() gave no answer, %u - %s",
                                static_cast<unsigned>(error.code), error.text.c_str()));
    return 0;
  }
  const std::string next = InlineField(field, kSectionField);
  WriteLog("  Setting next section to: ", next);
  WriteScriptString(script_key::kState, script_key::kNextSection, next.c_str());
  return 0;
}

uint32_t Cmd32_LogMsg() {
  WriteLog("", Run().cmd_param0);
  return 0;
}

uint32_t CmdNotSupported() {
  WriteLog("", " Not Supported yet.");
  return 0;
}

}  // namespace velsetup
