#pragma once
// Runs the archive library's own sector decoder over sectors whose decoders
// are known to fault on crafted data, in a child process, before the library
// decodes them in this one. The decoders are deterministic: what the child
// decodes without crashing or hanging, this process decodes the same way.
#include <cstdint>
#include <vector>

namespace storm {

struct TrialSector {
  std::vector<char> bytes;  // decrypted, led by the compression byte
  uint32_t size = 0;        // what it decodes to
};

// True when a child process decoded every sector and exited normally within
// a few seconds; false when it crashed, hung or could not be started.
bool TrialDecodeSurvives(std::vector<TrialSector>& sectors);

}  // namespace storm
