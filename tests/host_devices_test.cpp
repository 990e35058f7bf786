#include "platform/host/devices/host_devices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cmos/register_block.h"
#include "simulated_machine_fixture.h"

namespace velsetup::host {
namespace {

using cmos::Block9x;
using cmos::BlockNt;
using cmos::TwoWords;

constexpr const char* kVxd = "\\\\.\\HWAINT15.VXD";
constexpr const char* kNt = "\\\\.\\HWAMgmt12";
constexpr const char* kNtImage = "C:\\WINNT\\system32\\Drivers\\HWAMgmt.Sys";

class HostDevicesTest : public testing::SimulatedMachineTest {
 protected:
  // DeviceIoControl: 0, or the last error of the failed call.
  uint32_t Control(DeviceHandle device, uint32_t code, const void* in, uint32_t in_size,
                   void* out, uint32_t out_size, uint32_t* returned = nullptr) {
    uint32_t count = 0;
    const bool done = p_.devices->DeviceIoControl(device, code, in, in_size, out, out_size, &count);
    if (returned != nullptr) *returned = count;
    return done ? 0 : Error();
  }
  DeviceHandle OpenVxd() {
    WriteC("WINDOWS/SYSTEM/HWAInt15.VxD");
    return p_.devices->OpenDevice(kVxd);
  }
  // One BIOS call through the Windows 9x driver.
  Block9x Bios9x(DeviceHandle device, uint8_t al, uint8_t bl = 0, uint8_t bh = 0, uint16_t cx = 0) {
    Block9x in, out;
    in.SetAx(al, 0xE8);
    in.SetBx(bl, bh);
    in.SetCx(cx);
    EXPECT_EQ(Control(device, 1, in.bytes.data(), Block9x::kSize, out.bytes.data(), Block9x::kSize), 0u);
    return out;
  }
};

TEST_F(HostDevicesTest, Win9xDriverOpensOnlyWhereWindows9xLoadsIt) {
  Open("win98");
  EXPECT_EQ(p_.devices->OpenDevice(kVxd), kInvalidDevice);
  EXPECT_EQ(Error(), 2u) << "no HWAInt15.VxD in the system directory";
  const DeviceHandle device = OpenVxd();
  ASSERT_NE(device, kInvalidDevice);
  EXPECT_EQ(p_.devices->OpenDevice("\\\\.\\hwaint15.vxd"), kInvalidDevice);
  EXPECT_EQ(Error(), 5u) << "opened unshared";
  EXPECT_TRUE(p_.devices->CloseDevice(device));
  EXPECT_FALSE(p_.devices->CloseDevice(device));
  EXPECT_EQ(Error(), 6u);
  const DeviceHandle again = p_.devices->OpenDevice("\\\\.\\hwaint15.vxd");
  EXPECT_NE(again, kInvalidDevice);
  EXPECT_EQ(p_.devices->OpenDevice(kNt), kInvalidDevice) << "no NT driver on Windows 98";
  EXPECT_EQ(Error(), 2u);

  for (const char* os : {"win2000", "winxp"}) {
    Open(os);
    WriteC("WINNT/system32/HWAInt15.VxD");
    WriteC("WINDOWS/system32/HWAInt15.VxD");
    EXPECT_EQ(p_.devices->OpenDevice(kVxd), kInvalidDevice) << os;
    EXPECT_EQ(Error(), 2u) << os;
  }
}

TEST_F(HostDevicesTest, Win9xBiosCallsKeepCmosAcrossRunsAndWriteOnlyWhereAllowed) {
  Open("win95", "IdString=ID-0123456789ABCDEFGH\n");
  const DeviceHandle device = OpenVxd();
  ASSERT_NE(device, kInvalidDevice);
  EXPECT_EQ(Bios9x(device, 0x23, 0x5A, 1, 127).flags() & 1, 0u);
  EXPECT_EQ(static_cast<uint8_t>(Cmos()[127]), 0x5A) << "on disk before the call returns";
  for (const Block9x& refused : {Bios9x(device, 0x23, 0, 0, 128), Bios9x(device, 0x23, 1, 2, 5),
                                 Bios9x(device, 0x42)}) {
    EXPECT_EQ(refused.flags() & 1, 1u);
    EXPECT_EQ(refused.ah(), 0x86);
  }

  // The identification text goes only into memory handed out for it.
  uint8_t* buffer = p_.devices->LowMemory(17);
  ASSERT_NE(buffer, nullptr);
  const uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(buffer));
  ASSERT_EQ(reinterpret_cast<uintptr_t>(buffer), address) << "below 4 GB";
  Block9x in, out;
  in.SetAx(0x19, 0xE8);
  in.SetBuffer(address, 17);
  ASSERT_EQ(Control(device, 1, in.bytes.data(), 52, out.bytes.data(), 52), 0u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 17), "\x10ID-0123456789ABC");
  in.SetBuffer(address, 16);
  EXPECT_EQ(Control(device, 1, in.bytes.data(), 52, out.bytes.data(), 52), 122u);
  in.SetBuffer(address + 1, 17);
  EXPECT_EQ(Control(device, 1, in.bytes.data(), 52, out.bytes.data(), 52), 998u)
      << "runs past the memory handed out";

