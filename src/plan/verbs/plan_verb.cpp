#include "plan/verbs/verbs.h"

#include <memory>

#include "base/utf.h"
#include "plan/planning/plan_platform.h"
#include "plan/planning/plan_text.h"
#include "plan/planning/planner.h"
#include "plan/text/json_text.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/verbs/verb_inputs.h"

namespace quill::plan {

int RunPlanVerb(const PlanOptions& options, std::ostream& raw_out, std::ostream& err) {
  // Names and values from the INI file reach the terminal escaped.
  ShownOutput shown(raw_out);
  std::ostream out(&shown);
  VerbMachine machine;
  if (const int status = machine.Load("plan", options.ini, options.files, err)) return status;
  PlanPlatform& platform = machine.platform();
  PlanRequest request;
  // The identity library's value, or the SystemID the log shows, "0x" and all.
  const bool prefixed = options.system_id.size() > 2 && options.system_id[0] == '0' &&
                        (options.system_id[1] == 'x' || options.system_id[1] == 'X');
  request.machine_id = FromUtf8(prefixed ? options.system_id.substr(2) : options.system_id);
  request.windows = WindowsKindFor(FromUtf8(options.os));
  request.language_table = options.files.language_table;
  request.language.by_lcid = !options.lcid.empty();
  request.language.code = FromUtf8(options.language_code);
  if (request.language.by_lcid && !ParseLcid(options.lcid, &request.language.lcid)) {
    TellError(err, "plan", "--lcid " + options.lcid, "wants a number such as 0x407");
    return kUsage;
  }

  const Plan plan = PlanRun(request, platform);
  if (options.json) {
    out << JsonText(PlanJson(plan), 2) << "\n";
  } else {
    WritePlanText(plan, out);
  }
  return kAllGood;
}

}  // namespace quill::plan
