#ifndef QUILL_PLATFORM_WIN32_WIN32_PLATFORM_H_
#define QUILL_PLATFORM_WIN32_WIN32_PLATFORM_H_

// The platform as the real Windows API gives it. One object per process,
// built by WinMain (or by a test) and handed to the code that needs it.
#include <map>
#include <memory>

#include "platform/platform.h"
#include "platform/win32/win32_system_library.h"

namespace quill {

class Win32Platform : public Platform {
 public:
  Win32Platform() = default;
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // ProfileReader (win32_profile_reader.cpp)
  WString ReadPrivateProfileString(const WString& section, const WString& key,
                                   const WString& default_value, size_t buffer_chars,
                                   const WString& path) override;

  // FileSystem (win32_file_system.cpp)
  uint32_t GetAttributes(const WString& path) override;
  bool SetAttributes(const WString& path, uint32_t attributes) override;
  bool MakeDirectory(const WString& path) override;
  bool Copy(const WString& from, const WString& to, bool fail_if_exists) override;
  WString CurrentDirectory(size_t buffer_chars) override;
  std::unique_ptr<AppendFile> OpenForAppend(const WString& path) override;
  bool ReadFileBytes(const WString& path, std::string* bytes) override;
  bool ReadFileStamp(const WString& path, FileStamp* stamp) override;
  WString FullPath(const WString& path) override;
  // (win32_file_place.cpp)
  bool LocateFile(const WString& path, FilePlace* place) override;

  // Processes (win32_processes.cpp)
  bool StartProcess(std::vector<char16_t>* command_line, const ProcessRequest& request,
                    ProcessHandle* process) override;
  bool QueryExitCode(ProcessHandle process, uint32_t* exit_code) override;
  bool IsStillRunning(ProcessHandle process) override;
  ProcessWait WaitForEnd(ProcessHandle process, uint32_t milliseconds) override;
  bool ResumeProcess(ProcessHandle process) override;
  bool EndProcess(ProcessHandle process, uint32_t exit_code) override;
  void CloseProcessHandles(ProcessHandle process) override;
  void Pause(uint32_t milliseconds) override;

  // ProcessJobs (win32_process_jobs.cpp)
  bool CreateProcessJob(JobHandle* job) override;
  bool AssignToJob(JobHandle job, ProcessHandle process) override;
  ProcessWait WaitForJobEnd(JobHandle job, uint32_t milliseconds) override;
  bool CountJobProcesses(JobHandle job, uint32_t* count) override;
  bool TerminateJob(JobHandle job, uint32_t exit_code) override;
  void CloseJob(JobHandle job) override;

  // InstallerService (win32_installer_service.cpp)
  bool IsInstallerServiceBusy() override;

  // Clock (win32_clock.cpp)
  int64_t Now() override;
  bool ToLocalTime(int64_t seconds, LocalTime* local) override;

  // Libraries (win32_libraries.cpp)
  void InitializeCom() override;
  void UninitializeCom() override;
  WString RunningProgramPath() override;
  // The running program's path asked for with a buffer of that many
  // characters first, grown as the path needs.
  static WString ModuleFileName(size_t first_buffer_chars);
  LibraryHandle LoadModule(const WString& path) override;
  ExportAddress FindExport(LibraryHandle library, const std::string& name) override;
  void CallMachineIdEntry(ExportAddress entry, char* buffer) override;
  void ReleaseModule(LibraryHandle library) override;

  // SystemInfo (win32_system_info.cpp)
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

  // UserInterface (win32_user_interface.cpp)
  int ShowMessageBox(const WString& text, const WString& caption, uint32_t style) override;

  // MachineRegistry (win32_machine_registry.cpp)
  bool ReadMachineValue(const WString& key, const WString& name, WString* data) override;
  bool WriteMachineValue(const WString& key, const WString& name, const WString& data) override;
  bool DeleteMachineValue(const WString& key, const WString& name) override;

  // RestartRequest (win32_restart_request.cpp)
  bool InInteractiveSession() override;
  bool RequestRestart(RestartCall call) override;
  bool ReadBootTime(int64_t* boot_time) override;
  // InstalledState (win32_installed_state.cpp)
  WString ExpandEnvironment(const WString& text) override;
  bool IsProductInstalled(const WString& product_code) override;
  bool NativeFileExists(const WString& path) override;
  bool NativeFileVersion(const WString& path, FileVersion* version) override;
  bool LocalMachineKeyExists(const WString& subkey, RegistryView view) override;
  // HeldFiles (win32_held_files.cpp)
  HoldResult HoldAndHash(const WString& path, std::string* digest, HeldFile* file) override;
  void ReleaseHeld(HeldFile file) override;
  bool RunsHeldFile(ProcessHandle process, HeldFile file) override;
  WString SystemFolder() override;
  // WholeCopies (win32_whole_copies.cpp): the work on a thread of its own,
  // waited for up to the bound.
  CopyOutcome CopyWhole(const WString& from, const WString& temporary, const WString& to,
                        uint32_t time_limit_ms) override;

 private:
  SystemLibrary msi_{L"msi.dll"};
  SystemLibrary version_{L"version.dll"};
  SystemLibrary mpr_{L"mpr.dll"};  // only for a mapped drive's share
  // The two handles a started process comes with, kept until released.
  struct ProcessHandles {
    void* process;
    void* thread;
  };
  std::map<ProcessHandle, ProcessHandles> processes_;
  ProcessHandle next_process_ = 1;
  // A job, its completion port, and whether the port has told that its
  // last process ended (it tells once).
  struct Job {
    void* job;
    void* port;
    bool emptied;
  };
  std::map<JobHandle, Job> jobs_;
  JobHandle next_job_ = 1;
  std::shared_ptr<class Win32CryptoApi> crypto_;    // loaded at the first hash
  std::map<HeldFile, std::shared_ptr<void>> held_;  // open handles, closed on release
  HeldFile next_held_ = 1;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_WIN32_WIN32_PLATFORM_H_
