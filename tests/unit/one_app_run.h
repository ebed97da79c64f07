#ifndef QUILL_TESTS_UNIT_ONE_APP_RUN_H_
#define QUILL_TESTS_UNIT_ONE_APP_RUN_H_

// One application, [A] of the common list, run through pass 0 on the fake
// with the log open and the settings of the opt-in keys read: the records
// after the identity lines.
#include <string>
#include <vector>

#include "fake_platform.h"
#include "log/run_log.h"
#include "runner/exit_codes.h"
#include "runner/hash_list.h"
#include "runner/install_pass.h"
#include "runner/launch_limits.h"

namespace quill {

struct OneAppRun {
  // `app` holds [A]'s lines: AppPath, AppSwitches and any other key.
  OneAppRun(const WString& ini_path, const WString& settings, const WString& app) {
    platform.AddIniFile(
        ini_path, u"[Settings]\nLogFile=C:\\r.log\n" + settings + u"[0xFFFF]\nAPP1=A\n[A]\n" + app);
    context.InputIniPath = ini_path;
    context.SystemID = u"0x1234";
  }
  std::string Records() {
    OpenRunLog(context, platform);
    ReadExitCodeSettings(context, platform);
    ReadHashList(context, platform);
    ReadTimeLimitSettings(context, platform);
    ReadInstallerServiceWait(context, platform);
    RunInstallPass(0, context, platform);
    const std::vector<std::string>& calls = platform.calls();
    for (size_t i = calls.size(); i-- > 0 && calls[i].rfind("StartProcess", 0) != 0;) {
      committed_last = committed_last || calls[i] == "Flush C:\\R.LOG";
    }
    CloseRunLog(context);
    const std::string bytes = platform.FileBytes(u"C:\\R.LOG");
    const std::string identity = "OSType\t\t  => \r\n";
    return bytes.substr(bytes.find(identity) + identity.size());
  }
  FakePlatform platform;
  RunContext context;
  bool committed_last = false;  // the log, after the last installer was started
};

}  // namespace quill

#endif  // QUILL_TESTS_UNIT_ONE_APP_RUN_H_
