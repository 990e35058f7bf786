#include "engine/text_cleaning.h"

#include <cstring>

#include "engine/install_log.h"

namespace velsetup {

bool IsCleaningWhitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsLeadingBlank(char c) {
  return IsCleaningWhitespace(c) || (c != '\0' && static_cast<signed char>(c) < 0x20);
}

namespace {

char* SkipLeadingBlanks(char* text) {
  while (IsLeadingBlank(*text)) ++text;
  return text;
}

// The first kept character is never whitespace, so the walk stops at it.
void CutTrailingWhitespace(char* start) {
  size_t length = std::strlen(start);
  while (length > 0 && IsCleaningWhitespace(start[length - 1])) start[--length] = '\0';
}

std::string CleanCopy(std::string_view text, char* (*clean)(char*)) {
  std::string work(text);
  // Work on the bytes before any embedded zero, as the in-place form would.
  char* kept = clean(work.data());
  return std::string(kept);
}

}  // namespace

char* StripCommentsAndEtc(char* text) {
  if (text == nullptr) {
    WriteLogText("warning null pointer passed to StripCommentsAndEtc");
    return nullptr;
  }
  char* start = SkipLeadingBlanks(text);
  if (char* comment = std::strchr(start, ';')) *comment = '\0';
  CutTrailingWhitespace(start);
  return start;
}

char* TrimBlanks(char* text) {
  char* start = SkipLeadingBlanks(text);
  CutTrailingWhitespace(start);
  return start;
}

std::string StripCommentsAndEtc(std::string_view text) {
  return CleanCopy(text, [](char* t) { return StripCommentsAndEtc(t); });
}

std::string TrimBlanks(std::string_view text) {
  return CleanCopy(text, [](char* t) { return TrimBlanks(t); });
}

}  // namespace velsetup
