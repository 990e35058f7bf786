// A small JSON writer for the lab's report: objects and arrays nested as
// they are opened, one member a line, indented by two; a container opened
// "inline" keeps all of its members on one line, which keeps the long lists
// of small entries (sections, commands, covered lines) readable and easy to
// search line by line. Texts are written as JsonString writes them, so the
// bytes of an 8-bit script come through as \u00XX whatever their code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velsetup::lab {

class JsonWriter {
 public:
  enum Layout { kLines, kInline };

  void BeginObject(Layout layout = kLines) { Open('{', layout); }
  void EndObject() { Close('}'); }
  void BeginArray(Layout layout = kLines) { Open('[', layout); }
  void EndArray() { Close(']'); }

  // The name of the next member of the object being written.
  void Key(std::string_view name);
  void String(std::string_view text);
  void Int(int64_t value);
  void Bool(bool value);
  // A time in seconds, to the millisecond.
  void Seconds(double seconds);

  // A member and its value at once.
  void Member(std::string_view name, std::string_view text) { Key(name), String(text); }
  void Member(std::string_view name, const char* text) { Key(name), String(text); }
  void Member(std::string_view name, int64_t value) { Key(name), Int(value); }
  void Member(std::string_view name, int value) { Key(name), Int(value); }
  void Member(std::string_view name, bool value) { Key(name), Bool(value); }

  // The text written; every container must have been closed.
  const std::string& text() const { return out_; }

 private:
  struct Level {
    bool is_inline = false;
    bool empty = true;
  };
  void Open(char bracket, Layout layout);
  void Close(char bracket);
  void BeforeValue();
  void NewLine();

  std::string out_;
  std::vector<Level> levels_;
  bool after_key_ = false;
};

}  // namespace velsetup::lab
