#include "lab/json_writer.h"

#include <cinttypes>
#include <cstdio>

#include "platform/host/machine/events.h"

namespace velsetup::lab {

void JsonWriter::NewLine() {
  out_ += '\n';
  out_.append(levels_.size() * 2, ' ');
}

// The separator before a member or an element: a comma after the first, and
// a new line unless the container is written inline.
void JsonWriter::BeforeValue() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (levels_.empty()) return;
  Level& level = levels_.back();
  if (!level.empty) out_ += level.is_inline ? ", " : ",";
  if (!level.is_inline) NewLine();
  level.empty = false;
}

void JsonWriter::Open(char bracket, Layout layout) {
  BeforeValue();
  out_ += bracket;
  // Within an inline container everything stays on its line.
  const bool is_inline = layout == kInline || (!levels_.empty() && levels_.back().is_inline);
  levels_.push_back({is_inline, true});
}

void JsonWriter::Close(char bracket) {
  const Level level = levels_.back();
  levels_.pop_back();
  if (!level.empty && !level.is_inline) NewLine();
  out_ += bracket;
  if (levels_.empty()) out_ += '\n';
}

void JsonWriter::Key(std::string_view name) {
  BeforeValue();
  out_ += host::JsonString(std::string(name));
  out_ += ": ";
  after_key_ = true;
}

void JsonWriter::String(std::string_view text) {
  BeforeValue();
  out_ += host::JsonString(std::string(text));
}

void JsonWriter::Int(int64_t value) {
  BeforeValue();
  char text[32];
  std::snprintf(text, sizeof text, "%" PRId64, value);
  out_ += text;
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Seconds(double seconds) {
  BeforeValue();
  char text[64];
  // A negative or absurd time is no time the report can stand behind.
  if (!(seconds >= 0 && seconds < 1e12)) seconds = 0;
  std::snprintf(text, sizeof text, "%.3f", seconds);
  out_ += text;
}

}  // namespace velsetup::lab
