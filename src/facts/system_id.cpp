#include "facts/system_id.h"

#include "base/trim.h"

namespace quill {

const char16_t kIdentityLibrary[] = u"ZYLNT.DLL";
const char16_t kIdentityLibraryFallback[] = u"\\SYSTEM.SAV\\UTIL\\ZYLNT.DLL";
const char kIdentityEntryPoint[] = "zylGetMachineId";

namespace {

// The library in the running program's folder, by its full path; empty when
// that folder is not known. A bare name would let the loader search on
// through the system folders, the current directory and PATH, where anyone
// may have put a library of that name.
WString LibraryBesideProgram(Libraries& libraries) {
  const WString program = libraries.RunningProgramPath();
  const size_t folder_end = program.find_last_of(u"\\/");
  if (folder_end == WString::npos) return WString();
  return program.substr(0, folder_end + 1) + kIdentityLibrary;
}

LibraryHandle LoadIdentityLibrary(Libraries& libraries) {
  const WString beside = LibraryBesideProgram(libraries);
  const LibraryHandle library = beside.empty() ? 0 : libraries.LoadModule(beside);
  return library != 0 ? library : libraries.LoadModule(kIdentityLibraryFallback);
}

// With the library loaded: the result GetSystemID gives.
int AskLibrary(LibraryHandle library, RunContext& context, Platform& platform) {
  const ExportAddress entry = platform.FindExport(library, kIdentityEntryPoint);
  if (entry == 0) return 1;

  char buffer[kMachineIdBufferBytes] = {};
  platform.CallMachineIdEntry(entry, buffer);
  buffer[kMachineIdBufferBytes - 1] = '\0';  // a library that overruns gets no further
  WString identifier = platform.AnsiToWide(std::string(buffer));
  Trim(identifier, platform);
  if (identifier.empty()) return 0;
  context.SystemID = u"0x" + identifier;
  return 1;
}

}  // namespace

int GetSystemID(RunContext& context, Platform& platform) {
  platform.InitializeCom();
  int result = 0;
  const LibraryHandle library = LoadIdentityLibrary(platform);
  if (library != 0) {
    result = AskLibrary(library, context, platform);
    platform.ReleaseModule(library);
  }
  platform.UninitializeCom();
  return result;
}

}  // namespace quill
