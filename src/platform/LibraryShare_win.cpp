#include "platform/LibraryShare.h"

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>

namespace storm {

namespace {

// The library opens archives with CreateFileA and never lets others delete
// or rename the file while it holds it (no FILE_SHARE_DELETE). Its read-only
// opens of existing files get that share here; opens that write stay as the
// library asks, so nothing takes a file from under an update.
HANDLE WINAPI CreateFileSharedForReading(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                         DWORD disposition, DWORD flags, HANDLE templateFile) {
  constexpr DWORD kWrites = GENERIC_WRITE | GENERIC_ALL | FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE;
  if (disposition == OPEN_EXISTING && (access & kWrites) == 0) share |= FILE_SHARE_DELETE;
  return CreateFileA(name, access, share, security, disposition, flags, templateFile);
}

// The loaded module that holds the archive library: the one that exports its
// open call.
HMODULE LibraryModule() {
  HMODULE modules[1024];
  DWORD bytes = 0;
  if (!K32EnumProcessModules(GetCurrentProcess(), modules, sizeof modules, &bytes)) return nullptr;
  const DWORD count = std::min<DWORD>(bytes / sizeof(HMODULE), DWORD(std::size(modules)));
  for (DWORD i = 0; i < count; ++i)
    if (GetProcAddress(modules[i], "SFileOpenArchive")) return modules[i];
  return nullptr;
}

// Points the module's import of KERNEL32's CreateFileA at the function given.
void RedirectCreateFileA(HMODULE module, const void* to) {
  auto* base = reinterpret_cast<BYTE*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return;
  for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); dll->Name;
       ++dll) {
    if (_stricmp(reinterpret_cast<const char*>(base + dll->Name), "kernel32.dll") != 0 ||
        dll->OriginalFirstThunk == 0)
      continue;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + dll->OriginalFirstThunk);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + dll->FirstThunk);
    for (; names->u1.AddressOfData; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<const char*>(byName->Name), "CreateFileA") != 0) continue;
      DWORD was = 0;
      if (!VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE, &was)) return;
      slots->u1.Function = reinterpret_cast<ULONG_PTR>(to);
      VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, was, &was);
      FlushInstructionCache(GetCurrentProcess(), nullptr, 0);
    }
  }
}

}  // namespace

void ShareLibraryReadOpens() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (const HMODULE module = LibraryModule())
      RedirectCreateFileA(module, reinterpret_cast<const void*>(&CreateFileSharedForReading));
  });
}

}  // namespace storm
