// quillplan's matrix, which plans languages that a run cannot tell apart by
// one run of the core: every cell must still be what the core's run of that
// cell alone gives, for any INI file and any language table (codes with
// blanks, dots, separators, fallbacks, of any length) on a small drive.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <string>

#include "fuzz_support.h"
#include "plan/matrix/matrix.h"
#include "plan/planning/planner.h"
#include "plan/windows/ini_file.h"
#include "runner/application_command.h"

namespace {

namespace fs = std::filesystem;

using quill::fuzz::Check;
using namespace quill::plan;
using quill::WString;

// Folders and files a command line may meet, some named like codes.
const std::string& Drive() {
  static const std::string root = [] {
    const fs::path drive =
        fs::temp_directory_path() / ("quill-fuzz-matrix-" + std::to_string(::getpid()));
    for (const char* folder : {"A/07", "A/US", "A/SP", "A/a.b", "A/x y", "B b/07", "B b/09"}) {
      fs::create_directories(drive / folder);
    }
    for (const char* file : {"B b/07/s.exe", "B b/s.exe", "B b/t", "A/07/s.exe"}) {
      std::ofstream(drive / file) << "x";
    }
    return drive.string();
  }();
  return root;
}

struct Machine {
  explicit Machine(const IniFile& file) : ini(file), files(Map(), Assumption::kMissing),
                                           platform(ini, u"deploy.ini", files) {}
  static PathMap Map() {
    PathMap map;
    map.Add({u"C:", Drive()});
    return map;
  }
  IniFile ini;
  MachineFiles files;
  PlanPlatform platform;
};

bool SameEntries(const PassPlan& cell, const PassPlan& run, const WString& code) {
  if (cell.entries.size() != run.entries.size()) return false;
  for (size_t i = 0; i < cell.entries.size(); ++i) {
    PlanEntry told = cell.entries[i];
    const PlanEntry& ran = run.entries[i];
    quill::ReplaceAll(told.command_line, u"<code>", code);
    quill::ReplaceAll(told.handed, u"<code>", code);
    if (told.launched != ran.launched || told.skip != ran.skip ||
        told.app_section != ran.app_section || told.list_section != ran.list_section ||
        told.app_key != ran.app_key || told.command_line != ran.command_line ||
        (told.launched && told.handed != ran.handed)) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4000) return 0;
  FuzzedDataProvider input(data, size);
  const std::string table_bytes = input.ConsumeRandomLengthString(1500);
  const std::string ini_bytes =
      "[Settings]\nAppInstlPath=C:\\AppInstl\n" + input.ConsumeRemainingBytesAsString();
  const std::string table = Drive() + "/LANG.INI";
  std::ofstream(table, std::ios::binary | std::ios::trunc) << table_bytes;

  const IniFile ini = IniFile::FromBytes(ini_bytes);
  Machine whole(ini);
  const Matrix matrix = MakeMatrix(table, whole.platform);
  if (!matrix.problem.empty() || matrix.cells > 3000) return 0;

  Machine alone(ini);
  for (const MachineMatrix& machine : matrix.machines) {
    for (size_t l = 0; l < matrix.languages.size(); ++l) {
      for (size_t s = 0; s < matrix.systems.size(); ++s) {
        PlanRequest request;
        request.machine_id = machine.system_id.substr(2);
        request.windows = matrix.systems[s];
        request.language = matrix.languages[l].choice;
        request.language_table = table;
        const Plan run = PlanRun(request, alone.platform);
        // The run trims the identity it is given: a section named with
        // blanks after "0x" is no machine's.
        if (run.system_id != machine.system_id) continue;
        const MatrixVariant& variant = machine.variants[machine.cells[l][s]];
        Check(run.exit_code == variant.exit_code, "a cell's exit code is its run's");
        Check(!run.passes.empty() &&
                  SameEntries(machine.pass0[variant.pass0], run.passes[0],
                              run.language.language_code),
              "a cell's pass 0 is its run's");
        Check((variant.pass1 < 0) == (run.passes.size() < 2), "a cell runs pass 1 as its run");
        if (variant.pass1 >= 0) {
          Check(SameEntries(machine.pass1[variant.pass1], run.passes[1],
                            run.language.language_code),
                "a cell's pass 1 is its run's");
        }
      }
    }
  }
  return 0;
}
