#include "platform/win32/win32_api.h"

#include <wincrypt.h>

#include <vector>

#include "platform/win32/win32_export.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {
// The headers give it only to builds for Windows Server 2003 and later; XP
// SP3's AES provider knows it by this number all the same.
constexpr ALG_ID kCalgSha256 = ALG_CLASS_HASH | ALG_TYPE_ANY | 12;
}  // namespace

// CryptoAPI's SHA-256, from advapi32.dll loaded by full path from the
// system folder only once a HashList asks for a hash: the program imports
// nothing of it, and so loads on XP whatever the provider offers there.
// On XP SP3 only the AES provider type has SHA-256; later ones all do.
class Win32CryptoApi {
 public:
  static std::shared_ptr<Win32CryptoApi> Load(const WString& system_folder) {
    std::shared_ptr<Win32CryptoApi> api(new Win32CryptoApi);
    if (system_folder.empty()) return nullptr;
    api->library_ = LoadLibraryW(WideText(system_folder + u"\\advapi32.dll"));
    if (api->library_ == nullptr || !api->Find() ||
        !api->acquire_(&api->provider_, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
      api->provider_ = 0;
      return nullptr;
    }
    return api;
  }
  ~Win32CryptoApi() {
    if (provider_ != 0) release_(provider_, 0);
    if (library_ != nullptr) FreeLibrary(library_);
  }
  Win32CryptoApi(const Win32CryptoApi&) = delete;
  Win32CryptoApi& operator=(const Win32CryptoApi&) = delete;

  // The file read whole from where it stands into the digest.
  bool Hash(HANDLE file, std::string* digest) {
    HCRYPTHASH hash = 0;
    if (!create_(provider_, kCalgSha256, 0, 0, &hash)) return false;
    constexpr DWORD kBlock = 1 << 20;
    std::vector<BYTE> block(kBlock);
    bool whole = false;
    for (DWORD got = 0; ReadFile(file, block.data(), kBlock, &got, nullptr);) {
      if (got == 0) {
        whole = true;
        break;
      }
      if (!add_(hash, block.data(), got, 0)) break;
    }
    BYTE out[32];
    DWORD size = sizeof out;
    const bool done = whole && get_(hash, HP_HASHVAL, out, &size, 0) && size == sizeof out;
    destroy_(hash);
    if (done) digest->assign(reinterpret_cast<char*>(out), size);
    return done;
  }

 private:
  Win32CryptoApi() = default;

  template <typename Function>
  bool Look(const char* name, Function* function) {
    const FARPROC found = GetProcAddress(library_, name);
    *function = FunctionAt<Function>(reinterpret_cast<uintptr_t>(found));
    return found != nullptr;
  }
  bool Find() {
    return Look("CryptAcquireContextW", &acquire_) && Look("CryptReleaseContext", &release_) &&
           Look("CryptCreateHash", &create_) && Look("CryptHashData", &add_) &&
           Look("CryptGetHashParam", &get_) && Look("CryptDestroyHash", &destroy_);
  }

  HMODULE library_ = nullptr;
  HCRYPTPROV provider_ = 0;
  BOOL(WINAPI* acquire_)(HCRYPTPROV*, LPCWSTR, LPCWSTR, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* release_)(HCRYPTPROV, DWORD) = nullptr;
  BOOL(WINAPI* create_)(HCRYPTPROV, ALG_ID, HCRYPTKEY, DWORD, HCRYPTHASH*) = nullptr;
  BOOL(WINAPI* add_)(HCRYPTHASH, const BYTE*, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* get_)(HCRYPTHASH, DWORD, BYTE*, DWORD*, DWORD) = nullptr;
  BOOL(WINAPI* destroy_)(HCRYPTHASH) = nullptr;
};

namespace {

// Each folder below the root ("C:\\" or "\\\\server\\share\\") and the file
// itself; one whose attributes cannot be read is not taken on trust.
bool PassesThroughLink(const WString& path) {
  size_t at = 3;
  if (path.size() > 2 && path[0] == u'\\' && path[1] == u'\\') {
    at = path.find(u'\\', path.find(u'\\', 2) + 1);
    if (at == WString::npos) return true;
    ++at;
  }
  for (; at <= path.size(); ++at) {
    if (at < path.size() && path[at] != u'\\') continue;
    const DWORD attributes = GetFileAttributesW(WideText(path.substr(0, at)));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return true;
    }
  }
  return false;
}

using QueryImageNameFunction = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR name,
                                             PDWORD size);
