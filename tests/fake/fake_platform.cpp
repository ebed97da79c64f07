#include "fake_platform.h"

#include <algorithm>
#include <cmath>

#include "base/utf.h"

namespace quill {

std::string Narrow(const WString& text) { return ToUtf8(text); }

WString Widen(const std::string& utf8) { return FromUtf8(utf8); }

namespace {

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

WString TrimBlanks(const WString& text) {
  size_t begin = text.find_first_not_of(u" \t\r");
  if (begin == WString::npos) return WString();
  size_t end = text.find_last_not_of(u" \t\r");
  return text.substr(begin, end - begin + 1);
}

}  // namespace

class FakeAppendFile : public AppendFile {
 public:
  FakeAppendFile(FakePlatform* platform, std::string key) : platform_(platform), key_(key) {
    ++platform_->open_append_files_;
  }
  ~FakeAppendFile() override { Close(); }
  bool Append(const std::string& bytes) override {
    platform_->Record("Append " + key_ + " " + std::to_string(bytes.size()));
    if (closed_ || platform_->Fails("Append")) return false;
    platform_->entries_[key_].bytes += bytes;
    return true;
  }
  bool Flush() override {
    platform_->Record("Flush " + key_);
    return !closed_ && !platform_->Fails("Flush");
  }
  bool Close() override {
    if (closed_) return true;
    closed_ = true;
    --platform_->open_append_files_;
    platform_->Record("Close " + key_);
    return true;
  }

 private:
  FakePlatform* platform_;
  std::string key_;
  bool closed_ = false;
};

FakePlatform::FakePlatform() = default;

// Windows names a directory with or without a trailing backslash.
std::string FakePlatform::Key(const WString& path) const {
  const auto drive = mapped_drives_.find(Upper(Narrow(path.substr(0, 2))));
  std::string key =
      Upper(Narrow(drive == mapped_drives_.end() ? path : drive->second + path.substr(2)));
  while (key.size() > 3 && key.back() == '\\') key.pop_back();
  return key;
}

bool FakePlatform::ParentExists(const WString& path) const {
  const size_t slash = path.rfind(u'\\');
  if (slash == WString::npos) return true;  // relative to a current directory
  const WString parent = path.substr(0, slash);
  if (parent.size() <= 2 && parent.find(u':') != WString::npos) return true;  // a drive root
  if (parent.empty()) return true;
  auto it = entries_.find(Key(parent));
  return it != entries_.end() && it->second.directory;
}

void FakePlatform::AddDirectory(const WString& path) {
  Entry entry;
  entry.directory = true;
  entry.attributes = kFileAttributeDirectory;
  entries_[Key(path)] = entry;
}

void FakePlatform::AddFile(const WString& path, const std::string& bytes, uint32_t attributes) {
  Entry entry;
  entry.attributes = attributes;
  entry.bytes = bytes;
  entry.written = next_write_time_++;
  entries_[Key(path)] = entry;
}

void FakePlatform::AddIniFile(const WString& path, const WString& text) {
  AddFile(path, Narrow(text));
  auto& sections = inis_[Key(path)];
  sections.clear();
  std::string section;
  bool in_section = false;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(u'\n', at);
    if (end == WString::npos) end = text.size();
    const WString line = TrimBlanks(text.substr(at, end - at));
    at = end + 1;
    if (line.empty() || line[0] == u';') continue;
    if (line[0] == u'[') {
      const size_t close = line.find(u']');
      section = Upper(Narrow(TrimBlanks(line.substr(1, close == WString::npos ? WString::npos
                                                                            : close - 1))));
      in_section = true;
      sections[section];
      continue;
    }
    const size_t equals = line.find(u'=');
    if (!in_section || equals == WString::npos) continue;
    const std::string key = Upper(Narrow(TrimBlanks(line.substr(0, equals))));
    auto& keys = sections[section];
    if (keys.count(key) == 0) keys[key] = TrimBlanks(line.substr(equals + 1));
  }
}

void FakePlatform::MakeUnreadable(const WString& path) { entries_[Key(path)].unreadable = true; }

void FakePlatform::MapDrive(const WString& drive, const WString& share) {
  mapped_drives_[Upper(Narrow(drive))] = share;
}

void FakePlatform::LetUsersWrite(const WString& folder) { user_writable_.insert(Key(folder)); }

