#include "wine_machine.h"

#include <sys/personality.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <iostream>
#include <sstream>

namespace fs = std::filesystem;

// The 32-bit build lies beside the 64-bit one.
#ifndef QUILL_WIN32_BUILD_DIR
#define QUILL_WIN32_BUILD_DIR QUILL_WIN64_BUILD_DIR "/../win32"
#endif

namespace quill::e2e {

namespace {

// What Wine needs to start slowly or not at all in a test is turned off:
// its debug output, and the prompts to download Mono and Gecko.
const char kWineDebug[] = "WINEDEBUG=-all";
const char kNoDownloads[] = "WINEDLLOVERRIDES=mscoree,mshtml=";
const char kDefaultLocale[] = "en_US.UTF-8";
// Started through the project's one choice of Wine loader (scripts/lib/wine).
const char kWine[] = QUILL_WINE;
const char kVersionKey[] = "HKCU\\Software\\Wine\\AppDefaults\\QUILLRUN.EXE";

std::string FromEnvironment(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char byte : bytes) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
  }
  return hex;
}

std::string CommandLineOf(const RunOptions& options) {
  if (!options.command_line.empty()) return options.command_line;
  const std::string program = "\"" + options.program + "\"";
  return options.arguments.empty() ? program : program + " " + options.arguments;
}

// Debian's Wine starts without its preloader, so a Wine process claims the
// addresses Windows wants at fixed places (the shared user data, a program's
// base) only after Linux has put the loader's heap at a random one: where the
// two meet, the process ends before it is ready and its parent's
// CreateProcess fails. Without randomisation every start of a program is laid
// out alike, so what starts once starts every time. Every process the harness
// starts from now on inherits it; "" or why not.
std::string FixAddressLayout() {
  const int current = personality(0xffffffff);
  if (current != -1 && personality(static_cast<unsigned long>(current) | ADDR_NO_RANDOMIZE) != -1) {
    return "";
  }
  return std::strerror(errno);
}

std::string BuildOf(ProgramBits bits) {
  return bits == ProgramBits::k32 ? FromEnvironment("QUILL_WIN32_DIR", QUILL_WIN32_BUILD_DIR)
                                  : FromEnvironment("QUILL_WIN64_DIR", QUILL_WIN64_BUILD_DIR);
}

}  // namespace

std::string TargetName(const Target& target) {
  return std::string(target.program == ProgramBits::k32 ? "program32" : "program64") +
         (target.windows == WindowsBits::k64 ? "_on_windows64" : "_on_windows32");
}

bool Runs32BitPrograms() {
  // Asked once, as scripts/test asks, unless the run was told: so the driver
  // started by hand in the stand-in (scripts/lib/without-32bit) takes its path.
  static const bool runs = FromEnvironment("QUILL_E2E_NO_32BIT", "").empty() &&
                           std::system("'" QUILL_RUNS_32BIT "' >/dev/null 2>&1") == 0;
  return runs;
}

Target Shipped() {
  return {Runs32BitPrograms() ? ProgramBits::k32 : ProgramBits::k64, WindowsBits::k64};
}

std::vector<Target> BothWindows() {
  if (!Runs32BitPrograms()) return {Shipped()};
  return {Shipped(), {ProgramBits::k32, WindowsBits::k32}};
}

std::vector<Target> EveryBuildAndWindows() {
  if (!Runs32BitPrograms()) return {Shipped()};
  return {Shipped(), {ProgramBits::k32, WindowsBits::k32}, {ProgramBits::k64, WindowsBits::k64}};
}

RunningProgram::RunningProgram(std::unique_ptr<ChildProcess> launcher, double time_limit_seconds)
    : launcher_(std::move(launcher)), time_limit_seconds_(time_limit_seconds) {}

RunningProgram::RunningProgram(const std::string& why_not_started) : why_not_started_(why_not_started) {}

