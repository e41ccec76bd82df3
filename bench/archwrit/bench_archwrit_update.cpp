// One Update of a 150 MB mod (open 5, replace one sheet with 0x10201, close),
// repeated 20 times, against StormLib changing a copy in place followed by one
// fsync (what an in-place tool needs to have the change on disk): the time,
// the syncs each side makes, and the file's size against what compacting it
// gives. Then the updates go on until ARCHWRIT packs the archive, and that
// update's time and the packed size are reported too.
#include <StormLib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "SyncCounter.h"
#include "archwrit.h"

namespace {

const std::string kSheet = "data/global/excel/cubemain.txt";
constexpr int kBulkFiles = 144;
constexpr int kUpdates = 20;
// Updates tried at most while waiting for ARCHWRIT to pack the archive.
constexpr int kMaxUpdatesToPacking = 400;

std::string buildBigArchive(const bench::ScratchDir& scratch) {
  const std::string root = bench::fixturesDir();
  const std::string archive = scratch.file("big.QLM");
  MPQHANDLE h = MpqOpenArchiveForUpdate(archive.c_str(), 9, 1000);
  bench::require(h != nullptr, "cannot create the big archive");
  for (const std::string& file : bench::fixtureFiles()) {
    bench::require(
        MpqAddFileToArcive(h, (root + "/" + file).c_str(), bench::internalName(file).c_str(), 0x10200),
        "cannot add " + file);
  }
  const std::string source = scratch.file("bulk.bin");
  for (int i = 0; i < kBulkFiles; ++i) {
    bench::require(bench::writeFile(source, bench::bulkFile(i)), "cannot write bulk data");
    const std::string name = "data\\global\\sfx\\bulk\\b" + std::to_string(i) + ".wav";
    bench::require(MpqAddFileToArcive(h, source.c_str(), name.c_str(), 0x10200), "cannot add bulk data");
  }
  bench::require(MpqCloseUpdatedArchive(h, 0) != 0, "cannot close the big archive");
  return archive;
}

// The size StormLib's compaction gives a copy of the archive.
long long compactedSize(const std::string& archive, const bench::ScratchDir& scratch) {
  const std::string copy = scratch.file("compacted.mpq");
  std::filesystem::copy_file(archive, copy, std::filesystem::copy_options::overwrite_existing);
  HANDLE mpq = nullptr;
  bench::require(SFileOpenArchive(copy.c_str(), 0, 0, &mpq), "StormLib cannot open the copy");
  bench::require(SFileCompactArchive(mpq, nullptr, false), "StormLib cannot compact the copy");
  bench::require(SFileCloseArchive(mpq), "StormLib cannot close the copy");
  return bench::fileSize(copy);
}

struct Peer {
  std::string archive;
  std::function<void()> update;
  std::vector<double> times;
  std::vector<long> syncs;
  void run() {
    const long before = bench::syncCount();
    times.push_back(bench::seconds(update));
    syncs.push_back(bench::syncCount() - before);
  }
};

void writeSheet(const std::string& path, int round) {
  static const std::string base = bench::readFile(bench::fixturesDir() + "/" + kSheet);
  bench::require(bench::writeFile(path, base + "update\t" + std::to_string(round) + "\r\n"),
                 "cannot write sheet");
}

}  // namespace

