#include "engine/section_reader.h"

#include <new>

#include "engine/install_log.h"
#include "engine/run_state.h"
#include "engine/platform_queries.h"

namespace velsetup {

namespace {

constexpr uint32_t kFirstSize = 260;
constexpr uint32_t kWin9xLimit = 32768;

void WarnTooLarge() { WriteLog("WARINING", "-=-Section Size is to large for Win9X"); }

// Reads the section into `buffer` of `size` bytes; the count the call gives,
// or nothing when the memory for the buffer cannot be had.
std::optional<uint32_t> ReadInto(std::string* buffer, uint32_t size, const std::string& section,
                                 const std::string& file) {
  // The smaller buffer of the last round goes first: a large section would
  // otherwise hold both at once.
  std::string().swap(*buffer);
  // Running out of memory is an answer here, not an error: the heap is asked
  // first, without an exception (the Windows program is built without them).
  // One thread only, so the block just freed is there for the string.
  void* room = ::operator new(size, std::nothrow);
  if (room == nullptr) return std::nullopt;
  ::operator delete(room);
  buffer->assign(size, '\0');
  return Profile().GetPrivateProfileSectionA(section.c_str(), &(*buffer)[0], size, file.c_str());
}

}  // namespace

std::optional<std::string> ReadSection(const std::string& section, const std::string& file) {
  uint32_t size = kFirstSize;
  std::string buffer;
  for (;;) {
    const std::optional<uint32_t> read = ReadInto(&buffer, size, section, file);
    if (!read) return std::nullopt;
    const uint32_t count = *read;
    if (count + 2 < size) {
      if (count == 0) return std::nullopt;
      buffer.resize(count + 1);  // the lines and the block's final zero
      return buffer;
    }
    const uint32_t next = size * 2;
    if (next > kWin9xLimit && (IsWin98() || IsWin95())) {
      WarnTooLarge();
      // The cut block of the last read. The cut falls wherever the buffer
      // ended, often inside a line, and a line cut short is another line:
      // "C:\old.txt.bak" would delete C:\old.txt. So the block ends after
      // its last whole line; the line the cut falls into (even one that
      // happens to end right at the cut) is left out with the rest. The
      // block still ends in two zeros, since every reader walks to the
      // empty line.
      size_t end = count < size - 2 ? count : size - 2;
      if (end > 0 && buffer[end - 1] != '\0') {
        const size_t last_zero = buffer.rfind('\0', end - 1);
        end = last_zero == std::string::npos ? 0 : last_zero + 1;
      }
      buffer.resize(end);
      buffer.push_back('\0');
      if (end == 0) buffer.push_back('\0');
      return buffer;
    }
    size = next;
  }
}

std::vector<std::string_view> BlockLines(const std::string& block) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < block.size() && block[start] != '\0') {
    size_t end = block.find('\0', start);
    if (end == std::string::npos) end = block.size();
    lines.emplace_back(block.data() + start, end - start);
    start = end + 1;
  }
  return lines;
}

uint32_t GetProfileSectionSize(const std::string& section, const std::string& file) {
  uint32_t size = kFirstSize;
  std::string buffer;
  for (;;) {
    const std::optional<uint32_t> read = ReadInto(&buffer, size, section, file);
    if (!read) {
      WriteLog("GetProfileSectionSize()", "malloc returned a NULL pointer");
      return 0;
    }
    const uint32_t count = *read;
    if (count + 2 < size) return count;
    const uint32_t next = size * 2;
    if (next > kWin9xLimit) {
      WarnTooLarge();
      return size;
    }
    size = next;
  }
}

}  // namespace velsetup
