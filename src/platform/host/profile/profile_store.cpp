#include "platform/host/profile/profile_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/host/posix/errno_mapping.h"
#include "platform/host/machine/fault_injection.h"
#include "platform/host/files/file_locks.h"
#include "platform/host/posix/posix_io.h"
#include "platform/host/profile/shrink_journal.h"
#include "platform/platform.h"
#include "profile/profile_document.h"

namespace velsetup::host {

using profile::LineMeaning;
using profile::ParseProfileInteger;
using profile::ProfileDocument;
using profile::ProfileEdit;
using profile::ProfileSection;
using profile::ReadLine;

namespace {

using posix::OpenFile;

// What tells one state of a file from another without reading it. The change
// time moves with every write, also one that keeps the size and the
// modification time a writer may have set back.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  timespec changed{};

  static FileIdentity Of(const struct stat& info) {
    return FileIdentity{info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
  }
  bool operator==(const FileIdentity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           modified.tv_sec == other.modified.tv_sec &&
           modified.tv_nsec == other.modified.tv_nsec &&
           changed.tv_sec == other.changed.tv_sec && changed.tv_nsec == other.changed.tv_nsec;
  }
};

struct CachedFile {
  FileIdentity identity;
  ProfileDocument document;
  // Kept open for writing while the file is the one parsed, so that a run
  // that stores its progress after every command does not open and close
  // the working copy each time. Not open when the file cannot be written.
  OpenFile writable;
  // The journal of shrinks, opened at the first one.
  OpenFile journal;
};

// GetPrivateProfileIntA reads the value into a buffer of this many characters.
constexpr uint32_t kIntBuffer = 30;
// Files kept parsed at once; a run touches a handful.
constexpr size_t kCacheLimit = 64;

void SetError(uint32_t* error, uint32_t code) {
  if (error != nullptr) *error = code;
}

// Copies `text` cut to the buffer, terminated; returns the characters copied.
uint32_t CopyString(std::string_view text, char* buffer, uint32_t size) {
  const size_t count = text.size() < size - 1 ? text.size() : size - 1;
  if (count > 0) std::memcpy(buffer, text.data(), count);
  buffer[count] = '\0';
  return static_cast<uint32_t>(count);
}

// Writes a list of zero-terminated items with the list's own terminator,
// item by item, so that a caller need not build the list first. A list that
// does not fit with room to spare is cut after `size - 2` characters,
// wherever that falls, and ends in two zeros; the call then returns
// `size - 2`, as Windows NT does (so a list that fits exactly is reported as
// cut too).
class ListWriter {
 public:
  ListWriter(char* buffer, uint32_t size)
      : buffer_(buffer), size_(size), limit_(size >= 2 ? size - 2 : 0) {}

  // One item, the concatenation of the parts. False once the list is cut:
  // what follows cannot change what is written.
  bool Add(std::string_view first, std::string_view second = {},
           std::string_view third = {}) {
    has_items_ = true;
    if (size_ < 2 || written_ >= limit_) return Cut();
    for (std::string_view part : {first, second, third}) {
      const uint64_t room = limit_ - written_;
      const uint64_t count = part.size() < room ? part.size() : room;
      if (count > 0) std::memcpy(buffer_ + written_, part.data(), count);
      written_ += count;
      if (count < part.size()) return Cut();
    }
    if (written_ >= limit_) return Cut();
    buffer_[written_++] = '\0';
    return true;
  }

  // Terminates the list; the characters written before its final zero.
  uint32_t Finish() {
    if (size_ == 0) return 0;
    if (size_ == 1 || !has_items_) {
      buffer_[0] = '\0';
      if (size_ > 1) buffer_[1] = '\0';
      return 0;
    }
    buffer_[written_] = '\0';
    if (cut_) buffer_[written_ + 1] = '\0';
    return static_cast<uint32_t>(written_);
  }

 private:
  bool Cut() {
    cut_ = true;
    return false;
  }