int main() {
  bench::require(!bench::fixturesDir().empty(), "mod fixtures not found (set QF_FIXTURES_DIR)");
  bench::ScratchDir scratch;
  const std::string ours = buildBigArchive(scratch);
  std::printf("# archive of %lld bytes\n", bench::fileSize(ours));
  const std::string theirs = scratch.file("big.storm.mpq");
  std::filesystem::copy_file(ours, theirs);

  const std::string staged = scratch.file("stage/" + kSheet);
  const std::string name = bench::internalName(kSheet);
  Peer archwrit{ours,
                [&] {
                  MPQHANDLE h = MpqOpenArchiveForUpdate(ours.c_str(), 5, 1000);
                  bench::require(h != nullptr, "ARCHWRIT cannot open the archive");
                  bench::require(MpqAddFileToArcive(h, staged.c_str(), name.c_str(), 0x10201) != 0,
                                 "ARCHWRIT cannot add");
                  bench::require(MpqCloseUpdatedArchive(h, 0) != 0, "ARCHWRIT cannot close");
                },
                {},
                {}};
  Peer storm{theirs,
             [&] {
               HANDLE mpq = nullptr;
               bench::require(SFileOpenArchive(theirs.c_str(), 0, 0, &mpq), "StormLib cannot open");
               bench::require(
                   SFileAddFileEx(mpq, staged.c_str(), name.c_str(),
                                  MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED | MPQ_FILE_REPLACEEXISTING,
                                  MPQ_COMPRESSION_PKWARE, MPQ_COMPRESSION_NEXT_SAME),
                   "StormLib cannot add");
               bench::require(SFileCloseArchive(mpq), "StormLib cannot close");
               bench::require(bench::syncFile(theirs), "cannot sync the StormLib copy");
             },
             {},
             {}};
  // In turns, so that load from elsewhere on the machine falls on both alike.
  for (int i = 0; i < kUpdates; ++i) {
    writeSheet(staged, i);
    archwrit.run();
    storm.run();
  }
  const double ours20 = double(bench::fileSize(ours)), theirs20 = double(bench::fileSize(theirs));
  const double ms = 1000, appendMedian = bench::median(archwrit.times);
  bench::report("archwrit_update_150mb", appendMedian * ms, "ms", "stormlib_inplace_fsync",
                bench::median(storm.times) * ms, "<=1.5");
  bench::report(
      "archwrit_update_150mb_worst", *std::max_element(archwrit.times.begin(), archwrit.times.end()) * ms,
      "ms", "stormlib_inplace_fsync", *std::max_element(storm.times.begin(), storm.times.end()) * ms, "none");
  if (bench::syncsCounted())
    bench::report("archwrit_update_150mb_syncs", double(archwrit.syncs.back()), "syncs",
                  "stormlib_inplace_fsync", double(storm.syncs.back()), "none");
  bench::report("archwrit_update_size_20", ours20 / double(compactedSize(ours, scratch)), "x_compacted",
                "stormlib_inplace", theirs20 / double(compactedSize(theirs, scratch)), "<=1.35");

  // On until an update packs the archive: the file shrinks.
  long long before = bench::fileSize(ours);
  double packingTime = 0;
  int rounds = 0;
  for (; rounds < kMaxUpdatesToPacking; ++rounds) {
    writeSheet(staged, kUpdates + rounds);
    archwrit.run();
    if (bench::fileSize(ours) < before) {
      packingTime = archwrit.times.back();
      break;
    }
    before = bench::fileSize(ours);
  }
  bench::require(packingTime > 0, "ARCHWRIT never packed the archive");
  std::printf("# packed by update %d\n", kUpdates + rounds + 1);
  bench::report("archwrit_update_150mb_packing", packingTime * ms, "ms", "archwrit_update_150mb",
                appendMedian * ms, "none");
  bench::report("archwrit_update_size_packed",
                double(bench::fileSize(ours)) / double(compactedSize(ours, scratch)), "x_compacted",
                "stormlib_compacted", 1.0, "<=1.01");

  // A second hard link: the next pack happens inside the archive's own file.
  const std::string link = scratch.file("big.link.QLM");
  std::error_code linkError;
  std::filesystem::create_hard_link(ours, link, linkError);
  bench::require(!linkError, "cannot link the archive");
  before = bench::fileSize(ours);
  double inPlaceTime = 0;
  for (int more = 0; more < kMaxUpdatesToPacking; ++more) {
    writeSheet(staged, kUpdates + rounds + 1 + more);
    archwrit.run();
    if (bench::fileSize(ours) < before) {
      inPlaceTime = archwrit.times.back();
      break;
    }
    before = bench::fileSize(ours);
  }
  bench::require(inPlaceTime > 0, "ARCHWRIT never packed the linked archive");
  bench::report("archwrit_update_150mb_packing_in_place", inPlaceTime * ms, "ms",
                "archwrit_update_150mb_packing", packingTime * ms, "none");
  bench::report("archwrit_update_size_packed_in_place",
                double(bench::fileSize(ours)) / double(compactedSize(ours, scratch)), "x_compacted",
                "stormlib_compacted", 1.0, "<=1.01");
  return 0;
}
