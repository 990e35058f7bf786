#include "lab/host_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace velsetup::lab {

namespace {

constexpr const char kDosAttribute[] = "user.DOSATTRIB";

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what + ": " + std::strerror(errno);
  return false;
}

void CopyDosAttribute(int from_fd, int to_fd) {
  char value[64];
  const ssize_t size = ::fgetxattr(from_fd, kDosAttribute, value, sizeof value);
  if (size > 0) ::fsetxattr(to_fd, kDosAttribute, value, static_cast<size_t>(size), 0);
}

bool CopyFile(const std::string& from, const std::string& to, mode_t mode, std::string* error) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Fail(error, "cannot read " + from);
  ::unlink(to.c_str());
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode & 0777);
  if (out < 0) {
    ::close(in);
    return Fail(error, "cannot create " + to);
  }
  char buffer[65536];
  ssize_t got;
  bool ok = true;
  while ((got = ::read(in, buffer, sizeof buffer)) > 0) {
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out, buffer + done, static_cast<size_t>(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        ok = false;
        break;
      }
      done += put;
    }
    if (!ok) break;
  }
  if (got < 0) ok = false;
  if (ok) CopyDosAttribute(in, out);
  if (!ok) Fail(error, "cannot copy " + from + " to " + to);
  ::close(in);
  if (::close(out) != 0 && ok) ok = Fail(error, "cannot write " + to);
  return ok;
}

void CopyDirectoryAttribute(const std::string& from, const std::string& to) {
  char value[64];
  const ssize_t size = ::lgetxattr(from.c_str(), kDosAttribute, value, sizeof value);
  if (size > 0) ::lsetxattr(to.c_str(), kDosAttribute, value, static_cast<size_t>(size), 0);
}

}  // namespace

std::string RealPath(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string result = real;
  std::free(real);
  return result;
}

bool CopyTree(const std::string& from, const std::string& to,
              const std::vector<std::string>& skip, std::string* error) {
  if (::mkdir(to.c_str(), 0755) != 0 && errno != EEXIST) return Fail(error, "cannot create " + to);
  CopyDirectoryAttribute(from, to);
  std::vector<std::string> names;
  if (!ListDirectory(from, &names)) return Fail(error, "cannot list " + from);
  for (const std::string& name : names) {
    const std::string source = from + "/" + name;
    const std::string target = to + "/" + name;
    struct stat info;
    if (::lstat(source.c_str(), &info) != 0) continue;
    if (S_ISDIR(info.st_mode)) {
      bool skipped = false;
      for (const std::string& excluded : skip) skipped = skipped || RealPath(source) == excluded;
      if (!skipped && !CopyTree(source, target, skip, error)) return false;
    } else if (S_ISLNK(info.st_mode)) {
      char link[PATH_MAX];
      const ssize_t size = ::readlink(source.c_str(), link, sizeof link - 1);
      if (size < 0) continue;
      link[size] = '\0';
      ::unlink(target.c_str());
      if (::symlink(link, target.c_str()) != 0) return Fail(error, "cannot create " + target);
    } else if (S_ISREG(info.st_mode)) {
      if (!CopyFile(source, target, info.st_mode, error)) return false;
    }
  }
  return true;
}

void RemoveTree(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return;
  if (S_ISDIR(info.st_mode)) {
    DIR* listing = ::opendir(path.c_str());
    if (listing == nullptr) {
      // A program the script started may have left a directory closed to
      // its owner; the lab must still be able to clear its machine.
      ::chmod(path.c_str(), 0755);
      listing = ::opendir(path.c_str());
    }
    if (listing != nullptr) {
      std::vector<std::string> names;
      while (const dirent* entry = ::readdir(listing)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
      }
      ::closedir(listing);
      for (const std::string& name : names) RemoveTree(path + "/" + name);
    }
    ::rmdir(path.c_str());
  } else {
    ::unlink(path.c_str());
  }
}

bool ListDirectory(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  DIR* listing = ::opendir(path.c_str());
  if (listing == nullptr) return false;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names->push_back(name);
  }
  ::closedir(listing);
  return true;
}

bool WriteHostFile(const std::string& path, const std::string& bytes, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return Fail(error, "cannot create " + path);
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) return Fail(error, "cannot write " + path);
  return true;
}

bool ReadHostFile(const std::string& path, std::string* bytes) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  bytes->clear();
  char buffer[65536];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes->append(buffer, got);
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  return ok;
}

}  // namespace velsetup::lab
