#pragma once
// What every command of the command line gets besides its words: where its
// output and its errors go, and whether it may show progress.
#include <cstdio>

namespace cli {

// Exit codes, as git and compilers use them: all well, found what the
// command reports (differences, faults), could not run (usage or failure).
enum Exit : int { kOk = 0, kFound = 1, kFailed = 2 };

struct Io {
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  // Progress goes to err, and only when err is a terminal and -q was not given.
  bool progress = false;
};

}  // namespace cli
