#include "lab/shell_link.h"

#include <cstdint>
#include <vector>

namespace velsetup::lab {

namespace {

constexpr uint32_t kHeaderSize = 0x4C;
constexpr unsigned char kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                          0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
enum LinkFlag : uint32_t {
  kHasLinkTargetIdList = 0x1,
  kHasLinkInfo = 0x2,
  kHasName = 0x4,
  kHasRelativePath = 0x8,
  kHasWorkingDir = 0x10,
  kHasArguments = 0x20,
  kHasIconLocation = 0x40,
  kIsUnicode = 0x80,
};
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x1;

// Reads little-endian fields, every read checked against the end of the
// bytes: a size in a damaged file must never lead outside them.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}
  bool Has(size_t offset, size_t count) const {
    return offset <= bytes_.size() && count <= bytes_.size() - offset;
  }
  uint32_t U16(size_t offset) const { return Byte(offset) | Byte(offset + 1) << 8; }
  uint32_t U32(size_t offset) const {
    return U16(offset) | static_cast<uint32_t>(U16(offset + 2)) << 16;
  }
  uint32_t Byte(size_t offset) const { return static_cast<unsigned char>(bytes_[offset]); }
  // A zero-terminated 8-bit text from `offset` up to `limit`; false when no
  // zero ends it before the limit.
  bool Text(size_t offset, size_t limit, std::string* text) const {
    text->clear();
    for (size_t i = offset; i < limit && i < bytes_.size(); ++i) {
      if (bytes_[i] == '\0') return true;
      *text += bytes_[i];
    }
    return false;
  }

 private:
  const std::string& bytes_;
};

bool Fail(std::string* error, const std::string& why) {
  *error = why;
  return false;
}

bool ReadLinkInfo(const Reader& in, size_t at, size_t* next, ShellLink* link,
                  std::string* error) {
  if (!in.Has(at, 28)) return Fail(error, "the LinkInfo header runs past the end of the file");
  const uint32_t size = in.U32(at);
  const uint32_t header_size = in.U32(at + 4);
  if (size < 28 || !in.Has(at, size)) {
    return Fail(error, "LinkInfoSize " + std::to_string(size) + " points outside the file");
  }
  if (header_size < 28 || header_size > size) {
    return Fail(error, "LinkInfoHeaderSize " + std::to_string(header_size) + " is out of range");
  }
  const uint32_t flags = in.U32(at + 8);
  if ((flags & kVolumeIdAndLocalBasePath) != 0) {
    const uint32_t base = in.U32(at + 16);
    const uint32_t suffix = in.U32(at + 24);
    if (base < header_size || base >= size) {
      return Fail(error, "LocalBasePathOffset points outside LinkInfo");
    }
    std::string path;
    if (!in.Text(at + base, at + size, &path)) {
      return Fail(error, "LocalBasePath has no end inside LinkInfo");
    }
    // The suffix is joined to the base path; a base that is a whole path has
    // an empty one.
    std::string tail;
    if (suffix != 0) {
      if (suffix < header_size || suffix >= size || !in.Text(at + suffix, at + size, &tail)) {
        return Fail(error, "CommonPathSuffix points outside LinkInfo");
      }
    }
    link->local_base_path = path + tail;
  }
  *next = at + size;
  return true;
}

bool ReadCountedString(const Reader& in, size_t* at, bool unicode, std::string* text,
                       const char* what, std::string* error) {
  if (!in.Has(*at, 2)) return Fail(error, std::string(what) + " runs past the end of the file");
  const size_t count = in.U16(*at);
  const size_t width = unicode ? 2 : 1;
  if (!in.Has(*at + 2, count * width)) {
    return Fail(error, std::string(what) + " of " + std::to_string(count) +
                           " characters runs past the end of the file");
  }
  text->clear();
  for (size_t i = 0; i < count; ++i) {
    const size_t offset = *at + 2 + i * width;
    const uint32_t c = unicode ? in.U16(offset) : in.Byte(offset);
    text->push_back(c <= 0xFF ? static_cast<char>(c) : '?');
  }
  *at += 2 + count * width;
  return true;
}

}  // namespace

bool ParseShellLink(const std::string& bytes, ShellLink* link, std::string* error) {
  *link = ShellLink();
  const Reader in(bytes);
  if (!in.Has(0, kHeaderSize)) {
    return Fail(error, "only " + std::to_string(bytes.size()) +
                           " bytes, shorter than a shell link's header");
  }
  if (in.U32(0) != kHeaderSize) {
    return Fail(error, "header size " + std::to_string(in.U32(0)) + " instead of 76");
  }
  for (size_t i = 0; i < sizeof kLinkClsid; ++i) {
    if (in.Byte(4 + i) != kLinkClsid[i]) return Fail(error, "not the shell link class id");
  }
  const uint32_t flags = in.U32(20);
  size_t at = kHeaderSize;
  if ((flags & kHasLinkTargetIdList) != 0) {
    if (!in.Has(at, 2)) return Fail(error, "the LinkTargetIDList runs past the end of the file");
    const size_t size = in.U16(at);
    if (!in.Has(at + 2, size)) {
      return Fail(error, "IDListSize " + std::to_string(size) + " points outside the file");
    }
    at += 2 + size;
  }
  if ((flags & kHasLinkInfo) != 0 && !ReadLinkInfo(in, at, &at, link, error)) return false;
  const bool unicode = (flags & kIsUnicode) != 0;
  std::string ignored;
  struct Field {
    uint32_t flag;
    std::string* text;
    const char* what;
  };
  const Field fields[] = {{kHasName, &ignored, "NAME_STRING"},
                          {kHasRelativePath, &link->relative_path, "RELATIVE_PATH"},
                          {kHasWorkingDir, &link->working_dir, "WORKING_DIR"},
                          {kHasArguments, &link->arguments, "COMMAND_LINE_ARGUMENTS"},
                          {kHasIconLocation, &ignored, "ICON_LOCATION"}};
  for (const Field& field : fields) {
    if ((flags & field.flag) == 0) continue;
    if (!ReadCountedString(in, &at, unicode, field.text, field.what, error)) return false;
  }
  return true;
}

std::string LinkTarget(const ShellLink& link, const std::string& link_folder) {
  if (!link.local_base_path.empty()) return link.local_base_path;
  if (link.relative_path.empty()) return std::string();
  // Resolved as the shell does against the folder that holds the link:
  // "." and ".." components, either slash.
  std::string path = link.relative_path;
  for (char& c : path) c = c == '/' ? '\\' : c;
  if (path.size() >= 2 && path[1] == ':') return path;
  std::vector<std::string> parts;
  std::string drive;
  std::string folder = link_folder;
  if (folder.size() >= 2 && folder[1] == ':') {
    drive = folder.substr(0, 2);
    folder = folder.substr(2);
  }
  auto push_all = [&parts](const std::string& text) {
    size_t start = 0;
    while (start <= text.size()) {
      size_t end = text.find('\\', start);
      if (end == std::string::npos) end = text.size();
      const std::string part = text.substr(start, end - start);
      if (part == "..") {
        if (!parts.empty()) parts.pop_back();
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      start = end + 1;
    }
  };
  if (path.empty() || path[0] != '\\') push_all(folder);
  push_all(path);
  std::string result = drive;
  for (const std::string& part : parts) result += "\\" + part;
  return result.empty() ? std::string() : result;
}

}  // namespace velsetup::lab
