#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include <nlohmann/json.hpp>

#include "bench_deployment.h"
#include "plan/verbs/verbs.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

using Cell = std::tuple<std::string, std::string, std::string>;  // machine, system, language

const char* const kSystems[] = {"WINXP", "VISTA32", "VISTA64", "other"};

std::string LanguageLabel(int language) {
  if (language < 0) return "(none)";
  char lcid[16];
  std::snprintf(lcid, sizeof lcid, "0x%x", 0x401 + language);
  return BenchLanguageCode(language) + " (" + lcid + ")";
}

bool ListsInPass0(const DeploymentShape& shape, int machine, int app) {
  for (int slot = 0; slot < shape.applications_per_machine; ++slot) {
    if (BenchListedApplication(shape, machine, slot) == app) return true;
  }
  return false;
}

// Every cell of the deployment's machines (and `extra`) for which `changes`
// holds; the language index is -1 for the unknown locale.
std::set<Cell> CellsWhere(const DeploymentShape& shape, const std::string& extra,
                          const std::function<bool(int, const std::string&, int)>& changes) {
  std::set<Cell> cells;
  for (int machine = -1; machine < shape.machines; ++machine) {
    const std::string id = machine < 0 ? extra : "0x" + BenchMachineId(machine);
    if (id.empty()) continue;
    for (const char* system : kSystems) {
      for (int language = -1; language < shape.languages; ++language) {
        if (changes(machine, system, language)) cells.insert({id, system, LanguageLabel(language)});
      }
    }
  }
  return cells;
}

// The cells a diff names, every compact "where" spelled out.
std::set<Cell> CellsNamed(const nlohmann::json& diff) {
  std::set<Cell> cells;
  for (const auto& change : diff["changes"]) {
    size_t counted = 0;
    for (const auto& where : change["where"]) {
      for (const auto& machine : where["machines"]) {
        for (const auto& pattern : where["cells"]) {
          for (const auto& system : pattern["systems"]) {
            for (const auto& language : pattern["languages"]) {
              cells.insert({machine.get<std::string>(), system.get<std::string>(),
                            language.get<std::string>()});
              ++counted;
            }
          }
        }
      }
    }
    EXPECT_EQ(change["cells"].get<size_t>(), counted) << change.dump();
  }
  return cells;
}

struct KnownEdit {
  const char* name;
  std::string from;  // text of the generated INI file, replaced by `to`
  std::string to;
  std::string extra_machine;  // a machine only NEW has a section for
  std::function<bool(const DeploymentShape&, int, const std::string&, int)> changes;
  const char* new_rule;  // the one new lint finding's rule, or null
  std::string setting;   // the one setting that changes, as the text tells it, or empty
  std::vector<std::pair<std::string, std::string>> both = {};  // edits made on both sides first
};

