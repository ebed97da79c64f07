#include "bench_deployment.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <vector>

namespace quill::plan {

namespace {

std::string Section(const std::string& name) { return "[" + name + "]\r\n"; }

std::string AppLine(int slot, int app) {
  return "APP" + std::to_string(slot + 1) + "=App" + std::to_string(app) + "\r\n";
}

// Every tenth application lies under a path with blanks.
std::string AppFolder(int app) {
  return (app % 10 == 0 ? "Program Files/App" : "Apps/App") + std::to_string(app);
}

}  // namespace

DeploymentShape SmallDeploymentShape() {
  DeploymentShape shape;
  shape.machines = 6;
  shape.applications_per_machine = 4;
  shape.application_sections = 14;
  shape.languages = 5;
  return shape;
}

std::string BenchMachineId(int machine) {
  char id[16];
  std::snprintf(id, sizeof id, "%04X", 0x1000 + machine);
  return id;
}

int BenchListedApplication(const DeploymentShape& shape, int machine, int slot) {
  return (machine * 7 + slot) % shape.application_sections;
}

std::string BenchLanguageCode(int language) {
  char code[8];
  std::snprintf(code, sizeof code, language < 100 ? "%02d" : "%03d", language);
  return code;
}

// Most applications come in every language; every fifth only in the first
// twenty, and falls back to its GlobalSwitches in the others.
bool BenchHasLanguageFolder(int app, int language) { return app % 5 != 0 || language < 20; }

std::string BenchIni(const DeploymentShape& shape) {
  std::string ini = Section("Settings") +
                    "LogFile=\\Logs\\quillrun.log\r\nAppInstlPath=C:\\AppInstl\r\n"
                    "MaxInstallTime=600\r\n";
  ini += Section("0xFFFF") + AppLine(0, 1) + AppLine(1, 2) + AppLine(2, 3);
  ini += Section("0xFFFF_VISTA64") + AppLine(0, 4);
  ini += Section("0xFFFF_VISTA32") + AppLine(0, 5);
  for (int machine = 0; machine < shape.machines; ++machine) {
    const std::string id = "0x" + BenchMachineId(machine);
    ini += Section(id);
    for (int slot = 0; slot < shape.applications_per_machine; ++slot) {
      ini += AppLine(slot, BenchListedApplication(shape, machine, slot));
    }
    ini += Section(id + "_VISTA64") + AppLine(0, 6 + machine % 5) + AppLine(1, 11);
    if (machine % 4 == 0) ini += Section(id + "_WINXP") + AppLine(0, 12);
  }
  for (int app = 0; app < shape.application_sections; ++app) {
    const std::string n = std::to_string(app);
    std::string path = "C:\\" + AppFolder(app);
    for (char& c : path) c = c == '/' ? '\\' : c;
    ini += Section("App" + n) + "AppPath=" + path + "\r\n";
    ini += "AppSwitches=%LANG%\\setup" + n + ".exe /s\r\n";
    ini += "GlobalSwitches=setup" + n + ".exe /s /lang=en\r\n";
  }
  return ini;
}

std::string BenchLanguageTable(const DeploymentShape& shape) {
  std::string table;
  for (int language = 0; language < shape.languages; ++language) {
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "0x%x", 0x401 + language);
    table += Section(BenchLanguageCode(language)) + "LCID=" + lcid + "\r\n";
  }
  return table;
}

BenchFiles WriteBenchDeployment(const TempTree& tree, const DeploymentShape& shape,
                                const std::string& ini_name, const std::string& image_name) {
  BenchFiles files;
  files.ini = tree.File(ini_name, BenchIni(shape));
  files.image = tree.Directory(image_name);
  tree.File(image_name + "/AppInstl/LANG.INI", BenchLanguageTable(shape));
  // Applications with the same folders share one tree through a link, so
  // that a big deployment is made in moments.
  std::map<std::string, std::string> shared;  // folder names to the tree that has them
  for (int app = 0; app < shape.application_sections; ++app) {
    std::vector<std::string> names;
    if (app % 3 == 0) names.push_back("US");
    for (int language = 0; language < shape.languages; ++language) {
      if (BenchHasLanguageFolder(app, language)) names.push_back(BenchLanguageCode(language));
    }
    std::string key;
    for (const std::string& name : names) key += name + "/";
    auto found = shared.find(key);
    if (found == shared.end()) {
      const std::string tree_name = "shared/" + std::to_string(shared.size());
      for (const std::string& name : names) tree.Directory(tree_name + "/" + name);
      found = shared.emplace(key, tree.Path(tree_name)).first;
    }
    const std::filesystem::path link = tree.Path(image_name + "/" + AppFolder(app));
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_directory_symlink(found->second, link);
  }
  return files;
}

}  // namespace quill::plan
