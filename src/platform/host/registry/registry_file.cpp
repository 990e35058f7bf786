#include "platform/host/registry/registry_file.h"

#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/registry_api.h"

namespace velsetup::host {

namespace {

constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
// Longer key names are refused by the registry itself.
constexpr size_t kMaxKeyName = 255;

// A version 5 export is UTF-16LE; the simulated registry holds 8-bit text.
std::string Narrowed(std::string_view utf16) {
  std::string text;
  text.reserve(utf16.size() / 2);
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    const unsigned unit = static_cast<unsigned char>(utf16[i]) |
                          static_cast<unsigned>(static_cast<unsigned char>(utf16[i + 1])) << 8;
    text += unit < 0x100 ? static_cast<char>(unit) : '?';
  }
  return text;
}

std::string_view TrimmedLeft(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return text;
}

std::string_view Trimmed(std::string_view text) {
  text = TrimmedLeft(text);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHexNumber(std::string_view text, size_t max_digits, uint32_t* value) {
  if (text.empty() || text.size() > max_digits) return false;
  uint32_t number = 0;
  for (char c : text) {
    const int digit = HexDigit(c);
    if (digit < 0) return false;
    number = number << 4 | static_cast<uint32_t>(digit);
  }
  *value = number;
  return true;
}

// Reads a quoted text from `*rest` (which starts at the opening quote) and
// leaves `*rest` after the closing one. `line_escapes`: \r and \n stand for
// line breaks, which only a value name can need (its data goes hex then).
bool ReadQuoted(std::string_view* rest, bool line_escapes, std::string* text) {
  std::string_view in = rest->substr(1);
  text->clear();
  for (size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (c == '"') {
      *rest = in.substr(i + 1);
      return true;
    }
    if (c == '\\' && i + 1 < in.size()) {
      const char next = in[i + 1];
      if (next == '\\' || next == '"') {
        *text += next;
        ++i;
        continue;
      }
      if (line_escapes && (next == 'n' || next == 'r')) {
        *text += next == 'n' ? '\n' : '\r';
        ++i;
        continue;
      }
    }
    *text += c;
  }
  return false;
}

bool ParseHexBytes(std::string_view list, std::string* bytes) {
  bytes->clear();
  list = Trimmed(list);
  while (!list.empty()) {
    const size_t comma = list.find(',');
    const std::string_view item = Trimmed(list.substr(0, comma));
    uint32_t value = 0;
    if (!ParseHexNumber(item, 2, &value)) return false;
    *bytes += static_cast<char>(value);
    if (comma == std::string_view::npos) break;
    list = Trimmed(list.substr(comma + 1));  // a trailing comma ends the list
  }
  return true;
}

class Parser {
 public:
  Parser(const std::string& bytes, RegistryTree* tree, std::string* error)
      : tree_(tree), error_(error) {
    std::string_view input = bytes;
    if (input.size() >= 2 && input[0] == '\xFF' && input[1] == '\xFE') {
      text_ = Narrowed(input.substr(2));
    } else {
      if (input.substr(0, 3) == "\xEF\xBB\xBF") input.remove_prefix(3);
      text_ = std::string(input);
    }
    for (size_t start = 0; start <= text_.size();) {
      size_t end = text_.find('\n', start);
      if (end == std::string::npos) end = text_.size();
      std::string_view line(text_.data() + start, end - start);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      start = end + 1;
    }
  }

  bool Run() {
    size_t i = 0;
    while (i < lines_.size() && Trimmed(lines_[i]).empty()) ++i;
    const std::string_view header = i < lines_.size() ? Trimmed(lines_[i]) : std::string_view();
    if (header == kHeader5) {
      version5_ = true;
    } else if (header != kHeader4) {
      return Fail(i < lines_.size() ? i : lines_.size() - 1, "not a registry file: the first line must be REGEDIT4 or " +
                         std::string(kHeader5));
    }
    for (++i; i < lines_.size(); ++i) {
      const std::string_view line = Trimmed(lines_[i]);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        if (!KeyLine(i, line)) return false;
      } else if (line.front() == '"' || line.front() == '@') {
        if (!ValueLine(&i, line)) return false;
      } else {
        return Fail(i, "cannot be read: " + std::string(line));
      }
    }
    return true;
  }

 private:
  bool Fail(size_t line, const std::string& what) {
    *error_ = "line " + std::to_string(line + 1) + ": " + what;
    return false;
  }

  bool KeyLine(size_t i, std::string_view line) {
    const size_t close = line.rfind(']');
    if (close == std::string_view::npos || !Trimmed(line.substr(close + 1)).empty()) {
      return Fail(i, "a key line must end with ]");
    }
    std::string_view path = line.substr(1, close - 1);
    const bool removal = !path.empty() && path.front() == '-';
    if (removal) path.remove_prefix(1);
    const size_t slash = path.find('\\');
    const std::string_view hive_name = path.substr(0, slash);
    Hive hive;
    if (!HiveFromName(hive_name, &hive)) {
      if (FoldRegistryName(hive_name) == "HKEY_PERFORMANCE_DATA") {
        return Fail(i, "HKEY_PERFORMANCE_DATA is not a stored hive");
      }
      return Fail(i, "unknown hive " + std::string(hive_name));
    }
    std::vector<std::string> names;
    for (size_t start = slash; start != std::string_view::npos;) {
      const size_t end = path.find('\\', start + 1);
      const std::string_view name = path.substr(start + 1, end == std::string_view::npos
                                                               ? std::string_view::npos
                                                               : end - start - 1);
      if (name.size() > kMaxKeyName) {
        return Fail(i, "a key name is longer than " + std::to_string(kMaxKeyName) + " characters");
      }
      if (!name.empty()) names.emplace_back(name);
      start = end;
    }
    if (removal) {
      if (names.empty()) return Fail(i, "a whole hive cannot be removed");
      if (RegistryNode* node = tree_->Find(hive, names)) node->parent()->RemoveSubkey(node);
      key_ = nullptr;
      skipping_ = true;
      return true;
    }
    RegistryNode* node = &tree_->root(hive);
    for (const std::string& name : names) {
      bool created = false;
      node = node->AddSubkey(name, &created);
    }
    key_ = node;
    skipping_ = false;
    return true;
  }

  // Reads one value, carrying on over the lines its hex data continues on.
  bool ValueLine(size_t* i, std::string_view line) {
    const size_t first = *i;
    std::string name;
    std::string_view rest = line;
    if (rest.front() == '@') {
      rest.remove_prefix(1);
    } else if (!ReadQuoted(&rest, true, &name)) {
      return Fail(first, "a value name lacks its closing quote");
    }
    rest = TrimmedLeft(rest);
    if (rest.empty() || rest.front() != '=') return Fail(first, "a value name must be followed by =");
    rest = Trimmed(rest.substr(1));
    if (key_ == nullptr) {
      if (skipping_) return true;
      return Fail(first, "a value before the first key");
    }
    if (rest == "-") {
      key_->RemoveValue(name);
      return true;
    }
    if (!rest.empty() && rest.front() == '"') {
      std::string text;
      if (!ReadQuoted(&rest, false, &text) || !Trimmed(rest).empty()) {
        return Fail(first, "a text value must be one quoted text");
      }
      text += '\0';
      key_->SetValue(name, registry_type::kString, std::move(text));
      return true;
    }
    if (rest.substr(0, 6) == "dword:") {
      uint32_t number = 0;
      if (!ParseHexNumber(Trimmed(rest.substr(6)), 8, &number)) {
        return Fail(first, "dword: takes up to eight hex digits");
      }
      std::string data(4, '\0');
      for (int b = 0; b < 4; ++b) data[b] = static_cast<char>(number >> (8 * b) & 0xFF);
      key_->SetValue(name, registry_type::kDword, std::move(data));
      return true;
    }
    uint32_t type = registry_type::kBinary;
    if (rest.substr(0, 4) == "hex:") {
      rest.remove_prefix(4);
    } else if (rest.substr(0, 4) == "hex(") {
      const size_t close = rest.find("):");
      if (close == std::string_view::npos || !ParseHexNumber(rest.substr(4, close - 4), 8, &type)) {
        return Fail(first, "hex( must give a hex type number and end with ):");
      }
      rest.remove_prefix(close + 2);
    } else {
      return Fail(first, "unknown kind of data: " + std::string(rest));
    }
    std::string list;
    for (;;) {
      rest = Trimmed(rest);
      const bool carries_on = !rest.empty() && rest.back() == '\\';
      if (carries_on) rest.remove_suffix(1);
      list.append(rest.data(), rest.size());
      if (!carries_on) break;
      if (++*i >= lines_.size()) return Fail(first, "the hex data carries on past the end");
      rest = lines_[*i];
    }
    std::string data;
    if (!ParseHexBytes(list, &data)) return Fail(first, "hex data must be hex byte pairs");
    if (version5_ && (type == registry_type::kExpandString || type == registry_type::kMultiString)) {
      data = Narrowed(data);
    }
    key_->SetValue(name, type, std::move(data));
    return true;
  }

  RegistryTree* tree_;
  std::string* error_;
  std::string text_;
  std::vector<std::string_view> lines_;
  bool version5_ = false;
  RegistryNode* key_ = nullptr;
  bool skipping_ = false;  // after a [-key]: its values go with it
};

std::string Escaped(std::string_view text, bool line_escapes) {
  std::string out;
  out.reserve(text.size() + 2);
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    if (line_escapes && (c == '\n' || c == '\r')) {
      out += c == '\n' ? "\\n" : "\\r";
      continue;
    }
    out += c;
  }
  return out;
}

