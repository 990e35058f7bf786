#include "lab/lab_result.h"

namespace velsetup::lab {

namespace {

// Each outcome's words, in one place: the text reports show and the short
// word of the JSON schema.
struct OutcomeWords {
  Outcome outcome;
  const char* word;
  const char* text;
};

constexpr OutcomeWords kOutcomes[] = {
    {Outcome::kEnded, "ended", "ended"},
    {Outcome::kNotContinued, "not-continued",
     "a restart was asked for, but nothing starts the tool again"},
    {Outcome::kRestartLoop, "restart-loop", "restart loop"},
    {Outcome::kTimedOut, "timed-out", "timed out"},
    {Outcome::kFailed, "failed", "failed"},
};

const OutcomeWords& WordsOf(Outcome outcome) {
  for (const OutcomeWords& words : kOutcomes) {
    if (words.outcome == outcome) return words;
  }
  return kOutcomes[4];
}

}  // namespace

const char* OutcomeText(Outcome outcome) { return WordsOf(outcome).text; }

const char* OutcomeWord(Outcome outcome) { return WordsOf(outcome).word; }

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