TEST(DiffTest, FindsExactlyTheCellsAnEditChanges) {
  const DeploymentShape shape = SmallDeploymentShape();
  const std::pair<std::string, std::string> with_rules = {
      "AppPath=C:\\Apps\\App7\r\n",
      "AppPath=C:\\Apps\\App7\r\nDetectMsi={0000000A-0000-0000-0000-000000000001},"
      "{0000000B-0000-0000-0000-000000000002}\r\nDetectFile=C:\\Q\\q.exe >= 1.0\r\n"
      "DetectKey=HKLM\\Software\\Q\r\n"};
  const auto nowhere = [](const DeploymentShape&, int, const std::string&, int) { return false; };
  const std::vector<KnownEdit> edits = {
      {"App7 moves: every cell whose lists hold it", "AppPath=C:\\Apps\\App7\r\n",
       "AppPath=C:\\Apps\\Moved7\r\n", "",
       [](const DeploymentShape& s, int m, const std::string& system, int) {
         return ListsInPass0(s, m, 7) || (system == "VISTA64" && 6 + m % 5 == 7);
       },
       nullptr, ""},
      {"machine 2 gets one more application", "[0x1002]\r\n", "[0x1002]\r\nAPP5=App0\r\n", "",
       [](const DeploymentShape&, int m, const std::string&, int) { return m == 2; }, nullptr, ""},
      {"the common VISTA32 list loses its application", "[0xFFFF_VISTA32]\r\nAPP1=App5\r\n",
       "[0xFFFF_VISTA32]\r\n", "",
       [](const DeploymentShape&, int, const std::string& system, int) {
         return system == "VISTA32";
       },
       nullptr, ""},
      {"the common VISTA64 list loses its application", "[0xFFFF_VISTA64]\r\nAPP1=App4\r\n",
       "[0xFFFF_VISTA64]\r\n", "",
       [](const DeploymentShape&, int, const std::string& system, int) {
         return system == "VISTA64";
       },
       nullptr, ""},
      {"machine 2's VISTA64 list gets one more application", "[0x1002_VISTA64]\r\n",
       "[0x1002_VISTA64]\r\nAPP3=App0\r\n", "",
       [](const DeploymentShape&, int m, const std::string& system, int) {
         return m == 2 && system == "VISTA64";
       },
       nullptr, ""},
      {"a machine only NEW names runs its own list", "[App0]\r\n",
       "[0x9999]\r\nAPP1=App9\r\n[App0]\r\n", "0x9999",
       [](const DeploymentShape&, int m, const std::string&, int) { return m < 0; }, nullptr, ""},
      {"a key after a gap: no plan changes, one new finding", "[0x1003]\r\n",
       "[0x1003]\r\nAPP9=App1\r\n", "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; },
       "app-key-unreachable", ""},
      {"SuccessCodes while exit codes are not recorded: no plan changes, one new finding",
       "AppPath=C:\\Apps\\App7\r\n", "AppPath=C:\\Apps\\App7\r\nSuccessCodes=0,3010\r\n", "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; },
       "exit-key-while-off", ""},
      {"the wait ends with each installer: no plan changes, one setting", "MaxInstallTime=600\r\n",
       "MaxInstallTime=600\r\nWaitForExit=1\r\n", "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; }, nullptr,
       "WaitForExit no yes"},
      {"the whole tree waited for: every launch changes, one setting", "MaxInstallTime=600\r\n",
       "MaxInstallTime=600\r\nWaitForChildren=1\r\n", "",
       [](const DeploymentShape&, int, const std::string&, int) { return true; }, nullptr,
       "WaitForChildren no yes"},
      {"one application's own limit: its launches change",
       "AppPath=C:\\Apps\\App7\r\n",
       "AppPath=C:\\Apps\\App7\r\nMaxInstallTime=1200\r\n",
       "",
       [](const DeploymentShape& s, int m, const std::string& system, int) {
         return ListsInPass0(s, m, 7) || (system == "VISTA64" && 6 + m % 5 == 7);
       },
       nullptr,
       "",
       {{"MaxInstallTime=600\r\n", "MaxInstallTime=600\r\nStopAtTimeLimit=0\r\n"}}},
      {"an own limit without a key of the tree in [Settings]: unread, one new finding",
       "AppPath=C:\\Apps\\App7\r\n", "AppPath=C:\\Apps\\App7\r\nMaxInstallTime=1200\r\n", "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; },
       "tree-key-while-off", ""},
      {"a HashList that cannot be read: no installer starts anywhere, one new finding",
       "MaxInstallTime=600\r\n", "MaxInstallTime=600\r\nHashList=C:\\none.sha256\r\n", "",
       [](const DeploymentShape&, int, const std::string&, int) { return true; },
       "hash-list-unreadable",
       "HashList  C:\\none.sha256: cannot be read, so no installer is started"},
      // Lists that the run reads alike: nothing changes.
      {"SuccessCodes in another order",
       "SuccessCodes=0,3010\r\n",
       "SuccessCodes=3010, 0\r\n",
       "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; },
       nullptr,
       "",
       {{"MaxInstallTime=600\r\n", "MaxInstallTime=600\r\nLogExitCodes=1\r\n"},
        {"AppPath=C:\\Apps\\App7\r\n", "AppPath=C:\\Apps\\App7\r\nSuccessCodes=0,3010\r\n"}}},
      {"the default SuccessCodes written out",
       "AppPath=C:\\Apps\\App7\r\n",
       "AppPath=C:\\Apps\\App7\r\nSuccessCodes=3010,0,1641,1707\r\n",
       "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; },
       nullptr,
       "",
       {{"MaxInstallTime=600\r\n", "MaxInstallTime=600\r\nLogExitCodes=1\r\n"}}},
      {"BusyCodes named twice",
       "BusyRetries=2\r\n",
       "BusyRetries=2\r\nBusyCodes=1618,1618\r\n",
       "",
       [](const DeploymentShape&, int, const std::string&, int) { return false; },
       nullptr,
       "",
       {{"MaxInstallTime=600\r\n", "MaxInstallTime=600\r\nLogExitCodes=1\r\nBusyRetries=2\r\n"}}},
      // Rules the run asks alike: nothing changes; a version that differs does.
      {"the product codes reordered, in lower case",
       "DetectMsi={0000000A-0000-0000-0000-000000000001},{0000000B-0000-0000-0000-000000000002}"
       "\r\n",
       "DetectMsi={0000000b-0000-0000-0000-000000000002}, "
       "{0000000a-0000-0000-0000-000000000001}\r\n",
       "",
       nowhere,
       nullptr,
       "",
       {with_rules}},
      {"a version's zeros and a path's case",
       "DetectFile=C:\\Q\\q.exe >= 1.0\r\n",
       "DetectFile=c:\\q\\Q.EXE>=1.0.0.0\r\n",
       "",
       nowhere,
       nullptr,
       "",
       {with_rules}},
      {"the root spelt out, a trailing backslash",
       "DetectKey=HKLM\\Software\\Q\r\n",
       "DetectKey=HKEY_LOCAL_MACHINE\\SOFTWARE\\Q\\\r\n",
       "",
       nowhere,
       nullptr,
       "",
       {with_rules}},
      {"a version that differs",
       "DetectFile=C:\\Q\\q.exe >= 1.0\r\n",
       "DetectFile=C:\\Q\\q.exe >= 1.0.1\r\n",
       "",
       [](const DeploymentShape& s, int m, const std::string& system, int) {
         return ListsInPass0(s, m, 7) || (system == "VISTA64" && 6 + m % 5 == 7);
       },
       nullptr,
       "",
       {with_rules}},
      {"a HashList path in another case",
       "HashList=C:\\list.sha256\r\n",
       "HashList=c:\\LIST.SHA256\r\n",
       "",
       nowhere,
       nullptr,
       "",
       {{"MaxInstallTime=600\r\n", "MaxInstallTime=600\r\nHashList=C:\\list.sha256\r\n"}}},
  };
  TempTree tree;
  const BenchFiles old_files = WriteBenchDeployment(tree, shape, "old.ini", "image");
  tree.File("image/list.sha256", "");
  for (const KnownEdit& edit : edits) {
    SCOPED_TRACE(edit.name);
    std::string ini = BenchIni(shape);
    for (const auto& [from, to] : edit.both) {
      const size_t at = ini.find(from);
      ASSERT_NE(std::string::npos, at);
      ini.replace(at, from.size(), to);
    }
    const size_t at = ini.find(edit.from);
    ASSERT_NE(std::string::npos, at);
    DiffOptions options;
    options.old_ini = edit.both.empty() ? old_files.ini : tree.File("old-edited.ini", ini);
    options.new_ini = tree.File("new.ini", std::string(ini).replace(at, edit.from.size(), edit.to));
    options.old_files.maps = options.new_files.maps = {"C:=" + old_files.image};
    options.json = true;
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunDiffVerb(options, out, err);
    const nlohmann::json diff = nlohmann::json::parse(out.str());

    const std::set<Cell> expected = CellsWhere(
        shape, edit.extra_machine,
        [&](int m, const std::string& system, int l) { return edit.changes(shape, m, system, l); });
    const bool found = !expected.empty() || edit.new_rule || !edit.setting.empty();
    EXPECT_EQ(found ? 1 : 0, status) << err.str();
    EXPECT_EQ(expected, CellsNamed(diff));
    EXPECT_EQ(expected.size(), diff["changed_cells"].get<size_t>());
    EXPECT_EQ(4u * (shape.machines + !edit.extra_machine.empty()) * (shape.languages + 1),
              diff["cells"].get<size_t>());
    ASSERT_EQ(edit.new_rule ? 1u : 0u, diff["new_findings"].size()) << diff["new_findings"].dump();
    if (edit.new_rule) {
      EXPECT_EQ(edit.new_rule, diff["new_findings"][0]["rule"]);
    }
    std::string settings;
    for (const auto& setting : diff["settings"]) {
      settings += setting["name"].get<std::string>() + " " + setting["old"].get<std::string>() +
                  " " + setting["new"].get<std::string>();
    }
    EXPECT_EQ(edit.setting, settings);

    // Machines whose sections read the same are not planned: planning every
    // one must tell the same.
    options.every_machine = true;
    std::ostringstream every;
    EXPECT_EQ(found ? 1 : 0, RunDiffVerb(options, every, err));
    EXPECT_EQ(out.str(), every.str());
  }
}

