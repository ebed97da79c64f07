#include "plan/verbs/verb_inputs.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "base/ascii.h"
#include "base/utf.h"
#include "plan/host/host_path.h"
#include "plan/text/shown_text.h"
#include "plan/verbs/error_form.h"
#include "plan/windows/ini_text.h"
#include "plan/windows/local_file.h"

namespace quill::plan {

namespace {

int MakeMachineFiles(const char* verb, const MachineFileOptions& options,
                     std::unique_ptr<MachineFiles>* files, std::ostream& err) {
  PathMap map;
  for (const std::string& text : options.maps) {
    PathMapping mapping;
    if (!ParsePathMapping(text, &mapping)) {
      TellError(err, verb, "--map " + text, "wants PREFIX=DIR, as C:=/srv/image");
      return kUsage;
    }
    // A folder that is not there would answer every question "missing".
    std::error_code error;
    if (!std::filesystem::is_directory(HostPath(mapping.local_directory), error)) {
      TellError(err, verb, "--map " + text, mapping.local_directory + " is no folder");
      return kTrouble;
    }
    map.Add(mapping);
  }
  std::string bytes;
  if (!options.language_table.empty() && !ReadLocalFile(options.language_table, &bytes)) {
    TellError(err, verb, options.language_table,
              "the language table cannot be read: " + WhyNotOpened(options.language_table, errno));
    return kTrouble;
  }
  *files = std::make_unique<MachineFiles>(
      std::move(map), options.assume_missing ? Assumption::kMissing : Assumption::kPresent);
  return kAllGood;
}

// The fewest characters `size` bytes hold in the encoding the file's mark
// names: one a byte without a mark, two bytes a character in UTF-16, at
// most four in UTF-8. `in` is left at its start.
uintmax_t FewestCharacters(std::ifstream& in, uintmax_t size) {
  std::string opening(3, '\0');
  in.read(&opening[0], 3);
  opening.resize(static_cast<size_t>(in.gcount()));
  in.clear();
  in.seekg(0);
  switch (DetectIniEncoding(opening)) {
    case IniEncoding::kUtf8: return size / 4;
    case IniEncoding::kUtf16LittleEndian:
    case IniEncoding::kUtf16BigEndian: return size / 2;
    case IniEncoding::kAnsi: break;
  }
  return size;
}

}  // namespace

int VerbMachine::Load(const char* verb, const std::string& ini_path,
                      const MachineFileOptions& options, std::ostream& err) {
  if (const int status = MakeMachineFiles(verb, options, &files_, err)) return status;
  // Read in pieces: a large INI file is never held beside what is read from it.
  std::error_code error;
  const std::filesystem::path local = HostPath(ini_path);
  std::ifstream in;
  errno = 0;
  if (std::filesystem::is_regular_file(local, error)) in.open(local, std::ios::binary);
  if (!in.is_open() || !in) {
    TellError(err, verb, ini_path, "cannot be read: " + WhyNotOpened(ini_path, errno));
    return kTrouble;
  }
  bool failed = false;
  const auto too_long = [&]() {
    TellError(err, verb, ini_path,
              "too long: an INI file of more than " + std::to_string(IniFile::kLongestText) +
                  " characters is not read");
    return kTrouble;
  };
  // Its size, where told, lets the text be kept without growing, and tells
  // a file too long before a byte is read.
  const uintmax_t size = std::filesystem::file_size(local, error);
  if (!error && FewestCharacters(in, size) > IniFile::kLongestText) return too_long();
  ini_ = IniFile::FromPieces(
      [&in, &failed](std::string* piece) {
        piece->resize(1u << 20);
        in.read(&(*piece)[0], static_cast<std::streamsize>(piece->size()));
        piece->resize(static_cast<size_t>(in.gcount()));
        failed = failed || in.bad();
        return !piece->empty();
      },
      error ? 0 : size);
  if (failed) {
    TellError(err, verb, ini_path, "cannot be read: reading failed part of the way");
    return kTrouble;
  }
  if (ini_.too_long()) return too_long();
  platform_ = std::make_unique<PlanPlatform>(ini_, FromUtf8(ini_path), *files_);
  return kAllGood;
}

void TellProblems(const char* verb, const std::vector<FileProblem>& problems, std::ostream& err) {
  for (const FileProblem& problem : problems) {
    err << "quillplan " << verb << ": " << Shown(problem.file);
    if (problem.line > 0) err << ":" << problem.line;
    err << ": " << Shown(problem.reason) << "\n";
  }
}

int LoadFleet(const char* verb, const std::vector<std::string>& paths,
              const std::vector<std::string>& not_inputs, FleetFacts* fleet, std::ostream& err) {
  StreamFleet(paths, not_inputs, LogReading::kSkim, {fleet});
  TellProblems(verb, fleet->problems(), err);
  if (fleet->log_files() == 0) {
    TellError(err, verb, "--fleet", "no run log read; the fleet has no PCs");
    return kTrouble;
  }
  return fleet->any_skipped() ? kTrouble : kAllGood;
}

bool ParseLcid(const std::string& text, uint32_t* lcid) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t from = hex ? 2 : 0;
  if (text.size() == from || text.size() - from > 8) return false;
  uint64_t value = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const int digit = HexDigit(static_cast<unsigned char>(text[i]));
    if (digit < 0 || digit >= (hex ? 16 : 10)) return false;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
  }
  if (value > 0xFFFFFFFFu) return false;
  *lcid = static_cast<uint32_t>(value);
  return true;
}

}  // namespace quill::plan
