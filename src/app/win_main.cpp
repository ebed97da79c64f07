// The program's real entry: build the Windows platform and the run's state,
// and let the portable core do the rest.
#include "platform/win32/win32_api.h"

#include "base/run_context.h"
#include "platform/win32/win32_platform.h"
#include "run/entry.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  quill::Win32Platform platform;
  // A local, so that the run log's stream is flushed by its destructor
  // before the runtime ends the process.
  quill::RunContext context;
  return quill::RunFromCommandLine(context, platform);
}