// An INI file of the common lists only: every machine runs them, one row.
TEST(DiffTest, TheCommonListsAloneAreOneRow) {
  TempTree tree;
  const std::string ini =
      "[Settings]\r\nAppInstlPath=C:\\AppInstl\r\n[0xFFFF]\r\nAPP1=A\r\n"
      "[A]\r\nAppPath=C:\\A\r\nAppSwitches=a.exe\r\n";
  DiffOptions options;
  options.old_ini = tree.File("old.ini", ini);
  options.new_ini = tree.File("new.ini", std::string(ini).replace(ini.find("a.exe"), 1, "b"));
  tree.File("c/AppInstl/LANG.INI", "[09]\nLCID=0x409\n");
  options.old_files.maps = options.new_files.maps = {"C:=" + tree.Directory("c")};
  options.json = true;
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(1, RunDiffVerb(options, out, err)) << err.str();
  const nlohmann::json diff = nlohmann::json::parse(out.str());
  EXPECT_EQ(std::vector<std::string>({"0x*"}), diff["machines"].get<std::vector<std::string>>());
  EXPECT_EQ(diff["cells"], diff["changed_cells"]) << out.str();
  EXPECT_LT(0u, diff["cells"].get<size_t>()) << out.str();
}

// The same deployment on both sides: nothing changes, and the text says so;
// a side that cannot be read is trouble.
TEST(DiffTest, AnUneditedDeploymentHasNoChange) {
  TempTree tree;
  const BenchFiles files = WriteBenchDeployment(tree, SmallDeploymentShape(), "old.ini", "image");
  DiffOptions options;
  options.old_ini = files.ini;
  options.new_ini = tree.File("same.ini", BenchIni(SmallDeploymentShape()) + "; a comment\r\n");
  options.old_files.maps = options.new_files.maps = {"C:=" + files.image};
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(0, RunDiffVerb(options, out, err)) << out.str() << err.str();
  EXPECT_NE(std::string::npos, out.str().find("0 changed; 0 changes")) << out.str();

  options.new_ini = tree.Path("missing.ini");
  EXPECT_EQ(2, RunDiffVerb(options, out, err));
  EXPECT_NE(std::string::npos, err.str().find("missing.ini")) << err.str();
}

}  // namespace
}  // namespace quill::plan
