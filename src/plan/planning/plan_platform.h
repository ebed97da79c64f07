#ifndef QUILL_PLAN_PLANNING_PLAN_PLATFORM_H_
#define QUILL_PLAN_PLANNING_PLAN_PLATFORM_H_

// The machine a plan is made for, under the same seam the program runs on.
// It reads the input INI file with quillplan's own reader, answers file
// questions from the machine's files, takes the operating-system word and
// the locale as given, and records every launch instead of starting it: a
// launched process has ended at once. The clock stands still. Nothing on
// the host is changed.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/run_context.h"
#include "plan/planning/journal.h"
#include "plan/planning/language_class.h"
#include "plan/windows/ini_file.h"
#include "plan/windows/machine_files.h"
#include "platform/platform.h"

namespace quill::plan {

// A Windows a plan is made for, by the word the program names it with:
// WINXP, VISTA32, VISTA64, a newer one ("WIN10X64"), or none for another.
// The platform answers each query as that Windows does.
struct WindowsKind {
  WString word;  // upper case; empty for a Windows the program does not name
  static const WindowsKind kWinXp, kVista32, kVista64, kOther;
  bool operator==(const WindowsKind& other) const { return word == other.word; }
  bool operator!=(const WindowsKind& other) const { return word != other.word; }
};

// "\\?\C:\..." (or "\\.\C:\...") as "C:\...", "\\?\UNC\srv\..." as
// "\\srv\...": the same file, without the prefix that only turns off the
// name's normalising.
WString WithoutLongPrefix(const WString& path);

class PlanPlatform : public Platform {
 public:
  PlanPlatform(const IniFile& ini, const WString& ini_path, MachineFiles& files);

  void set_windows(const WindowsKind& windows) { windows_ = windows; }
  void set_lcid(uint32_t lcid) { lcid_ = lcid; }
  // The languages a run with a marked code stands for; null: one language.
  void set_language_class(LanguageClass* languages) { languages_ = languages; }
  // Where events go; null records nothing.
  void set_journal(Journal* journal) { journal_ = journal; }
  Journal* journal() const { return journal_; }
  // A journal to record into and clear again, so that a matrix of many
  // passes does not build one for each.
  Journal& reusable_journal() { return reusable_journal_; }
  // What the core made of each key's value, by key and buffer size, for
  // reading a journal back; the INI file does not change under a plan.
  struct KeyHash {
    size_t operator()(const std::pair<const IniKey*, size_t>& key) const {
      return std::hash<const void*>()(key.first) ^ key.second;
    }
  };
  using TrimmedValues = std::unordered_map<std::pair<const IniKey*, size_t>, WString, KeyHash>;
  TrimmedValues& trimmed_values() { return trimmed_values_; }
  const IniFile& ini() const { return ini_; }
  const WString& ini_path() const { return ini_path_; }
  MachineFiles& files() { return files_; }
  MachineFiles files_copy() const { return files_; }

  WString ReadPrivateProfileString(const WString& section, const WString& key,
                                   const WString& default_value, size_t buffer_chars,
                                   const WString& path) override;

  uint32_t GetAttributes(const WString& path) override;
  bool SetAttributes(const WString& path, uint32_t attributes) override;
  bool MakeDirectory(const WString& path) override;
  bool Copy(const WString& from, const WString& to, bool fail_if_exists) override;
  WString CurrentDirectory(size_t buffer_chars) override;
  std::unique_ptr<AppendFile> OpenForAppend(const WString& path) override;
  bool ReadFileBytes(const WString& path, std::string* bytes) override;
  bool ReadFileStamp(const WString& path, FileStamp* stamp) override;
  WString FullPath(const WString& path) override;
  bool LocateFile(const WString& path, FilePlace* place) override;

  bool StartProcess(std::vector<char16_t>* command_line, const ProcessRequest& request,
                    ProcessHandle* process) override;
  bool QueryExitCode(ProcessHandle process, uint32_t* exit_code) override;
  bool IsStillRunning(ProcessHandle process) override;
  ProcessWait WaitForEnd(ProcessHandle process, uint32_t milliseconds) override;
  bool ResumeProcess(ProcessHandle process) override;
  bool EndProcess(ProcessHandle process, uint32_t exit_code) override;
  void CloseProcessHandles(ProcessHandle process) override;
  void Pause(uint32_t milliseconds) override;
  // A planned installer starts nothing, so its tree ends with it.
  bool CreateProcessJob(JobHandle* job) override;
  bool AssignToJob(JobHandle job, ProcessHandle process) override;
  ProcessWait WaitForJobEnd(JobHandle job, uint32_t milliseconds) override;
  bool CountJobProcesses(JobHandle job, uint32_t* count) override;
  bool TerminateJob(JobHandle job, uint32_t exit_code) override;
  void CloseJob(JobHandle job) override;
  bool IsInstallerServiceBusy() override;