  Open("win95");  // a later run
  const Block9x read = Bios9x(OpenVxd(), 0x23, 0, 0, 127);
  EXPECT_EQ(read.al(), 0x5A);
  EXPECT_EQ(read.ah(), 0);
}

TEST_F(HostDevicesTest, Win9xDriverRefusesMalformedRequestsAsWindowsDoes) {
  Open("win98");
  const DeviceHandle device = OpenVxd();
  Block9x block;
  uint8_t out[64] = {};
  const uint8_t bad_segment[2] = {0x00, 0xE0};
  EXPECT_EQ(Control(device, 1, block.bytes.data(), 51, out, 52), 87u);
  EXPECT_EQ(Control(device, 1, block.bytes.data(), 52, out, 51), 122u);
  EXPECT_EQ(Control(device, 2, bad_segment, 2, out, 4), 87u);
  EXPECT_EQ(Control(device, 2, "\x00\xF0", 2, out, 3), 122u);
  EXPECT_EQ(Control(device, 4, nullptr, 0, out, 1), 122u);
  EXPECT_EQ(Control(device, 3, nullptr, 0, out, 4), 1u);
  EXPECT_EQ(Control(device + 1, 4, nullptr, 0, out, 2), 6u);
}

TEST_F(HostDevicesTest, NtDriverDeviceExistsWhileTheMakersDriverRuns) {
  Open("win2000", "Signature=VEL\nIdString=NT-ID\n");
  EXPECT_EQ(p_.devices->OpenDevice(kNt), kInvalidDevice);
  EXPECT_EQ(Error(), 2u);
  WriteC("WINNT/system32/drivers/HWAMgmt.Sys");
  ASSERT_EQ(InstallDriver("HWAMgmt12", kNtImage), 0u);
  const DeviceHandle device = p_.devices->OpenDevice("\\\\.\\hwamgmt12");
  ASSERT_NE(device, kInvalidDevice);
  EXPECT_EQ(p_.devices->OpenDevice(kNt), kInvalidDevice);
  EXPECT_EQ(Error(), 5u);

  char signature[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  auto in = TwoWords(0xFFFEA, 6);
  EXPECT_EQ(Control(device, 0x80002000, in.data(), 8, signature, 6), 0u);
  EXPECT_EQ(std::string(signature, 6), std::string("VEL\0\0\0", 6)) << "padded to 6 bytes";
  uint8_t bytes[128] = {};
  for (auto outside : {TwoWords(0xEFFFF, 2), TwoWords(0xFFFFF, 2)}) {
    EXPECT_EQ(Control(device, 0x80002000, outside.data(), 8, bytes, 2), 87u);
  }
  EXPECT_EQ(Control(device, 0x80002000, in.data(), 8, signature, 5), 122u);

  const uint8_t write[5] = {100, 0, 0, 0, 0xC3};
  EXPECT_EQ(Control(device, 0x8000205C, write, 5, nullptr, 0), 0u);
  EXPECT_EQ(static_cast<uint8_t>(Cmos()[100]), 0xC3);
  EXPECT_EQ(Control(device, 0x8000205C, write, 4, nullptr, 0), 87u);
  const uint8_t past_end[5] = {128, 0, 0, 0, 1};
  EXPECT_EQ(Control(device, 0x8000205C, past_end, 5, nullptr, 0), 87u);
  uint32_t returned = 0;
  in = TwoWords(0, 128);
  EXPECT_EQ(Control(device, 0x80002028, in.data(), 8, bytes, 128, &returned), 0u);
  EXPECT_EQ(bytes[100], 0xC3);
  EXPECT_EQ(returned, 128u);
  in = TwoWords(100, 29);
  EXPECT_EQ(Control(device, 0x80002028, in.data(), 8, bytes, 128), 87u);

  // One block as input and output, as the tool passes it.
  BlockNt block;
  block.SetAx(0x19, 0xE8);
  block.DeclareDataArea();
  EXPECT_EQ(Control(device, 0x80002058, block.bytes.data(), 58, block.bytes.data(), 58), 0u);
  EXPECT_EQ(block.flags() & 1, 0u);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&block.bytes[40]), 6), "\x05NT-ID");
  BlockNt no_area;
  no_area.SetAx(0x19, 0xE8);
  EXPECT_EQ(Control(device, 0x80002058, no_area.bytes.data(), 40, no_area.bytes.data(), 40), 0u);
  EXPECT_EQ(no_area.flags() & 1, 1u);
  EXPECT_EQ(no_area.ah(), 0x86);
  EXPECT_EQ(Control(device, 0x80002058, block.bytes.data(), 41, bytes, 41), 87u);
  EXPECT_EQ(Control(device, 0x80002058, block.bytes.data(), 40, bytes, 39), 122u);
  EXPECT_EQ(Control(device, 0x80002004, nullptr, 0, bytes, 4), 1u);
}

