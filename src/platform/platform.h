#ifndef QUILL_PLATFORM_PLATFORM_H_
#define QUILL_PLATFORM_PLATFORM_H_

// Why: the one seam between the program and the operating system. The real
// implementation is Win32; the tests hand in a fake that records every call.
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/held_files.h"
#include "platform/installed_state.h"
#include "platform/installer_service.h"
#include "platform/libraries.h"
#include "platform/machine_registry.h"
#include "platform/process_jobs.h"
#include "platform/processes.h"
#include "platform/profile_reader.h"
#include "platform/restart_request.h"
#include "platform/system_info.h"
#include "platform/user_interface.h"
#include "platform/whole_copies.h"

namespace quill {

class Platform : public ProfileReader,
                 public FileSystem,
                 public Processes,
                 public Clock,
                 public Libraries,
                 public SystemInfo,
                 public UserInterface,
                 public HeldFiles,
                 public MachineRegistry,
                 public RestartRequest,
                 public InstalledState,
                 public WholeCopies,
                 public ProcessJobs,
                 public InstallerService {};

}  // namespace quill

#endif  // QUILL_PLATFORM_PLATFORM_H_
