// Building a new archive through ARCHWRIT (crash-safe: shadow, fsync, rename;
// sectors compressed on every core) against smpq and against StormLib called
// directly, on the same files: the fixtures, 10,000 small sheets, a 150 MB
// tree of mostly packed game data (as a real mod's size is), and 150 MB of
// sheets, where every sector compresses.
#include <StormLib.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "archwrit.h"

namespace {

const std::string kSmpq = "/usr/bin/smpq";

void buildWithArchwrit(const std::string& archive, const std::string& root,
                       const std::vector<std::string>& files) {
  MPQHANDLE h = MpqOpenArchiveForUpdate(archive.c_str(), 9, 1000);
  bench::require(h != nullptr, "ARCHWRIT cannot create " + archive);
  for (const std::string& file : files) {
    bench::require(
        MpqAddFileToArcive(h, (root + "/" + file).c_str(), bench::internalName(file).c_str(), 0x10200),
        "ARCHWRIT cannot add " + file);
  }
  bench::require(MpqCloseUpdatedArchive(h, 0) != 0, "ARCHWRIT cannot close " + archive);
}

void buildWithSmpq(const std::string& archive, const std::string& root,
                   const std::vector<std::string>& files) {
  std::vector<std::string> argv = {kSmpq, "-c", "-C", "PKWARE", "-E", "-M", "1", archive};
  argv.insert(argv.end(), files.begin(), files.end());
  bench::require(bench::run(argv, root), "smpq cannot create " + archive);
}

void buildWithStormLib(const std::string& archive, const std::string& root,
                       const std::vector<std::string>& files) {
  HANDLE mpq = nullptr;
  const DWORD capacity = static_cast<DWORD>(files.size() + 16);
  bench::require(
      SFileCreateArchive(archive.c_str(), MPQ_CREATE_LISTFILE | MPQ_CREATE_ARCHIVE_V1, capacity, &mpq),
      "StormLib cannot create " + archive);
  for (const std::string& file : files) {
    bench::require(SFileAddFileEx(mpq, (root + "/" + file).c_str(), bench::internalName(file).c_str(),
                                  MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED, MPQ_COMPRESSION_PKWARE,
                                  MPQ_COMPRESSION_NEXT_SAME),
                   "StormLib cannot add " + file);
  }
  bench::require(SFileCloseArchive(mpq), "StormLib cannot close " + archive);
}

void compare(const std::string& name, int runs, const std::string& root,
             const std::vector<std::string>& files, const bench::ScratchDir& scratch,
             const std::string& target) {
  const std::string ours = scratch.file(name + ".QLM"), smpq = scratch.file(name + ".smpq.mpq"),
                    storm = scratch.file(name + ".storm.mpq");
  // Interleaved, so that load from elsewhere on the machine falls on all three alike.
  std::vector<double> tOurs, tSmpq, tStorm;
  for (int i = 0; i < runs; ++i) {
    for (const std::string* archive : {&ours, &smpq, &storm}) std::remove(archive->c_str());
    tOurs.push_back(bench::seconds([&] { buildWithArchwrit(ours, root, files); }));
    tSmpq.push_back(bench::seconds([&] { buildWithSmpq(smpq, root, files); }));
    tStorm.push_back(bench::seconds([&] { buildWithStormLib(storm, root, files); }));
  }
  const double ms = 1000;
  bench::report("archwrit_build_" + name, bench::median(tOurs) * ms, "ms", "smpq", bench::median(tSmpq) * ms,
                target);
  bench::report("archwrit_build_" + name + "_direct", bench::median(tOurs) * ms, "ms", "stormlib",
                bench::median(tStorm) * ms, "none");
  bench::report("archwrit_build_" + name + "_size", double(bench::fileSize(ours)), "bytes", "smpq",
                double(bench::fileSize(smpq)), "none");
}

// count files cut from the fixtures' bytes, each at its own offset, under distinct names.
std::vector<std::string> makeSlices(const std::string& root, int count) {
  std::string pool;
  for (const std::string& file : bench::fixtureFiles())
    pool += bench::readFile(bench::fixturesDir() + "/" + file);
  bench::require(pool.size() > 8192, "fixtures too small to slice");
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "data/global/slices/s%05d.txt", i);
    const size_t length = 64 + (size_t(i) * 37) % 2000;
    const size_t offset = (size_t(i) * 4099) % (pool.size() - length);
    bench::require(bench::writeFile(root + "/" + name, pool.substr(offset, length)), "cannot write slices");
    files.push_back(name);
  }
  return files;
}

// 60 sheets of 2.4 MB, each a distinct edit of cubemain.txt: about 150 MB that all compresses.
std::vector<std::string> makeSheetTree(const std::string& root) {
  const std::string sheet = bench::readFile(bench::fixturesDir() + "/data/global/excel/cubemain.txt");
  std::vector<std::string> files;
  for (int i = 0; i < 60; ++i) {
    const std::string name = "data/global/excel/cube" + std::to_string(i) + ".txt";
    bench::require(bench::writeFile(root + "/" + name, "edit\t" + std::to_string(i) + "\r\n" + sheet),
                   "cannot write sheets");
    files.push_back(name);
  }
  return files;
}

}  // namespace

int main() {
  const std::string fixtures = bench::fixturesDir();
  bench::require(!fixtures.empty(), "mod fixtures not found (set QF_FIXTURES_DIR)");
  bench::ScratchDir scratch;
  compare("fixtures", 9, fixtures, bench::fixtureFiles(), scratch, "<=1.0x");

  const std::string slices = scratch.file("slices");
  compare("10000_files", 1, slices, makeSlices(slices, 10000), scratch, "<=0.35");

  const std::string big = scratch.file("big");
  compare("150mb", 3, big, bench::makeBigTree(big), scratch, "<=0.35");

  const std::string sheets = scratch.file("sheets");
  compare("150mb_sheets", 3, sheets, makeSheetTree(sheets), scratch, "none");
  return 0;
}
