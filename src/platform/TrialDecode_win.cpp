#include "platform/TrialDecode.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace storm {
namespace {

// Long enough for the largest sector on a loaded machine; a decoder still
// busy after it is looping.
constexpr DWORD kTrialMs = 5000;
constexpr wchar_t kTrialProgram[] = L"quillforge-trial.exe";

// The trial program beside the module this code is in (the program, or ARCHWRIT.DLL).
std::wstring TrialProgram() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&TrialProgram), &self))
    return {};
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(self, path.data(), DWORD(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return (slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1)) + kTrialProgram;
}

void Append(std::string& out, uint32_t value) {
  char bytes[4];
  std::memcpy(bytes, &value, sizeof bytes);
  out.append(bytes, sizeof bytes);
}

}  // namespace

bool TrialDecodeSurvives(std::vector<TrialSector>& sectors) {
  if (sectors.empty()) return true;
  std::string input;
  Append(input, uint32_t(sectors.size()));
  for (const TrialSector& sector : sectors) {
    Append(input, sector.size);
    Append(input, uint32_t(sector.bytes.size()));
    input.append(sector.bytes.data(), sector.bytes.size());
  }

  const std::wstring program = TrialProgram();
  if (program.empty()) return false;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
  SetHandleInformation(writeEnd, HANDLE_FLAG_INHERIT, 0);
  // Its error output goes nowhere: a crash is the answer, not something to report.
  HANDLE null = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                            nullptr);
  STARTUPINFOW start{};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdInput = readEnd;
  start.hStdOutput = null;
  start.hStdError = null;
  PROCESS_INFORMATION child{};
  std::wstring commandLine = L"\"" + program + L"\"";
  const bool started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &start, &child) != 0;
  CloseHandle(readEnd);
  if (null != INVALID_HANDLE_VALUE) CloseHandle(null);
  if (!started) {
    CloseHandle(writeEnd);
    return false;
  }
  CloseHandle(child.hThread);
  // The child reads while this writes; a child that died early breaks the pipe.
  for (size_t done = 0; done < input.size();) {
    DWORD n = 0;
    if (!WriteFile(writeEnd, input.data() + done, DWORD(input.size() - done), &n, nullptr) || n == 0) break;
    done += n;
  }
  CloseHandle(writeEnd);
  DWORD status = 1;
  const bool ended = WaitForSingleObject(child.hProcess, kTrialMs) == WAIT_OBJECT_0;
  if (!ended) {
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, INFINITE);
  }
  const bool exited = ended && GetExitCodeProcess(child.hProcess, &status) && status == 0;
  CloseHandle(child.hProcess);
  return exited;
}

}  // namespace storm
