// The real machine: every call passes straight to the Win32 A function of the
// same name. Nothing here adds behaviour of its own.
#pragma once

#include <memory>

#include "platform/platform.h"

namespace velsetup::win32 {

// Owns one object a seam interface; they live as long as this does. Their
// classes stay inside win32_platform.cpp, as nothing else names them.
class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Platform platform() const { return platform_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  Platform platform_;
};

}  // namespace velsetup::win32