void FakePlatform::RemoveFile(const WString& path) {
  entries_.erase(Key(path));
  inis_.erase(Key(path));
}

void FakePlatform::AddProgram(const WString& command_line, double seconds, uint32_t exit_code) {
  programs_[Narrow(command_line)] = Program{std::llround(seconds * 1000), exit_code};
}

void FakePlatform::AddLauncher(const WString& command_line, double seconds, double tree_seconds,
                               uint32_t processes, uint32_t exit_code) {
  AddProgram(command_line, seconds, exit_code);
  Program& program = programs_[Narrow(command_line)];
  program.tree_ms = std::llround(tree_seconds * 1000);
  program.tree_processes = processes;
}

void FakePlatform::RefuseEnd(const WString& command_line) {
  programs_[Narrow(command_line)].refuses_end = true;
}

void FakePlatform::AddProgramTries(const WString& command_line, double seconds,
                                   std::vector<uint32_t> codes) {
  AddProgram(command_line, seconds, codes.front());
  later_codes_[Narrow(command_line)] = std::vector<uint32_t>(codes.begin() + 1, codes.end());
}

void FakePlatform::AddLibrary(const WString& path, const FakeLibrary& library) {
  libraries_[Key(path)] = library;
}

void FakePlatform::AddMachineValue(const WString& key, const WString& name, const WString& data) {
  machine_values_[Upper(Narrow(key + u"\\" + name))] = data;
}

const WString* FakePlatform::MachineValue(const WString& key, const WString& name) const {
  auto it = machine_values_.find(Upper(Narrow(key + u"\\" + name)));
  return it == machine_values_.end() ? nullptr : &it->second;
}

bool FakePlatform::Exists(const WString& path) const { return entries_.count(Key(path)) > 0; }

std::string FakePlatform::FileBytes(const WString& path) const {
  auto it = entries_.find(Key(path));
  return it == entries_.end() ? std::string() : it->second.bytes;
}

uint32_t FakePlatform::AttributesOf(const WString& path) const {
  auto it = entries_.find(Key(path));
  return it == entries_.end() ? kInvalidFileAttributes : it->second.attributes;
}

std::vector<std::string> FakePlatform::CallsNamed(const std::string& operation) const {
  std::vector<std::string> named;
  for (const std::string& call : calls_) {
    if (call == operation || call.rfind(operation + " ", 0) == 0) named.push_back(call);
  }
  return named;
}

WString FakePlatform::ReadPrivateProfileString(const WString& section, const WString& key,
                                               const WString& default_value,
                                               size_t buffer_chars, const WString& path) {
  Record("ReadPrivateProfileString [" + Narrow(section) + "] " + Narrow(key) + " " +
         Narrow(path) + " " + std::to_string(buffer_chars));
  WString value = default_value;
  auto file = inis_.find(Key(path));
  const auto entry = entries_.find(Key(path));
  const bool unreadable = entry != entries_.end() && entry->second.unreadable;
  if (!Fails("ReadPrivateProfileString") && file != inis_.end() && !unreadable) {
    auto sec = file->second.find(Upper(Narrow(section)));
    if (sec != file->second.end()) {
      auto k = sec->second.find(Upper(Narrow(key)));
      if (k != sec->second.end()) value = k->second;
    }
  }
  if (buffer_chars > 0 && value.size() > buffer_chars - 1) value.resize(buffer_chars - 1);
  return value;
}

uint32_t FakePlatform::GetAttributes(const WString& path) {
  Record("GetAttributes " + Narrow(path));
  if (Fails("GetAttributes")) return kInvalidFileAttributes;
  return AttributesOf(path);
}

bool FakePlatform::SetAttributes(const WString& path, uint32_t attributes) {
  Record("SetAttributes " + Narrow(path) + " " + std::to_string(attributes));
  auto it = entries_.find(Key(path));
  if (Fails("SetAttributes") || it == entries_.end()) return false;
  it->second.attributes = attributes;
  return true;
}

bool FakePlatform::MakeDirectory(const WString& path) {
  Record("MakeDirectory " + Narrow(path));
  if (Fails("MakeDirectory") || Exists(path) || !ParentExists(path)) return false;
  AddDirectory(path);
  return true;
}