// The quoted form gives back "text" plus one zero, so only such data has it.
bool HasQuotedForm(const RegistryValue& value) {
  if (value.type != registry_type::kString || value.data.empty() || value.data.back() != '\0') {
    return false;
  }
  const std::string_view text(value.data.data(), value.data.size() - 1);
  return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

void AppendValue(const RegistryValue& value, std::string* out) {
  std::string line = value.name.empty() ? "@=" : "\"" + Escaped(value.name, true) + "\"=";
  if (HasQuotedForm(value)) {
    line += "\"" + Escaped(std::string_view(value.data.data(), value.data.size() - 1), false) + "\"";
  } else if (value.type == registry_type::kDword && value.data.size() == 4) {
    uint32_t number = 0;
    for (int b = 3; b >= 0; --b) number = number << 8 | static_cast<unsigned char>(value.data[b]);
    char digits[16];
    std::snprintf(digits, sizeof digits, "dword:%08x", number);
    line += digits;
  } else {
    if (value.type == registry_type::kBinary) {
      line += "hex:";
    } else {
      char prefix[24];
      std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
      line += prefix;
    }
    for (size_t i = 0; i < value.data.size(); ++i) {
      char pair[4];
      std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(value.data[i]));
      const bool last = i + 1 == value.data.size();
      // Room for the pair, its comma and the backslash that carries on.
      if (line.size() + 4 > kRegistryLineWidth) {
        *out += line + "\\\r\n";
        line = "  ";
      }
      line += pair;
      if (!last) line += ',';
    }
  }
  *out += line + "\r\n";
}

void AppendKey(const RegistryNode& node, const std::string& path, std::string* out) {
  if (node.is_volatile()) return;
  *out += "[" + path + "]\r\n";
  for (const RegistryValue& value : node.values()) AppendValue(value, out);
  *out += "\r\n";
  for (const auto& subkey : node.subkeys()) AppendKey(*subkey, path + "\\" + subkey->name(), out);
}

}  // namespace

bool ParseRegistryFile(const std::string& bytes, RegistryTree* tree, std::string* error) {
  return Parser(bytes, tree, error).Run();
}

std::string FormatRegistryFile(const RegistryTree& tree, bool with_dyn_data) {
  std::string out = std::string(kHeader4) + "\r\n\r\n";
  for (int i = 0; i < kHiveCount; ++i) {
    const Hive hive = static_cast<Hive>(i);
    const RegistryNode& root = tree.root(hive);
    if (hive == Hive::kDynData && !with_dyn_data && root.subkeys().empty() &&
        root.values().empty()) {
      continue;
    }
    AppendKey(root, HiveName(hive), &out);
  }
  return out;
}

}  // namespace velsetup::host
