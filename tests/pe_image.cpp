#include "pe_image.h"

namespace velsetup::testing {

namespace {

struct Section {
  uint32_t virtual_address, virtual_size, raw_offset, raw_size;
};

// Reads little-endian fields with every offset checked against the file.
class Bytes {
 public:
  explicit Bytes(const std::string& bytes) : bytes_(bytes) {}
  bool Has(uint64_t offset, uint64_t size) const { return offset + size <= bytes_.size(); }
  uint32_t Get(uint64_t offset, int size) const {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
      value = value << 8 | static_cast<unsigned char>(bytes_[static_cast<size_t>(offset) + i]);
    }
    return value;
  }
  uint16_t U16(uint64_t offset) const { return static_cast<uint16_t>(Get(offset, 2)); }
  uint32_t U32(uint64_t offset) const { return Get(offset, 4); }
  std::optional<std::string> Text(uint64_t offset) const {
    if (!Has(offset, 1)) return std::nullopt;
    const size_t end = bytes_.find('\0', static_cast<size_t>(offset));
    if (end == std::string::npos) return std::nullopt;
    return bytes_.substr(static_cast<size_t>(offset), end - static_cast<size_t>(offset));
  }
  std::string Slice(uint64_t offset, uint64_t size) const {
    return bytes_.substr(static_cast<size_t>(offset), static_cast<size_t>(size));
  }

 private:
  const std::string& bytes_;
};

// The file offset of a relative virtual address, through the section that holds it.
std::optional<uint64_t> FileOffset(const std::vector<Section>& sections, uint32_t rva) {
  for (const Section& s : sections) {
    const uint32_t size = s.virtual_size > s.raw_size ? s.virtual_size : s.raw_size;
    if (rva >= s.virtual_address && rva - s.virtual_address < size) {
      const uint32_t into = rva - s.virtual_address;
      if (into >= s.raw_size) return std::nullopt;
      return uint64_t{s.raw_offset} + into;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<PeImage> ReadPeImage(const std::string& data, std::string* problem) {
  const Bytes bytes(data);
  auto fail = [problem](const std::string& why) {
    *problem = why;
    return std::nullopt;
  };
  if (!bytes.Has(0, 64) || data.compare(0, 2, "MZ") != 0) return fail("no MZ header");
  const uint32_t pe = bytes.U32(0x3c);
  if (!bytes.Has(pe, 24) || data.compare(pe, 4, std::string("PE\0\0", 4)) != 0) {
    return fail("no PE signature");
  }
  PeImage image;
  const uint64_t coff = pe + 4;
  image.machine = bytes.U16(coff);
  const uint16_t section_count = bytes.U16(coff + 2);
  const uint16_t optional_size = bytes.U16(coff + 16);
  const uint64_t optional = coff + 20;
  if (!bytes.Has(optional, optional_size) || optional_size < 96) return fail("short optional header");
  image.magic = bytes.U16(optional);
  if (image.magic != 0x10b) return fail("not a PE32 image");
  image.major_os_version = bytes.U16(optional + 40);
  image.minor_os_version = bytes.U16(optional + 42);
  image.major_subsystem_version = bytes.U16(optional + 48);
  image.minor_subsystem_version = bytes.U16(optional + 50);
  image.subsystem = bytes.U16(optional + 68);
  const uint32_t directory_count = bytes.U32(optional + 92);
  auto directory = [&](uint32_t index) -> std::pair<uint32_t, uint32_t> {
    const uint64_t at = optional + 96 + uint64_t{index} * 8;
    if (index >= directory_count || at + 8 > optional + optional_size) return {0, 0};
    return {bytes.U32(at), bytes.U32(at + 4)};
  };

  std::vector<Section> sections;
  const uint64_t table = optional + optional_size;
  if (!bytes.Has(table, uint64_t{section_count} * 40)) return fail("short section table");
  for (uint16_t i = 0; i < section_count; ++i) {
    const uint64_t at = table + uint64_t{i} * 40;
    sections.push_back({bytes.U32(at + 12), bytes.U32(at + 8), bytes.U32(at + 20), bytes.U32(at + 16)});
    const Section& s = sections.back();
    if (!bytes.Has(s.raw_offset, s.raw_size)) return fail("a section lies outside the file");
  }

  const auto [import_rva, import_size] = directory(1);
  if (import_rva != 0) {
    const std::optional<uint64_t> first = FileOffset(sections, import_rva);
    if (!first) return fail("the import directory lies outside the sections");
    for (uint64_t at = *first;; at += 20) {
      if (!bytes.Has(at, 20)) return fail("the import directory runs off the file");
      const uint32_t lookup = bytes.U32(at), name = bytes.U32(at + 12), thunks = bytes.U32(at + 16);
      if (lookup == 0 && name == 0 && thunks == 0) break;
      const std::optional<uint64_t> name_at = FileOffset(sections, name);
      const std::optional<std::string> dll = name_at ? bytes.Text(*name_at) : std::nullopt;
      const std::optional<uint64_t> list = FileOffset(sections, lookup != 0 ? lookup : thunks);
      if (!dll || !list) return fail("an import descriptor points outside the sections");
      for (uint64_t entry = *list;; entry += 4) {
        if (!bytes.Has(entry, 4)) return fail("an import list runs off the file");
        const uint32_t value = bytes.U32(entry);
        if (value == 0) break;
        PeImport import{*dll, "", 0};
        if ((value & 0x80000000u) != 0) {
          import.ordinal = static_cast<uint16_t>(value);
        } else {
          const std::optional<uint64_t> hint = FileOffset(sections, value);
          const std::optional<std::string> function = hint ? bytes.Text(*hint + 2) : std::nullopt;
          if (!function) return fail("an imported name lies outside the sections");
          import.function = *function;
        }
        image.imports.push_back(import);
      }
    }
  }
  (void)import_size;

  const auto [resource_rva, resource_size] = directory(2);
  if (resource_rva != 0) {
    const std::optional<uint64_t> at = FileOffset(sections, resource_rva);
    if (!at || !bytes.Has(*at, resource_size)) return fail("the resources lie outside the file");
    image.resources = bytes.Slice(*at, resource_size);
  }
  return image;
}

}  // namespace velsetup::testing