  char* buffer_;
  uint32_t size_;
  uint64_t limit_;
  uint64_t written_ = 0;
  bool has_items_ = false;
  bool cut_ = false;
};

uint32_t CopyList(const std::vector<std::string>& items, char* buffer, uint32_t size) {
  ListWriter list(buffer, size);
  for (const std::string& item : items) {
    if (!list.Add(item)) break;
  }
  return list.Finish();
}

std::string_view DefaultValue(const char* default_value) {
  std::string_view text = default_value == nullptr ? "" : default_value;
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// The entries of a section as GetPrivateProfileSectionA lists them
// ("name=value" or a bare "name", blank lines and comments left out),
// written straight into the caller's buffer. A reader that doubles its buffer until
// a large section fits calls this once per size: each call handles only the
// lines that reach its buffer.
uint32_t CopySectionLines(const ProfileSection& section, char* buffer, uint32_t size) {
  ListWriter list(buffer, size);
  for (size_t i = section.has_header ? 1 : 0; i < section.lines.size(); ++i) {
    const LineMeaning meaning = ReadLine(section.lines[i].text);
    if (meaning.kind != LineMeaning::kEntry) continue;
    const bool more = meaning.has_equals ? list.Add(meaning.name, "=", meaning.value)
                                         : list.Add(meaning.name);
    if (!more) break;
  }
  return list.Finish();
}

// Key names of a section: entries with an '=' and a name.
std::vector<std::string> KeyNames(const ProfileSection& section) {
  std::vector<std::string> names;
  for (size_t i = section.has_header ? 1 : 0; i < section.lines.size(); ++i) {
    const LineMeaning meaning = ReadLine(section.lines[i].text);
    if (meaning.kind == LineMeaning::kEntry && meaning.has_equals && !meaning.name.empty())
      names.emplace_back(meaning.name);
  }
  return names;
}

std::vector<std::string> SectionNames(const ProfileDocument& document) {
  std::vector<std::string> names;
  for (const ProfileSection& section : document.sections()) {
    if (!section.has_header) continue;
    const LineMeaning header = ReadLine(section.lines[0].text);
    if (!header.name.empty()) names.emplace_back(header.name);
  }
  return names;
}

}  // namespace

struct ProfileStore::Impl {
  std::unordered_map<std::string, CachedFile> cache;

  ~Impl() { DropAll(); }

  // Forgets every parsed file; their journals, all finished, go with them.
  void DropAll() {
    for (auto& [path, file] : cache) {
      if (file.journal.get() >= 0) shrink_journal::Remove(path);
    }
    cache.clear();
  }

  // The parsed file, or null with `*error` set: 2 for a missing file.
  CachedFile* Load(const std::string& host_path, uint32_t* error) {
    struct stat info;
    if (host_path.empty() || ::stat(host_path.c_str(), &info) != 0) {
      cache.erase(host_path);
      SetError(error, Win32ErrorFromErrno(host_path.empty() ? ENOENT : errno));
      return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
      cache.erase(host_path);
      SetError(error, win32_error::kAccessDenied);
      return nullptr;
    }
    const FileIdentity identity = FileIdentity::Of(info);
    auto found = cache.find(host_path);
    if (found != cache.end() && found->second.identity == identity) return &found->second;

    // The old parse goes before the file is read again, so that a changed
    // file is never held twice, as text or parsed; whatever the read gives,
    // the old parse is of no use any more.
    if (found != cache.end()) found->second.document = ProfileDocument();
    std::string bytes;
    // The size of a moment ago: the text grows in place instead of doubling
    // past it (a file that grew meanwhile only costs one more step).
    bytes.reserve(static_cast<size_t>(info.st_size));
    OpenFile writable;
    if (found == cache.end()) shrink_journal::FinishPending(host_path);
    if (!ReadWhole(host_path, &bytes, &writable, error)) {
      cache.erase(host_path);
      return nullptr;
    }
    if (cache.size() >= kCacheLimit) DropAll();
    CachedFile& file = cache[host_path];
    // The identity follows the parse that matches it.
    file.document = ProfileDocument::Parse(bytes);
    file.identity = identity;
    file.writable = std::move(writable);
    return &file;
  }

  // Reads through a descriptor that can also write, kept in `*writable`;
  // a file this process may only read is read all the same.
  static bool ReadWhole(const std::string& host_path, std::string* bytes, OpenFile* writable,
                        uint32_t* error) {
    int fd = ::open(host_path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY);
    const bool can_write = fd >= 0;
    if (!can_write) fd = ::open(host_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
      SetError(error, Win32ErrorFromErrno(errno));
      return false;
    }
    OpenFile file(fd);
    char chunk[65536];
    uint64_t offset = 0;
    for (;;) {
      const ssize_t count = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(offset));
      if (count < 0 && errno == EINTR) continue;
      if (count < 0) {
        SetError(error, Win32ErrorFromErrno(errno));
        return false;
      }
      if (count == 0) break;
      bytes->append(chunk, static_cast<size_t>(count));
      offset += static_cast<uint64_t>(count);
    }
    if (can_write) *writable = std::move(file);
    return true;
  }

