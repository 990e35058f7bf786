// The file calls of the simulated machine on a drive C: of their own, with
// "C:\dir" made; C("dir/x") is the host path of C:\dir\x.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "host_test_support.h"
#include "platform/host/files/host_files.h"

namespace velsetup::host::testing {

inline WindowsPath DriveRoot() {
  WindowsPath root;
  ParseAbsoluteWindowsPath("C:\\", &root);
  return root;
}

class HostFilesFixture : public ::testing::Test {
 protected:
  HostFilesFixture()
      : paths_({{'C', dir_ / "drive_c"}}, DriveRoot()), files_(paths_, attributes_, last_error_) {}
  void SetUp() override {
    ASSERT_EQ(::mkdir(C("").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(C("dir").c_str(), 0755), 0);
  }
  std::string C(const std::string& name) { return dir_ / ("drive_c/" + name); }
  uint32_t Error() { return last_error_.code; }
  // The call failed and left `code` as the last error.
  ::testing::AssertionResult FailedWith(bool done, uint32_t code) {
    if (done) return ::testing::AssertionFailure() << "the call succeeded";
    if (last_error_.code != code) {
      return ::testing::AssertionFailure() << "last error " << last_error_.code << ", not " << code;
    }
    return ::testing::AssertionSuccess();
  }

  ScratchDir dir_;
  LastError last_error_;
  PathMapper paths_;
  DosAttributes attributes_;
  HostFiles files_;
};

}  // namespace velsetup::host::testing