bool FakePlatform::Copy(const WString& from, const WString& to, bool fail_if_exists) {
  Record("Copy " + Narrow(from) + " " + Narrow(to) + (fail_if_exists ? " 1" : " 0"));
  auto source = entries_.find(Key(from));
  if (Fails("Copy") || source == entries_.end() || source->second.directory) return false;
  if ((fail_if_exists && Exists(to)) || !ParentExists(to)) return false;
  Entry copy = source->second;
  copy.unreadable = false;
  entries_[Key(to)] = copy;
  return true;
}

CopyOutcome FakePlatform::CopyWhole(const WString& from, const WString& temporary,
                                    const WString& to, uint32_t time_limit_ms) {
  Record("CopyWhole " + Narrow(from) + " " + Narrow(temporary) + " " + Narrow(to) + " " +
         std::to_string(time_limit_ms));
  CopyOutcome outcome;
  auto source = entries_.find(Key(from));
  if (source == entries_.end() || source->second.directory || source->second.unreadable) {
    outcome.failure = CopyFailure::kSourceUnreadable;
  } else if (!ParentExists(to)) {
    outcome.failure = CopyFailure::kFolderMissing;
  } else if (Exists(to) && (AttributesOf(to) & kFileAttributeReadOnly) != 0) {
    outcome.failure = CopyFailure::kAccessDenied;
  } else {
    outcome.failure = copy_failure;
  }
  if (outcome.failure == CopyFailure::kTimedOut) {
    const std::string& bytes = source->second.bytes;
    AddFile(temporary, bytes.substr(0, bytes.size() / 2));
  } else if (outcome.failure == CopyFailure::kNone) {
    AddFile(to, source->second.bytes);
    entries_.erase(Key(temporary));
  }
  return outcome;
}

WString FakePlatform::CurrentDirectory(size_t buffer_chars) {
  Record("CurrentDirectory " + std::to_string(buffer_chars));
  if (Fails("CurrentDirectory") || current_directory.size() >= buffer_chars) return WString();
  return current_directory;
}

std::unique_ptr<AppendFile> FakePlatform::OpenForAppend(const WString& path) {
  Record("OpenForAppend " + Narrow(path));
  if (Fails("OpenForAppend") || !ParentExists(path)) return nullptr;
  auto it = entries_.find(Key(path));
  if (it != entries_.end()) {
    if (it->second.directory || (it->second.attributes & kFileAttributeReadOnly)) return nullptr;
  } else {
    AddFile(path, std::string());
    it = entries_.find(Key(path));
  }
  std::string& bytes = it->second.bytes;
  if (!bytes.empty() && bytes.back() == '\x1a') bytes.pop_back();
  return std::make_unique<FakeAppendFile>(this, Key(path));
}

bool FakePlatform::ReadFileBytes(const WString& path, std::string* bytes) {
  Record("ReadFileBytes " + Narrow(path));
  auto it = entries_.find(Key(path));
  if (Fails("ReadFileBytes") || it == entries_.end() || it->second.directory ||
      it->second.unreadable) {
    return false;
  }
  *bytes = it->second.bytes;
  return true;
}

bool FakePlatform::StartProcess(std::vector<char16_t>* command_line, const ProcessRequest& request,
                                ProcessHandle* process) {
  const WString text(command_line->data());
  Record("StartProcess " + Narrow(text));
  last_request = request;
  auto program = programs_.find(Narrow(text));
  if (Fails("StartProcess") || program == programs_.end()) return false;
  *process = next_handle_++;
  Process& started = processes_[*process];
  started.program = program->second;
  const auto swapped = swapped_at_start.find(Key(request.program));
  started.image = Key(swapped == swapped_at_start.end() ? request.program : swapped->second);
  if ((request.creation_flags & kCreateSuspended) == 0) Run(&started);
  std::vector<uint32_t>& later = later_codes_[program->first];
  if (!later.empty()) {  // the next start ends with the next code
    program->second.exit_code = later.front();
    later.erase(later.begin());
  }
  open_handles_.insert(*process);
  auto effect = start_effects_.find(program->first);
  if (effect != start_effects_.end()) effect->second();
  return true;
}

void FakePlatform::Run(Process* process) {
  process->root_end_ms = now_ms + process->program.run_ms;
  process->tree_end_ms = std::max(process->root_end_ms, now_ms + process->program.tree_ms);
}