struct NtText {
  USHORT length;
  USHORT capacity;
  PWSTR text;
};
constexpr ULONG kProcessImageFileName = 27;
using QueryProcessFunction = LONG(WINAPI*)(HANDLE process, ULONG information_class, void* buffer,
                                           ULONG length, ULONG* returned);

// The file a process runs from, in a form CreateFileW opens: Vista and
// later name it; XP's ntdll gives the kernel's own name of it.
bool ProcessImagePath(HANDLE process, std::wstring* path) {
  std::vector<wchar_t> name(32768);
  const auto query_name = FunctionAt<QueryImageNameFunction>(reinterpret_cast<uintptr_t>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "QueryFullProcessImageNameW")));
  DWORD size = static_cast<DWORD>(name.size());
  if (query_name != nullptr) {
    if (!query_name(process, 0, name.data(), &size)) return false;
    path->assign(name.data(), size);
    return true;
  }
  const auto query = FunctionAt<QueryProcessFunction>(reinterpret_cast<uintptr_t>(
      GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationProcess")));
  std::vector<unsigned char> buffer(sizeof(NtText) + 65536);
  if (query == nullptr || query(process, kProcessImageFileName, buffer.data(),
                                static_cast<ULONG>(buffer.size()), nullptr) < 0) {
    return false;
  }
  const NtText* text = reinterpret_cast<const NtText*>(buffer.data());
  if (text->text == nullptr || text->length == 0) return false;
  *path = L"\\\\?\\GLOBALROOT" + std::wstring(text->text, text->length / sizeof(wchar_t));
  return true;
}

bool SameFile(HANDLE one, HANDLE other) {
  BY_HANDLE_FILE_INFORMATION a = {};
  BY_HANDLE_FILE_INFORMATION b = {};
  return GetFileInformationByHandle(one, &a) && GetFileInformationByHandle(other, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

bool Win32Platform::RunsHeldFile(ProcessHandle process, HeldFile file) {
  const auto started = processes_.find(process);
  const auto held = held_.find(file);
  std::wstring path;
  if (started == processes_.end() || held == held_.end() ||
      !ProcessImagePath(started->second.process, &path)) {
    return false;
  }
  // Attributes only: no data access, so the held file's sharing allows it.
  HANDLE image = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  if (image == INVALID_HANDLE_VALUE) return false;
  const bool same = SameFile(image, held->second.get());
  CloseHandle(image);
  return same;
}

HoldResult Win32Platform::HoldAndHash(const WString& path, std::string* digest, HeldFile* file) {
  // Shared for reading only: nobody may write, rename or delete it while
  // it is held, and the installer may still read and run it.
  HANDLE handle = CreateFileW(WideText(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return HoldResult::kCannotOpen;
  std::shared_ptr<void> held(handle, CloseHandle);
  if (PassesThroughLink(path)) return HoldResult::kThroughLink;
  if (!crypto_) crypto_ = Win32CryptoApi::Load(SystemFolder());
  if (!crypto_ || !crypto_->Hash(handle, digest)) return HoldResult::kCannotHash;
  *file = next_held_++;
  held_[*file] = held;
  return HoldResult::kHeld;
}

void Win32Platform::ReleaseHeld(HeldFile file) { held_.erase(file); }

WString Win32Platform::SystemFolder() {
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return WString();
  return FromWide(folder, length);
}

}  // namespace quill
