#include "platform/host/registry/registry_file.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/registry_api.h"

namespace velsetup::host {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += static_cast<char>(value);
  return bytes;
}

RegistryNode* Key(RegistryTree& tree, Hive hive, std::initializer_list<const char*> path) {
  RegistryNode* node = &tree.root(hive);
  bool created = false;
  for (const char* name : path) node = node->AddSubkey(name, &created);
  return node;
}

RegistryTree Parsed(const std::string& text) {
  RegistryTree tree;
  std::string error;
  EXPECT_TRUE(ParseRegistryFile(text, &tree, &error)) << error;
  return tree;
}

TEST(RegistryFileTest, EveryKindOfDataSurvivesARoundTripByteForByte) {
  RegistryTree tree;
  RegistryNode* kit = Key(tree, Hive::kLocalMachine, {"SOFTWARE", "Velmor Kit"});
  std::string long_binary;
  for (int i = 0; i < 200; ++i) long_binary += static_cast<char>(i);
  const RegistryValue values[] = {
      {"", registry_type::kString, std::string("default\0", 8)},
      {"Path", registry_type::kString, std::string("C:\\a \"b\"\0", 9)},
      {"Unterminated", registry_type::kString, "abc"},
      {"Lines", registry_type::kString, std::string("a\r\nb\0", 5)},
      {"Empty", registry_type::kString, ""},
      {"Inner zero", registry_type::kString, std::string("a\0b\0", 4)},
      {"Flag", registry_type::kDword, Bytes({0x0A, 0, 0, 0x80})},
      {"Short dword", registry_type::kDword, "1"},
      {"Blob", registry_type::kBinary, long_binary},
      {"No bytes", registry_type::kBinary, ""},
      {"Expand", registry_type::kExpandString, std::string("%windir%\\x\0", 11)},
      {"Multi", registry_type::kMultiString, std::string("a\0bc\0\0", 6)},
      {"Qword", 0x0b, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {"Odd \"name\" \\ with\nbreak", registry_type::kNone, ""},
  };
  for (const RegistryValue& value : values) kit->SetValue(value.name, value.type, value.data);
  Key(tree, Hive::kCurrentUser, {"Software", "MixedCase"});
  RegistryNode* gone = Key(tree, Hive::kLocalMachine, {"SYSTEM", "Transient"});
  gone->set_volatile(true);

  const std::string text = FormatRegistryFile(tree, false);
  EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n", 0), 0u);
  EXPECT_NE(text.find("\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Flag\"=dword:8000000a\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Short dword\"=hex(4):31\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Unterminated\"=hex(1):61,62,63\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"Qword\"=hex(b):01,02"), std::string::npos);
  EXPECT_EQ(text.find("Transient"), std::string::npos);
  EXPECT_EQ(text.find("HKEY_DYN_DATA"), std::string::npos);
  size_t continued = 0;
  for (size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    EXPECT_LE(end - start, kRegistryLineWidth) << text.substr(start, end - start);
    if (end > start && text[end - 1] == '\\') ++continued;
  }
  EXPECT_GE(continued, 7u);  // 200 bytes of "xx," do not fit one line

  RegistryTree back = Parsed(text);
  const RegistryNode* read = back.Find(Hive::kLocalMachine, {"software", "VELMOR KIT"});
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->name(), "Velmor Kit");
  ASSERT_EQ(read->values().size(), std::size(values));
  for (size_t i = 0; i < std::size(values); ++i) {
    EXPECT_EQ(read->values()[i].name, values[i].name);
    EXPECT_EQ(read->values()[i].type, values[i].type) << values[i].name;
    EXPECT_EQ(read->values()[i].data, values[i].data) << values[i].name;
  }
  ASSERT_NE(back.Find(Hive::kCurrentUser, {"SOFTWARE", "mixedcase"}), nullptr);
  EXPECT_EQ(back.Find(Hive::kCurrentUser, {"Software", "MixedCase"})->name(), "MixedCase");
  EXPECT_EQ(FormatRegistryFile(back, false), text);
}

