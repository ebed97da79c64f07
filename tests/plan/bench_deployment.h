#ifndef QUILL_TESTS_PLAN_BENCH_DEPLOYMENT_H_
#define QUILL_TESTS_PLAN_BENCH_DEPLOYMENT_H_

// A generated deployment with what a real one has: a common list and its
// system lists, a list per machine and per-machine system lists, every
// application taking its language from a folder with GlobalSwitches to fall
// back on, some under a path with blanks, "US" folders for the languages
// that fall back to them. The rules are functions, so that a test knows the
// truth of what it wrote.
#include <string>

#include "temp_tree.h"

namespace quill::plan {

struct DeploymentShape {
  int machines = 200;
  int applications_per_machine = 50;
  int application_sections = 300;
  int languages = 100;
};

// 6 machines x 4 applications of 14 x 5 languages: small enough to check
// cell by cell.
DeploymentShape SmallDeploymentShape();

// Machine m's SystemID without "0x": 4 or more hexadecimal digits.
std::string BenchMachineId(int machine);
// The application section the machine's list names at a slot (APP slot+1).
int BenchListedApplication(const DeploymentShape& shape, int machine, int slot);
std::string BenchLanguageCode(int language);
// Whether application `app` has a folder for the language's code.
bool BenchHasLanguageFolder(int app, int language);

std::string BenchIni(const DeploymentShape& shape);
std::string BenchLanguageTable(const DeploymentShape& shape);

struct BenchFiles {
  std::string ini;    // the input INI file
  std::string image;  // the machine's C: drive, for --map C:=image
};

// The INI file as `ini_name` and the drive as `image_name` under the tree,
// language table included (AppInstlPath\LANG.INI).
BenchFiles WriteBenchDeployment(const TempTree& tree, const DeploymentShape& shape,
                                const std::string& ini_name, const std::string& image_name);

}  // namespace quill::plan

#endif  // QUILL_TESTS_PLAN_BENCH_DEPLOYMENT_H_