bool FakePlatform::QueryExitCode(ProcessHandle process, uint32_t* exit_code) {
  Record("QueryExitCode " + std::to_string(now_ms / 1000));
  if (Fails("QueryExitCode") || open_handles_.count(process) == 0) return false;
  const Process& p = processes_[process];
  *exit_code = now_ms >= p.root_end_ms ? p.program.exit_code : kStillActive;
  return true;
}

bool FakePlatform::IsStillRunning(ProcessHandle process) {
  Record("IsStillRunning");
  return now_ms < processes_[process].root_end_ms;
}

// The clock moves on by the time waited: to the process's end, or by all of it.
ProcessWait FakePlatform::WaitForEnd(ProcessHandle process, uint32_t milliseconds) {
  Record("WaitForEnd " + std::to_string(milliseconds));
  if (Fails("WaitForEnd") || open_handles_.count(process) == 0) return ProcessWait::kFailed;
  const int64_t end = processes_[process].root_end_ms;
  if (end - now_ms > milliseconds) {
    now_ms += milliseconds;
    return ProcessWait::kStillRunning;
  }
  now_ms = std::max(now_ms, end);
  return ProcessWait::kEnded;
}

bool FakePlatform::ResumeProcess(ProcessHandle process) {
  Record("ResumeProcess");
  if (Fails("ResumeProcess") || open_handles_.count(process) == 0) return false;
  Process& p = processes_[process];
  if (p.root_end_ms == kSuspended) Run(&p);
  return true;
}

bool FakePlatform::EndProcess(ProcessHandle process, uint32_t exit_code) {
  Record("EndProcess " + std::to_string(exit_code));
  if (Fails("EndProcess") || open_handles_.count(process) == 0) return false;
  Process& p = processes_[process];
  if (p.program.refuses_end || now_ms >= p.root_end_ms) return true;
  p.root_end_ms = now_ms;  // what it started goes on
  p.program.exit_code = exit_code;
  return true;
}

void FakePlatform::CloseProcessHandles(ProcessHandle process) {
  Record("CloseProcessHandles");
  open_handles_.erase(process);
}

void FakePlatform::Pause(uint32_t milliseconds) {
  Record("Pause " + std::to_string(milliseconds));
  now_ms += milliseconds;
}

int64_t FakePlatform::Now() { return now_ms / 1000; }

bool FakePlatform::ToLocalTime(int64_t seconds, LocalTime* local) {
  if (Fails("ToLocalTime") || seconds < 0) return false;
  const int64_t t = seconds + utc_offset_seconds;
  int64_t days = t / 86400;
  const int64_t rest = t % 86400;
  local->hour = static_cast<int>(rest / 3600);
  local->minute = static_cast<int>(rest % 3600 / 60);
  local->second = static_cast<int>(rest % 60);
  local->weekday = static_cast<int>((days + 4) % 7);  // 1970-01-01 was a Thursday
  // Civil date from a day count (Howard Hinnant's algorithm).
  days += 719468;
  const int64_t era = days / 146097;
  const int64_t doe = days - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  local->day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  local->month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  local->year = static_cast<int>(yoe + era * 400 + (local->month <= 2 ? 1 : 0));
  return true;
}

void FakePlatform::InitializeCom() {
  Record("InitializeCom");
  ++com_depth_;
}

void FakePlatform::UninitializeCom() {
  Record("UninitializeCom");
  --com_depth_;
}

WString FakePlatform::RunningProgramPath() {
  Record("RunningProgramPath");
  return Fails("RunningProgramPath") ? WString() : program_path;
}

// The library the loader takes for `path`, or "". A bare name is searched
// for as Windows does: beside the program, then (past the system folders,
// which hold none here) in the current directory. A path from the root
// lies on the current drive.
std::string FakePlatform::FoundLibrary(const WString& path) const {
  const size_t slash = program_path.rfind(u'\\');
  const WString program_folder = slash == WString::npos ? WString() : program_path.substr(0, slash + 1);
  const size_t name_at = path.rfind(u'\\') + 1;  // 0 for a bare name
  std::vector<std::string> keys = {Key(path)};
  if (name_at == 0) {
    keys = {Key(path), Key(current_directory + u"\\" + path)};
  } else if (Key(path.substr(0, name_at)) == Key(program_folder)) {
    keys.push_back(Key(path.substr(name_at)));
  } else if (path[0] == u'\\' && path.size() > 1 && path[1] != u'\\') {
    keys.push_back(Key(current_directory.substr(0, current_directory.find(u':') + 1) + path));
  }
  for (const std::string& key : keys) {
    if (libraries_.count(key) > 0) return key;
  }
  return std::string();
}

