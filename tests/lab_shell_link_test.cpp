// Startup shortcuts as the lab reads them, built byte by byte from the
// documented format so that the parser is checked against the format and
// not against itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "lab/shell_link.h"

namespace velsetup::lab {
namespace {

void Put16(std::string* bytes, uint32_t value) {
  bytes->push_back(static_cast<char>(value & 0xFF));
  bytes->push_back(static_cast<char>(value >> 8 & 0xFF));
}
void Put32(std::string* bytes, uint32_t value) {
  Put16(bytes, value & 0xFFFF);
  Put16(bytes, value >> 16);
}

struct LinkParts {
  std::string local_base_path;  // LinkInfo when not empty
  std::string relative_path, working_dir, arguments;
  bool unicode = false;
  bool id_list = true;
};

// A shell link as the shell writes one: header, LinkTargetIDList, LinkInfo,
// then NAME, RELATIVE_PATH, WORKING_DIR, ARGUMENTS as counted strings.
std::string BuildLink(const LinkParts& parts) {
  uint32_t flags = 0x4;  // HasName
  if (parts.id_list) flags |= 0x1;
  if (!parts.local_base_path.empty()) flags |= 0x2;
  if (!parts.relative_path.empty()) flags |= 0x8;
  if (!parts.working_dir.empty()) flags |= 0x10;
  if (!parts.arguments.empty()) flags |= 0x20;
  if (parts.unicode) flags |= 0x80;
  std::string bytes;
  Put32(&bytes, 0x4C);
  const unsigned char clsid[16] = {0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
  bytes.append(reinterpret_cast<const char*>(clsid), 16);
  Put32(&bytes, flags);
  bytes.append(0x4C - bytes.size(), '\0');  // attributes, times, size, icon, show, hot key
  if (parts.id_list) {
    Put16(&bytes, 6);  // one item of 4 bytes and the terminating zero item
    Put16(&bytes, 4);
    Put16(&bytes, 0x1F50);
    Put16(&bytes, 0);
  }
  if (!parts.local_base_path.empty()) {
    const uint32_t header = 0x1C;
    const uint32_t volume = header;
    const uint32_t volume_size = 0x10;
    const uint32_t base = volume + volume_size;
    const uint32_t suffix = base + static_cast<uint32_t>(parts.local_base_path.size()) + 1;
    const uint32_t size = suffix + 1;
    Put32(&bytes, size);
    Put32(&bytes, header);
    Put32(&bytes, 0x1);  // VolumeIDAndLocalBasePath
    Put32(&bytes, volume);
    Put32(&bytes, base);
    Put32(&bytes, 0);  // no network link
    Put32(&bytes, suffix);
    Put32(&bytes, volume_size);
    Put32(&bytes, 3);  // fixed drive
    Put32(&bytes, 0x1234);
    Put32(&bytes, 0x10);
    bytes += parts.local_base_path;
    bytes += '\0';
    bytes += '\0';  // empty common path suffix
  }
  const std::string name = "Setup";
  const std::string* strings[] = {&name, &parts.relative_path, &parts.working_dir,
                                  &parts.arguments};
  for (const std::string* text : strings) {
    if (text->empty()) continue;
    Put16(&bytes, static_cast<uint32_t>(text->size()));
    for (char c : *text) {
      if (parts.unicode) {
        Put16(&bytes, static_cast<unsigned char>(c));
      } else {
        bytes.push_back(c);
      }
    }
  }
  return bytes;
}

TEST(LabShellLink, ReadsTargetArgumentsAndFolderInAnsiAndUnicode) {
  for (bool unicode : {false, true}) {
    LinkParts parts;
    parts.local_base_path = "C:\\KIT\\velsetup.exe";
    parts.relative_path = "..\\..\\..\\..\\KIT\\velsetup.exe";
    parts.working_dir = "C:\\KIT";
    parts.arguments = "C:\\KIT\\deploy.ini -resume";
    parts.unicode = unicode;
    ShellLink link;
    std::string error;
    ASSERT_TRUE(ParseShellLink(BuildLink(parts), &link, &error)) << error;
    EXPECT_EQ(link.local_base_path, "C:\\KIT\\velsetup.exe");
    EXPECT_EQ(link.relative_path, parts.relative_path);
    EXPECT_EQ(link.working_dir, "C:\\KIT");
    EXPECT_EQ(link.arguments, "C:\\KIT\\deploy.ini -resume");
    EXPECT_EQ(LinkTarget(link, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"),
              "C:\\KIT\\velsetup.exe");
  }
}

TEST(LabShellLink, WithoutLinkInfoTheRelativePathIsTakenFromTheLinksFolder) {
  LinkParts parts;
  parts.relative_path = "..\\..\\..\\..\\KIT\\velsetup.exe";
  parts.arguments = "setup.ini";
  parts.id_list = false;
  ShellLink link;
  std::string error;
  ASSERT_TRUE(ParseShellLink(BuildLink(parts), &link, &error)) << error;
  EXPECT_EQ(LinkTarget(link, "C:\\WINDOWS\\Start Menu\\Programs\\StartUp"),
            "C:\\KIT\\velsetup.exe");
  EXPECT_EQ(LinkTarget(link, "C:\\A"), "C:\\KIT\\velsetup.exe");  // ".." stops at the root
  link.relative_path = ".\\tool.exe";
  EXPECT_EQ(LinkTarget(link, "C:\\A\\B"), "C:\\A\\B\\tool.exe");
  link.relative_path.clear();
  EXPECT_EQ(LinkTarget(link, "C:\\A"), "");
}

TEST(LabShellLink, ADamagedLinkIsRefusedWithAReasonNeverReadPastItsEnd) {
  LinkParts parts;
  parts.local_base_path = "C:\\KIT\\velsetup.exe";
  parts.arguments = "x.ini";
  const std::string good = BuildLink(parts);
  const size_t link_info = 0x4C + 8;  // after the ID list
  auto with = [&good](size_t at, uint32_t value) {
    std::string bytes = good;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
    return bytes;
  };
  struct Case {
    std::string bytes;
    const char* said;
  };
  std::string bad_clsid = good;
  bad_clsid[5] = 0x15;
  std::string unterminated_base = good;
  const size_t base_at = unterminated_base.find("velsetup.exe") + 12;
  unterminated_base[base_at] = 'X';
  unterminated_base[base_at + 1] = 'X';
  const Case cases[] = {
      {good.substr(0, 40), "shorter"},
      {with(0, 0x50), "header size"},
      {bad_clsid, "class id"},
      {with(0x4C, 0xFFFF), "IDListSize"},
      {with(link_info, 0x7FFFFFF0), "LinkInfoSize"},
      {with(link_info + 4, 0x400), "LinkInfoHeaderSize"},
      {with(link_info + 16, 0x1000), "LocalBasePathOffset"},
      {unterminated_base, "LocalBasePath"},
      {good.substr(0, good.size() - 2), "COMMAND_LINE_ARGUMENTS"},
  };
  for (const Case& c : cases) {
    ShellLink link;
    std::string error;
    EXPECT_FALSE(ParseShellLink(c.bytes, &link, &error)) << c.said;
    EXPECT_NE(error.find(c.said), std::string::npos) << error;
  }
  // Every cut of a good link is refused or read, and never read outside it.
  for (size_t size = 0; size < good.size(); ++size) {
    ShellLink link;
    std::string error;
    ParseShellLink(good.substr(0, size), &link, &error);
  }
}

}  // namespace
}  // namespace velsetup::lab