  int64_t Now() override;
  bool ToLocalTime(int64_t seconds, LocalTime* local) override;

  void InitializeCom() override;
  void UninitializeCom() override;
  WString RunningProgramPath() override;
  LibraryHandle LoadModule(const WString& path) override;
  ExportAddress FindExport(LibraryHandle library, const std::string& name) override;
  void CallMachineIdEntry(ExportAddress entry, char* buffer) override;
  void ReleaseModule(LibraryHandle library) override;

  std::string CommandLine8() override;
  bool QueryVersion(VersionRecord* record) override;
  bool HasIsWow64Process() override;
  bool QueryIsWow64(int32_t* wow64) override;
  bool QueryTrueVersion(TrueVersion* version) override;
  bool HasIsWow64Process2() override;
  bool QueryNativeMachine(uint16_t* machine) override;
  bool IsNative64BitProcess() override;
  uint32_t UserDefaultLcid() override;
  WString AnsiToWide(const std::string& text) override;
  bool IsSpace(char16_t c) override;

  int ShowMessageBox(const WString& text, const WString& caption, uint32_t style) override;
  // A plan starts from the top on a machine that remembers no deployment,
  // and neither registers a resumption nor restarts anything.
  bool ReadMachineValue(const WString& key, const WString& name, WString* data) override;
  bool WriteMachineValue(const WString& key, const WString& name, const WString& data) override;
  bool DeleteMachineValue(const WString& key, const WString& name) override;
  bool InInteractiveSession() override;
  bool RequestRestart(RestartCall call) override;
  bool ReadBootTime(int64_t* boot_time) override;
  // A planned run copies its log nowhere, and the copy never fails.
  CopyOutcome CopyWhole(const WString& from, const WString& temporary, const WString& to,
                        uint32_t time_limit_ms) override;

  // Detection rules: only a file that a binding or a mapping shows is
  // there, its version read from the mapped file; no product or key is
  // installed on a planned machine. Windows lies in C:\WINDOWS, its
  // programs under C:\Program Files: %SystemDrive%, %SystemRoot%, %windir%
  // and the program folders are those; another variable is not known.
  WString ExpandEnvironment(const WString& text) override;
  bool IsProductInstalled(const WString& product_code) override;
  bool NativeFileExists(const WString& path) override;
  bool NativeFileVersion(const WString& path, FileVersion* version) override;
  bool LocalMachineKeyExists(const WString& subkey, RegistryView view) override;
  // HeldFiles (plan_held_files.cpp): the machine's file, where a binding or
  // a mapping gives one, hashed on the host; the system folder of Windows.
  HoldResult HoldAndHash(const WString& path, std::string* digest, HeldFile* file) override;
  void ReleaseHeld(HeldFile file) override;
  // The plan starts no process: what it would start is the file it hashed.
  bool RunsHeldFile(ProcessHandle process, HeldFile file) override;
  WString SystemFolder() override;
  // The list's hashes by path key: a file no binding or mapping answers is
  // taken to be as listed while the files are assumed present.
  void set_listed(const std::map<WString, ListedHash>* listed) { listed_ = listed; }

 private:
  void Record(Event event);
  HoldResult AssumedAsListed(const WString& path, std::string* digest, HeldFile* file);

  const IniFile& ini_;
  WString ini_path_;
  MachineFiles& files_;
  WindowsKind windows_ = WindowsKind::kOther;
  uint32_t lcid_ = 0x409;
  Journal* journal_ = nullptr;
  LanguageClass* languages_ = nullptr;
  Journal reusable_journal_;
  TrimmedValues trimmed_values_;
  ProcessHandle next_process_ = 1;
  std::unordered_map<std::string, std::string> digests_;  // by local path
  struct VersionRead {
    bool read = false;
    FileVersion version;
  };
  std::unordered_map<std::string, VersionRead> versions_;  // by local path
  const std::map<WString, ListedHash>* listed_ = nullptr;
};

}  // namespace quill::plan

#endif  // QUILL_PLAN_PLANNING_PLAN_PLATFORM_H_
