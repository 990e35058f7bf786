#include "lab/lab_result.h"

namespace velsetup::lab {

const char* OutcomeText(Outcome outcome) {
  switch (outcome) {
    case Outcome::kEnded: return "ended";
    case Outcome::kNotContinued: return "a restart was asked for, but nothing starts the tool again";
    case Outcome::kRestartLoop: return "restart loop";
    case Outcome::kTimedOut: return "timed out";
    case Outcome::kFailed: return "failed";
  }
  return "failed";
}

const char* OutcomeWord(Outcome outcome) {
  switch (outcome) {
    case Outcome::kEnded: return "ended";
    case Outcome::kNotContinued: return "not-continued";
    case Outcome::kRestartLoop: return "restart-loop";
    case Outcome::kTimedOut: return "timed-out";
    case Outcome::kFailed: return "failed";
  }
  return "failed";
}

const char* ChangeWord(Change change) {
  switch (change) {
    case Change::kAdded: return "added";
    case Change::kChanged: return "changed";
    case Change::kRemoved: return "removed";
  }
  return "changed";
}

namespace {
int CountKind(const std::vector<LogLine>& log, const char* kind) {
  int count = 0;
  for (const LogLine& line : log) count += line.kind == kind ? 1 : 0;
  return count;
}
}  // namespace

int ProfileResult::errors() const { return CountKind(log, "ERROR"); }
int ProfileResult::warnings() const { return CountKind(log, "WARNING"); }

}  // namespace velsetup::lab