RunResult RunningProgram::Wait() {
  RunResult result;
  if (!launcher_) {
    result.output = why_not_started_;
    return result;
  }
  const ProcessOutcome outcome = launcher_->Wait(time_limit_seconds_);
  result.finished = outcome.finished;
  result.output = outcome.output;
  unsigned long code = 0;
  const size_t at = outcome.output.find("exit code: ");
  if (at != std::string::npos &&
      std::sscanf(outcome.output.c_str() + at, "exit code: %lu", &code) == 1) {
    result.launched = true;
    result.exit_code = static_cast<uint32_t>(code);
  }
  return result;
}

WineMachine& WineMachine::Unmade(WindowsBits windows) {
  static WineMachine machines[] = {WineMachine(WindowsBits::k64), WineMachine(WindowsBits::k32)};
  return machines[windows == WindowsBits::k64 ? 0 : 1];
}

WineMachine& WineMachine::Get(WindowsBits windows) {
  WineMachine& machine = Unmade(windows);
  if (!machine.tried_) {
    machine.tried_ = true;
    static const std::string layout_not_fixed = FixAddressLayout();
    if (!layout_not_fixed.empty()) {
      std::cout << "[ e2e      ] Wine's address layout stays random (" << layout_not_fixed
                << "): a start may fail at random" << std::endl;
    }
    std::cout << "[ e2e      ] making the " << (windows == WindowsBits::k64 ? "64" : "32")
              << "-bit Windows: a Wine prefix and an X display..." << std::endl;
    if (machine.SetUp()) {
      std::cout << "[ e2e      ] prefix " << machine.prefix() << ", display "
                << machine.display().name() << std::endl;
    }
  }
  return machine;
}

void WineMachine::TearDownAll() {
  for (WindowsBits windows : {WindowsBits::k64, WindowsBits::k32}) {
    WineMachine& machine = Unmade(windows);
    if (machine.tried_) machine.TearDown();
  }
}

bool WineMachine::SetUp() {
  shipped_ = windows_ == WindowsBits::k64 ? Shipped().program : ProgramBits::k32;
  std::vector<std::string> needed;
  for (const char* file : {"QUILLRUN.EXE", "ZYLNT.DLL", "testlibs/NOEXPORT/ZYLNT.DLL",
                           "tools/launch.exe", "tools/waitexit.exe", "tools/probe.exe"}) {
    needed.push_back(BuildOf(shipped_) + "/" + file);
  }
  if (windows_ == WindowsBits::k64 && shipped_ != ProgramBits::k64) {
    needed.push_back(BuildOf(ProgramBits::k64) + "/QUILLRUN.EXE");
    needed.push_back(BuildOf(ProgramBits::k64) + "/ZYLNT.DLL");
  }
  for (const std::string& file : needed) {
    if (!fs::exists(file)) {
      error_ = file +
               " is missing: build the Windows programs first (cmake --preset win32 && cmake "
               "--build build/win32, the same for win64), or point QUILL_WIN32_DIR and "
               "QUILL_WIN64_DIR at their build folders";
      return false;
    }
  }
  if (!display_.Start(&error_)) return false;

  // A 32-bit Windows is a prefix of its own, made with WINEARCH=win32.
  prefix_ = FromEnvironment("QUILL_E2E_PREFIX", QUILL_E2E_WORK_DIR "/wineprefix") +
            (windows_ == WindowsBits::k32 ? "-win32" : "");
  std::error_code ignored;
  fs::remove_all(prefix_, ignored);
  fs::create_directories(prefix_, ignored);

  // A server that stays up between the runs saves a second on each of them.
  ProcessCommand server{{"wineserver", "-p"}, Environment({}), ""};
  const ProcessOutcome started = RunProcess(server, 30);
  if (!started.finished || started.exit_status != 0) {
    error_ = "wineserver did not start: " + started.output;
    return false;
  }
  const ProcessOutcome booted = Wine({"wineboot", "-i"}, 180);
  if (!booted.finished || booted.exit_status != 0 || !fs::is_directory(HostPath("C:\\windows"))) {
    error_ = "wineboot -i did not make the prefix " + prefix_ + ": " + booted.output;
    return false;
  }
  if (!InstallProgram(kProgramFolder, IdentityLibrary::kStandIn) ||
      (windows_ == WindowsBits::k64 && shipped_ != ProgramBits::k64 &&
       !InstallProgram(kProgram64Folder, IdentityLibrary::kStandIn, ProgramBits::k64))) {
    error_ = "could not install QUILLRUN.EXE into " + HostPath(kProgramFolder);
    return false;
  }
  ready_ = true;
  return true;
}

