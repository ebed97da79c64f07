#ifndef QUILL_TESTS_FAKE_FAKE_PLATFORM_H_
#define QUILL_TESTS_FAKE_FAKE_PLATFORM_H_

// A whole machine in memory: files and directories, INI files, programs that
// run for a scripted time on a fake clock, identity libraries and the machine
// facts. Every call is recorded in order, and any operation can be made to fail.
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace quill {

std::string Narrow(const WString& text);  // UTF-8, for messages and call records
WString Widen(const std::string& utf8);

class FakePlatform : public Platform {
 public:
  FakePlatform();

  // --- Set-up -------------------------------------------------------------
  void AddDirectory(const WString& path);
  void AddFile(const WString& path, const std::string& bytes,
               uint32_t attributes = kFileAttributeNormal);
  // An INI file whose values the profile reader gives (and that exists).
  void AddIniFile(const WString& path, const WString& text);
  void MakeUnreadable(const WString& path);  // exists, but cannot be opened
  void RemoveFile(const WString& path);
  // A drive letter ("Z:") mapped to a share ("\\\\srv\\dep"), and a
  // folder users who are not administrators may write, for LocateFile.
  void MapDrive(const WString& drive, const WString& share);
  void LetUsersWrite(const WString& folder);
  // A program that, started with exactly this command line, runs `seconds`.
  void AddProgram(const WString& command_line, double seconds, uint32_t exit_code = 0);
  // The same program ending with these codes at its first, second, ...
  // start; the last code for every start after.
  void AddProgramTries(const WString& command_line, double seconds, std::vector<uint32_t> codes);
  // A launcher: the program ends after `seconds`, while what it started
  // runs until `tree_seconds` after the start, `processes` in all.
  void AddLauncher(const WString& command_line, double seconds, double tree_seconds,
                   uint32_t processes, uint32_t exit_code = 0);
  // Asked to end, the program's processes say yes and go on running.
  void RefuseEnd(const WString& command_line);
  struct FakeLibrary {
    bool has_entry = true;
    std::string writes;  // what the entry point leaves in the buffer
  };
  // By full path; a bare name ("ZYLNT.DLL") lies beside the running program,
  // wherever program_path puts it.
  void AddLibrary(const WString& path, const FakeLibrary& library);
  // A value under HKEY_LOCAL_MACHINE, as a deployment left it.
  void AddMachineValue(const WString& key, const WString& name, const WString& data);
  // A file (added when missing) with a version resource.
  void AddFileVersion(const WString& path, FileVersion version);
  // What a started program leaves behind: run at each start of that command.
  void OnStart(const WString& command_line, std::function<void()> effect);
  // Every call of the named operation fails from now on.
  void FailOn(const std::string& operation) { failing_.insert(operation); }

  std::string command_line = "QUILLRUN.EXE";
  WString program_path = u"C:\\QUILLRUN\\QUILLRUN.EXE";  // the module's own file name
  WString current_directory = u"C:\\Work";
  VersionRecord version = {kVersionRecordBytes, 5, 1, kPlatformWin32Nt};
  bool has_is_wow64 = true;
  int32_t wow64 = 0;
  TrueVersion true_version = {5, 1, 2600, kPlatformWin32Nt, kProductWorkstation};
  bool has_is_wow64_2 = false;
  uint16_t native_machine = kMachineAmd64;
  bool native_64bit = false;
  uint32_t lcid = 0x409;
  int64_t now_ms = 1796547903000;  // Sunday, 6 December 2026, 09:05:03 UTC
  int64_t boot_time = 1796544303;  // an hour before; Restart() moves it on
  int64_t utc_offset_seconds = 0;
  std::map<std::string, std::string> environment;          // upper-case name, value
  std::set<std::string> installed_products;                // "{...}" upper case
  std::set<std::string> machine_keys_64, machine_keys_32;  // upper case, below HKLM

  // --- Inspection ---------------------------------------------------------
  bool Exists(const WString& path) const;
  std::string FileBytes(const WString& path) const;
  uint32_t AttributesOf(const WString& path) const;
  const std::vector<std::string>& calls() const { return calls_; }
  std::vector<std::string> CallsNamed(const std::string& operation) const;
  struct MessageBoxCall {
    WString text;
    WString caption;
    uint32_t style;
  };
  const std::vector<MessageBoxCall>& message_boxes() const { return message_boxes_; }
  int com_depth() const { return com_depth_; }
  int loaded_libraries() const { return static_cast<int>(loaded_.size()); }
  int open_process_handles() const { return static_cast<int>(open_handles_.size()); }
  int open_jobs() const { return static_cast<int>(jobs_.size()); }
  // Processes of every tree started so far that still run.
  int running_processes() const;
  int open_append_files() const { return open_append_files_; }
  // Null when the value is absent.
  const WString* MachineValue(const WString& key, const WString& name) const;
  int restart_requests() const { return restart_requests_; }
  // Windows started again: a second later, the boot time is now.
  void Restart() {
    now_ms += 1000;
    boot_time = now_ms / 1000;
  }

  // --- Platform -----------------------------------------------------------
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
  // ProcessJobs (fake_process_jobs.cpp)
  bool CreateProcessJob(JobHandle* job) override;
  bool AssignToJob(JobHandle job, ProcessHandle process) override;
  ProcessWait WaitForJobEnd(JobHandle job, uint32_t milliseconds) override;
  bool CountJobProcesses(JobHandle job, uint32_t* count) override;
  bool TerminateJob(JobHandle job, uint32_t exit_code) override;
  void CloseJob(JobHandle job) override;
  // Windows Installer's mutex is held until the clock reaches this.
  bool IsInstallerServiceBusy() override;
  int64_t installer_busy_until_ms = 0;
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
  bool ReadMachineValue(const WString& key, const WString& name, WString* data) override;
  bool WriteMachineValue(const WString& key, const WString& name, const WString& data) override;
  bool DeleteMachineValue(const WString& key, const WString& name) override;
  bool InInteractiveSession() override;
  bool RequestRestart(RestartCall call) override;
  bool interactive_session = true;
  bool ReadBootTime(int64_t* boot_time) override;
  WString ExpandEnvironment(const WString& text) override;
  bool IsProductInstalled(const WString& product_code) override;
  bool NativeFileExists(const WString& path) override;
  bool NativeFileVersion(const WString& path, FileVersion* version) override;
  bool LocalMachineKeyExists(const WString& subkey, RegistryView view) override;

  // WholeCopies: the copy is made at once, unless `copy_failure` says how
  // it fails; a copy past its time leaves half the bytes in the temporary.
  CopyOutcome CopyWhole(const WString& from, const WString& temporary, const WString& to,
                        uint32_t time_limit_ms) override;
  CopyFailure copy_failure = CopyFailure::kNone;

  // The last request handed to StartProcess.
  ProcessRequest last_request;

  // HeldFiles (fake_held_files.cpp): a held file refuses writes, as the
  // real one denies them; `while_held` runs once a file has been held, as
  // another process at work in that moment.
  HoldResult HoldAndHash(const WString& path, std::string* digest, HeldFile* file) override;
  void ReleaseHeld(HeldFile file) override;
  bool RunsHeldFile(ProcessHandle process, HeldFile file) override;
  WString SystemFolder() override;
  // A folder swapped between the check and the start: a start of a path
  // (upper case) runs the file named here instead.
  std::map<std::string, WString> swapped_at_start;
  // Another process's write of the whole file; false while it is held.
  bool WriteFile(const WString& path, const std::string& bytes);
  int held_files() const { return static_cast<int>(held_.size()); }
  WString system_folder = u"C:\\WINDOWS\\system32";
  std::function<void(const WString& path)> while_held;
  std::set<std::string> reparse_points;  // junctions and links, upper case

 private:
  friend class FakeAppendFile;
  struct Entry {
    bool directory = false;
    uint32_t attributes = kFileAttributeNormal;
    bool unreadable = false;
    std::string bytes;
    uint64_t written = 0;  // a new number at every AddFile
  };
  struct Program {
    int64_t run_ms;
    uint32_t exit_code;
    int64_t tree_ms = 0;          // the last of its tree ends; 0: with it
    uint32_t tree_processes = 1;  // the program among them
    bool refuses_end = false;
  };
  static constexpr int64_t kSuspended = INT64_MAX;
  struct Process {
    Program program;
    int64_t root_end_ms = kSuspended;  // when the program ends
    int64_t tree_end_ms = kSuspended;  // when the last it started ends
    std::string image;                 // the file it runs from, by Key
  };
  void Run(Process* process);
  int64_t TreeEnd(const std::set<ProcessHandle>& members) const;

  void Record(const std::string& call) { calls_.push_back(call); }
  bool Fails(const std::string& operation) const { return failing_.count(operation) > 0; }
  // A mapped drive's files are its share's.
  std::string Key(const WString& path) const;
  bool ParentExists(const WString& path) const;
  std::string FoundLibrary(const WString& path) const;

  std::map<std::string, Entry> entries_;
  std::map<std::string, std::map<std::string, std::map<std::string, WString>>> inis_;
  std::map<std::string, Program> programs_;
  std::map<std::string, std::vector<uint32_t>> later_codes_;  // of AddProgramTries
  std::map<ProcessHandle, Process> processes_;
  std::set<ProcessHandle> open_handles_;
  std::map<JobHandle, std::set<ProcessHandle>> jobs_;
  std::map<std::string, FakeLibrary> libraries_;
  std::map<LibraryHandle, std::string> loaded_;
  std::set<std::string> failing_;
  std::vector<std::string> calls_;
  std::vector<MessageBoxCall> message_boxes_;
  std::map<std::string, WString> machine_values_;  // by key and name, upper case
  std::map<std::string, FileVersion> file_versions_;
  std::map<std::string, std::function<void()>> start_effects_;
  std::map<HeldFile, std::string> held_;  // by handle: the file's key
  uint64_t next_handle_ = 100;
  uint64_t next_write_time_ = 1;
  int restart_requests_ = 0;
  std::map<std::string, WString> mapped_drives_;
  std::set<std::string> user_writable_;
  int com_depth_ = 0;
  int open_append_files_ = 0;
};

}  // namespace quill

#endif  // QUILL_TESTS_FAKE_FAKE_PLATFORM_H_
