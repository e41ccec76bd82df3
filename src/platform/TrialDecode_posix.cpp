#include "platform/TrialDecode.h"

#include <StormLib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace storm {
namespace {

// Long enough for the largest sector on a loaded machine; a decoder still
// busy after it is looping.
constexpr unsigned kTrialSeconds = 5;

[[noreturn]] void RunTrial(std::vector<TrialSector>& sectors) {
  // A crash is the answer, not something to report: die by the signal
  // itself, silently, whatever handlers the process had installed.
  for (int sig : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGALRM}) ::signal(sig, SIG_DFL);
  const int null = ::open("/dev/null", O_WRONLY);
  if (null >= 0) ::dup2(null, STDERR_FILENO);
  ::alarm(kTrialSeconds);
  for (TrialSector& sector : sectors) {
    std::vector<char> out(sector.size ? sector.size : 1);
    int length = int(sector.size);
    SCompDecompress(out.data(), &length, sector.bytes.data(), int(sector.bytes.size()));
  }
  ::_exit(0);
}

}  // namespace

bool TrialDecodeSurvives(std::vector<TrialSector>& sectors) {
  if (sectors.empty()) return true;
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) RunTrial(sectors);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace storm
