#ifndef QUILL_TESTS_E2E_RUN_LOG_TEXT_H_
#define QUILL_TESTS_E2E_RUN_LOG_TEXT_H_

// The run log's expected text, for tests that compare whole logs: time
// stamps are matched by their pattern, everything else byte for byte.
#include <regex>
#include <string>

namespace quill::e2e {

inline const std::string kStars(109, '*');
constexpr char kStamp[] = "<STAMP>";
constexpr char kQuick[] = "Command finished in less than 1 seconds.";
constexpr char kFailed[] = "Failed to launch the command.";

// Every time stamp in the log as "<STAMP>"; nothing else is changed.
inline std::string MaskTimeStamps(const std::string& log) {
  static const std::regex stamp(
      "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] "
      "(Sunday|Monday|Tuesday|Wednesday|Thursday|Friday|Saturday), "
      "(January|February|March|April|May|June|July|August|September|October|November|"
      "December) [0-3][0-9], [0-9]{4}");
  return std::regex_replace(log, stamp, kStamp);
}

inline std::string Opening(const std::string& system_id, const std::string& os_type) {
  return kStars + "\r\nQUILLRUN starts at: " + kStamp + "\r\n" + kStars +
         "\r\n\r\nSystemID      => " + system_id + "\r\nOSType\t\t  => " + os_type + "\r\n";
}

inline std::string Language(const std::string& lcid, const std::string& code) {
  return "LCID          => " + lcid + "\r\nLanguage Code => " + code + "\r\n\r\n";
}

inline std::string Application(const std::string& list, const std::string& app,
                               const std::string& command, const std::string& result) {
  return "Processing: SysID => \"" + list + "\", Application => \"" + app + "\"\r\n" +
         "LAUNCHED => \"" + command + "\"\r\nSTART:: " + kStamp + "\r\nEND  :: " + kStamp +
         "\r\nRESULT   => " + result + "\r\n\r\n";
}

}  // namespace quill::e2e

#endif  // QUILL_TESTS_E2E_RUN_LOG_TEXT_H_
