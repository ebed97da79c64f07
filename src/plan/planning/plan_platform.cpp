#include "plan/planning/plan_platform.h"

#include <utility>

#include "facts/newer_windows.h"
#include "plan/host/file_version.h"
#include "plan/text/case_fold.h"
#include "plan/text/civil_time.h"
#include "plan/windows/ini_text.h"

namespace quill::plan {

const WindowsKind WindowsKind::kWinXp{u"WINXP"};
const WindowsKind WindowsKind::kVista32{u"VISTA32"};
const WindowsKind WindowsKind::kVista64{u"VISTA64"};
const WindowsKind WindowsKind::kOther{};

namespace {
// Sunday, 6 December 2026, 09:05:03: a plan's records carry one fixed time.
constexpr int64_t kPlanTime = 1796547903;

// The row and the architecture of a newer word; false for another word.
bool NewerParts(const WindowsKind& windows, const NewerSystem** system, size_t* architecture) {
  size_t order = 0;
  if (NewerWindowsWord(windows.word, &order).empty()) return false;
  *system = &kNewerSystems[order / kArchitectureCount];
  *architecture = order % kArchitectureCount;
  return true;
}
// The planned machine's Windows, where a default installation puts it.
const std::pair<const char16_t*, WString> kPlannedFolders[] = {
    {u"ProgramFilesDir", u"C:\\Program Files"},
    {u"CommonFilesDir", u"C:\\Program Files\\Common Files"}};
const std::pair<const char16_t*, WString> kPlannedVariables[] = {
    {u"SystemDrive", u"C:"}, {u"SystemRoot", u"C:\\WINDOWS"}, {u"windir", u"C:\\WINDOWS"}};
}  // namespace

WString WithoutLongPrefix(const WString& path) {
  if (path.compare(0, 4, u"\\\\?\\") != 0 && path.compare(0, 4, u"\\\\.\\") != 0) return path;
  if (EqualIgnoringCase(path.substr(4, 4), u"UNC\\")) return u"\\\\" + path.substr(8);
  return path.substr(4);
}

PlanPlatform::PlanPlatform(const IniFile& ini, const WString& ini_path, MachineFiles& files)
    : ini_(ini), ini_path_(ini_path), files_(files) {}

void PlanPlatform::Record(Event event) {
  if (journal_ != nullptr) journal_->push_back(std::move(event));
}

WString PlanPlatform::ReadPrivateProfileString(const WString& section, const WString& key,
                                               const WString& default_value, size_t buffer_chars,
                                               const WString& path) {
  // The run reads no INI file but the input INI file.
  const IniKey* found = path == ini_path_ ? ini_.FindKey(section, key) : nullptr;
  WString value = ini_.ValueText(found, default_value, buffer_chars);
  if (journal_ != nullptr) {
    Event event(EventKind::kProfileRead);
    event.section = found != nullptr ? ini_.FindSection(section) : nullptr;
    event.key = found;
    event.buffer_chars = buffer_chars;
    if (found == nullptr || !found->has_value) event.first = value;
    journal_->push_back(std::move(event));
  }
  return value;
}

uint32_t PlanPlatform::GetAttributes(const WString& path) {
  const FileAnswer answer =
      languages_ != nullptr && HoldsMarker(path) ? languages_->Answer(path) : files_.Question(path);
  Event event(EventKind::kFileQuestion);
  event.first = path;
  event.answer = answer;
  Record(std::move(event));
  return answer.attributes;
}

bool PlanPlatform::SetAttributes(const WString&, uint32_t) { return false; }

bool PlanPlatform::MakeDirectory(const WString&) { return false; }

bool PlanPlatform::Copy(const WString& from, const WString& to, bool) {
  Event event(EventKind::kCopy);
  event.first = from;
  event.second = to;
  Record(std::move(event));
  return false;
}

WString PlanPlatform::CurrentDirectory(size_t) { return WString(); }

std::unique_ptr<AppendFile> PlanPlatform::OpenForAppend(const WString&) { return nullptr; }

bool PlanPlatform::ReadFileBytes(const WString& path, std::string* bytes) {
  const bool read = files_.ReadBytes(path, bytes);
  Event event(EventKind::kFileRead);
  event.first = path;
  event.read = read;
  Record(std::move(event));
  return read;
}

bool PlanPlatform::StartProcess(std::vector<char16_t>* command_line, const ProcessRequest&,
                                ProcessHandle* process) {
  WString command(command_line->begin(), command_line->end());
  command.resize(command.find(u'\0') == WString::npos ? command.size() : command.find(u'\0'));
  Event event(EventKind::kLaunch);
  event.first = std::move(command);
  Record(std::move(event));
  *process = next_process_++;
  return true;
}

bool PlanPlatform::QueryExitCode(ProcessHandle, uint32_t* exit_code) {
  *exit_code = 0;
  return true;
}

bool PlanPlatform::IsStillRunning(ProcessHandle) { return false; }
ProcessWait PlanPlatform::WaitForEnd(ProcessHandle, uint32_t) { return ProcessWait::kEnded; }
bool PlanPlatform::ResumeProcess(ProcessHandle) { return true; }
bool PlanPlatform::EndProcess(ProcessHandle, uint32_t) { return true; }
void PlanPlatform::CloseProcessHandles(ProcessHandle) {}
void PlanPlatform::Pause(uint32_t) {}

bool PlanPlatform::CreateProcessJob(JobHandle* job) {
  *job = 1;
  return true;
}
bool PlanPlatform::AssignToJob(JobHandle, ProcessHandle) { return true; }
ProcessWait PlanPlatform::WaitForJobEnd(JobHandle, uint32_t) { return ProcessWait::kEnded; }
bool PlanPlatform::CountJobProcesses(JobHandle, uint32_t* count) {
  *count = 0;
  return true;
}
bool PlanPlatform::TerminateJob(JobHandle, uint32_t) { return true; }
void PlanPlatform::CloseJob(JobHandle) {}
bool PlanPlatform::IsInstallerServiceBusy() { return false; }

int64_t PlanPlatform::Now() { return kPlanTime; }

bool PlanPlatform::ToLocalTime(int64_t seconds, LocalTime* local) {
  *local = CivilFromSeconds(seconds);
  return true;
}

void PlanPlatform::InitializeCom() {}
void PlanPlatform::UninitializeCom() {}
WString PlanPlatform::RunningProgramPath() { return WString(); }
LibraryHandle PlanPlatform::LoadModule(const WString&) { return 0; }
ExportAddress PlanPlatform::FindExport(LibraryHandle, const std::string&) { return 0; }
void PlanPlatform::CallMachineIdEntry(ExportAddress, char*) {}
void PlanPlatform::ReleaseModule(LibraryHandle) {}

std::string PlanPlatform::CommandLine8() { return std::string(); }

bool PlanPlatform::QueryVersion(VersionRecord* record) {
  record->platform_id = kPlatformWin32Nt;
  record->major = windows_ == WindowsKind::kWinXp ? 5 : 6;
  record->minor = windows_ == WindowsKind::kWinXp ? 1 : windows_ == WindowsKind::kOther ? 1 : 0;
  const NewerSystem* newer = nullptr;
  size_t architecture = 0;
  // Without a manifest a program is told 6.2 on every Windows from 8.
  if (NewerParts(windows_, &newer, &architecture)) record->minor = newer->minor == 1 ? 1 : 2;
  return true;
}

bool PlanPlatform::HasIsWow64Process() { return true; }

bool PlanPlatform::QueryIsWow64(int32_t* wow64) {
  // The 32-bit program on 64-bit Windows.
  const NewerSystem* newer = nullptr;
  size_t architecture = 0;
  const bool newer_64 = NewerParts(windows_, &newer, &architecture) && architecture != 0;
  *wow64 = windows_ == WindowsKind::kVista64 || newer_64 ? 1 : 0;
  return true;
}

bool PlanPlatform::QueryTrueVersion(TrueVersion* version) {
  *version = {5, 2, 3790, kPlatformWin32Nt, kProductWorkstation};  // named by no word
  if (windows_ == WindowsKind::kWinXp)
    *version = {5, 1, 2600, kPlatformWin32Nt, kProductWorkstation};
  if (windows_ == WindowsKind::kVista32 || windows_ == WindowsKind::kVista64) {
    *version = {6, 0, 6002, kPlatformWin32Nt, kProductWorkstation};
  }
  const NewerSystem* newer = nullptr;
  size_t architecture = 0;
  if (NewerParts(windows_, &newer, &architecture)) {
    *version = {newer->major, newer->minor, newer->first_build, kPlatformWin32Nt,
                newer->server ? kProductServer : kProductWorkstation};
  }
  return true;
}

bool PlanPlatform::HasIsWow64Process2() {
  const NewerSystem* newer = nullptr;
  size_t architecture = 0;
  return NewerParts(windows_, &newer, &architecture);
}

bool PlanPlatform::QueryNativeMachine(uint16_t* machine) {
  const NewerSystem* newer = nullptr;
  size_t architecture = 0;
  if (!NewerParts(windows_, &newer, &architecture)) return false;
  const uint16_t machines[] = {kMachineI386, kMachineAmd64, kMachineArm64};
  *machine = machines[architecture];
  return true;
}

bool PlanPlatform::IsNative64BitProcess() { return false; }
uint32_t PlanPlatform::UserDefaultLcid() { return lcid_; }

WString PlanPlatform::AnsiToWide(const std::string& text) {
  WString wide;
  for (char byte : text) wide += FromWindows1252(static_cast<unsigned char>(byte));
  return wide;
}

bool PlanPlatform::IsSpace(char16_t c) {
  // What Windows classes as space above U+00FF.
  return c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000;
}

int PlanPlatform::ShowMessageBox(const WString&, const WString&, uint32_t) { return 0; }

bool PlanPlatform::ReadFileStamp(const WString&, FileStamp*) { return false; }

WString PlanPlatform::FullPath(const WString& path) { return path; }

bool PlanPlatform::ReadMachineValue(const WString& key, const WString& name, WString* data) {
  if (!EqualIgnoringCase(key, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion")) return false;
  for (const auto& [value, folder] : kPlannedFolders) {
    if (EqualIgnoringCase(name, value)) {
      *data = folder;
      return true;
    }
  }
  return false;
}

bool PlanPlatform::WriteMachineValue(const WString&, const WString&, const WString&) {
  return false;
}

bool PlanPlatform::DeleteMachineValue(const WString&, const WString&) { return true; }

bool PlanPlatform::InInteractiveSession() { return true; }
bool PlanPlatform::RequestRestart(RestartCall) { return false; }

bool PlanPlatform::ReadBootTime(int64_t*) { return false; }

// A planned run registers no resumption.
bool PlanPlatform::LocateFile(const WString&, FilePlace*) { return false; }

CopyOutcome PlanPlatform::CopyWhole(const WString&, const WString&, const WString&, uint32_t) {
  return CopyOutcome();
}
WString PlanPlatform::ExpandEnvironment(const WString& text) {
  WString expanded;
  for (size_t at = 0; at < text.size(); ++at) {
    const size_t close = text[at] == u'%' ? text.find(u'%', at + 1) : WString::npos;
    const WString* value = nullptr;
    for (const auto& [name, known] : kPlannedVariables) {
      if (close != WString::npos && EqualIgnoringCase(text.substr(at + 1, close - at - 1), name)) {
        value = &known;
      }
    }
    if (value == nullptr) {
      expanded += text[at];
      continue;
    }
    expanded += *value;
    at = close;
  }
  return expanded;
}

bool PlanPlatform::IsProductInstalled(const WString&) { return false; }

bool PlanPlatform::NativeFileExists(const WString& path) {
  const FileAnswer answer = files_.Question(WithoutLongPrefix(path));
  return answer.exists && answer.basis != AnswerBasis::kAssumed;
}

bool PlanPlatform::NativeFileVersion(const WString& path, FileVersion* version) {
  const FileAnswer answer = files_.Question(WithoutLongPrefix(path));
  if (!answer.exists || answer.basis == AnswerBasis::kAssumed || answer.local.empty()) return false;
  auto found = versions_.find(answer.local);
  if (found == versions_.end()) {
    VersionRead read;
    std::string why;
    read.read = ReadFileVersion(answer.local, &read.version, &why);
    found = versions_.emplace(answer.local, read).first;
  }
  *version = found->second.version;
  return found->second.read;
}

bool PlanPlatform::LocalMachineKeyExists(const WString&, RegistryView) { return false; }

}  // namespace quill::plan
