// Runs the table of profile calls against the real Win32 calls and prints one
// result line per case: "<index> <result>". Its argument is the directory
// where the case files go.
#include <windows.h>

#include <cstdio>
#include <string>

#include "../profile_cases.h"

namespace {

using profile_cases::Call;

bool ReadWhole(const std::string& path, std::string* bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char chunk[4096];
  DWORD count = 0;
  while (ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count > 0) bytes->append(chunk, count);
  CloseHandle(file);
  return true;
}

void WriteWhole(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD count = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
  CloseHandle(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string directory = argv[1];
  size_t count = 0;
  const profile_cases::Case* cases = profile_cases::Cases(&count);
  for (size_t i = 0; i < count; ++i) {
    const profile_cases::Case& c = cases[i];
    const std::string path = directory + "\\case" + std::to_string(i) + ".ini";
    DeleteFileA(path.c_str());
    if (c.fixture != nullptr) WriteWhole(path, profile_cases::FixtureBytes(c.fixture));
    std::string buffer(c.number > 0 ? static_cast<size_t>(c.number) + 8 : 8, '\xcc');
    uint32_t returned = 0;
    switch (c.call) {
      case Call::kGetString:
        returned = GetPrivateProfileStringA(c.section, c.key, c.text, &buffer[0],
                                            static_cast<DWORD>(c.number), path.c_str());
        break;
      case Call::kGetInt:
        returned = GetPrivateProfileIntA(c.section, c.key, c.number, path.c_str());
        break;
      case Call::kGetSection:
        returned = GetPrivateProfileSectionA(c.section, &buffer[0], static_cast<DWORD>(c.number),
                                             path.c_str());
        break;
      case Call::kWriteString:
        returned = WritePrivateProfileStringA(c.section, c.key, c.text, path.c_str()) ? 1 : 0;
        break;
      case Call::kWriteSection: {
        const std::string data = profile_cases::SectionData(c.text);
        returned = WritePrivateProfileSectionA(c.section, data.c_str(), path.c_str()) ? 1 : 0;
        break;
      }
    }
    // Writes are read back once the profile code has let go of the file.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    std::string file;
    const bool exists = ReadWhole(path, &file);
    std::printf("%u %s\n", static_cast<unsigned>(i),
                profile_cases::ResultLine(c, returned, buffer, exists, file).c_str());
    DeleteFileA(path.c_str());
  }
  return 0;
}
