// Reads and clears registry keys for tests of the Windows build:
//
//   registry_probe query <root> <key> <value> [<root> <key> <value> ...]
//     one line a triple: "missing key", "missing value" or "<type>:<hex bytes>"
//   registry_probe clear <root> <key>
//     deletes the key with every subkey (nothing when it is missing)
//
// <root> is HKCR, HKCU, HKLM, HKU or HKCC; <value> "@" is the default value.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

HKEY RootOf(const char* name) {
  if (std::strcmp(name, "HKCR") == 0) return HKEY_CLASSES_ROOT;
  if (std::strcmp(name, "HKCU") == 0) return HKEY_CURRENT_USER;
  if (std::strcmp(name, "HKU") == 0) return HKEY_USERS;
  if (std::strcmp(name, "HKCC") == 0) return HKEY_CURRENT_CONFIG;
  return HKEY_LOCAL_MACHINE;
}

void Query(HKEY root, const char* path, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
    std::printf("missing key\n");
    return;
  }
  const char* value = std::strcmp(name, "@") == 0 ? "" : name;
  DWORD type = 0, size = 0;
  if (RegQueryValueExA(key, value, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
    std::printf("missing value\n");
  } else {
    std::string bytes(size, '\0');
    RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]), &size);
    std::printf("%lu:", static_cast<unsigned long>(type));
    for (DWORD i = 0; i < size; ++i) std::printf("%02x", static_cast<unsigned char>(bytes[i]));
    std::printf("\n");
  }
  RegCloseKey(key);
}

void Clear(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    char name[256];
    while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) {
      Clear(root, path + "\\" + name);
      if (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS &&
          RegDeleteKeyA(key, name) != ERROR_SUCCESS) {
        break;
      }
    }
    RegCloseKey(key);
  }
  RegDeleteKeyA(root, path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "query") == 0) {
    for (int i = 2; i + 2 < argc; i += 3) Query(RootOf(argv[i]), argv[i + 1], argv[i + 2]);
    return 0;
  }
  if (argc == 4 && std::strcmp(argv[1], "clear") == 0) {
    Clear(RootOf(argv[2]), argv[3]);
    return 0;
  }
  return 2;
}