LibraryHandle FakePlatform::LoadModule(const WString& path) {
  Record("LoadModule " + Narrow(path));
  const std::string found = FoundLibrary(path);
  if (Fails("LoadModule") || found.empty()) return 0;
  const LibraryHandle handle = next_handle_++;
  loaded_[handle] = found;
  return handle;
}

ExportAddress FakePlatform::FindExport(LibraryHandle library, const std::string& name) {
  Record("FindExport " + name);
  auto it = loaded_.find(library);
  if (it == loaded_.end() || name != "zylGetMachineId" || !libraries_[it->second].has_entry) {
    return 0;
  }
  return library;  // the library stands for its one entry point
}

void FakePlatform::CallMachineIdEntry(ExportAddress entry, char* buffer) {
  Record("CallMachineIdEntry");
  const std::string& writes = libraries_[loaded_[entry]].writes;
  const size_t length = std::min(writes.size(), kMachineIdBufferBytes - 1);
  std::copy(writes.begin(), writes.begin() + static_cast<std::ptrdiff_t>(length), buffer);
  buffer[length] = '\0';
}

void FakePlatform::ReleaseModule(LibraryHandle library) {
  Record("ReleaseModule");
  loaded_.erase(library);
}

std::string FakePlatform::CommandLine8() {
  Record("CommandLine8");
  return command_line;
}

bool FakePlatform::QueryVersion(VersionRecord* record) {
  Record("QueryVersion " + std::to_string(record->size));
  if (Fails("QueryVersion") || record->size != kVersionRecordBytes) return false;
  *record = version;
  return true;
}

bool FakePlatform::HasIsWow64Process() {
  Record("HasIsWow64Process");
  return has_is_wow64;
}

bool FakePlatform::QueryIsWow64(int32_t* flag) {
  Record("QueryIsWow64");
  if (Fails("QueryIsWow64")) return false;
  *flag = wow64;
  return true;
}

bool FakePlatform::QueryTrueVersion(TrueVersion* version) {
  Record("QueryTrueVersion");
  if (Fails("QueryTrueVersion")) return false;
  *version = true_version;
  return true;
}

bool FakePlatform::HasIsWow64Process2() {
  Record("HasIsWow64Process2");
  return has_is_wow64_2;
}

bool FakePlatform::QueryNativeMachine(uint16_t* machine) {
  Record("QueryNativeMachine");
  if (Fails("QueryNativeMachine")) return false;
  *machine = native_machine;
  return true;
}

bool FakePlatform::IsNative64BitProcess() { return native_64bit; }

uint32_t FakePlatform::UserDefaultLcid() {
  Record("UserDefaultLcid");
  return lcid;
}

// The fake's ANSI code page is Latin-1.
WString FakePlatform::AnsiToWide(const std::string& text) {
  WString wide;
  for (char c : text) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
  return wide;
}

