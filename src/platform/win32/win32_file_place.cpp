#include "platform/win32/win32_api.h"

#include <aclapi.h>
#include <winnetwk.h>

#include <vector>

#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"

namespace quill {

namespace {

using UniversalNameFunction = DWORD(WINAPI*)(LPCWSTR path, DWORD level, LPVOID buffer,
                                             LPDWORD size);

// "Z:\dir\x.ini" on a mapped drive as the network names it; false where the
// drive is no network drive or its share cannot be told.
bool UniversalName(SystemLibrary& mpr, const WString& path, WString* universal) {
  const auto get_universal = mpr.Find<UniversalNameFunction>("WNetGetUniversalNameW");
  if (get_universal == nullptr) return false;
  DWORD size = 1024;
  std::vector<unsigned char> buffer(size);
  DWORD result = get_universal(WideText(path), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
  if (result == ERROR_MORE_DATA) {
    buffer.resize(size);
    result = get_universal(WideText(path), UNIVERSAL_NAME_INFO_LEVEL, buffer.data(), &size);
  }
  if (result != NO_ERROR) return false;
  const wchar_t* name = reinterpret_cast<UNIVERSAL_NAME_INFOW*>(buffer.data())->lpUniversalName;
  if (name == nullptr || name[0] == L'\0') return false;
  *universal = FromWide(name, wcslen(name));
  return true;
}

// The groups every user of the machine is in.
bool IsUsersGroup(PSID sid) {
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  struct Group {
    SID_IDENTIFIER_AUTHORITY* authority;
    BYTE count;
    DWORD first;
    DWORD second;
  };
  const Group groups[] = {{&world, 1, SECURITY_WORLD_RID, 0},
                          {&nt, 1, SECURITY_AUTHENTICATED_USER_RID, 0},
                          {&nt, 1, SECURITY_INTERACTIVE_RID, 0},
                          {&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}};
  for (const Group& group : groups) {
    PSID known = nullptr;
    if (!AllocateAndInitializeSid(group.authority, group.count, group.first, group.second, 0, 0, 0,
                                  0, 0, 0, &known)) {
      continue;
    }
    const bool same = EqualSid(sid, known) != 0;
    FreeSid(known);
    if (same) return true;
  }
  return false;
}

// Whether an ACE lets all users change what lies there: write or add,
// delete, or take the permissions. Deny entries are not weighed, so a
// folder may be told writable that is not: never the other way.
bool UsersMayWrite(const WString& path) {
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(WideText(path), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  const DWORD writes = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA | FILE_DELETE_CHILD |
                       DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
  // No list at all lets everyone do everything.
  bool writable = dacl == nullptr;
  for (DWORD i = 0; dacl != nullptr && i < dacl->AceCount && !writable; ++i) {
    ACE_HEADER* header = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&header))) continue;
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
      continue;
    auto* allowed = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
    writable = (allowed->Mask & writes) != 0 && IsUsersGroup(&allowed->SidStart);
  }
  LocalFree(descriptor);
  return writable;
}

bool IsNetworkPath(const WString& path) {
  return path.size() >= 2 && (path[0] == u'\\' || path[0] == u'/') &&
         (path[1] == u'\\' || path[1] == u'/');
}

}  // namespace

bool Win32Platform::LocateFile(const WString& path, FilePlace* place) {
  place->universal = path;
  place->on_share = IsNetworkPath(path);
  if (!place->on_share && path.size() >= 3 && path[1] == u':') {
    const WString root = path.substr(0, 3);
    if (GetDriveTypeW(WideText(root)) == DRIVE_REMOTE) {
      if (!UniversalName(mpr_, path, &place->universal)) return false;
      place->on_share = true;
    }
  }
  // The folder without its last backslash, but for a drive's root.
  const size_t slash = path.find_last_of(u"\\/");
  const size_t folder_end = slash == 2 && path[1] == u':' ? 3 : slash;
  place->users_may_write =
      UsersMayWrite(path) || (slash != WString::npos && UsersMayWrite(path.substr(0, folder_end)));
  return true;
}

}  // namespace quill
