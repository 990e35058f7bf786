// The entry point of velsetup.exe.
//
// MinGW's own start-up code comes precompiled for the Pentium Pro: the loop
// that finds where WinMain's command line begins uses cmov, so a Pentium,
// Pentium MMX or AMD K6 would stop with an illegal instruction before the
// first line of the tool ran. This is the part of it a WinMain program needs,
// compiled with the project's flags: msvcrt.dll initialises itself when it is
// loaded, so what is left is to run the static constructors, find the command
// line after the program's name, call WinMain and leave through exit(), which
// runs the destructors and flushes the C library's streams.
#include <windows.h>

#include <cstdlib>

extern "C" {
// Runs the static constructors once and registers their destructors (libgcc).
void __main();
// Tells msvcrt.dll how to report its own fatal errors: 2 is a GUI program.
__declspec(dllimport) void __cdecl __set_app_type(int);
// msvcrt.dll's own atexit, reached through its import slot: the import
// library leaves the name atexit to the start-up file this replaces.
extern int(__cdecl* _imp__atexit)(void(__cdecl*)());

// Registers what exit() runs: static destructors, the unwind tables' release.
int __cdecl atexit(void(__cdecl* function)()) { return _imp__atexit(function); }
}

namespace {

// WinMain gets the command line without the program's name: the first word
// (a quoted one may hold blanks) and the blanks after it are skipped.
char* AfterProgramName(char* line) {
  bool quoted = false;
  while (*line != '\0' && (static_cast<unsigned char>(*line) > ' ' || quoted)) {
    if (*line == '"') quoted = !quoted;
    ++line;
  }
  while (*line != '\0' && static_cast<unsigned char>(*line) <= ' ') ++line;
  return line;
}

}  // namespace

// The linker's default entry for a GUI program; cdecl, so that its name is
// the undecorated one the linker looks for (the loader passes no arguments).
extern "C" void WinMainCRTStartup() {
  __set_app_type(2);
  __main();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow
                                                                  : SW_SHOWDEFAULT;
  char* line = GetCommandLineA();
  std::exit(WinMain(GetModuleHandleA(nullptr), nullptr,
                    AfterProgramName(line != nullptr ? line : const_cast<char*>("")), show));
}