bool FakePlatform::IsSpace(char16_t c) {
  // What Windows classes as space above U+00FF.
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

bool FakePlatform::ReadFileStamp(const WString& path, FileStamp* stamp) {
  Record("ReadFileStamp " + Narrow(path));
  auto it = entries_.find(Key(path));
  if (Fails("ReadFileStamp") || it == entries_.end()) return false;
  stamp->size = it->second.bytes.size();
  stamp->write_time = it->second.written;
  return true;
}

// A drive-relative path is taken from the current directory of that drive.
WString FakePlatform::FullPath(const WString& path) {
  Record("FullPath " + Narrow(path));
  if (Fails("FullPath")) return WString();
  const bool drive_relative =
      path.size() >= 2 && path[1] == u':' && (path.size() == 2 || path[2] != u'\\');
  if (!drive_relative ||
      Upper(Narrow(path.substr(0, 2))) != Upper(Narrow(current_directory.substr(0, 2)))) {
    return path;
  }
  return current_directory + u"\\" + path.substr(2);
}

bool FakePlatform::LocateFile(const WString& path, FilePlace* place) {
  Record("LocateFile " + Narrow(path));
  if (Fails("LocateFile")) return false;
  const auto drive = mapped_drives_.find(Upper(Narrow(path.substr(0, 2))));
  place->universal = drive == mapped_drives_.end() ? path : drive->second + path.substr(2);
  place->on_share = place->universal.rfind(u"\\\\", 0) == 0;
  const size_t slash = path.rfind(u'\\');
  place->users_may_write =
      slash != WString::npos && user_writable_.count(Key(path.substr(0, slash))) > 0;
  return true;
}

bool FakePlatform::ReadMachineValue(const WString& key, const WString& name, WString* data) {
  Record("ReadMachineValue " + Narrow(key) + " " + Narrow(name));
  const WString* value = MachineValue(key, name);
  if (Fails("ReadMachineValue") || value == nullptr) return false;
  *data = *value;
  return true;
}

bool FakePlatform::WriteMachineValue(const WString& key, const WString& name, const WString& data) {
  Record("WriteMachineValue " + Narrow(key) + " " + Narrow(name) + " " + Narrow(data));
  if (Fails("WriteMachineValue")) return false;
  AddMachineValue(key, name, data);
  return true;
}

bool FakePlatform::DeleteMachineValue(const WString& key, const WString& name) {
  Record("DeleteMachineValue " + Narrow(key) + " " + Narrow(name));
  if (Fails("DeleteMachineValue")) return false;
  machine_values_.erase(Upper(Narrow(key + u"\\" + name)));
  return true;
}

bool FakePlatform::InInteractiveSession() {
  Record("InInteractiveSession");
  return interactive_session && !Fails("InInteractiveSession");
}

bool FakePlatform::RequestRestart(RestartCall call) {
  Record(call == RestartCall::kExitWindows ? "RequestRestart" : "RequestRestart system shutdown");
  ++restart_requests_;
  return !Fails("RequestRestart");
}

bool FakePlatform::ReadBootTime(int64_t* boot) {
  Record("ReadBootTime");
  if (Fails("ReadBootTime")) return false;
  *boot = boot_time;
  return true;
}

int FakePlatform::ShowMessageBox(const WString& text, const WString& caption, uint32_t style) {
  Record("ShowMessageBox");
  message_boxes_.push_back(MessageBoxCall{text, caption, style});
  return 1;
}

}  // namespace quill

namespace quill {

void FakePlatform::AddFileVersion(const WString& path, FileVersion version) {
  if (!Exists(path)) AddFile(path, "MZ");
  file_versions_[Key(path)] = version;
}

void FakePlatform::OnStart(const WString& command_line, std::function<void()> effect) {
  start_effects_[Narrow(command_line)] = std::move(effect);
}

WString FakePlatform::ExpandEnvironment(const WString& text) {
  Record("ExpandEnvironment " + Narrow(text));
  std::string out;
  const std::string in = Narrow(text);
  for (size_t at = 0; at < in.size();) {
    const size_t close = in[at] == '%' ? in.find('%', at + 1) : std::string::npos;
    auto value = close == std::string::npos
                     ? environment.end()
                     : environment.find(Upper(in.substr(at + 1, close - at - 1)));
    if (value == environment.end()) {
      out += in[at++];
      continue;
    }
    out += value->second;
    at = close + 1;
  }
  return Widen(out);
}

bool FakePlatform::IsProductInstalled(const WString& product_code) {
  Record("IsProductInstalled " + Narrow(product_code));
  return !Fails("IsProductInstalled") && installed_products.count(Narrow(product_code)) > 0;
}

bool FakePlatform::NativeFileExists(const WString& path) {
  Record("NativeFileExists " + Narrow(path));
  return !Fails("NativeFileExists") && Exists(path);
}

bool FakePlatform::NativeFileVersion(const WString& path, FileVersion* version) {
  Record("NativeFileVersion " + Narrow(path));
  auto it = file_versions_.find(Key(path));
  if (Fails("NativeFileVersion") || it == file_versions_.end()) return false;
  *version = it->second;
  return true;
}

bool FakePlatform::LocalMachineKeyExists(const WString& subkey, RegistryView view) {
  const bool wide = view == RegistryView::k64Bit;
  Record(std::string("LocalMachineKeyExists ") + (wide ? "64 " : "32 ") + Narrow(subkey));
  const std::set<std::string>& keys = wide ? machine_keys_64 : machine_keys_32;
  return !Fails("LocalMachineKeyExists") && keys.count(Upper(Narrow(subkey))) > 0;
}

}  // namespace quill
