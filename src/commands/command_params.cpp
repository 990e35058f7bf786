#include "commands/command_params.h"

#include "engine/script_keys.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/script_file.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"
#include "services/variables.h"

namespace velsetup {

std::string InlineField(int32_t field, size_t capacity) {
  return ReadScriptString(script_key::kCommands,
                          CmdSectionKey(Run().current_cmd_index, field).c_str(), "", capacity);
}

bool ParametersAreInline() { return Run().cmd_param0.empty(); }

std::optional<std::string> ReadDataSection(std::string_view missing_message) {
  std::optional<std::string> block = ReadSection(Run().cmd_param0, Run().script_path);
  if (!block) WriteLog("ERROR-=-", missing_message);
  return block;
}

bool PathFits(std::string_view path, size_t max_length, std::string_view command) {
  return TextFits(path, max_length, command, "path");
}

bool TextFits(std::string_view text, size_t max_length, std::string_view command,
              std::string_view noun) {
  if (text.size() <= max_length) return true;
  WriteLog("WARNING-=-",
           Format("%.*s - %.*s longer than %u characters refused >%s...<",
                  static_cast<int>(command.size()), command.data(),
                  static_cast<int>(noun.size()), noun.data(),
                  static_cast<unsigned>(max_length), CutTo(text, 41).c_str()));
  return false;
}

std::string ExpandedText(std::string text, size_t max_length) {
  GetVariable(&text, max_length + 1);
  return text;
}

ErrorReport LastError() {
  ErrorReport report;
  report.code = GetLastErrorText(&report.text);
  return report;
}

}  // namespace velsetup
