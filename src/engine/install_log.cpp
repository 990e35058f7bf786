#include "engine/install_log.h"

#include <cstdio>

#include "engine/run_observer.h"
#include "engine/run_state.h"
#include "engine/text_format.h"

namespace velsetup {

namespace {

const char* LevelTag(int level) {
  switch (level) {
    case 0: return "FATAL-=-";
    case 1: return "RECOVERABLE ERROR-=-";
    default: return "WARNING ERROR-=-";
  }
}

void AppendLine(std::string line) {
  RunState& run = Run();
  if (!run.logging_enabled || run.platform.files == nullptr) return;
  // A failed append drops the line: the log must never stop a run.
  run.platform.files->AppendText(run.log_path.c_str(), line);
}

void Observe(std::string_view prefix, std::string_view message) {
  if (RunObserver* observer = Run().observer) observer->LineLogged(prefix, message);
}

std::string CutToLogLine(std::string line) {
  if (line.size() > capacity::kLogLine - 1) line.resize(capacity::kLogLine - 1);
  return line;
}

}  // namespace

std::string LogTimeStamp() {
  LocalTime now;
  System().GetLocalTime(&now);
  return Format("[%02d:%02d:%02d.%03d] ", now.hour, now.minute, now.second, now.milliseconds);
}

void WriteLog(std::string_view prefix, std::string_view message) {
  Observe(prefix, message);
  if (!Run().logging_enabled) return;
  std::string line = LogTimeStamp();
  line += ' ';
  line += Run().module_name;
  line += "> ";
  line += prefix;
  line += ' ';
  line += message;
  AppendLine(CutToLogLine(std::move(line)) + "\n");
}

void WriteLogText(std::string_view message) {
  Observe("", message);
  if (!Run().logging_enabled) return;
  std::string line = LogTimeStamp();
  line += ' ';
  line += message;
  AppendLine(CutToLogLine(std::move(line)) + "\n");
}

void WriteLevelLog(std::string_view detail, std::string_view summary, int level) {
  const char* tag = LevelTag(level);
  Observe(tag, summary);
  if (!Run().logging_enabled) return;
  AppendLine(Concat(tag, summary, "\n", tag, detail, "\n"));
}

uint32_t GetLastErrorText(std::string* text, size_t capacity) {
  const uint32_t code = System().GetLastError();
  std::string message;
  System().FormatSystemMessage(code, &message);
  for (char& c : message) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  text->assign(CutTo(message, capacity));
  return code;
}

}  // namespace velsetup
