// The simulated machine never changes the host outside its directory: drives
// mapping host directories outside it are read-only (error 19, as for a
// write-protected medium) unless machine.ini lends them, links cannot carry a
// write off such a drive, and a drive on a missing directory is refused.
#include <gtest/gtest.h>
#include <unistd.h>

#include "host_test_support.h"
#include "host_tree_snapshot.h"
#include "platform/host/machine/host_platform.h"

namespace velsetup::host {
namespace {

using namespace testing;

class SandboxTest : public ::testing::Test {
 protected:
  // The machine lies in machine/, the host directory it must not change in
  // host/ (mapped as D:, with Z: at the host's root as ever).
  void Open(const std::string& extra_ini = "") {
    ::mkdir((dir_ / "machine").c_str(), 0755);
    ::mkdir(host_.c_str(), 0755);
    WriteHostFile(host_ + "/kit.txt", "kit file");
    WriteHostFile(host_ + "/kit.ini", "[S]\nK=1\n");
    ::mkdir((host_ + "/sub").c_str(), 0755);
    WriteHostFile(dir_ / "machine/machine.ini",
                  "[Machine]\nOS=win2000\n[Drives]\nD=" + host_ + "\n" + extra_ini);
    std::string error;
    machine_ = HostPlatform::Open(dir_ / "machine", "/velsetup", &error);
    ASSERT_TRUE(machine_) << error;
    p_ = machine_->platform();
    WriteHostFile(dir_ / "machine/drive_c/boot.ini", "[boot loader]\n");
  }
  uint32_t Error() { return p_.system->GetLastError(); }
  std::string Z(const std::string& host_path) {
    std::string path = "Z:";
    for (char c : host_path) path += c == '/' ? '\\' : c;
    return path;
  }

  ScratchDir dir_;
  std::string host_ = dir_ / "host";
  std::unique_ptr<HostPlatform> machine_;
  Platform p_;
};

TEST_F(SandboxTest, EveryChangeOnADriveOutsideTheMachineFailsAsWriteProtected) {
  Open();
  const auto before = TreeSnapshot(host_);
  FileApi& files = *p_.files;
  for (const std::string& root : {std::string("D:"), Z(host_)}) {
    SCOPED_TRACE(root);
    EXPECT_FALSE(files.DeleteFileA((root + "\\kit.txt").c_str()));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.CopyFileA("C:\\boot.ini", (root + "\\kit.txt").c_str(), false));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.CopyFileA((root + "\\kit.txt").c_str(), (root + "\\new.txt").c_str(), true));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.MoveFileA((root + "\\kit.txt").c_str(), "C:\\moved.txt"));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.MoveFileExA((root + "\\kit.txt").c_str(), (root + "\\kit2.txt").c_str(),
                                   move_file::kReplaceExisting));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.SetFileAttributesA((root + "\\kit.txt").c_str(), file_attribute::kHidden));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.AppendText((root + "\\log.txt").c_str(), "line\n"));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.WriteNewFile((root + "\\kit.txt").c_str(), "new"));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.CreateDirectoryA((root + "\\newdir").c_str()));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(files.RemoveDirectoryA((root + "\\sub").c_str()));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(p_.profile->WritePrivateProfileStringA("S", "K", "2", (root + "\\kit.ini").c_str()));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);
    EXPECT_FALSE(p_.profile->WritePrivateProfileSectionA("S", nullptr, (root + "\\kit.ini").c_str()));
    EXPECT_EQ(Error(), win32_error::kWriteProtect);

    // What needs no change answers as on any drive.
    EXPECT_FALSE(files.DeleteFileA((root + "\\missing.txt").c_str()));
    EXPECT_EQ(Error(), win32_error::kFileNotFound);
    EXPECT_FALSE(files.CreateDirectoryA((root + "\\sub").c_str()));
    EXPECT_EQ(Error(), win32_error::kAlreadyExists);
    std::string bytes;
    EXPECT_TRUE(files.ReadWholeFile((root + "\\kit.txt").c_str(), &bytes));
    EXPECT_EQ(bytes, "kit file");
    char value[8];
    p_.profile->GetPrivateProfileStringA("S", "K", "", value, sizeof value,
                                         (root + "\\kit.ini").c_str());
    EXPECT_STREQ(value, "1");
  }
  // The kit can be copied from onto the machine's own drive.
  EXPECT_TRUE(files.CopyFileA("D:\\kit.txt", "C:\\kit.txt", false)) << Error();
  EXPECT_EQ(ReadHostFile(dir_ / "machine/drive_c/kit.txt"), "kit file");
  EXPECT_EQ(TreeSnapshot(host_), before);
}

TEST_F(SandboxTest, ALinkOnTheMachinesDriveCarriesNoWriteOntoTheHost) {
  Open();
  const auto before = TreeSnapshot(host_);
  // Z: shows the link's target, so the link is followed, for reading only.
  ASSERT_EQ(::symlink(host_.c_str(), (dir_ / "machine/drive_c/out").c_str()), 0);
  std::string bytes;
  EXPECT_TRUE(p_.files->ReadWholeFile("C:\\out\\kit.txt", &bytes));
  EXPECT_FALSE(p_.files->DeleteFileA("C:\\out\\kit.txt"));
  EXPECT_EQ(Error(), win32_error::kWriteProtect);
  EXPECT_FALSE(p_.files->CopyFileA("C:\\boot.ini", "C:\\out\\sub\\x.txt", false));
  EXPECT_EQ(Error(), win32_error::kWriteProtect);
  EXPECT_FALSE(p_.profile->WritePrivateProfileStringA("S", "K", "2", "C:\\out\\kit.ini"));
  EXPECT_EQ(Error(), win32_error::kWriteProtect);
  EXPECT_EQ(TreeSnapshot(host_), before);
}

