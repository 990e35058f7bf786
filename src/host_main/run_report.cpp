#include "host_main/run_report.h"

namespace velsetup::host_main {

namespace {

// A run shorter than this shows no progress line; a shown line is redrawn
// no more often than the second figure.
constexpr std::chrono::milliseconds kProgressAfter{1000};
constexpr std::chrono::milliseconds kRedrawEvery{200};

bool Holds(const std::string& text, const char* word) {
  for (size_t i = 0; i < text.size(); ++i) {
    size_t k = 0;
    for (; word[k] != '\0' && i + k < text.size(); ++k) {
      char c = text[i + k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c != word[k]) break;
    }
    if (word[k] == '\0') return true;
  }
  return false;
}

bool IsCommandAnnouncement(const std::string& prefix) {
  if (prefix.compare(0, 3, "CMD") != 0) return false;
  size_t i = 3;
  while (i < prefix.size() && prefix[i] >= '0' && prefix[i] <= '9') ++i;
  return i > 3 && i < prefix.size() && prefix[i] == '>';
}

std::string Plural(uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

LineKind ClassifyLogLine(const std::string& prefix) {
  if (IsCommandAnnouncement(prefix)) return LineKind::kOther;
  // "WARNINIG-=-" is a tag the tool has always written so.
  if (Holds(prefix, "WARNING") || Holds(prefix, "WARNINIG")) return LineKind::kWarning;
  if (Holds(prefix, "ERROR")) return LineKind::kError;
  if (Holds(prefix, "NOTICE")) return LineKind::kNotice;
  return LineKind::kOther;
}

std::string SummaryLine(const RunFacts& facts) {
  std::string line = "velsetup: ";
  if (facts.startup_failed) line += "start-up failed (usage box); ";
  line += Plural(facts.commands, "command", "commands") + " run in " +
          Plural(facts.sections, "section", "sections") + "; " +
          Plural(facts.errors, "ERROR line", "ERROR lines") + ", " +
          Plural(facts.warnings, "WARNING line", "WARNING lines") + "; ";
  if (facts.restart_asked) {
    line += "restart asked for";
  } else {
    line += facts.restarts_suppressed ? "no restart (restarts suppressed)" : "no restart asked for";
  }
  return line + "; install log " + facts.log;
}

RunReporter::RunReporter(std::FILE* terminal, Clock clock)
    : terminal_(terminal), clock_(std::move(clock)), started_(clock_()), drawn_(started_) {}

void RunReporter::CommandStarting(int32_t, uint32_t number, const std::string& section) {
  // A section starts with the first command, and again after a command 0
  // ended one, even when a jump leads back into the same section.
  if (facts_.sections == 0 || section != section_ || last_number_ == 0) ++facts_.sections;
  section_ = section;
  last_number_ = number;
  // Command 0 ends a section: the empty slot after its last line reads so.
  if (number != 0) ++facts_.commands;
  if (terminal_ == nullptr) return;
  const auto now = clock_();
  if (now - started_ < kProgressAfter || (shown_ && now - drawn_ < kRedrawEvery)) return;
  drawn_ = now;
  shown_ = true;
  std::fprintf(terminal_, "\rvelsetup: %llu commands run, now in section [%s]\x1b[K",
               static_cast<unsigned long long>(facts_.commands), section.c_str());
  std::fflush(terminal_);
}

void RunReporter::LineLogged(std::string_view prefix, std::string_view) {
  switch (ClassifyLogLine(std::string(prefix))) {
    case LineKind::kError: ++facts_.errors; break;
    case LineKind::kWarning: ++facts_.warnings; break;
    case LineKind::kNotice:
    case LineKind::kOther: break;
  }
}

void RunReporter::ClearProgress() {
  if (!shown_) return;
  std::fprintf(terminal_, "\r\x1b[K");
  std::fflush(terminal_);
  shown_ = false;
}

}  // namespace velsetup::host_main
