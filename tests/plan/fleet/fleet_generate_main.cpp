// quill_fleet_generate DIR LOGS [SEED]: writes a fleet of run logs under
// DIR and prints what it wrote as JSON, for checks outside the unit tests
// (the page in a browser).
#include <cstdio>
#include <iostream>
#include <string>

#include <nlohmann/json.hpp>

#include "fleet/fleet_generator.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: quill_fleet_generate DIR LOGS [SEED]\n");
    return 2;
  }
  const quill::plan::FleetTruth truth = quill::plan::WriteFleet(
      argv[1], std::stoi(argv[2]), argc > 3 ? static_cast<uint32_t>(std::stoul(argv[3])) : 1);
  nlohmann::ordered_json json = {{"run_logs", truth.log_files},
                                 {"other_files", truth.other_files},
                                 {"runs", truth.runs},
                                 {"machines", truth.machines.size()},
                                 {"application_runs", truth.application_runs},
                                 {"finished", truth.outcomes[0]},
                                 {"failed_to_launch", truth.outcomes[1]},
                                 {"timed_out", truth.outcomes[2]},
                                 {"without_result", truth.outcomes[3]}};
  for (const auto& [name, app] : truth.apps) {
    json["applications"][name] = {{"runs", app.runs},
                                  {"finished", app.outcomes[0]},
                                  {"failed_to_launch", app.outcomes[1]},
                                  {"timed_out", app.outcomes[2]},
                                  {"without_result", app.outcomes[3]}};
  }
  std::cout << json.dump(2) << "\n";
  return 0;
}
