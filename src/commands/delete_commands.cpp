#include "commands/delete_commands.h"

#include <optional>

#include "commands/command_params.h"
#include "commands/file_lines.h"
#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/text_format.h"
#include "engine/section_reader.h"

namespace velsetup {

namespace {

constexpr uint32_t kEnded = 2;
constexpr size_t kMaxPath = 259;
constexpr size_t kMaxMakeDirKey = 255;

// "(%d)-%s" and "%d-%s" of the failure lines.
std::string CodeAndText(const char* format) {
  const ErrorReport error = LastError();
  return Format(format, static_cast<unsigned>(error.code), error.text.c_str());
}

void ResetAttributes(const std::string& path) {
  if (Files().SetFileAttributesA(path.c_str(), file_attribute::kNormal)) return;
  WriteLog(CodeAndText(" SetFileAttributes() failed, (%u)-%s"),
           Format("RemoveDir() - Error setting attribs on file - %s", path.c_str()));
}

void DeleteTreeFile(const std::string& path) {
  ResetAttributes(path);
  WriteLog("  Deleting...", Format(">%s<", path.c_str()));
  if (Files().DeleteFileA(path.c_str())) return;
  const ErrorReport error = LastError();
  WriteLog(Format(" DeleteFile(%s) failed, (%u)-%s", path.c_str(),
                  static_cast<unsigned>(error.code), error.text.c_str()),
           Format("RemoveDir() - Error deleting file - %s", path.c_str()));
}

// A path that fits before and after expansion, expanded.
std::optional<std::string> ExpandedPath(std::string_view text, size_t max_before,
                                        const char* command) {
  if (!PathFits(text, max_before, command)) return std::nullopt;
  return ExpandedText(std::string(text), kMaxPath);
}

bool MakeDirectory(std::string_view text, size_t max_before) {
  const std::optional<std::string> path = ExpandedPath(text, max_before, "CMD21_MakeDir()");
  if (!path) return false;
  if (Files().CreateDirectoryA(path->c_str())) return true;
  WriteLog("WARNING-=-", Format("function MakeDirectory () failed on src=%s", path->c_str()));
  return false;
}

}  // namespace

void CmdRmdir(const std::string& path) {
  const uint32_t attributes = Files().GetFileAttributesA(path.c_str());
  if (attributes == file_attribute::kInvalid) {
    WriteLog("WARNING-=-", Format("Cannot find >%s< to delete", path.c_str()));
    return;
  }
  if ((attributes & file_attribute::kDirectory) != 0) {
    WriteLog("  ", Format("...deleting directory >%s<", path.c_str()));
    RemoveDir(path);
    return;
  }
  WriteLog("  ", Format("...deleting file <%s>", path.c_str()));
  if (!Files().SetFileAttributesA(path.c_str(), file_attribute::kNormal)) {
    WriteLog(Format("CmdRmdir() - Error setting attribs on file - %s", path.c_str()),
             CodeAndText("\nSetFileAttributes() failed, (%u)-%s"));
  }
  if (!Files().DeleteFileA(path.c_str())) {
    const ErrorReport error = LastError();
    WriteLog(Format("CmdRmdir() - Error deleting file - %s", path.c_str()),
             Format("\nDeleteFile(%s) failed, (%u)-%s", path.c_str(),
                    static_cast<unsigned>(error.code), error.text.c_str()));
  }
}

void RemoveDir(const std::string& path) {
  const std::string pattern = path + (EndsWithBackslash(path) ? "*.*" : "\\*.*");
  FindData entry;
  const FindHandle search = FindFirstLogged(pattern, &entry, "RemoveDir()");
  if (search == kInvalidFind) return;
  do {
    if (entry.file_name == "." || entry.file_name == "..") continue;
    const std::string entry_path = JoinPath(path, entry.file_name);
    // Refused, the entry stays, and so does every directory above it.
    if (!PathFits(entry_path, kMaxPath, "RemoveDir()")) continue;
    if ((entry.attributes & file_attribute::kDirectory) != 0) {
      RemoveDir(entry_path);
    } else {
      DeleteTreeFile(entry_path);
    }
  } while (Files().FindNextFileA(search, &entry));
  Files().FindClose(search);

  ResetAttributes(path);
  if (!Files().RemoveDirectoryA(path.c_str())) {
    const ErrorReport error = LastError();
    WriteLog(Format(" RemoveDirectory(%s) %u-%s", path.c_str(),
                    static_cast<unsigned>(error.code), error.text.c_str()),
             Format("RemoveDir() - Invalid File Handle - %s", path.c_str()));
  }
}

uint32_t Cmd16_DeleteFileOrDir() {
  if (ParametersAreInline()) {
    const std::string text = InlineField(1, kMaxPath + 2);
    if (const auto path = ExpandedPath(text, kMaxPath, "CMD16_DeleteFileOrDir()")) {
      CmdRmdir(*path);
    }
    return 0;
  }
  const std::optional<std::string> block = ReadDataSection("Missing the Data section");
  if (!block) return kEnded;
  for (std::string_view line : BlockLines(*block)) {
    if (line.find('*') != std::string_view::npos) {
      WriteLog("NOTICE:", "Wild Card syntax not supported");
      continue;
    }
    if (const auto path = ExpandedPath(line, kMaxPath, "CMD16_DeleteFileOrDir()")) {
      CmdRmdir(*path);
    }
  }
  return 0;
}

uint32_t Cmd21_MakeDir() {
  if (ParametersAreInline()) {
    return MakeDirectory(InlineField(1, kMaxMakeDirKey + 2), kMaxMakeDirKey) ? 0 : kEnded;
  }
  const std::optional<std::string> block =
      ReadDataSection("Missing the Data section or an extra comma.");
  if (!block) return kEnded;
  for (std::string_view line : BlockLines(*block)) {
    if (!MakeDirectory(line, kMaxPath)) return kEnded;
  }
  return 0;
}

}  // namespace velsetup
