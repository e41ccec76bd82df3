// quillforge-trial: the child process that tries the archive library's
// sector decoder on sectors read from its standard input (see
// TrialDecodeSurvives). Each sector comes as its decoded size and its length
// (both 32-bit, little-endian), then its bytes. It exits with 0 once every
// sector is decoded; a crash or a hang is the parent's answer. Everything is
// read before the first sector is decoded, so the parent's writes never wait
// on a decoder that hangs.
#include <StormLib.h>
#include <windows.h>

#include <cstdint>
#include <vector>

namespace {

bool ReadExactly(HANDLE in, void* data, DWORD size) {
  auto* out = static_cast<char*>(data);
  while (size > 0) {
    DWORD got = 0;
    if (!ReadFile(in, out, size, &got, nullptr) || got == 0) return false;
    out += got;
    size -= got;
  }
  return true;
}

}  // namespace

// A crash ends the process at once and quietly: no error report, no
// debugger (Wine starts one for an unhandled fault), no box waiting for a click.
LONG WINAPI EndQuietly(EXCEPTION_POINTERS*) {
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_EXECUTE_HANDLER;
}

int main() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  SetUnhandledExceptionFilter(EndQuietly);
  const HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  uint32_t count = 0;
  if (!ReadExactly(in, &count, sizeof count)) return 2;
  struct Sector {
    uint32_t size = 0;
    std::vector<char> bytes;
  };
  std::vector<Sector> sectors(count);
  for (Sector& sector : sectors) {
    uint32_t length = 0;
    if (!ReadExactly(in, &sector.size, sizeof sector.size) || !ReadExactly(in, &length, sizeof length)) return 2;
    sector.bytes.resize(length ? length : 1);
    if (length && !ReadExactly(in, sector.bytes.data(), length)) return 2;
    sector.bytes.resize(length);
  }
  for (Sector& sector : sectors) {
    std::vector<char> out(sector.size ? sector.size : 1);
    int outLength = int(sector.size);
    SCompDecompress(out.data(), &outLength, sector.bytes.data(), int(sector.bytes.size()));
  }
  return 0;
}
