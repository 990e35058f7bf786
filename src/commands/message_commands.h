// Commands that talk to the user and to the install log.
#pragma once

#include <cstdint>
#include <string>

namespace velsetup {

uint32_t Cmd17_DisplayMessageBox();
uint32_t Cmd32_LogMsg();
// Commands 22, 23, 24, 33, 34 and 35: logged as not supported.
uint32_t CmdNotSupported();

// The text of a message section: its Message1, Message2, ... lines, each
// followed by a line feed, up to the first one that is missing, empty or
// "NO TEXT"; a line that begins with ";" is an empty line.
std::string AssembleMessageText(const std::string& section);

}  // namespace velsetup