TEST_F(HostDevicesTest, OnlyTheMakersDriverFileMakesTheNtDevice) {
  Open("nt4");
  WriteC("WINNT/system32/drivers/other.sys");
  WriteC("WINNT/system32/drivers/hwamgmt.sys");
  ASSERT_EQ(InstallDriver("HWAMgmt12", "C:\\WINNT\\system32\\drivers\\other.sys"), 0u);
  EXPECT_EQ(p_.devices->OpenDevice(kNt), kInvalidDevice);
  EXPECT_EQ(Error(), 2u);
  ASSERT_EQ(InstallDriver("Renamed", "System32\\DRIVERS\\HWAMGMT.SYS"), 0u);
  EXPECT_NE(p_.devices->OpenDevice(kNt), kInvalidDevice) << "the image decides, not the name";
}


// GetPrivateProfileIntA without a section or a key on a missing file, as
// each family answers it (Wine's conformance tests record both): Windows 95
// and 98 give 0, the NT family the default.
using HostProfileFamilyTest = testing::SimulatedMachineTest;

TEST_F(HostProfileFamilyTest, IntegerWithoutASectionOrKeyAnswersAsTheFamilyDoes) {
  Open("win98");
  EXPECT_EQ(p_.profile->GetPrivateProfileIntA(nullptr, "Key", 7, "C:\\none.ini"), 0u);
  EXPECT_EQ(p_.profile->GetPrivateProfileIntA("Test", nullptr, 7, "C:\\none.ini"), 0u);
  Open("win2000");
  EXPECT_EQ(p_.profile->GetPrivateProfileIntA(nullptr, "Key", 7, "C:\\none.ini"), 7u);
  EXPECT_EQ(p_.profile->GetPrivateProfileIntA("Test", nullptr, 7, "C:\\none.ini"), 7u);
  Open("win95");
  EXPECT_EQ(p_.profile->GetPrivateProfileIntA(nullptr, nullptr, 7, "C:\\none.ini"), 0u);
}

}  // namespace
}  // namespace velsetup::host
