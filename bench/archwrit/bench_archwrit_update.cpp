// One Update of a 150 MB mod (open 5, replace one sheet with 0x10201, close),
// repeated 20 times: its time, and how much the file grows, against smpq
// and StormLib called directly, both of which write in place.
#include <StormLib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "archwrit.h"

namespace {

const std::string kSmpq = "/usr/bin/smpq";
const std::string kSheet = "data/global/excel/cubemain.txt";
constexpr int kBulkFiles = 144;
constexpr size_t kBulkSize = 1 << 20;
constexpr int kUpdates = 20;

// Sound and graphics bytes from the fixtures, scrambled per file so that
// every file is distinct and does not compress (as packed game data does not).
std::string bulkFile(const std::string& pool, int index) {
  std::string bytes(kBulkSize, '\0');
  uint64_t state = 0x9E3779B97F4A7C15ULL * uint64_t(index + 1);
  for (size_t i = 0; i < bytes.size(); ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    bytes[i] = char(pool[(i + size_t(index) * 7919) % pool.size()] ^ char(state));
  }
  return bytes;
}

std::string buildBigArchive(const bench::ScratchDir& scratch) {
  const std::string root = bench::fixturesDir();
  std::string pool;
  for (const std::string& file : bench::fixtureFiles()) {
    const std::string ext = file.substr(file.rfind('.') + 1);
    if (ext != "txt") pool += bench::readFile(root + "/" + file);
  }
  bench::require(!pool.empty(), "no sound or graphics fixtures");

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
    bench::require(bench::writeFile(source, bulkFile(pool, i)), "cannot write bulk data");
    const std::string name = "data\\global\\sfx\\bulk\\b" + std::to_string(i) + ".wav";
    bench::require(MpqAddFileToArcive(h, source.c_str(), name.c_str(), 0x10200), "cannot add bulk data");
  }
  bench::require(MpqCloseUpdatedArchive(h, 0) != 0, "cannot close the big archive");
  return archive;
}

struct Series {
  std::vector<double> times;
  std::vector<long long> sizes;
  double median() const { return bench::median(times); }
  double worst() const { return *std::max_element(times.begin(), times.end()); }
  double growth() const { return double(sizes.back()) / double(sizes.front()); }
};

struct Peer {
  std::string archive;
  std::function<void()> update;
  Series series;
};

// Runs kUpdates rounds; in each, the sheet gets new bytes and every peer
// updates its archive with them, in turn, so that load from elsewhere on the
// machine falls on all of them alike.
void repeat(const std::string& sheetPath, std::vector<Peer*> peers) {
  const std::string base = bench::readFile(bench::fixturesDir() + "/" + kSheet);
  for (int i = 0; i < kUpdates; ++i) {
    bench::require(bench::writeFile(sheetPath, base + "update\t" + std::to_string(i) + "\r\n"),
                   "cannot write sheet");
    for (Peer* peer : peers) {
      peer->series.times.push_back(bench::seconds(peer->update));
      peer->series.sizes.push_back(bench::fileSize(peer->archive));
    }
  }
}

}  // namespace

int main() {
  bench::require(!bench::fixturesDir().empty(), "mod fixtures not found (set QF_FIXTURES_DIR)");
  bench::ScratchDir scratch;
  const std::string ours = buildBigArchive(scratch);
  std::printf("# archive of %lld bytes\n", bench::fileSize(ours));
  const std::string peerSmpq = scratch.file("big.smpq.mpq"), peerStorm = scratch.file("big.storm.mpq");
  std::filesystem::copy_file(ours, peerSmpq);
  std::filesystem::copy_file(ours, peerStorm);

  const std::string stage = scratch.file("stage"), staged = stage + "/" + kSheet;
  const std::string name = bench::internalName(kSheet);
  Peer archwrit{ours,
                [&] {
                  MPQHANDLE h = MpqOpenArchiveForUpdate(ours.c_str(), 5, 1000);
                  bench::require(h != nullptr, "ARCHWRIT cannot open the archive");
                  bench::require(MpqAddFileToArcive(h, staged.c_str(), name.c_str(), 0x10201) != 0,
                                 "ARCHWRIT cannot add");
                  bench::require(MpqCloseUpdatedArchive(h, 0) != 0, "ARCHWRIT cannot close");
                },
                {}};
  Peer smpq{peerSmpq,
            [&] {
              bench::require(bench::run({kSmpq, "-a", "-f", "-C", "PKWARE", "-E", peerSmpq, kSheet}, stage),
                             "smpq -a failed");
            },
            {}};
  Peer storm{peerStorm,
             [&] {
               HANDLE mpq = nullptr;
               bench::require(SFileOpenArchive(peerStorm.c_str(), 0, 0, &mpq), "StormLib cannot open");
               bench::require(
                   SFileAddFileEx(mpq, staged.c_str(), name.c_str(),
                                  MPQ_FILE_COMPRESS | MPQ_FILE_ENCRYPTED | MPQ_FILE_REPLACEEXISTING,
                                  MPQ_COMPRESSION_PKWARE, MPQ_COMPRESSION_NEXT_SAME),
                   "StormLib cannot add");
               bench::require(SFileCloseArchive(mpq), "StormLib cannot close");
             },
             {}};
  repeat(staged, {&archwrit, &smpq, &storm});

  bench::report("archwrit_update_150mb", archwrit.series.median(), "s", "smpq", smpq.series.median(),
                "<=1.5s");
  bench::report("archwrit_update_150mb_worst", archwrit.series.worst(), "s", "smpq", smpq.series.worst(),
                "<=1.5s");
  bench::report("archwrit_update_150mb_direct", archwrit.series.median(), "s", "stormlib",
                storm.series.median(), "none");
  bench::report("archwrit_update_growth_20", archwrit.series.growth(), "x", "smpq", smpq.series.growth(),
                "<=1.05x");
  bench::report("archwrit_update_growth_20_direct", archwrit.series.growth(), "x", "stormlib",
                storm.series.growth(), "none");
  return 0;
}
