#include "lab/lab_arguments.h"

#include <cerrno>
#include <cstdlib>

namespace velsetup::lab {

namespace {

bool ParseCount(const std::string& option, const std::string& text, int low, int high, int* value,
                std::string* error) {
  char* end = nullptr;
  errno = 0;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno != 0 || number < low || number > high) {
    *error = option + " takes a number from " + std::to_string(low) + " to " +
             std::to_string(high) + ", not '" + text + "'";
    return false;
  }
  *value = static_cast<int>(number);
  return true;
}

}  // namespace

bool ParseLabArguments(const std::vector<std::string>& arguments, LabArguments* parsed,
                       std::string* error) {
  LabArguments result;
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      result.help = true;
      continue;
    }
    if (argument.size() < 2 || argument.compare(0, 2, "--") != 0) {
      if (!result.script.empty()) {
        *error = "one script only: '" + result.script + "' and '" + argument + "'";
        return false;
      }
      result.script = argument;
      continue;
    }
    // "--json=FILE" and "--json FILE" alike.
    std::string value;
    bool has_value = false;
    const size_t equals = argument.find('=');
    if (equals != std::string::npos) {
      value = argument.substr(equals + 1);
      argument.resize(equals);
      has_value = true;
    }
    std::string* text_target = nullptr;
    int* count_target = nullptr;
    int high = 0;
    if (argument == "--matrix") text_target = &result.matrix;
    else if (argument == "--json") text_target = &result.json;
    else if (argument == "--html") text_target = &result.html;
    else if (argument == "--keep") text_target = &result.keep;
    else if (argument == "--jobs") count_target = &result.jobs, high = 256;
    else if (argument == "--timeout") count_target = &result.timeout_seconds, high = 86400;
    else {
      *error = "unknown option '" + argument + "'";
      return false;
    }
    if (!has_value) {
      if (i + 1 >= arguments.size()) {
        *error = argument + " needs a value";
        return false;
      }
      value = arguments[++i];
    }
    if (text_target != nullptr) {
      if (value.empty()) {
        *error = argument + " needs a value";
        return false;
      }
      *text_target = value;
    } else if (!ParseCount(argument, value, 1, high, count_target, error)) {
      return false;
    }
  }
  if (!result.help && result.script.empty()) {
    *error = "no script given";
    return false;
  }
  *parsed = result;
  return true;
}

const char* LabUsage() {
  return "usage: velsetup-lab SCRIPT [--matrix FILE] [--json FILE] [--html FILE] [--jobs N]\n"
         "                    [--keep DIR] [--timeout SECONDS]\n"
         "\n"
         "Runs SCRIPT with the host program on a fresh simulated machine per profile,\n"
         "through its restarts as Windows would continue it, and reports what it did.\n"
         "\n"
         "  --matrix FILE   the profiles (INI; default: 95, 98 APM, 98 ACPI, Me, NT 4.0,\n"
         "                  2000, XP, each of the maker and foreign)\n"
         "  --json FILE     write the whole result as JSON\n"
         "  --html FILE     write the result as one self-contained HTML page\n"
         "  --jobs N        profiles run side by side (default: the number of cores)\n"
         "  --keep DIR      keep each profile's machine in DIR/<profile>\n"
         "  --timeout S     stop a run of the tool after S seconds (default 30)\n"
         "\n"
         "The tool is the velsetup beside velsetup-lab, or VELSETUP_LAB_TOOL.\n"
         "Exit status: 0 every profile ended without an ERROR line or a restart finding,\n"
         "1 otherwise, 2 bad input.\n";
}

}  // namespace velsetup::lab
