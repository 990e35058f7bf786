#include "services/text_helpers.h"

#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"

namespace velsetup {

uint32_t GetErrorCodeText(std::string* text, uint32_t code, size_t capacity) {
  std::string message;
  if (!System().FormatSystemMessage(code, &message)) message.clear();
  *text = CutTo(message, capacity);
  return code;
}

bool SplitProgramPath(const char* command_line, std::string* directory, std::string* file_name) {
  if (command_line == nullptr) return false;
  // Only the first word counts: a program path with a blank in it is cut there.
  std::string word = CutTo(command_line, capacity::kPath);
  if (!word.empty() && word[0] == '"') {
    // A quoted program path, as Windows itself reads one: blanks and all, up
    // to the closing quote. Taken at its first blank it would give a working
    // directory with a quote in it, which no program can be started in.
    const size_t close = word.find('"', 1);
    word = word.substr(1, close == std::string::npos ? std::string::npos : close - 1);
  } else {
    const size_t blank = word.find(' ');
    if (blank != std::string::npos) word.resize(blank);
  }

  const size_t backslash = word.rfind('\\');
  if (backslash != std::string::npos) {
    std::string head = word.substr(0, backslash);
    if (head.size() == 2 && head[1] == ':') head += '\\';
    *directory = CutTo(head, capacity::kPath);
    *file_name = CutTo(word.substr(backslash + 1), capacity::kPath);
    return true;
  }
  const size_t colon = word.find(':');
  *file_name = colon == std::string::npos ? word : word.substr(colon + 1);
  char current[capacity::kPath] = {};
  const uint32_t length = System().GetCurrentDirectoryA(capacity::kPath, current);
  *directory = length < capacity::kPath ? std::string(current, length) : std::string();
  return true;
}

bool IsSystemIdListed(uint16_t system_id) {
  const std::optional<std::string> block = ReadSection(Run().cmd_param0, Run().script_path);
  if (!block) {
    WriteLog("ERROR-=-", "Missing the Data section");
    return false;
  }
  const unsigned id = system_id;
  const std::string forms[] = {
      Format("0X%04x", id), Format("0X%03x", id), Format("0X%02x", id),
      id == 0 ? std::string() : Format("%x", id),
      Format("%04x", id), Format("%03x", id), Format("%02x", id), Format("%u", id),
  };
  for (std::string_view line : BlockLines(*block)) {
    if (!line.empty() && line.front() == ';') continue;
    const std::string cleaned = TrimBlanks(line);
    for (const std::string& form : forms) {
      if (EqualsIgnoreCase(cleaned, form)) return true;
    }
  }
  return false;
}

}  // namespace velsetup
