#include "platform/host/files/dos_attributes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/host/posix/errno_mapping.h"
#include "platform/host/posix/posix_io.h"
#include "platform/platform.h"

namespace velsetup::host {

namespace {

constexpr char kAttributeName[] = "user.DOSATTRIB";
constexpr char kSidecarSuffix[] = ":DOSATTRIB";

bool NoXattrSupport(int error_number) {
  return error_number == ENOTSUP || error_number == EOPNOTSUPP || error_number == ENOSYS;
}

bool ReadXattr(const std::string& host_path, std::string* value, bool* unsupported) {
  char buffer[64];
  const ssize_t length = ::getxattr(host_path.c_str(), kAttributeName, buffer, sizeof buffer);
  if (length < 0) {
    *unsupported = NoXattrSupport(errno);
    return false;
  }
  value->assign(buffer, static_cast<size_t>(length));
  return true;
}

bool ReadSidecar(const std::string& host_path, std::string* value) {
  const int fd = ::open(DosAttributes::SidecarOf(host_path).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char buffer[64];
  const ssize_t length = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (length < 0) return false;
  value->assign(buffer, static_cast<size_t>(length));
  return true;
}

// Written under a temporary name and renamed, so a reader never sees half.
uint32_t WriteSidecar(const std::string& host_path, const std::string& text) {
  const std::string sidecar = DosAttributes::SidecarOf(host_path);
  const std::string temporary = sidecar + "." + std::to_string(::getpid());
  return posix::WriteThenPlace(temporary, sidecar, text, posix::Placement::kReplace,
                              /*sync=*/false);
}

}  // namespace

std::string FormatDosAttributes(uint32_t bits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(bits));
  return text;
}

bool ParseDosAttributes(const std::string& raw, uint32_t* bits) {
  // One byte that is not a digit is the bits themselves (setfattr -v 0x21).
  if (raw.size() == 1 && !(raw[0] >= '0' && raw[0] <= '9')) {
    *bits = static_cast<unsigned char>(raw[0]);
    return true;
  }
  std::string value = raw;
  // Some writers store the terminating zero with the text.
  while (!value.empty() && (value.back() == '\0' || value.back() == '\n' || value.back() == ' ')) {
    value.pop_back();
  }
  if (value.empty()) return false;
  auto hex_digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  uint32_t result = 0;
  if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
    if (value.size() > 10) return false;
    for (size_t i = 2; i < value.size(); ++i) {
      const int digit = hex_digit(value[i]);
      if (digit < 0) return false;
      result = result * 16 + static_cast<uint32_t>(digit);
    }
  } else if (value[0] >= '0' && value[0] <= '9') {
    if (value.size() > 9) return false;
    for (char c : value) {
      if (c < '0' || c > '9') return false;
      result = result * 10 + static_cast<uint32_t>(c - '0');
    }
  } else {
    return false;
  }
  *bits = result;
  return true;
}

std::string DosAttributes::SidecarOf(const std::string& host_path) {
  std::string path = host_path;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path + kSidecarSuffix;
}

bool DosAttributes::IsSimulationFile(const std::string& host_name) {
  return host_name.find(':') != std::string::npos;
}

bool DosAttributes::IsSidecarName(const std::string& host_name, std::string* owner) {
  constexpr size_t kSuffix = sizeof kSidecarSuffix - 1;
  if (host_name.size() <= kSuffix ||
      host_name.compare(host_name.size() - kSuffix, kSuffix, kSidecarSuffix) != 0) {
    return false;
  }
  owner->assign(host_name, 0, host_name.size() - kSuffix);
  return true;
}

uint32_t DosAttributes::Stored(const std::string& host_path, bool is_directory,
                               bool may_have_sidecar) {
  std::string value;
  bool unsupported = !use_xattrs_;
  const bool found = (use_xattrs_ && ReadXattr(host_path, &value, &unsupported)) ||
                     (may_have_sidecar && ReadSidecar(host_path, &value));
  uint32_t bits = 0;
  if (found && ParseDosAttributes(value, &bits)) return bits & kStoredAttributes;
  return is_directory ? 0 : file_attribute::kArchive;
}

uint32_t DosAttributes::Reported(const std::string& host_path, bool is_directory,
                                 bool may_have_sidecar) {
  const uint32_t bits = Stored(host_path, is_directory, may_have_sidecar);
  if (is_directory) return bits | file_attribute::kDirectory;
  return bits == 0 ? file_attribute::kNormal : bits;
}

bool DosAttributes::IsReadOnly(const std::string& host_path) {
  // Files and directories differ only in the bits they have by default, and
  // neither default is read-only: no need to ask which one this is.
  return (Stored(host_path, false) & file_attribute::kReadOnly) != 0;
}

uint32_t DosAttributes::Store(const std::string& host_path, uint32_t bits) {
  const std::string text = FormatDosAttributes(bits & kStoredAttributes);
  if (use_xattrs_) {
    if (::setxattr(host_path.c_str(), kAttributeName, text.data(), text.size(), 0) == 0) {
      // A sidecar left from a copy of the machine on another file system
      // would otherwise keep speaking for the file.
      ::unlink(SidecarOf(host_path).c_str());
      return win32_error::kSuccess;
    }
    if (!NoXattrSupport(errno)) return Win32ErrorFromErrno(errno);
  }
  // The root of the host has no place beside it for a sidecar.
  if (host_path == "/") return win32_error::kAccessDenied;
  return WriteSidecar(host_path, text);
}

bool DosAttributes::StoreOnOpenFile(int fd, uint32_t bits) {
  if (!use_xattrs_) return false;
  const std::string text = FormatDosAttributes(bits & kStoredAttributes);
  return ::fsetxattr(fd, kAttributeName, text.data(), text.size(), 0) == 0;
}

void DosAttributes::Forget(const std::string& host_path) {
  ::unlink(SidecarOf(host_path).c_str());
}

}  // namespace velsetup::host
