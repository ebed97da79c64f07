#include "plan/text/exit_meanings.h"

#include <cstdio>

namespace quill::plan {

namespace {

struct Meaning {
  uint32_t code;
  const char* words;
};

// Codes 1 to 8 mean different things to NSIS and to Inno Setup, and other
// things again to any other program; what made an installer, its exit code
// does not say, so they are offered as what they would mean, never as the
// answer, and not at all for Windows Installer.
const Meaning kSetupMeanings[] = {
    {1, "if NSIS: cancelled by the user; if Inno Setup: setup failed to initialize"},
    {2, "if NSIS: aborted by the installer script; if Inno Setup: cancelled before installing"},
    {3, "if Inno Setup: fatal error before installing"},
    {4, "if Inno Setup: fatal error during installation"},
    {5, "if Inno Setup: cancelled during installation"},
    {6, "if Inno Setup: ended by a debugger"},
    {7, "if Inno Setup: cannot proceed with installation"},
    {8, "if Inno Setup: cannot proceed without a restart"},
};

const Meaning kMeanings[] = {
    {0, "success"},
    {13, "the data is invalid"},
    {87, "a parameter is invalid"},
    {120, "function not available to a custom action"},
    {1259, "blocked as incompatible with this Windows"},
    {1601, "Windows Installer service could not be accessed"},
    {1602, "cancelled by the user"},
    {1603, "fatal error during installation"},
    {1604, "installation suspended, incomplete"},
    {1605, "product is not installed"},
    {1606, "feature not registered"},
    {1607, "component not registered"},
    {1608, "unknown property"},
    {1609, "handle in an invalid state"},
    {1610, "product configuration data is corrupt"},
    {1611, "component qualifier not present"},
    {1612, "installation source not available"},
    {1613, "package needs a newer Windows Installer"},
    {1614, "product is uninstalled"},
    {1615, "invalid SQL query syntax"},
    {1616, "record field does not exist"},
    {1617, "device removed"},
    {1618, "another installation is already in progress"},
    {1619, "installation package could not be opened"},
    {1620, "installation package is invalid"},
    {1621, "Windows Installer user interface could not start"},
    {1622, "installation log file could not be opened"},
    {1623, "package language not supported by this system"},
    {1624, "transforms could not be applied"},
    {1625, "installation forbidden by system policy"},
    {1626, "function could not be executed"},
    {1627, "function failed during execution"},
    {1628, "invalid or unknown table"},
    {1629, "data of the wrong type"},
    {1630, "data of this type not supported"},
    {1631, "Windows Installer service failed to start"},
    {1632, "Temp folder full or inaccessible"},
    {1633, "package not supported on this platform"},
    {1634, "component not used on this machine"},
    {1635, "patch package could not be opened"},
    {1636, "patch package is invalid"},
    {1637, "patch package cannot be processed"},
    {1638, "another version of the product is installed"},
    {1639, "invalid command line"},
    {1640, "installing from a remote session not permitted"},
    {1641, "success, restart started"},
    {1642, "upgrade patch's target not found"},
    {1643, "patch forbidden by system policy"},
    {1644, "customisation forbidden by system policy"},
    {1645, "installing from Remote Desktop not permitted"},
    {1646, "patch cannot be removed"},
    {1647, "patch not applied to this product"},
    {1648, "no valid sequence for the patches"},
    {1649, "patch removal forbidden by policy"},
    {1650, "invalid patch XML data"},
    {1651, "patch for an advertised managed product failed"},
    {1652, "Windows Installer not accessible in Safe Mode"},
    {1653, "rollback disabled: multi-package transaction impossible"},
    {1654, "app not supported on this Windows"},
    {1707, "success"},
    {3010, "success, restart required"},
    {3011, "success, restart required to use the change"},
    {0x80004005, "general failure"},
    {0xC0000005, "access violation (crashed)"},
    {0xC0000135, "a needed DLL was not found"},
    {0xC000013A, "ended by Ctrl+C or closing"},
    {0xC0000409, "stack buffer overrun (crashed)"},
};

const char* Known(uint32_t code) {
  for (const Meaning& meaning : kMeanings) {
    if (meaning.code == code) return meaning.words;
  }
  return nullptr;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool LaunchesMsiexec(const std::string& command_line) {
  // The program: up to the first blank, or within the quotation marks.
  const bool quoted = !command_line.empty() && command_line[0] == '"';
  const size_t end = quoted ? command_line.find('"', 1) : command_line.find(' ');
  std::string program =
      command_line.substr(quoted ? 1 : 0, end == std::string::npos ? end : end - quoted);
  for (char& c : program) c = Lower(c);
  const std::string base = program.substr(program.find_last_of("\\/") + 1);  // npos + 1: all
  return base == "msiexec" || base == "msiexec.exe";
}

std::string ExitCodeShown(uint32_t code) {
  if (code < 0x80000000u) return std::to_string(code);
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(code));
  return hex;
}

std::string ExitMeaning(uint32_t code, const std::string& command_line) {
  if (const char* words = Known(code)) return words;
  if (!LaunchesMsiexec(command_line)) {
    for (const Meaning& meaning : kSetupMeanings) {
      if (meaning.code == code) return meaning.words;
    }
  }
  // An HRESULT of facility Win32 wraps a Windows error code.
  if ((code & 0xFFFF0000u) == 0x80070000u && (code & 0xFFFFu) != 0) {
    if (const char* words = Known(code & 0xFFFFu)) return words;
  }
  return std::string();
}

std::string ExitCodeTold(uint32_t code, const std::string& command_line) {
  const std::string meaning = ExitMeaning(code, command_line);
  return "exit " + ExitCodeShown(code) + (meaning.empty() ? "" : ": " + meaning);
}

}  // namespace quill::plan
