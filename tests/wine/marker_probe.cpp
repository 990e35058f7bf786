// A program for the tool to start in tests: after a pause it writes its
// arguments, one a line, into a file, so that a test can see that it ran,
// where it ran, what it was given and when it ended.
//
//   marker_probe <file> <milliseconds> [arguments...]
//
// <file> is relative to the working directory the program was started in.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  ::Sleep(static_cast<DWORD>(std::atoi(argv[2])));
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) return 1;
  for (int i = 3; i < argc; ++i) std::fprintf(out, "%s\r\n", argv[i]);
  std::fclose(out);
  return 0;
}