void WineMachine::TearDown() {
  if (!prefix_.empty()) {
    RunProcess(ProcessCommand{{"wineserver", "-k"}, Environment({}), ""}, 30);
    RunProcess(ProcessCommand{{"wineserver", "-w"}, Environment({}), ""}, 30);
    if (std::getenv("QUILL_E2E_KEEP_PREFIX") == nullptr) {
      std::error_code ignored;
      fs::remove_all(prefix_, ignored);
    }
  }
  display_.Stop();
  ready_ = false;
}

std::vector<std::string> WineMachine::Environment(
    const std::map<std::string, std::string>& extra) const {
  std::vector<std::string> environment = InheritedEnvironment(
      {"WINE", "DISPLAY=", "LC_", "LANG=", "LANGUAGE=", "ZYLNT_", "QUILL_"});
  // The loader's choice forced for the whole run holds for the harness's own
  // calls (taskkill, reg) too.
  const std::string only_64bit = FromEnvironment("QUILL_WINE_64BIT_ONLY", "");
  if (!only_64bit.empty()) environment.push_back("QUILL_WINE_64BIT_ONLY=" + only_64bit);
  environment.push_back("WINEPREFIX=" + prefix_);
  environment.push_back(windows_ == WindowsBits::k64 ? "WINEARCH=win64" : "WINEARCH=win32");
  environment.push_back(kWineDebug);
  environment.push_back(kNoDownloads);
  environment.push_back("DISPLAY=" + display_.name());
  if (extra.count("LC_ALL") == 0) environment.push_back(std::string("LC_ALL=") + kDefaultLocale);
  for (const auto& [name, value] : extra) environment.push_back(name + "=" + value);
  return environment;
}

ProcessOutcome WineMachine::Wine(const std::vector<std::string>& arguments, double seconds) {
  // Started in C:\ once there is one, so Wine need not say it is not.
  const std::string drive_c = HostPath("C:\\");
  ProcessCommand command{{kWine}, Environment({}), fs::is_directory(drive_c) ? drive_c : ""};
  command.argv.insert(command.argv.end(), arguments.begin(), arguments.end());
  return RunProcess(command, seconds);
}

bool WineMachine::UseWindowsVersion(const std::string& version) {
  if (version == windows_version_) return true;
  const ProcessOutcome changed =
      version.empty() ? Wine({"reg", "delete", kVersionKey, "/v", "Version", "/f"}, 60)
                      : Wine({"reg", "add", kVersionKey, "/v", "Version", "/d", version, "/f"}, 60);
  if (!changed.finished || changed.exit_status != 0) return false;
  windows_version_ = version;
  return true;
}

bool WineMachine::SetRegistryVersion(const std::string& version, const std::string& build,
                                     const std::string& product_type) {
  const size_t dot = version.find('.');
  if (dot == std::string::npos) return false;
  char numbers[128];
  std::snprintf(
      numbers, sizeof numbers,
      "\"CurrentMajorVersionNumber\"=dword:%08x\r\n\"CurrentMinorVersionNumber\"=dword:%08x\r\n",
      std::stoi(version.substr(0, dot)), std::stoi(version.substr(dot + 1)));
  const std::string values = "\"CurrentVersion\"=\"" + version + "\"\r\n\"CurrentBuildNumber\"=\"" +
                             build + "\"\r\n\"CurrentBuild\"=\"" + build + "\"\r\n" + numbers;
  // One import a view: each `reg add` is a Wine start of its own.
  std::string text =
      "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion]\r\n" +
      values;
  text +=
      "\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ProductOptions]\r\n"
      "\"ProductType\"=\"" +
      product_type + "\"\r\n";
  const std::string file = "C:\\quill-version.reg";
  if (!WriteFile(file, text)) return false;
  // A 32-bit Windows has one view.
  const std::vector<std::string> views = windows_ == WindowsBits::k64
                                             ? std::vector<std::string>{"/reg:32", "/reg:64"}
                                             : std::vector<std::string>{""};
  for (const std::string& view : views) {
    std::vector<std::string> command = {"reg", "import", file};
    if (!view.empty()) command.push_back(view);
    const ProcessOutcome imported = Wine(command, 60);
    if (!imported.finished || imported.exit_status != 0) return false;
  }
  return true;
}

