// events.jsonl of the simulated machine: what the tool did that leaves no file
// of its own (message boxes, restarts, started programs), one JSON object a
// line, appended as it happens so that a run cut short still shows its events.
#pragma once

#include <string>

namespace velsetup::host {

class EventLog {
 public:
  explicit EventLog(std::string path) : path_(std::move(path)) {}

  // Appends one object (its text, without a line end) as one line. Each line
  // goes out in a single append write, so two processes on one machine never
  // interleave within a line. False when the file cannot be written.
  bool Append(const std::string& json_object_text);

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// `text` as a JSON string, quotes included. The tool's texts are 8-bit ANSI in
// no code page JSON knows, so each byte above 0x7F becomes \u00XX: the file
// stays valid UTF-8 and every byte can be read back.
std::string JsonString(const std::string& text);

}  // namespace velsetup::host