TEST(RegistryFileTest, AHandWrittenFileIsReadAsTheEditorWouldImportIt) {
  const std::string text =
      "Windows Registry Editor Version 5.00\n"
      "; written by hand\n"
      "\n"
      "[hkey_local_machine\\Software\\Kit\\]\n"
      "@=\"main\"\n"
      "\"Count\" = dword:1f\n"
      "\"Data\"=hex:00,01,\\\n"
      "    02 ,03,\\\n"
      "  04\n"
      "\"Env\"=hex(2):25,00,41,00,00,00\n"
      "\"Old\"=\"x\"\n"
      "\"Old\"=-\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\KIT]\n"
      "\"count\"=dword:00000002\n"
      "[HKEY_CURRENT_USER\\Doomed\\Child]\n"
      "[-HKEY_CURRENT_USER\\Doomed]\n"
      "\"Ignored\"=\"with its key\"\n"
      "[HKEY_DYN_DATA\\PerfStats]\r\n";
  RegistryTree tree = Parsed(text);
  const RegistryNode* kit = tree.Find(Hive::kLocalMachine, {"SOFTWARE", "Kit"});
  ASSERT_NE(kit, nullptr);
  EXPECT_EQ(kit->FindValue("")->data, std::string("main\0", 5));
  EXPECT_EQ(kit->FindValue("COUNT")->data, Bytes({2, 0, 0, 0}));
  EXPECT_EQ(kit->FindValue("Count")->name, "Count");
  EXPECT_EQ(kit->FindValue("Data")->data, Bytes({0, 1, 2, 3, 4}));
  // Version 5 keeps expandable text as UTF-16LE; the A calls see 8-bit text.
  EXPECT_EQ(kit->FindValue("Env")->data, std::string("%A\0", 3));
  EXPECT_EQ(kit->FindValue("Old"), nullptr);
  EXPECT_EQ(tree.Find(Hive::kCurrentUser, {"Doomed"}), nullptr);
  EXPECT_NE(tree.Find(Hive::kDynData, {"PerfStats"}), nullptr);
  // A dyn-data hive that holds something is kept even where it is unused.
  EXPECT_NE(FormatRegistryFile(tree, false).find("[HKEY_DYN_DATA\\PerfStats]"), std::string::npos);

  // As the editor exports it: UTF-16LE; a character beyond 8 bits becomes '?'.
  const auto wide = [](const std::string& narrow) {
    std::string units;
    for (char c : narrow) units += std::string{c, '\0'};
    return units;
  };
  const std::string utf16 =
      "\xFF\xFE" + wide("REGEDIT4\r\n[HKEY_USERS\\\xE9t\xE9") + "\x3A\x26" + wide("]\r\n");
  RegistryTree exported = Parsed(utf16);
  EXPECT_NE(exported.Find(Hive::kUsers, {"\xE9t\xE9?"}), nullptr);
}

TEST(RegistryFileTest, AFileThatCannotBeReadIsRefusedWithItsLine) {
  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"", "line 1: not a registry file"},
      {"[HKEY_LOCAL_MACHINE\\A]\n", "line 1: not a registry file"},
      {"REGEDIT4\n\"a\"=\"b\"\n", "line 2: a value before the first key"},
      {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\A\n", "line 2: a key line must end with ]"},
      {"REGEDIT4\n[HKEY_NOWHERE\\A]\n", "line 2: unknown hive"},
      {"REGEDIT4\n[HKEY_PERFORMANCE_DATA]\n", "line 2: HKEY_PERFORMANCE_DATA is not a stored"},
      {"REGEDIT4\n[-HKEY_USERS]\n", "line 2: a whole hive"},
      {"REGEDIT4\n[HKEY_USERS]\n\"a\"=dword:123456789\n", "line 3: dword:"},
      {"REGEDIT4\n[HKEY_USERS]\n\"a\"=hex:1,xyz\n", "line 3: hex data"},
      {"REGEDIT4\n[HKEY_USERS]\n\"a\"=hex:01,\\", "line 3: the hex data carries on"},
      {"REGEDIT4\n[HKEY_USERS]\n\"a=\"b\"\n", "line 3:"},
      {"REGEDIT4\n[HKEY_USERS]\n\"a\"=\"b\" junk\n", "line 3: a text value"},
      {"REGEDIT4\n[HKEY_USERS]\n\"a\"=sz:b\n", "line 3: unknown kind of data"},
      {"REGEDIT4\n[HKEY_USERS]\nstray\n", "line 3: cannot be read"},
  };
  for (const auto& c : cases) {
    RegistryTree tree;
    std::string error;
    EXPECT_FALSE(ParseRegistryFile(c.text, &tree, &error)) << c.text;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.text << " -> " << error;
  }
  std::string long_name = "REGEDIT4\n[HKEY_USERS\\" + std::string(256, 'k') + "]\n";
  RegistryTree tree;
  std::string error;
  EXPECT_FALSE(ParseRegistryFile(long_name, &tree, &error));
  EXPECT_EQ(error.rfind("line 2: a key name is longer than 255", 0), 0u) << error;
}

}  // namespace
}  // namespace velsetup::host
