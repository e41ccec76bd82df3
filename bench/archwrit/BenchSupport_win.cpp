// The benchmarks' system calls on Windows: scratch folders, child processes,
// synced writes and the resident memory.
#include <windows.h>
// After windows.h, which it needs.
#include <malloc.h>
#include <psapi.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

#include "BenchSupport.h"

namespace fs = std::filesystem;

namespace bench {

namespace {

// Kernel time of the children waited for, in 100 ns units.
unsigned long long childKernelTime = 0;

// One argument as the C runtime's command-line parser reads it back:
// quoted, with backslashes doubled only where they precede a quote.
std::wstring quoted(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  return out + L"\"";
}

unsigned long long ticks(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

ScratchDir::ScratchDir() {
  std::random_device random;
  for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
    const fs::path candidate = fs::temp_directory_path() / ("bench_archwrit." + std::to_string(random()));
    std::error_code error;
    if (fs::create_directory(candidate, error)) path_ = candidate.string();
  }
  require(!path_.empty(), "cannot create a scratch folder");
}

bool run(const std::vector<std::string>& argv, const std::string& folder) {
  std::wstring commandLine;
  for (const std::string& arg : argv) commandLine += (commandLine.empty() ? L"" : L" ") + quoted(fs::path(arg).wstring());
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  HANDLE nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                           OPEN_EXISTING, 0, nullptr);
  if (nul == INVALID_HANDLE_VALUE) return false;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = nul;
  startup.hStdError = nul;
  PROCESS_INFORMATION child{};
  const std::wstring program = fs::path(argv.at(0)).wstring(), cwd = fs::path(folder).wstring();
  const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, cwd.c_str(), &startup, &child);
  CloseHandle(nul);
  if (!started) return false;
  DWORD code = 1;
  const bool ended = WaitForSingleObject(child.hProcess, INFINITE) == WAIT_OBJECT_0 &&
                     GetExitCodeProcess(child.hProcess, &code);
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(child.hProcess, &created, &exited, &kernel, &user)) childKernelTime += ticks(kernel);
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
  return ended && code == 0;
}

double childSystemSeconds() {
  return double(childKernelTime) / 1e7;
}

bool writeNewFileSynced(const std::string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(fs::path(path).wstring().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) break;
    done += written;
  }
  const bool synced = done == bytes.size() && FlushFileBuffers(file);
  return CloseHandle(file) && synced;
}

bool syncFile(const std::string& path) {
  HANDLE file = CreateFileW(fs::path(path).wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  const bool synced = FlushFileBuffers(file);
  return CloseHandle(file) && synced;
}

const void* findBytes(const void* bytes, size_t size, const void* needle, size_t needleSize) {
  // The C runtime here has no memmem.
  const char* begin = static_cast<const char*>(bytes);
  const char* from = static_cast<const char*>(needle);
  const char* at =
      std::search(begin, begin + size, std::boyer_moore_horspool_searcher(from, from + needleSize));
  return at == begin + size && needleSize > 0 ? nullptr : at;
}

double residentBytes() {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  return GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) ? double(counters.WorkingSetSize)
                                                                               : 0;
}

void keepFreedMemory() {}

void releaseFreeMemory() {
  _heapmin();
}

}  // namespace bench