std::unique_ptr<RunningProgram> WineMachine::Start(const RunOptions& options) {
  if (!ready_) return std::make_unique<RunningProgram>("the Wine machine is not set up");
  if (!UseWindowsVersion(options.windows_version)) {
    return std::make_unique<RunningProgram>("could not set the Windows version " +
                                            options.windows_version);
  }
  std::map<std::string, std::string> extra = options.environment;
  extra["QUILL_LAUNCH_COMMAND_HEX"] = Hex(CommandLineOf(options));
  ProcessCommand command{{kWine, BuildOf(shipped_) + "/tools/launch.exe"}, Environment(extra),
                         HostPath(options.current_directory)};
  return std::make_unique<RunningProgram>(std::make_unique<ChildProcess>(command),
                                          options.time_limit_seconds);
}

RunResult WineMachine::Run(const RunOptions& options) { return Start(options)->Wait(); }

size_t WineMachine::RunningImages(const std::string& image) const {
  const std::string marker = "WINEPREFIX=" + prefix_ + std::string(1, '\0');
  size_t running = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/proc", error)) {
    std::ifstream comm(entry.path() / "comm");
    std::string name;
    if (!std::getline(comm, name) || name != image) continue;
    std::ifstream environ(entry.path() / "environ", std::ios::binary);
    const std::string variables((std::istreambuf_iterator<char>(environ)), {});
    if (variables.find(marker) != std::string::npos) ++running;
  }
  return running;
}

bool WineMachine::RestartWindows(const std::map<std::string, std::string>& environment) {
  // Windows does not restart within its own start: the wineboot that Wine's
  // ExitWindowsEx starts at once runs the RunOnce commands and waits for
  // each, and a kill between its taking one and starting it loses it.
  for (int tries = 0; RunningImages("wineboot.exe") > 0; ++tries) {
    if (tries == 600) {
      error_ = "a wineboot of the session did not end in 60 s";
      return false;
    }
    usleep(100 * 1000);
  }
  RunProcess(ProcessCommand{{"wineserver", "-k"}, Environment({}), ""}, 30);
  // A server still up would give the old boot time.
  const ProcessOutcome ended =
      RunProcess(ProcessCommand{{"wineserver", "-w"}, Environment({}), ""}, 30);
  if (!ended.finished) {
    error_ = "the Wine server did not end in 30 s";
    return false;
  }
  usleep(1100 * 1000);  // boot times count whole seconds
  const ProcessOutcome started =
      RunProcess(ProcessCommand{{"wineserver", "-p"}, Environment({}), ""}, 30);
  if (!started.finished || started.exit_status != 0) {
    error_ = "wineserver -p did not start a server: " + started.output;
    return false;
  }
  const ProcessOutcome booted = RunProcess(
      ProcessCommand{{kWine, "wineboot", "-r"}, Environment(environment), HostPath("C:\\")}, 180);
  if (!booted.finished || booted.exit_status != 0) {
    error_ = "wineboot -r " + std::string(booted.finished ? "failed: " : "did not end: ") +
             booted.output;
    return false;
  }
  return true;
}

bool WineMachine::Kill(const std::string& image_name) {
  const ProcessOutcome killed = Wine({"taskkill", "/f", "/im", image_name}, 60);
  return killed.finished && killed.exit_status == 0;
}

