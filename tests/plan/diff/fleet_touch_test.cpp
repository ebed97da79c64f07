// The PCs an edit touches, on a generated fleet whose PCs run a generated
// deployment: the truth is what the generator wrote into each log's latest run.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "bench_deployment.h"
#include "fleet/fleet_generator.h"
#include "plan/verbs/verbs.h"
#include "temp_tree.h"

namespace quill::plan {
namespace {

// Machines 0 to 4 of the deployment in every language of its table: none runs machine 5.
FleetMix MixOf(const DeploymentShape& shape) {
  FleetMix mix;
  for (int m = 0; m < shape.machines - 1; ++m) mix.system_ids.push_back("0x" + BenchMachineId(m));
  for (int l = 0; l < shape.languages; ++l) {
    char lcid[16];
    std::snprintf(lcid, sizeof lcid, "0x%x", 0x401 + l);
    mix.languages.push_back({lcid, BenchLanguageCode(l)});
  }
  mix.other_files = false;
  return mix;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The log files of a CSV's rows ("log file", its eighth field), those
// apart and those a change touches; no field of these holds a line end.
std::map<std::string, std::set<std::string>> CsvFiles(const std::string& csv) {
  std::map<std::string, std::set<std::string>> files = {{"apart", {}}, {"change", {}}};
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  while (std::getline(lines, line)) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
      if (c == '"') {
        quoted = !quoted;
      } else if (c == ',' && !quoted) {
        fields.emplace_back();
      } else if (c != '\r') {
        fields.back() += c;
      }
    }
    EXPECT_EQ(12u, fields.size()) << line;
    if (fields.size() == 12) files[fields[1] == "apart" ? "apart" : "change"].insert(fields[7]);
  }
  return files;
}

struct KnownFleetEdit {
  const char* name;
  std::string from;  // text of the generated INI file, replaced by `to`
  std::string to;
  std::string new_table;  // the language table of NEW, when it has its own
  std::function<bool(const RunTruth&)> touches;
  int plain = 1;  // diff's answer without the fleet
};

TEST(FleetTouchTest, EachKnownEditTouchesExactlyItsPcs) {
  const DeploymentShape shape = SmallDeploymentShape();
  TempTree tree;
  const BenchFiles old_files = WriteBenchDeployment(tree, shape, "old.ini", "image");
  const FleetTruth truth = WriteFleet(tree.Path("logs"), 200, 7, MixOf(shape));
  std::map<std::string, RunTruth> latest;
  for (const RunTruth& run : truth.run_list) latest[run.file] = run;
  std::set<std::string> apart;
  for (const auto& [file, run] : latest) {
    if (run.error) apart.insert(file);
  }
  std::string table = BenchLanguageTable(shape);
  table.replace(table.find("[03]"), 4, "[X3]");
  const std::vector<KnownFleetEdit> edits = {
      {"machine 2's list", "[0x1002]\r\n", "[0x1002]\r\nAPP5=App0\r\n", "",
       [](const RunTruth& run) { return run.system_id == "0x1002"; }},
      {"the common VISTA32 list", "[0xFFFF_VISTA32]\r\nAPP1=App5\r\n", "[0xFFFF_VISTA32]\r\n", "",
       [](const RunTruth& run) { return run.os_type == "VISTA32"; }},
      {"%LANG% of 0x404 names another folder", "", "", tree.File("new-lang.ini", table),
       [](const RunTruth& run) { return run.lcid == "0x404"; }},
      {"machine 5's list: no PC runs it", "[0x1005]\r\n", "[0x1005]\r\nAPP5=App0\r\n", "",
       [](const RunTruth&) { return false; }},
      {"[Settings] read alike", "MaxInstallTime=600\r\n", "MaxInstallTime = 600 \r\n", "",
       [](const RunTruth&) { return false; }, 0},
  };
  const std::string ini = BenchIni(shape);
  for (const KnownFleetEdit& edit : edits) {
    SCOPED_TRACE(edit.name);
    std::set<std::string> expected;
    for (const auto& [file, run] : latest) {
      if (!run.error && edit.touches(run)) expected.insert(file);
    }
    DiffOptions options;
    options.old_ini = old_files.ini;
    options.new_ini = tree.File(
        "new.ini", edit.from.empty()
                       ? ini
                       : std::string(ini).replace(ini.find(edit.from), edit.from.size(), edit.to));
    options.old_files.maps = options.new_files.maps = {"C:=" + old_files.image};
    options.new_files.language_table = edit.new_table;
    const int touched = expected.empty() ? 0 : 1;
    std::ostringstream err;
    options.json = true;
    std::ostringstream plain;
    EXPECT_EQ(edit.plain, RunDiffVerb(options, plain, err)) << err.str();
    options.json = false;
    const nlohmann::json whole = nlohmann::json::parse(plain.str());
    // One count for the deployment, whatever the fleet's cells.
    const size_t deployment_changes = whole["settings"].size() + whole["changes"].size();

    options.fleet = {tree.Path("logs")};
    options.csv = tree.Path("touched.csv");
    std::ostringstream text;
    EXPECT_EQ(touched, RunDiffVerb(options, text, err)) << err.str();
    const std::string count = "touched: " + std::to_string(expected.size()) +
                              (expected.size() == 1 ? " PC by" : " PCs by");
    EXPECT_NE(std::string::npos, text.str().find(count)) << text.str();
    EXPECT_NE(std::string::npos,
              text.str().find("(of " + std::to_string(deployment_changes) + " in the deployment)"))
        << text.str();
    const std::map<std::string, std::set<std::string>> csv = CsvFiles(Slurp(options.csv));
    EXPECT_EQ(expected, csv.at("change"));
    EXPECT_EQ(apart, csv.at("apart"));

    options.json = true;
    options.csv.clear();
    std::ostringstream json_text;
    EXPECT_EQ(touched, RunDiffVerb(options, json_text, err)) << err.str();
    const nlohmann::json json = nlohmann::json::parse(json_text.str());
    std::set<std::string> named;
    for (const auto& change : json["changes"]) {
      for (const auto& pc : change["touched"]) {
        named.insert(pc["log"].get<std::string>());
        const RunTruth& run = latest.at(pc["log"].get<std::string>());
        EXPECT_EQ(run.system_id, pc["system_id"]);
        EXPECT_EQ(run.os_type.empty() ? "other" : run.os_type, pc["os_type"]);
        // As NEW names it.
        EXPECT_EQ((run.lcid == "0x404" && !edit.new_table.empty() ? "X3" : run.language_code) +
                      " (" + run.lcid + ")",
                  pc["language"]);
      }
    }
    EXPECT_EQ(expected, named);
    EXPECT_EQ(static_cast<int64_t>(expected.size()), json["touched_pcs"].get<int64_t>());
    EXPECT_EQ(deployment_changes, json["deployment_changes"].get<size_t>());
    EXPECT_EQ(apart.size(), json["apart"].size());
    EXPECT_EQ(touched == 1, !expected.empty() && expected.size() < latest.size() - apart.size());
  }

  // The matrix of the fleet: the cells its PCs occupy and no other, each with its PCs.
  std::map<std::string, int64_t> occupied;  // "SystemID OSType LCID"
  for (const auto& [file, run] : latest) {
    if (!run.error)
      ++occupied[run.system_id + " " + (run.os_type.empty() ? "other" : run.os_type) + " " +
                 run.lcid];
  }
  MatrixOptions matrix;
  matrix.ini = old_files.ini;
  matrix.files.maps = {"C:=" + old_files.image};
  matrix.fleet = {tree.Path("logs")};
  matrix.json = true;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(0, RunMatrixVerb(matrix, out, err)) << err.str();
  std::map<std::string, int64_t> shown;
  const nlohmann::json json = nlohmann::json::parse(out.str());
  for (const auto& machine : json["machines"]) {
    for (const auto& cell : machine["cells"]) {
      shown[machine["system_id"].get<std::string>() + " " + cell["system"].get<std::string>() +
            " " + cell["lcid"].get<std::string>()] = cell["pcs"].get<int64_t>();
    }
  }
  EXPECT_EQ(occupied, shown);
}

// Each PC whose latest run cannot be planned is told apart with its
// reason; an earlier run that could be does not stand in for it.
TEST(FleetTouchTest, PcsApartWithTheirReasons) {
  TempTree tree;
  const std::string banner = std::string(109, '*') +
                             "\r\nQUILLRUN starts at: 09:05:03 Sunday, "
                             "December 06, 2026\r\n" +
                             std::string(109, '*') + "\r\n\r\n";
  auto run = [&](const std::string& id, const std::string& os, const std::string& lcid) {
    std::string text = banner + "SystemID      => " + id + "\r\nOSType\t\t  => " + os + "\r\n";
    return lcid.empty() ? text
                        : text + "LCID          => " + lcid + "\r\nLanguage Code => \r\n\r\n";
  };
  const struct {
    std::string log;
    std::string reason;  // empty: planned
  } rows[] = {
      {run("0xAB12", "WINXP", "0x407"), ""},
      {run("0xAB12", "", "0x407"), ""},  // a Windows the program does not name: the column "other"
      {run("", "WINXP", "0x407"), "its latest run names no SystemID"},
      {run("0xAB12", "WIN7", "0x407"),
       "its latest run's OSType \"WIN7\" is none the program writes"},
      {run("0xAB12", "WINXP", "0x407") + run("0xAB12", "WINXP", ""),
       "its latest run ended before its LCID (cut short)"},
      {run("0xAB12", "WINXP", "0x40z"), "its latest run's LCID \"0x40z\" is no locale"},
      // A SystemID in other case is the same fact: sections are found without regard to it.
      {run("0xab12", "WINXP", "0x407"), ""},
      // A log torn inside its LCID record: the value is not read, the run was cut short.
      {run("0xAB12", "WINXP", "") + "LCID          => 0x4",
       "its latest run ended before its LCID (cut short)"},
  };
  std::map<std::string, std::string> expected;
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string file = tree.File("logs/PC" + std::to_string(i) + ".LOG", rows[i].log);
    if (!rows[i].reason.empty()) expected[file] = rows[i].reason;
  }
  MatrixOptions options;
  options.ini = tree.File("deploy.ini", "[Settings]\r\nAppInstlPath=C:\\AppInstl\r\n");
  options.files.language_table = tree.File("LANG.INI", "[07]\r\nLCID=0x407\r\n");
  options.fleet = {tree.Path("logs")};
  options.json = true;
  std::ostringstream out;
  std::ostringstream err;
  ASSERT_EQ(0, RunMatrixVerb(options, out, err)) << err.str();
  const nlohmann::json json = nlohmann::json::parse(out.str());
  std::map<std::string, std::string> apart;
  for (const auto& pc : json["apart"]) apart[pc["log"]] = pc["reason"];
  EXPECT_EQ(expected, apart);
  EXPECT_EQ(3, json["planned_pcs"].get<int>());
  EXPECT_EQ(2, json["facts"].get<int>());
}

}  // namespace
}  // namespace quill::plan
