#ifndef QUILL_PLATFORM_INSTALLER_SERVICE_H_
#define QUILL_PLATFORM_INSTALLER_SERVICE_H_

// Why: Windows Installer runs one installation at a time and holds the
// global mutex _MSIExecute while it does; an MSI package started meanwhile
// fails with 1618. The tests hold and release it on a fake clock.
namespace quill {

class InstallerService {
 public:
  virtual ~InstallerService() = default;

  // True while another holds the mutex, or it cannot be opened for want
  // of access; a missing or abandoned mutex is free.
  virtual bool IsInstallerServiceBusy() = 0;
};

}  // namespace quill

#endif  // QUILL_PLATFORM_INSTALLER_SERVICE_H_
