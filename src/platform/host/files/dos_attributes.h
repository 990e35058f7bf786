// The read-only, hidden, system and archive attributes of the simulated
// machine's files, kept where Wine keeps them: the extended attribute
// user.DOSATTRIB, holding the text "0x%x" of the bits, so that a user or a test
// can look at them and set them with the attr tools:
//
//   setfattr -n user.DOSATTRIB -v '"0x1"' FILE   (the text, as Wine writes it)
//   setfattr -n user.DOSATTRIB -v 0x01 FILE      (one byte, setfattr's hex form)
//   getfattr -n user.DOSATTRIB FILE
//
// (setfattr reads a bare "0x1" as hex bytes and refuses its odd digit count.)
//
// Where the file system has no extended attributes, the same text goes into a
// sidecar file beside the file, named "<name>:DOSATTRIB". A ":" cannot appear
// in a Windows file name, so no path the tool is given can name the sidecar
// and no listing the tool makes can show it (IsSimulationFile).
#pragma once

#include <cstdint>
#include <string>

namespace velsetup::host {

// The bits that are stored; everything else a caller passes is dropped, as
// SetFileAttributesA drops the directory bit.
constexpr uint32_t kStoredAttributes = 0x1 | 0x2 | 0x4 | 0x20;

class DosAttributes {
 public:
  // `use_xattrs` false keeps every attribute in sidecars (tests use it; the
  // machine switches to sidecars by itself where xattrs are not supported).
  explicit DosAttributes(bool use_xattrs = true) : use_xattrs_(use_xattrs) {}

  // What GetFileAttributesA reports for an existing file or directory: a file
  // without stored bits has the archive bit only, a file whose bits are all
  // clear reports FILE_ATTRIBUTE_NORMAL, a directory adds 0x10 to its bits.
  // `may_have_sidecar` false, for an entry of a directory listing just read
  // that shows no sidecar beside it, skips the sidecar: a listing of a large
  // tree would otherwise try one open per entry in vain.
  uint32_t Reported(const std::string& host_path, bool is_directory,
                    bool may_have_sidecar = true);
  // The stored bits, or the default (archive for a file, none for a directory).
  uint32_t Stored(const std::string& host_path, bool is_directory, bool may_have_sidecar = true);
  bool IsReadOnly(const std::string& host_path);

  // Stores `bits & kStoredAttributes`. Returns 0 or a Win32 error.
  uint32_t Store(const std::string& host_path, uint32_t bits);
  // Stores the bits in the extended attribute of an open file only; false
  // (nothing stored) where the file system has none, so the caller falls back
  // to Store once the file has its final name.
  bool StoreOnOpenFile(int fd, uint32_t bits);
  // Drops what is kept beside a file that is gone.
  void Forget(const std::string& host_path);

  static std::string SidecarOf(const std::string& host_path);
  // The name of the file a sidecar speaks for, when `host_name` is one.
  static bool IsSidecarName(const std::string& host_name, std::string* owner);
  // Names of the simulation's own files, which the tool must never see.
  static bool IsSimulationFile(const std::string& host_name);

 private:
  bool use_xattrs_;
};

// The text the attribute holds ("0x21"), and its reading: "0x" and hex digits,
// decimal digits, or one raw byte; nothing for anything else.
std::string FormatDosAttributes(uint32_t bits);
bool ParseDosAttributes(const std::string& value, uint32_t* bits);

}  // namespace velsetup::host
