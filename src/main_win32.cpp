// The Windows program: WinMain hands the text after the program's name to the
// shared entry, on the real machine.
#include <windows.h>

#include "program/velsetup_main.h"
#include "platform/win32/win32_platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
  velsetup::win32::Win32Platform machine;
  return velsetup::VelsetupMain(machine.platform(), command_line != nullptr ? command_line : "");
}