TEST_F(SandboxTest, DriveAccessLendsADriveOrMakesOneReadOnly) {
  Open("E=drive_e\n[DriveAccess]\nD=writable\ne=Read-Only\n");
  EXPECT_TRUE(p_.files->CopyFileA("D:\\kit.txt", "D:\\copy.txt", true)) << Error();
  EXPECT_EQ(ReadHostFile(host_ + "/copy.txt"), "kit file");
  EXPECT_TRUE(HostExists(dir_ / "machine/drive_e"));
  EXPECT_FALSE(p_.files->CreateDirectoryA("E:\\dir"));
  EXPECT_EQ(Error(), win32_error::kWriteProtect);
  // Z: stays read-only when another drive is lent.
  EXPECT_FALSE(p_.files->DeleteFileA(Z(host_ + "/copy.txt").c_str()));
  EXPECT_EQ(Error(), win32_error::kWriteProtect);
}

TEST_F(SandboxTest, ADriveOnAMissingHostDirectoryIsRefusedAndNothingIsMade) {
  ::mkdir((dir_ / "machine").c_str(), 0755);
  WriteHostFile(dir_ / "machine/machine.ini",
                "[Drives]\nD=" + (dir_ / "nonexistent/dir") + "\n[DriveAccess]\nD=writable\n");
  std::string error;
  EXPECT_FALSE(HostPlatform::Open(dir_ / "machine", "/velsetup", &error));
  EXPECT_NE(error.find("drive D:"), std::string::npos) << error;
  EXPECT_NE(error.find(dir_ / "nonexistent/dir"), std::string::npos) << error;
  EXPECT_FALSE(HostExists(dir_ / "nonexistent"));
  EXPECT_FALSE(HostExists(dir_ / "machine/drive_c")) << "a refused machine is left as it was";

  // A directory inside the machine is made, as ever.
  WriteHostFile(dir_ / "machine/machine.ini", "[Drives]\nD=drive_d\n");
  EXPECT_TRUE(HostPlatform::Open(dir_ / "machine", "/velsetup", &error)) << error;
  EXPECT_TRUE(HostExists(dir_ / "machine/drive_d"));
}

TEST_F(SandboxTest, MistakesInTheDriveSectionsAreNamed) {
  ::mkdir((dir_ / "machine").c_str(), 0755);
  WriteHostFile(dir_ / "machine/machine.ini",
                "[Drives]\nD=drive_d\nd=drive_x\nDD=drive_y\n[DriveAccess]\nD=yes\n");
  ::testing::internal::CaptureStderr();
  std::string error;
  auto machine = HostPlatform::Open(dir_ / "machine", "/velsetup", &error);
  const std::string warnings = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(machine) << error;
  EXPECT_NE(warnings.find("[Drives] D is given more than once; only the first is used"),
            std::string::npos) << warnings;
  EXPECT_NE(warnings.find("[Drives] DD= is not a drive letter"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("[DriveAccess] D=yes is neither writable nor read-only"),
            std::string::npos) << warnings;
  EXPECT_TRUE(HostExists(dir_ / "machine/drive_d"));
  EXPECT_FALSE(HostExists(dir_ / "machine/drive_x"));
}

}  // namespace
}  // namespace velsetup::host

namespace velsetup::host {
namespace {

TEST(SandboxDrivesTest, ADriveDirectoryThatLinksOutOfTheMachineIsReadOnlyToo) {
  ScratchDir dir;
  ::mkdir((dir / "machine").c_str(), 0755);
  ::mkdir((dir / "host").c_str(), 0755);
  WriteHostFile(dir / "host/file.txt", "host");
  // drive_d looks like the machine's own; it is the host's directory.
  ASSERT_EQ(::symlink((dir / "host").c_str(), (dir / "machine/drive_d").c_str()), 0);
  WriteHostFile(dir / "machine/machine.ini", "[Drives]\nC=" + (dir / "host") + "\nD=drive_d\n");
  const auto before = TreeSnapshot(dir / "host");
  ::testing::internal::CaptureStderr();
  std::string error;
  auto machine = HostPlatform::Open(dir / "machine", "/velsetup", &error);
  const std::string warnings = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(machine) << error;
  // Not even the Windows directory is made on a C: outside the machine.
  EXPECT_NE(warnings.find("drive C: is read-only"), std::string::npos) << warnings;
  Platform p = machine->platform();
  EXPECT_FALSE(p.files->DeleteFileA("D:\\file.txt"));
  EXPECT_EQ(p.system->GetLastError(), win32_error::kWriteProtect);
  EXPECT_FALSE(p.files->CreateDirectoryA("C:\\WINNT"));
  EXPECT_EQ(p.system->GetLastError(), win32_error::kWriteProtect);
  EXPECT_EQ(TreeSnapshot(dir / "host"), before);
}

}  // namespace
}  // namespace velsetup::host
