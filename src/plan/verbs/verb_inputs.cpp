#include "plan/verbs/verb_inputs.h"

#include "plan/windows/local_file.h"
#include "plan/windows/shown_text.h"
#include "plan/windows/utf.h"

namespace quill::plan {

namespace {

int MakeMachineFiles(const MachineFileOptions& options, std::unique_ptr<MachineFiles>* files,
                     std::ostream& err) {
  PathMap map;
  for (const std::string& text : options.maps) {
    PathMapping mapping;
    if (!ParsePathMapping(text, &mapping)) {
      err << "quillplan: --map wants PREFIX=DIR, as C:=/srv/image; not " << Shown(text) << "\n";
      return kUsage;
    }
    map.Add(mapping);
  }
  std::string bytes;
  if (!options.language_table.empty() && !ReadLocalFile(options.language_table, &bytes)) {
    err << "quillplan: cannot read the language table " << Shown(options.language_table) << "\n";
    return kTrouble;
  }
  *files = std::make_unique<MachineFiles>(
      std::move(map), options.assume_missing ? Assumption::kMissing : Assumption::kPresent);
  return kAllGood;
}

}  // namespace

int VerbMachine::Load(const std::string& ini_path, const MachineFileOptions& options,
                      std::ostream& err) {
  if (const int status = MakeMachineFiles(options, &files_, err)) return status;
  std::string bytes;
  if (!ReadLocalFile(ini_path, &bytes)) {
    err << "quillplan: cannot read " << Shown(ini_path) << "\n";
    return kTrouble;
  }
  ini_ = IniFile::FromBytes(bytes);
  platform_ = std::make_unique<PlanPlatform>(ini_, FromUtf8(ini_path), *files_);
  return kAllGood;
}

bool ParseLcid(const std::string& text, uint32_t* lcid) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const size_t from = hex ? 2 : 0;
  if (text.size() == from || text.size() - from > 8) return false;
  uint64_t value = 0;
  for (size_t i = from; i < text.size(); ++i) {
    const char c = text[i];
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    value = value * (hex ? 16 : 10) + static_cast<uint64_t>(digit);
  }
  if (value > 0xFFFFFFFFu) return false;
  *lcid = static_cast<uint32_t>(value);
  return true;
}

}  // namespace quill::plan