std::string WineMachine::ProgramPath(ProgramBits bits) const {
  return bits == shipped_ ? kProgram : std::string(kProgram64Folder) + "\\QUILLRUN.EXE";
}

bool WineMachine::InstallProgram(const std::string& windows_folder, IdentityLibrary library) {
  return InstallProgram(windows_folder, library, shipped_);
}

bool WineMachine::InstallProgram(const std::string& windows_folder, IdentityLibrary library,
                                 ProgramBits bits) {
  if (!MakeDirectories(windows_folder)) return false;
  const std::string build = BuildOf(bits);
  const std::string library_path = windows_folder + "\\ZYLNT.DLL";
  bool ok = CopyFrom(build, "QUILLRUN.EXE", windows_folder + "\\QUILLRUN.EXE");
  switch (library) {
    case IdentityLibrary::kNone:
      ok = Remove(library_path) && ok;
      break;
    case IdentityLibrary::kStandIn:
      ok = CopyFrom(build, "ZYLNT.DLL", library_path) && ok;
      break;
    case IdentityLibrary::kNoExport:
      ok = CopyFrom(build, "testlibs/NOEXPORT/ZYLNT.DLL", library_path) && ok;
      break;
  }
  return ok;
}

bool WineMachine::CopyBuildFile(const std::string& build_relative, const std::string& windows_path) {
  return CopyFrom(BuildOf(shipped_), build_relative, windows_path);
}

bool WineMachine::CopyFrom(const std::string& build, const std::string& build_relative,
                           const std::string& windows_path) {
  const fs::path target = HostPath(windows_path);
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  fs::copy_file(build + "/" + build_relative, target, fs::copy_options::overwrite_existing, error);
  return !error;
}

bool WineMachine::AddDrive(char letter) {
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  const std::string folder = prefix_ + "/drive_" + lower;
  const std::string link = prefix_ + "/dosdevices/" + lower + ":";
  std::error_code error;
  fs::create_directories(folder, error);
  if (!fs::exists(fs::symlink_status(link))) fs::create_directory_symlink("../drive_" + std::string(1, lower), link, error);
  return !error;
}

bool WineMachine::AddShare(const std::string& server, const std::string& share,
                           const std::string& windows_folder) {
  const std::string servers = prefix_ + "/dosdevices/unc/" + server;
  const std::string link = servers + "/" + share;
  std::error_code error;
  fs::create_directories(servers, error);
  fs::remove(link, error);
  fs::create_directory_symlink(HostPath(windows_folder), link, error);
  return !error;
}

std::string WineMachine::HostPath(const std::string& windows_path) const {
  if (windows_path.size() < 2 || windows_path[1] != ':') return std::string();
  const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windows_path[0])));
  std::string rest = windows_path.substr(2);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  if (!rest.empty() && rest[0] != '/') rest = "/" + rest;
  return prefix_ + "/drive_" + drive + rest;
}

bool WineMachine::WriteFile(const std::string& windows_path, const std::string& bytes) {
  const fs::path target = HostPath(windows_path);
  if (target.empty()) return false;
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  std::ofstream file(target, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file);
}

bool WineMachine::ReadFile(const std::string& windows_path, std::string* bytes) const {
  std::ifstream file(HostPath(windows_path), std::ios::binary);
  if (!file) return false;
  std::ostringstream text;
  text << file.rdbuf();
  *bytes = text.str();
  return true;
}

bool WineMachine::Exists(const std::string& windows_path) const {
  return fs::exists(HostPath(windows_path));
}

bool WineMachine::MakeDirectories(const std::string& windows_folder) {
  const std::string folder = HostPath(windows_folder);
  std::error_code error;
  fs::create_directories(folder, error);
  return !folder.empty() && fs::is_directory(folder);
}

bool WineMachine::Remove(const std::string& windows_path) {
  const std::string target = HostPath(windows_path);
  std::error_code error;
  fs::remove_all(target, error);
  return !target.empty() && !fs::exists(target);
}

}  // namespace quill::e2e
