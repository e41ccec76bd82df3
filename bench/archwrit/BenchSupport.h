// Shared pieces of the ARCHWRIT benchmarks: fixture files, scratch folders,
// running the peer tools, timing and the one-line figure format.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bench {

// The fixtures' mod folder (holding data/...), from QF_FIXTURES_DIR or the
// build's default; empty when it is not there.
std::string fixturesDir();
// Every fixture file, as a path relative to fixturesDir() ("data/global/...").
std::vector<std::string> fixtureFiles();
// The archive's name for a relative path: '/' becomes '\'.
std::string internalName(const std::string& relativePath);

// One MiB of sound and graphics bytes from the fixtures, scrambled by index
// so that every such file is distinct and does not compress (as packed game
// data does not).
std::string bulkFile(int index);

// Writes the fixtures and 144 files of one MiB of packed game data (about
// 150 MB) below root; returns their relative paths.
std::vector<std::string> makeBigTree(const std::string& root);

std::string readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);
long long fileSize(const std::string& path);

// A new scratch folder, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Runs a program (argv[0] is its path) in folder with its output discarded;
// true when it exits with 0.
bool run(const std::vector<std::string>& argv, const std::string& folder);
// System (kernel) seconds spent by the programs run() has waited for so far.
double childSystemSeconds();

// Writes bytes to a new file at path (one already there is a failure) and
// has its data on disk before it returns, as a crash-safe save writes its
// temporary file; false when any step fails.
bool writeNewFileSynced(const std::string& path, const std::string& bytes);
// Has the data of the file at path on disk, as a tool that changed it in
// place must before it may say it is done; false when that fails.
bool syncFile(const std::string& path);

// Where needle first stands in bytes, as the C library's fastest search finds
// it (memmem); nullptr when it does not.
const void* findBytes(const void* bytes, size_t size, const void* needle, size_t needleSize);

// Bytes of this process's memory resident in RAM; 0 when it cannot be read.
double residentBytes();
// Freed memory stays with the process, as in a program that has run a
// while: otherwise each run of a side that allocates megabytes pays page
// faults or not depending on whether the other side's objects happen to hold
// up the top of the heap, which is no part of the work measured. On Windows,
// where the figures are not taken, the heap keeps its own settings.
void keepFreedMemory();
// Hands the allocator's free memory back to the system, so that a following
// residentBytes() counts what is in use rather than what was freed.
void releaseFreeMemory();

// Wall-clock seconds that work takes.
double seconds(const std::function<void()>& work);
// The middle one of several timings.
double median(std::vector<double> times);

// Prints one figure:
//   BENCH <name> <value> <unit> vs <peer> <peer-value> ratio <value/peer-value> target <target>
void report(const std::string& name, double value, const std::string& unit, const std::string& peer,
            double peerValue, const std::string& target);

// Ends the benchmark with a message when a step that must work did not.
void require(bool ok, const std::string& what);

}  // namespace bench