  // Whether another process holds a lock on the file (any lock, or only an
  // exclusive one): probed through the kept descriptor while it is still the
  // file at that path.
  bool IsLockedByOther(const std::string& host_path, bool exclusive_only) {
    struct stat info;
    if (::stat(host_path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    auto found = cache.find(host_path);
    if (found != cache.end() && found->second.writable.get() >= 0 &&
        found->second.identity == FileIdentity::Of(info)) {
      const int fd = found->second.writable.get();
      return exclusive_only ? IsLockedExclusivelyByAnotherProcess(fd) : IsLockedByAnotherProcess(fd);
    }
    return exclusive_only ? IsLockedExclusivelyByAnotherProcess(host_path)
                          : IsLockedByAnotherProcess(host_path);
  }

  // The parsed file for a read, or null: a file another program holds
  // without read sharing cannot be opened, and reads as missing with a
  // sharing violation.
  CachedFile* LoadForRead(const std::string& host_path, uint32_t* error) {
    CachedFile* file = Load(host_path, error);
    if (file != nullptr && IsLockedByOther(host_path, true)) {
      SetError(error, win32_error::kSharingViolation);
      return nullptr;
    }
    return file;
  }

  // One change to a section of the file at `host_path`, loaded (or made) for
  // the change and written back; a write that names no section finds no file.
  bool Edit(const char* section, const std::string& host_path, uint32_t* error,
            const std::function<ProfileEdit(ProfileDocument&)>& change) {
    if (section == nullptr) {
      SetError(error, win32_error::kFileNotFound);
      return false;
    }
    bool create = false;
    CachedFile* file = LoadForWrite(host_path, &create, error);
    if (file == nullptr) return false;
    const ProfileEdit edit = change(file->document);
    return Commit(host_path, *file, edit, create, error);
  }

  // Applies `edit` to the file on disk: only the bytes from its offset on are
  // written, so a run that moves one counter rewrites one line. A process
  // killed at any moment leaves the old file or the new one: a line of the
  // same length is one write, a longer one writes the new tail over the old
  // in one go, and a file that shrinks goes through its journal.
  bool Commit(const std::string& host_path, CachedFile& file, const ProfileEdit& edit,
              bool create, uint32_t* error) {
    if (!edit.changed && !create) return true;
    if (file.writable.get() < 0) {
      file.writable = OpenFile(
          ::open(host_path.c_str(), O_WRONLY | O_CLOEXEC | (create ? O_CREAT : 0), 0666));
    }
    const int fd = file.writable.get();
    const bool shrinks = edit.changed && !edit.in_place && !create &&
                         file.document.size() < static_cast<uint64_t>(file.identity.size);
    uint32_t failure = fd >= 0 ? win32_error::kSuccess : Win32ErrorFromErrno(errno);
    if (failure == win32_error::kSuccess && edit.changed) {
      if (edit.in_place) {
        failure = posix::WriteAllAt(fd, edit.replacement, edit.offset);
        if (failure == win32_error::kSuccess) fault::Wrote();
      } else {
        const std::string tail = file.document.BytesFrom(edit.offset);
        // Without a journal (none can be made there) the shrink goes on
        // unguarded rather than failing.
        const bool journaled =
            shrinks && shrink_journal::Record(host_path, &file.journal,
                                              {file.identity.device, file.identity.inode,
                                               static_cast<uint64_t>(file.identity.size),
                                               edit.offset, file.document.size()},
                                              tail);
        failure = posix::WriteAllAt(fd, tail, edit.offset);
        if (failure == win32_error::kSuccess) fault::Wrote();
        if (failure == win32_error::kSuccess && shrinks) {
          if (::ftruncate(fd, static_cast<off_t>(file.document.size())) != 0) {
            failure = Win32ErrorFromErrno(errno);
          } else {
            fault::Wrote();
          }
        }
        // The record is done with; a reader that finds it still valid
        // finishes what is finished already.
        if (failure == win32_error::kSuccess && journaled) {
          failure = shrink_journal::MarkDone(file.journal.get());
        }
      }
    }
    struct stat info;
    if (failure == win32_error::kSuccess && ::fstat(fd, &info) != 0) {
      failure = Win32ErrorFromErrno(errno);
    }
    if (failure != win32_error::kSuccess) {
      // What reached the disk is unknown: read it again next time.
      cache.erase(host_path);
      SetError(error, failure);
      return false;
    }
    file.identity = FileIdentity::Of(info);
    return true;
  }

  // The file's document for an edit: a missing file is an empty one.
  CachedFile* LoadForWrite(const std::string& host_path, bool* create, uint32_t* error) {
    uint32_t load_error = 0;
    CachedFile* file = Load(host_path, &load_error);
    *create = false;
    if (file != nullptr) return file;
    if (load_error != win32_error::kFileNotFound) {
      SetError(error, load_error);
      return nullptr;
    }
    *create = true;
    CachedFile& fresh = cache[host_path];
    fresh.document = ProfileDocument::Parse("");
    return &fresh;
  }
};

ProfileStore::ProfileStore() : impl_(new Impl) {}
ProfileStore::~ProfileStore() = default;

void ProfileStore::Forget() { impl_->DropAll(); }

bool ProfileStore::IsLockedByOther(const std::string& host_path) {
  return impl_->IsLockedByOther(host_path, false);
}

uint32_t ProfileStore::GetString(const char* section, const char* key, const char* default_value,
                                 char* buffer, uint32_t size, const std::string& host_path,
                                 uint32_t* error) {
  if (buffer == nullptr || size == 0) return 0;
  CachedFile* file = impl_->LoadForRead(host_path, error);
  if (section == nullptr) {
    if (file == nullptr) return CopyString("", buffer, size);
    return CopyList(SectionNames(file->document), buffer, size);
  }
  const ProfileSection* found_section =
      file == nullptr ? nullptr : file->document.FindSection(section);
  if (key == nullptr) {
    if (found_section == nullptr) return CopyString("", buffer, size);
    return CopyList(KeyNames(*found_section), buffer, size);
  }
  if (found_section != nullptr) {
    const long line = file->document.FindKey(*found_section, key);
    if (line >= 0) {
      const LineMeaning meaning = ReadLine(found_section->lines[static_cast<size_t>(line)].text);
      if (meaning.has_equals) return CopyString(profile::Unquoted(meaning.value), buffer, size);
    }
  }
  return CopyString(DefaultValue(default_value), buffer, size);
}

uint32_t ProfileStore::GetInt(const char* section, const char* key, int32_t default_value,
                              const std::string& host_path, uint32_t* error) {
  const uint32_t fallback = static_cast<uint32_t>(default_value);
  // A null section or key reads the list of names, as the string read does,
  // and its first name is what gets converted.
  char buffer[kIntBuffer];
  if (GetString(section, key, "", buffer, kIntBuffer, host_path, error) == 0) return fallback;
  return ParseProfileInteger(buffer);
}

uint32_t ProfileStore::GetSection(const char* section, char* buffer, uint32_t size,
                                  const std::string& host_path, uint32_t* error) {
  if (section == nullptr || buffer == nullptr || size == 0) {
    SetError(error, win32_error::kInvalidParameter);
    return 0;
  }
  CachedFile* file = impl_->LoadForRead(host_path, error);
  if (file == nullptr) return CopyString("", buffer, size);
  SetError(error, win32_error::kSuccess);
  const ProfileSection* found = file->document.FindSection(section);
  if (found == nullptr) return CopyList({}, buffer, size);
  return CopySectionLines(*found, buffer, size);
}

bool ProfileStore::WriteString(const char* section, const char* key, const char* value,
                               const std::string& host_path, uint32_t* error) {
  if (section == nullptr && key == nullptr && value == nullptr) {
    // Every write is on disk when the call returns; there is nothing left to
    // flush, and Windows reports the flush as done. The parsed file stays:
    // it is what the disk holds.
    return true;
  }
  return impl_->Edit(section, host_path, error, [&](ProfileDocument& document) {
    if (key == nullptr) return document.DeleteSection(section);
    if (value == nullptr) return document.DeleteKey(section, key);
    return document.SetValue(section, key, value);
  });
}

bool ProfileStore::WriteSection(const char* section, const char* data,
                                const std::string& host_path, uint32_t* error) {
  return impl_->Edit(section, host_path, error, [&](ProfileDocument& document) {
    if (data == nullptr) return document.DeleteSection(section);
    std::vector<std::string> lines;
    for (const char* item = data; *item != '\0'; item += std::strlen(item) + 1) lines.emplace_back(item);
    return document.ReplaceSection(section, lines);
  });
}

std::string ProfileStore::ReadString(const std::string& host_path, const std::string& section,
                                     const std::string& key, const std::string& default_value) {
  std::vector<char> buffer(65536);
  uint32_t error = 0;
  const uint32_t length = GetString(section.c_str(), key.c_str(), default_value.c_str(),
                                    buffer.data(), static_cast<uint32_t>(buffer.size()),
                                    host_path, &error);
  return std::string(buffer.data(), length);
}

}  // namespace velsetup::host
