#include "lab/trace_reader.h"

#include <cstdio>

namespace velsetup::lab {

namespace {

class Cursor {
 public:
  explicit Cursor(const std::string& text) : text_(text) {}
  void SkipBlanks() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r')) {
      ++at_;
    }
  }
  bool Take(char c) {
    SkipBlanks();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool AtEnd() {
    SkipBlanks();
    return at_ == text_.size();
  }
  bool String(std::string* value) {
    if (!Take('"')) return false;
    value->clear();
    while (at_ < text_.size()) {
      const char c = text_[at_++];
      if (c == '"') return true;
      if (c != '\\') {
        *value += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      const char escaped = text_[at_++];
      switch (escaped) {
        case 'b': *value += '\b'; break;
        case 'f': *value += '\f'; break;
        case 'n': *value += '\n'; break;
        case 'r': *value += '\r'; break;
        case 't': *value += '\t'; break;
        case 'u': {
          if (text_.size() - at_ < 4) return false;
          unsigned code = 0;
          for (int i = 0; i < 4; ++i) {
            const char h = text_[at_++];
            code <<= 4;
            if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
            else return false;
          }
          // The host program writes only \u00XX, one byte of 8-bit text each.
          *value += code <= 0xFF ? static_cast<char>(code) : '?';
          break;
        }
        default: *value += escaped;
      }
    }
    return false;
  }
  // A number or a word: its text up to the next ',' or '}'.
  bool Bare(std::string* value) {
    SkipBlanks();
    const size_t start = at_;
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}' && text_[at_] != ' ') ++at_;
    *value = text_.substr(start, at_ - start);
    return !value->empty();
  }
  char Peek() {
    SkipBlanks();
    return at_ < text_.size() ? text_[at_] : '\0';
  }

 private:
  const std::string& text_;
  size_t at_ = 0;
};

}  // namespace

std::optional<JsonLine> JsonLine::Parse(const std::string& line) {
  Cursor in(line);
  JsonLine object;
  if (!in.Take('{')) return std::nullopt;
  if (!in.Take('}')) {
    do {
      std::string name, value;
      if (!in.String(&name) || !in.Take(':')) return std::nullopt;
      if (in.Peek() == '"' ? !in.String(&value) : !in.Bare(&value)) return std::nullopt;
      object.fields_.emplace_back(std::move(name), std::move(value));
    } while (in.Take(','));
    if (!in.Take('}')) return std::nullopt;
  }
  if (!in.AtEnd()) return std::nullopt;
  return object;
}

std::string JsonLine::Get(const std::string& name) const {
  for (const auto& field : fields_) {
    if (field.first == name) return field.second;
  }
  return std::string();
}

bool JsonLine::Has(const std::string& name) const {
  for (const auto& field : fields_) {
    if (field.first == name) return true;
  }
  return false;
}

std::vector<JsonLine> ReadJsonLines(const std::string& path, uint64_t* offset) {
  std::vector<JsonLine> lines;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return lines;
  std::string bytes;
  if (std::fseek(file, static_cast<long>(*offset), SEEK_SET) == 0) {
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
  }
  std::fclose(file);
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
    if (auto object = JsonLine::Parse(bytes.substr(start, end - start))) {
      lines.push_back(std::move(*object));
    }
  }
  *offset += start;
  return lines;
}

}  // namespace velsetup::lab
