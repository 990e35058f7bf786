#include "commands/file_lines.h"

#include "commands/command_params.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_cleaning.h"
#include "engine/text_format.h"

namespace velsetup {

bool EndsWithBackslash(std::string_view text) { return !text.empty() && text.back() == '\\'; }

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!EndsWithBackslash(path)) path += '\\';
  path += name;
  return path;
}

std::string_view FileNameOf(std::string_view path) {
  const size_t backslash = path.rfind('\\');
  return backslash == std::string_view::npos ? path : path.substr(backslash + 1);
}

FindHandle FindFirstLogged(const std::string& pattern, FindData* entry, const char* caller) {
  const FindHandle search = Files().FindFirstFileA(pattern.c_str(), entry);
  if (search == kInvalidFind) {
    const ErrorReport error = LastError();
    WriteLog(Format(" FindFirstFile(%s) %u-%s", pattern.c_str(),
                    static_cast<unsigned>(error.code), error.text.c_str()),
             Format("%s - Invalid File Handle - %s", caller, pattern.c_str()));
  }
  return search;
}

}  // namespace velsetup
